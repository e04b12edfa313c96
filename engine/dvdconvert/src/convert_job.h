// SPDX-License-Identifier: GPL-3.0-or-later
// One running conversion job: its passes, and the stages of each pass (see
// convert_pass.h) on their threads.
//
// Lock order — a thread holding one of these may take only those below it:
//   Job::timeMutex_, Job::feedMutex_
//   ReadFeed's state (convert_feed.cpp)        RunControl's (the queues')
//   OutputFile::audioMutex_  →  OutputFile::muxMutex_
//   SubtitleTrack, PreviewSlot, RunControl's error, ReportQueue   (leaves)
// No thread waits on a queue while it holds any of them.
#pragma once

#include "convert_output.h"
#include "convert_pass.h"
#include "convert_preview.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace dvdc {

class Job {
public:
    // `file` is the session's open output file (may be empty); the job
    // creates or appends to it.  The host touches it again only after Join.
    Job(JobRequest request, ReportQueue &reports, std::unique_ptr<OutputFile> &file, PreviewSlot &preview);
    ~Job();

    void Start();
    // Stops the job; its threads are joined and no report follows.
    void Cancel();
    void Join();

    void Pause();
    void Resume();

    uint64_t Id() const { return request_.id; }
    bool Finished() const { return finished_.load(); }
    double Fps() const;
    // The unreadable regions skipped so far (the pass that writes the file's).
    std::vector<DamagedRegion> Damaged() const;

private:
    void Run();
    bool RunPass(int index, bool firstOfTwo, bool secondOfTwo, std::string &error);
    bool ChooseSecondPass();

    JobRequest request_;
    ReportQueue &reports_;
    std::unique_ptr<OutputFile> &file_;
    PreviewSlot &preview_;
    RunControl run_;
    std::thread thread_;
    std::atomic<bool> finished_{false};
    std::atomic<bool> cancelled_{false};
    bool createdFile_ = false;
    std::string statsDir_;

    mutable std::mutex feedMutex_;
    ReadFeed *feed_ = nullptr;   // the running pass's, for Cancel
    std::vector<DamagedRegion> damaged_;   // of the last pass that ended

    // Speed: frames encoded over the time spent running (pauses excluded).
    std::atomic<int64_t> framesEncoded_{0};
    std::chrono::steady_clock::time_point started_{};
    std::chrono::steady_clock::time_point pausedAt_{};
    std::chrono::steady_clock::duration pausedFor_{};
    mutable std::mutex timeMutex_;
};

} // namespace dvdc

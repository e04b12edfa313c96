// SPDX-License-Identifier: GPL-3.0-or-later
// One running conversion job: its passes, and the stages of each pass (see
// convert_pass.h) on their threads.
//
// Lock order — a thread holding one of these takes only those after its arrow:
//   Job::feedMutex_ (feed_, damaged_)   →  ReadFeed's  →  TitleReader's
//   FileFinisher's (its files)          →  ReportQueue's
//   Job::timeMutex_ (the speed's clock), RunControl's (the pass's queues,
//   pause, abort; and its error), SubtitleTrack's, PreviewSlot's: none
// No thread waits on a queue or the disc while it holds any of them.
// The output file has none: one owner at a time (see convert_output.h).
#pragma once

#include "convert_encoders.h"
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
    // `file`: the session's open output file, or none; the job creates one
    // or appends to it, and hands it back at Join.
    Job(JobRequest request, ReportQueue &reports, std::unique_ptr<OutputFile> file, PreviewSlot &preview);
    ~Job();

    void Start();
    // Stops the job; its threads are joined and no report follows.
    void Cancel();
    // Waits for the job's thread (at once after Cancel or the end report)
    // and hands the file back: none when the job failed on a file it made.
    std::unique_ptr<OutputFile> Join();

    void Pause();
    void Resume();

    uint64_t Id() const { return request_.id; }
    bool Finished() const { return finished_.load(); }
    double Fps() const;
    // The unreadable regions skipped so far (the pass that writes the file's).
    std::vector<DamagedRegion> Damaged() const;

private:
    void Run();
    bool RunPasses(std::string &error);
    bool RunPass(int index, EncodePass pass, std::string &error);
    AVCodecContext *OpenEncoder(EncodePass pass, std::string &error);
    bool ChooseSecondPass();
    void End(bool ok, std::string error);

    // Set before Start; afterwards only the job's thread touches request_
    // (Id reads the id, which never changes) and, until Join, file_.
    JobRequest request_;
    std::unique_ptr<OutputFile> file_;
    bool createdFile_ = false;
    std::string statsDir_;

    ReportQueue &reports_;
    PreviewSlot &preview_;
    RunControl run_;
    std::thread thread_;
    std::atomic<bool> finished_{false};
    std::atomic<bool> cancelled_{false};

    mutable std::mutex feedMutex_;
    ReadFeed *feed_ = nullptr;   // the running pass's, for Cancel; under feedMutex_
    std::vector<DamagedRegion> damaged_;   // of the last pass that ended; under feedMutex_

    // Speed: frames encoded over the time spent running (pauses excluded).
    std::atomic<int64_t> framesEncoded_{0};
    mutable std::mutex timeMutex_;
    std::chrono::steady_clock::time_point started_{};    // under timeMutex_
    std::chrono::steady_clock::time_point pausedAt_{};   // under timeMutex_
    std::chrono::steady_clock::duration pausedFor_{};    // under timeMutex_
};

} // namespace dvdc

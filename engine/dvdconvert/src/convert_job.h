// One running conversion job: its passes and the threads of each pass.
//
// A pass runs three threads connected by bounded queues: the job thread
// reads the title, demultiplexes it and converts the sound and subpictures;
// a decoder thread decodes and filters the picture; an encoder thread
// encodes and writes it.  Nothing waits longer than a queue holds, so memory
// stays flat however long the title is.
#pragma once

#include "convert_feed.h"
#include "convert_output.h"
#include "convert_queue.h"
#include "convert_reports.h"
#include "convert_settings.h"
#include "title_reader.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct AVFrame;

namespace dvdc {

// The newest picture sent to the encoder, for the host's preview.
class PreviewSlot {
public:
    ~PreviewSlot();
    void Put(const AVFrame *frame);
    // A copy converted to 32-bit pixels, or nullptr.
    DCPicture *Picture();
    void Clear();

private:
    std::mutex mutex_;
    AVFrame *frame_ = nullptr;
};

struct JobRequest {
    uint64_t id = 0;
    JobInfo info;
    EncodeSettings settings;
    SourceInfo source;
    VideoTarget target;
    std::string path;
    ConvertCallback callback = nullptr;
    // One reader per pass: opened on the job's own threads by `openers`
    // (opening reads the disc), or already open in `readers`.
    std::vector<ReaderOpener> openers;
    std::vector<std::unique_ptr<TitleReader>> readers;
};

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
    bool EndedWell() const { return endedWell_; }     // after Join
    double Fps() const;
    // The unreadable regions skipped so far (the pass that writes the file's).
    std::vector<DamagedRegion> Damaged() const;

private:
    struct Pass;
    void Run();
    bool RunPass(int index, bool firstOfTwo, bool secondOfTwo, std::string &error);
    void Fail(const std::string &reason);

    JobRequest request_;
    ReportQueue &reports_;
    std::unique_ptr<OutputFile> &file_;
    PreviewSlot &preview_;
    RunControl run_;
    std::thread thread_;
    std::atomic<bool> finished_{false};
    std::atomic<bool> cancelled_{false};
    bool endedWell_ = false;
    bool createdFile_ = false;
    std::string statsDir_;

    mutable std::mutex feedMutex_;
    ReadFeed *feed_ = nullptr;   // the running pass's, for Cancel
    std::vector<DamagedRegion> damaged_;   // of the last pass that ended

    std::mutex errorMutex_;
    std::string error_;

    // Speed: frames encoded over the time spent running (pauses excluded).
    std::atomic<int64_t> framesEncoded_{0};
    std::chrono::steady_clock::time_point started_{};
    std::chrono::steady_clock::time_point pausedAt_{};
    std::chrono::steady_clock::duration pausedFor_{};
    mutable std::mutex timeMutex_;
};

} // namespace dvdc

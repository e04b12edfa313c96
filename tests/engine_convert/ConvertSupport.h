// SPDX-License-Identifier: GPL-3.0-or-later
// Test support for the conversion side below the C interface: a title
// reader over a file and a job runner that plays the host's part.
#pragma once

#include "MediaTools.h"
#include "convert_session.h"
#include "title_reader.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace ct {

dvdc::SourceInfo SourceInfoFor(const SourceSpec &spec);

class FileTitleReader : public dvdc::TitleReader {
public:
    explicit FileTitleReader(const std::string &path);
    ~FileTitleReader() override;
    int Read(uint8_t *buffer, int size) override;
    int64_t BytesRead() const override { return read_; }
    int64_t TotalBytes() const override { return total_; }
    int64_t TimestampOffsetAt(int64_t) const override { return 0; }

private:
    FILE *file_ = nullptr;
    std::atomic<int64_t> read_{0};   // read on the feed's thread, asked on the job's
    int64_t total_ = 0;
};

// Plays the host: a wake-up that signals, dispatch on the test thread.
class Host {
public:
    explicit Host(dvdc::ConvertSession &session);
    ~Host();
    struct Seen {
        uint64_t job;
        int progress, state;
    };
    dvdc::JobRequest Request(const SourceSpec &spec, const std::string &path, dvdc::JobInfo info = {});
    bool Start(dvdc::JobRequest request, std::string *error = nullptr);
    // Dispatches until the job's end report or the timeout; the end report.
    bool WaitEnd(Seen *end = nullptr, double timeoutSeconds = 120);
    // Dispatches what is queued now.
    void Dispatch();
    // Closes the open file and waits until it is finished.
    void CloseFile();
    // The session is about to be destroyed under the host's feet.
    void Forget() { forgotten_ = true; }
    std::vector<Seen> reports;
    std::vector<std::string> reasons;
    // Called after each delivered report, as the program's callback would act.
    std::function<void(const Seen &)> onReport;
    dvdc::ConvertSession &session;

private:
    static void Wake(void *self);
    std::mutex mutex_;
    std::condition_variable cv_;
    int wakes_ = 0;
    bool forgotten_ = false;
};

dvdc::JobInfo DefaultInfo(int32_t encoder, int width = 320, int height = 240);

} // namespace ct

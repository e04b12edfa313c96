// SPDX-License-Identifier: GPL-3.0-or-later
// Finishes output files on a thread of its own.  Writing an MP4's index at
// its front and copying a file whose chapters its header could not take
// both take time in proportion to the file — many seconds for a merged
// film — so no caller waits for them: each file's end is a report.
#pragma once

#include "convert_output.h"
#include "convert_reports.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace dvdc {

class FileFinisher {
public:
    explicit FileFinisher(ReportQueue &reports) : reports_(reports) {}
    // Finishes every file handed over first: none is ever cut short.
    ~FileFinisher();
    FileFinisher(const FileFinisher &) = delete;
    FileFinisher &operator=(const FileFinisher &) = delete;

    // Takes the file and returns at once; its report follows when it is whole.
    void Finish(std::unique_ptr<OutputFile> file);
    // Files handed over and not yet finished.  A file leaves the count as
    // its report is queued: once none is pending, every report is there.
    int Pending() const;

private:
    void Run();

    ReportQueue &reports_;
    mutable std::mutex mutex_;   // may take the report queue's lock inside
    std::condition_variable wake_;                   // a file came, or the end
    std::deque<std::unique_ptr<OutputFile>> queue_;  // under mutex_
    int pending_ = 0;                                // under mutex_
    bool ending_ = false;                            // under mutex_
    std::thread thread_;   // started with the first file; touched by the owner only
};

// For tests: called on the finisher's thread before each file is finished.
void SetFinishHookForTests(void (*hook)(const std::string &path));

} // namespace dvdc

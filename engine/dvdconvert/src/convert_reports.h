// SPDX-License-Identifier: GPL-3.0-or-later
// The per-instance queue of reports: of jobs, and of files finished.
// Engine threads append and wake the host; the host drains the queue on its
// own thread, outside every engine lock, so the callback may close the file
// or start the next job.
#pragma once

#include "dvdconvert.h"

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

namespace dvdc {

struct Report {
    uint64_t job = 0;         // 0: a file report
    std::string path;         // file reports: the file finished
    ConvertCallback callback = nullptr;
    int32_t progress = 0;
    int32_t state = 0;
    bool mergeable = false;   // a plain progress step: a newer one may replace it
    std::string reason;       // why the job failed, or the file could not be finished
};

class ReportQueue {
public:
    // Progress of a pass: merged with a queued progress report of the same job.
    void PostProgress(uint64_t job, ConvertCallback cb, int32_t percent);
    // Events that are never merged: the end of pass one, the end, the failure.
    void PostEvent(uint64_t job, ConvertCallback cb, int32_t progress, int32_t state,
                   std::string reason = {});

    // A file closed earlier is finished: whole when `reason` is empty.
    // Never dropped.
    void PostFileDone(std::string path, std::string reason);

    // Reports of jobs up to and including `job` are dropped, queued or not.
    void DropJob(uint64_t job);

    // After this returns no earlier wake-up is still running.
    void SetWakeup(DCWakeupFn fn, void *context);

    // The oldest report of a job not dropped; false when there is none.
    // The host delivers it without holding any engine lock.
    bool Pop(Report &report);

private:
    void Wake();

    bool Dropped(const Report &r) const { return r.job != 0 && r.job <= dropped_; }

    mutable std::mutex mutex_;
    std::deque<Report> queue_;   // under mutex_
    uint64_t dropped_ = 0;       // under mutex_

    std::mutex wakeupMutex_;     // held while a wake-up runs
    DCWakeupFn wakeup_ = nullptr;      // under wakeupMutex_
    void *wakeupContext_ = nullptr;    // under wakeupMutex_
};

} // namespace dvdc

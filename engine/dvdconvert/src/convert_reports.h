// SPDX-License-Identifier: GPL-3.0-or-later
// The per-instance queue of job reports.  Engine threads append and wake the
// host; the host drains the queue on its own thread, outside every engine
// lock, so the callback may close the file or start the next job.
#pragma once

#include "dvdconvert.h"

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

namespace dvdc {

struct Report {
    uint64_t job = 0;
    ConvertCallback callback = nullptr;
    int32_t progress = 0;
    int32_t state = 0;
    bool mergeable = false;   // a plain progress step: a newer one may replace it
    std::string reason;       // failure reports: why the job failed
};

class ReportQueue {
public:
    // Progress of a pass: merged with a queued progress report of the same job.
    void PostProgress(uint64_t job, ConvertCallback cb, int32_t percent);
    // Events that are never merged: the end of pass one, the end, the failure.
    void PostEvent(uint64_t job, ConvertCallback cb, int32_t progress, int32_t state,
                   std::string reason = {});

    // Reports of jobs up to and including `job` are dropped, queued or not.
    void DropJob(uint64_t job);

    // After this returns no earlier wake-up is still running.
    void SetWakeup(DCWakeupFn fn, void *context);

    // The oldest report of a job not dropped; false when there is none.
    // The host delivers it without holding any engine lock.
    bool Pop(Report &report);

private:
    void Wake();

    mutable std::mutex mutex_;
    std::deque<Report> queue_;
    uint64_t dropped_ = 0;

    std::mutex wakeupMutex_;   // held while a wake-up runs
    DCWakeupFn wakeup_ = nullptr;
    void *wakeupContext_ = nullptr;
};

} // namespace dvdc

// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert_reports.h"

namespace dvdc {

void ReportQueue::PostProgress(uint64_t job, ConvertCallback cb, int32_t percent)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (job <= dropped_)
            return;
        if (!queue_.empty() && queue_.back().job == job && queue_.back().mergeable) {
            if (queue_.back().progress == percent)
                return;
            queue_.back().progress = percent;
            return;   // the host has been woken for the report being replaced
        }
        Report r;
        r.job = job;
        r.callback = cb;
        r.progress = percent;
        r.mergeable = true;
        queue_.push_back(std::move(r));
    }
    Wake();
}

void ReportQueue::PostEvent(uint64_t job, ConvertCallback cb, int32_t progress, int32_t state,
                            std::string reason)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (job <= dropped_)
            return;
        Report r;
        r.job = job;
        r.callback = cb;
        r.progress = progress;
        r.state = state;
        r.reason = std::move(reason);
        queue_.push_back(std::move(r));
    }
    Wake();
}

void ReportQueue::PostFileDone(std::string path, std::string reason)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Report r;
        r.path = std::move(path);
        r.reason = std::move(reason);
        queue_.push_back(std::move(r));
    }
    Wake();
}

void ReportQueue::DropJob(uint64_t job)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (job > dropped_)
        dropped_ = job;
    std::erase_if(queue_, [this](const Report &r) { return Dropped(r); });
}

void ReportQueue::SetWakeup(DCWakeupFn fn, void *context)
{
    std::lock_guard<std::mutex> lock(wakeupMutex_);
    wakeup_ = fn;
    wakeupContext_ = context;
}

bool ReportQueue::Pop(Report &report)
{
    std::lock_guard<std::mutex> lock(mutex_);
    while (!queue_.empty() && Dropped(queue_.front()))
        queue_.pop_front();
    if (queue_.empty())
        return false;
    report = std::move(queue_.front());
    queue_.pop_front();
    return true;
}

void ReportQueue::Wake()
{
    std::lock_guard<std::mutex> lock(wakeupMutex_);
    if (wakeup_)
        wakeup_(wakeupContext_);
}

} // namespace dvdc

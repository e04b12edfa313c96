// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert_finisher.h"

#include "convert_log.h"

#include <atomic>

namespace dvdc {

namespace {
std::atomic<void (*)(const std::string &)> g_finishHook{nullptr};
} // namespace

void SetFinishHookForTests(void (*hook)(const std::string &path)) { g_finishHook = hook; }

FileFinisher::~FileFinisher()
{
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void FileFinisher::Finish(std::unique_ptr<OutputFile> file)
{
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(file));
        ++pending_;
    }
    wake_.notify_all();
    if (!thread_.joinable())
        thread_ = std::thread([this] { Run(); });
}

int FileFinisher::Pending() const
{
    std::lock_guard lock(mutex_);
    return pending_;
}

void FileFinisher::Run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return !queue_.empty() || ending_; });
        if (queue_.empty())
            return;   // ending, and nothing is left
        std::unique_ptr<OutputFile> file = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        if (auto hook = g_finishHook.load())
            hook(file->Path());
        std::string error;
        const bool whole = file->Finish(error);
        if (!error.empty())
            Log(whole ? 1 : 0, "%s", error.c_str());
        const std::string path = file->Path();
        file.reset();
        lock.lock();
        // Together, so a host that sees no file pending finds its report queued.
        --pending_;
        reports_.PostFileDone(path, error);
    }
}

} // namespace dvdc

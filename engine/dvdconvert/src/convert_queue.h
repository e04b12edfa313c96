// SPDX-License-Identifier: GPL-3.0-or-later
// Bounded hand-over queues between the pipeline threads, and the gate that
// pauses them.  Every wait ends when the run is aborted, so a cancel never
// hangs on a full or empty queue.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <utility>

namespace dvdc {

// Shared stop/pause state of one running job.
class RunControl {
public:
    void Abort()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        aborted_ = true;
        changed_.notify_all();
    }
    bool Aborted() const { return aborted_.load(); }

    void SetPaused(bool paused)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        paused_ = paused;
        changed_.notify_all();
    }
    bool Paused() const { return paused_.load(); }

    // Blocks while paused; false once aborted.
    bool WaitWhilePaused()
    {
        if (!paused_.load())
            return !aborted_.load();
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return !paused_.load() || aborted_.load(); });
        return !aborted_.load();
    }

    // The first failure of any stage; it stops the run.
    void Fail(const std::string &reason)
    {
        {
            std::lock_guard<std::mutex> lock(errorMutex_);
            if (error_.empty())
                error_ = reason;
        }
        Abort();
    }
    std::string Error() const
    {
        std::lock_guard<std::mutex> lock(errorMutex_);
        return error_;
    }

    // Lets queues wake on abort: they register their condition variable.
    std::mutex &Mutex() { return mutex_; }
    std::condition_variable &Changed() { return changed_; }

private:
    std::mutex mutex_;                   // the queues' items; waits on changed_
    std::condition_variable changed_;
    std::atomic<bool> aborted_{false};   // written under mutex_, so waits see it
    std::atomic<bool> paused_{false};    // likewise
    mutable std::mutex errorMutex_;
    std::string error_;                  // under errorMutex_
};

// A queue of at most `capacity` items.  Push blocks while full, Pop while
// empty; both give up when the run is aborted.  Close() marks the end of the
// stream: Pop then drains what is left and returns false.
template <typename T>
class BoundedQueue {
public:
    BoundedQueue(RunControl &run, size_t capacity) : run_(run), capacity_(capacity) {}

    bool Push(T item)
    {
        std::unique_lock<std::mutex> lock(run_.Mutex());
        run_.Changed().wait(lock, [&] { return items_.size() < capacity_ || run_.Aborted(); });
        if (run_.Aborted())
            return false;
        items_.push_back(std::move(item));
        run_.Changed().notify_all();
        return true;
    }

    bool Pop(T &item)
    {
        std::unique_lock<std::mutex> lock(run_.Mutex());
        run_.Changed().wait(lock, [&] { return !items_.empty() || closed_ || run_.Aborted(); });
        if (run_.Aborted() || items_.empty())
            return false;
        item = std::move(items_.front());
        items_.pop_front();
        run_.Changed().notify_all();
        return true;
    }

    // Pops from `first` while it has items, else from `second`; waits while
    // both are empty and either is open.  The queue popped (0 or 1), or -1
    // once both have ended or the run is aborted.  Both queues must belong
    // to one run control: its lock guards them both.
    static int PopEither(BoundedQueue &first, BoundedQueue &second, T &item)
    {
        RunControl &run = first.run_;
        std::unique_lock<std::mutex> lock(run.Mutex());
        run.Changed().wait(lock, [&] {
            return !first.items_.empty() || !second.items_.empty() || (first.closed_ && second.closed_) ||
                   run.Aborted();
        });
        if (run.Aborted())
            return -1;
        for (BoundedQueue *q : {&first, &second}) {
            if (q->items_.empty())
                continue;
            item = std::move(q->items_.front());
            q->items_.pop_front();
            run.Changed().notify_all();
            return q == &first ? 0 : 1;
        }
        return -1;
    }

    void Close()
    {
        std::lock_guard<std::mutex> lock(run_.Mutex());
        closed_ = true;
        run_.Changed().notify_all();
    }

private:
    RunControl &run_;
    size_t capacity_;
    std::deque<T> items_;   // under run_.Mutex()
    bool closed_ = false;   // under run_.Mutex()
};

} // namespace dvdc

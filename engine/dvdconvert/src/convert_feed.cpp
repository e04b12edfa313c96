// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert_feed.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

namespace dvdc {

namespace {

constexpr int kChunk = 64 * 1024;
constexpr size_t kChunksAhead = 4;   // at most 256 KB read ahead

// A reader whose reading ended before it gave a single byte, with the disc
// gone or nothing of it readable: why, for the job's failure ("" when it
// simply ended).
std::string ReadEndedAtOnce(const TitleReader &reader)
{
    const std::vector<DamagedRegion> damaged = reader.Damaged();
    return damaged.empty() || damaged.back().end == ReadEnd::None ? std::string() : damaged.back().told;
}

} // namespace

struct ReadFeed::State {
    std::atomic<bool> stop{false};   // declared before the reader, which looks at it
    mutable std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::vector<uint8_t>> chunks;
    bool ended = false;
    bool given = false;   // the reader gave some bytes
    std::string error;
    std::unique_ptr<TitleReader> reader;   // set once by the feed's thread
    std::atomic<TitleReader *> open{nullptr};

    static void Run(std::shared_ptr<State> self, ReaderOpener opener)
    {
        std::string error;
        std::unique_ptr<TitleReader> reader = self->stop ? nullptr : opener(error);
        opener = nullptr;
        if (reader) {
            reader->SetStopFlag(&self->stop);
            std::lock_guard lock(self->mutex);
            self->reader = std::move(reader);
            self->open = self->reader.get();
        }
        TitleReader *r = self->open.load();
        while (r && !self->stop) {
            {
                std::unique_lock lock(self->mutex);
                self->changed.wait(lock, [&] { return self->chunks.size() < kChunksAhead || self->stop; });
                if (self->stop)
                    break;
            }
            std::vector<uint8_t> chunk(kChunk);
            const int n = r->Read(chunk.data(), kChunk);
            if (n <= 0)
                break;
            chunk.resize(size_t(n));
            std::lock_guard lock(self->mutex);
            self->given = true;
            self->chunks.push_back(std::move(chunk));
            self->changed.notify_all();
        }
        std::lock_guard lock(self->mutex);
        if (!r)
            self->error = error.empty() ? "the title cannot be read" : error;
        else if (!self->stop && !self->given)
            self->error = ReadEndedAtOnce(*r);
        self->ended = true;
        self->changed.notify_all();
    }
};

ReadFeed::ReadFeed(ReaderOpener open) : state_(std::make_shared<State>())
{
    std::thread(&State::Run, state_, std::move(open)).detach();
}

ReadFeed::~ReadFeed() { Stop(); }

void ReadFeed::Stop()
{
    state_->stop = true;
    std::lock_guard lock(state_->mutex);
    state_->changed.notify_all();
}

std::string ReadFeed::Error() const
{
    std::lock_guard lock(state_->mutex);
    return state_->error;
}

int ReadFeed::Read(uint8_t *buffer, int size) { return Read(buffer, size, nullptr); }

int ReadFeed::Read(uint8_t *buffer, int size, const std::function<void()> &waiting)
{
    int copied = 0;
    while (copied < size) {
        if (chunkPos_ == chunk_.size()) {
            if (copied > 0)
                break;   // hand out what there is rather than wait
            std::unique_lock lock(state_->mutex);
            const auto ready = [&] { return !state_->chunks.empty() || state_->ended || state_->stop; };
            while (!state_->changed.wait_for(lock, kWaitingCall, ready)) {
                if (!waiting)
                    continue;
                lock.unlock();
                waiting();
                lock.lock();
            }
            if (state_->stop || !state_->error.empty())
                return -1;
            if (state_->chunks.empty())
                return 0;
            chunk_ = std::move(state_->chunks.front());
            state_->chunks.pop_front();
            chunkPos_ = 0;
            state_->changed.notify_all();
        }
        const size_t n = std::min(size_t(size - copied), chunk_.size() - chunkPos_);
        std::memcpy(buffer + copied, chunk_.data() + chunkPos_, n);
        chunkPos_ += n;
        copied += int(n);
    }
    return copied;
}

int64_t ReadFeed::BytesRead() const
{
    const TitleReader *r = state_->open.load();
    return r ? r->BytesRead() : 0;
}
int64_t ReadFeed::TotalBytes() const
{
    const TitleReader *r = state_->open.load();
    return r ? r->TotalBytes() : 0;
}
int64_t ReadFeed::TimestampOffsetAt(int64_t position) const
{
    const TitleReader *r = state_->open.load();
    return r ? r->TimestampOffsetAt(position) : 0;
}
std::vector<DamagedRegion> ReadFeed::Damaged() const
{
    const TitleReader *r = state_->open.load();
    return r ? r->Damaged() : std::vector<DamagedRegion>{};
}
int64_t ReadFeed::AfterStart() const
{
    const TitleReader *r = state_->open.load();
    return r ? r->AfterStart() : -1;
}
int ReadFeed::ChapterAt(int64_t position) const
{
    const TitleReader *r = state_->open.load();
    return r ? r->ChapterAt(position) : -1;
}

} // namespace dvdc

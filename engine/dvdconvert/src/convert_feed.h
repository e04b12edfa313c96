// SPDX-License-Identifier: GPL-3.0-or-later
// The title's bytes, read from the disc on a thread of their own ahead of
// the demuxer.
//
// A read from a scratched disc can take seconds and cannot be interrupted.
// So the demuxer never calls the disc itself: it takes bytes from this feed,
// whose waits end at once on Stop.  The feed's thread is detached, and all
// it touches (the reader with its own libdvdread handle, the buffered bytes,
// the stop flag) lives in a state it shares with the feed.  A read still in
// flight when the job stops is therefore abandoned safely rather than
// joined: it ends on its own, the thread sees the stop, lets go of the state
// and the last owner frees the reader.  Nobody waits for the disc — the
// window's thread least of all — and nothing the thread uses can go away
// under it.
#pragma once

#include "title_reader.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace dvdc {

// Opens a reader; runs on the feed's thread, as opening reads the disc.
using ReaderOpener = std::function<std::unique_ptr<TitleReader>(std::string &error)>;

class ReadFeed final : public TitleReader {
public:
    explicit ReadFeed(ReaderOpener open);
    ~ReadFeed() override;   // stops the feed; never waits for the disc

    // Up to `size` bytes; 0 at the end of the title; -1 once stopped, when
    // the reader could not be opened, or when it read nothing at all before
    // its reading ended (Error() says why).
    int Read(uint8_t *buffer, int size) override;
    // The same; while it waits for the disc, `waiting` is called every
    // kWaitingCall (on the calling thread, no lock held).
    int Read(uint8_t *buffer, int size, const std::function<void()> &waiting);
    static constexpr std::chrono::milliseconds kWaitingCall{200};
    // Ends the feed: a waiting Read returns at once, the reader stops before
    // its next read.
    void Stop();
    std::string Error() const;

    // The reader's, once it is open.
    int64_t BytesRead() const override;
    int64_t TotalBytes() const override;
    int64_t TimestampOffsetAt(int64_t position) const override;
    std::vector<DamagedRegion> Damaged() const override;
    int64_t AfterStart() const override;
    int ChapterAt(int64_t position) const override;

    struct State;

private:
    std::shared_ptr<State> state_;
    std::vector<uint8_t> chunk_;   // the bytes being handed out
    size_t chunkPos_ = 0;
};

} // namespace dvdc

// SPDX-License-Identifier: GPL-3.0-or-later
// Timestamps of one title made continuous, stream by stream.
//
// The title reader already applies the clock restarts the nav packs announce.
// What is left are jumps nothing explains: a damaged timestamp, or a clock
// restart a disc forgot to mark.  A jump of more than about a second forward
// or backward from where a stream would go on is taken as a restart of that
// stream's clock and rebased, so a damaged time costs only the packets it is
// really on; a single outlier is followed by a jump back that rebases again.
//
// A stream may also simply be absent for a while (a stretch without sound,
// or without pictures, or the long silences between subpictures).  When it
// comes back its times jump by the length of its absence, and the other
// streams went on by as much meanwhile: that jump is kept, the gap is real.
// A jump the others do not confirm is rebased; after an absence it is
// rebased onto where the others have got to, not onto where the stream
// stopped.  The first packet of a stream is held against the others too.
// Times are 33-bit: a step across the wrap is not a jump.
#pragma once

#include <cstdint>
#include <map>

namespace dvdc {

class TimestampNormaliser {
public:
    static constexpr int64_t kNoTime = INT64_MIN;   // AV_NOPTS_VALUE
    // A larger step than this from the expected time is a discontinuity.
    static constexpr int64_t kMaxJump = 90000;
    // How far one stream's packets may travel ahead of another's of the same
    // time in the multiplex (pictures wait in the decoder's buffer).
    static constexpr int64_t kMuxLead = 90000;

    // Rebases one packet of `stream` in place (90 kHz ticks; either may be
    // kNoTime).  `duration` is the packet's length, 0 when unknown.
    void Apply(int stream, int64_t &pts, int64_t &dts, int64_t duration);

    // How many discontinuities were rebased so far.
    int Rebased() const { return rebased_; }

private:
    struct Stream {
        int64_t offset = 0;          // added to the stream's times
        int64_t lastRaw = kNoTime;   // the last time as read (unwrapped)
        int64_t wrap = 0;            // multiples of 2^33 added
        int64_t expected = kNoTime;  // where the next packet should start (rebased)
        int64_t lastDuration = 0;
        int64_t lastTime = kNoTime;      // the last packet's start (rebased)
        int64_t titleAtLast = kNoTime;   // title_ just after that packet
    };
    // The stream's time past any 33-bit wraps.
    int64_t Unwrap(Stream &s, int64_t raw) const;
    // Moves the stream's offset when its time jumped without the title.
    void Rebase(Stream &s, int64_t t);
    std::map<int, Stream> streams_;
    // Where the title has got: the latest start (rebased) of any packet.
    // Starts, not ends, so that a subpicture's long display time does not
    // count; the furthest, so that a stream back from an absence only
    // catches up with it.
    int64_t title_ = kNoTime;
    int rebased_ = 0;
};

} // namespace dvdc

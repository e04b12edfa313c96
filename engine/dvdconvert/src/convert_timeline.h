// Timestamps of one title made continuous, stream by stream.
//
// The title reader already applies the clock restarts the nav packs announce.
// What is left are jumps nothing explains: a damaged timestamp, or a clock
// restart a disc forgot to mark.  A jump of more than about a second forward
// or backward from where a stream would go on is taken as a restart of that
// stream's clock and rebased, so a damaged time costs only the packets it is
// really on; a single outlier is followed by a jump back that rebases again.
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
    };
    std::map<int, Stream> streams_;
    int rebased_ = 0;
};

} // namespace dvdc

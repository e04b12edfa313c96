#include "convert_timeline.h"

#include <algorithm>
#include <cstdlib>

namespace dvdc {

namespace {
constexpr int64_t kWrap = int64_t(1) << 33;
} // namespace

void TimestampNormaliser::Apply(int stream, int64_t &pts, int64_t &dts, int64_t duration)
{
    // Continuity follows the decoding order: the decode time when there is one.
    const int64_t raw = dts != kNoTime ? dts : pts;
    if (raw == kNoTime)
        return;
    Stream &s = streams_[stream];
    int64_t t = raw + s.wrap;
    if (s.lastRaw != kNoTime) {
        // Across the 33-bit wrap, time goes on from just below 2^33 to near 0.
        if (t - s.lastRaw < -kWrap / 2) {
            s.wrap += kWrap;
            t += kWrap;
        } else if (t - s.lastRaw > kWrap / 2) {
            s.wrap -= kWrap;
            t -= kWrap;
        }
    }
    const int64_t step = duration > 0 ? duration : s.lastDuration;
    if (s.expected != kNoTime && std::llabs(t + s.offset - s.expected) > kMaxJump) {
        // Lined up with where the stream would have gone on.
        s.offset = s.expected - t;
        ++rebased_;
    }
    const int64_t delta = s.offset + (t - raw);
    if (pts != kNoTime)
        pts += delta;
    if (dts != kNoTime)
        dts += delta;
    s.lastRaw = t;
    s.lastDuration = step;
    s.expected = std::max(s.expected == kNoTime ? INT64_MIN : s.expected, t + s.offset + step);
}

} // namespace dvdc

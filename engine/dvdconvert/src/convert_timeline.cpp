// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert_timeline.h"

#include <algorithm>
#include <cstdlib>

namespace dvdc {

namespace {
constexpr int64_t kWrap = int64_t(1) << 33;
} // namespace

int64_t TimestampNormaliser::Unwrap(Stream &s, int64_t raw) const
{
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
    } else if (title_ != kNoTime) {
        // A stream that starts late starts on the wrap the others are on.
        while (t - title_ > kWrap / 2) {
            s.wrap -= kWrap;
            t -= kWrap;
        }
        while (t - title_ < -kWrap / 2) {
            s.wrap += kWrap;
            t += kWrap;
        }
    }
    return t;
}

void TimestampNormaliser::Rebase(Stream &s, int64_t t)
{
    if (s.expected == kNoTime) {
        // A first time far from where the others are is damaged (or on a
        // clock of its own): it starts where the title is.  Without another
        // stream nothing can tell.
        if (title_ != kNoTime && std::llabs(t - title_) > kMaxJump + kMuxLead) {
            s.offset = title_ - t;
            ++rebased_;
        }
        return;
    }
    if (std::llabs(t + s.offset - s.expected) <= kMaxJump)
        return;
    // How far the others took the title since this stream's last packet.
    // Between packets of a stream that is there, a packet or two; much
    // more, and the stream was absent.  From where the title was then to
    // where it is now, so a lead the pictures keep in the multiplex
    // cancels out; a stream that was itself the furthest when it stopped
    // comes up short by its lead, which the tolerance below takes.
    const int64_t wentOn = title_ - s.titleAtLast;
    const bool absent = wentOn > kMaxJump / 2;
    // The gap is real when this stream moved on as far as the others,
    // give or take a change in the lead and a packet.
    // Or, forward, it comes back where the title is now (a packet let out
    // late before the gap makes the first measure come up short).
    const int64_t now = t + s.offset;
    const int64_t tolerance = kMuxLead + kMaxJump / 2;
    const bool confirmed = absent && (std::llabs(now - s.lastTime - wentOn) <= tolerance ||
                                      (now > s.expected && std::llabs(now - title_) <= tolerance));
    if (!confirmed) {
        // Lined up with where the stream would have gone on; after an
        // absence, that is as far on as the others went.
        s.offset = (absent ? s.lastTime + wentOn : s.expected) - t;
        ++rebased_;
    }
}

void TimestampNormaliser::Apply(int stream, int64_t &pts, int64_t &dts, int64_t duration)
{
    // Continuity follows the decoding order: the decode time when there is one.
    const int64_t raw = dts != kNoTime ? dts : pts;
    if (raw == kNoTime)
        return;
    Stream &s = streams_[stream];
    const int64_t t = Unwrap(s, raw);
    const int64_t step = duration > 0 ? duration : s.lastDuration;
    Rebase(s, t);
    const int64_t delta = s.offset + (t - raw);
    if (pts != kNoTime)
        pts += delta;
    if (dts != kNoTime)
        dts += delta;
    s.lastRaw = t;
    s.lastDuration = step;
    s.expected = std::max(s.expected == kNoTime ? INT64_MIN : s.expected, t + s.offset + step);
    s.lastTime = t + s.offset;
    title_ = std::max(title_ == kNoTime ? INT64_MIN : title_, s.lastTime);
    // A packet the multiplexer let out late (the last before a gap often is)
    // arrives when the title is already far on: what the title reached
    // counts from no further than a lead past the packet's own time.
    s.titleAtLast = std::min(title_, s.lastTime + kMuxLead);
}

} // namespace dvdc

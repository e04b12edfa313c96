// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_fields.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <limits>

namespace dvdc {

namespace {

// A weave is clean when its combing is at most this share of another's.
constexpr double kCleanShare = 0.4;
// Below this spread between the weaves nothing moves enough to tell.
constexpr double kMovingSpread = 1.5;
constexpr double kMovingLevels = 0.05;   // ... nor below this, in grey levels
// A neighbour's field this much closer to the frame's own field than the
// kept fields are to each other is a repeat of it: weaving it changes nothing.
constexpr double kRepeatShare = 0.25;
// Only a weave about as combed as the frame itself (within this share) can be one.
constexpr double kSameCombing = 0.25;

constexpr double kNone = std::numeric_limits<double>::infinity();

const uint8_t *Row(const LumaPlane &p, int y) { return p.data + ptrdiff_t(y) * p.stride; }

// How far the rows of parity `odd` taken from `other` stand out from the
// rows of `kept` above and below them: per sampled pixel, the distance to
// the nearer neighbour when both lie on the same side, else 0.
double Combing(const LumaPlane &kept, const LumaPlane &other, int odd)
{
    int64_t sum = 0;
    int64_t count = 0;
    const int w = kept.width;
    for (int y = 2 - odd; y + 1 < kept.height; y += 2) {
        const uint8_t *a = Row(kept, y - 1), *b = Row(other, y), *c = Row(kept, y + 1);
        int rowSum = 0;
        for (int x = 0; x < w; x += 2) {
            const int up = a[x] - b[x], down = c[x] - b[x];
            const int above = std::min(up, down), below = std::min(-up, -down);
            rowSum += std::max(0, std::max(above, below));
        }
        sum += rowSum;
        count += (w + 1) / 2;
    }
    return count ? double(sum) / double(count) : 0.0;
}

// Mean absolute difference of the rows of parity `odd` (every other pixel).
double FieldDistance(const LumaPlane &a, const LumaPlane &b, int odd, int rowStep)
{
    int64_t sum = 0;
    int64_t count = 0;
    for (int y = odd; y < a.height; y += rowStep) {
        const uint8_t *p = Row(a, y), *q = Row(b, y);
        int rowSum = 0;
        for (int x = 0; x < a.width; x += 2)
            rowSum += std::abs(p[x] - q[x]);
        sum += rowSum;
        count += (a.width + 1) / 2;
    }
    return count ? double(sum) / double(count) : 0.0;
}

} // namespace

FieldJudgement JudgeFields(const LumaPlane *previous, const LumaPlane &current, const LumaPlane *next,
                           bool topFirst)
{
    FieldJudgement j;
    if (current.height < 4 || current.width < 2)
        return j;
    const int odd = topFirst ? 1 : 0;   // the parity of the field replaced
    const double own = Combing(current, current, odd);
    double keptMoved = -1;   // measured when first needed
    auto weave = [&](const LumaPlane *n) {
        if (!n)
            return kNone;
        const double combing = Combing(current, *n, odd);
        if (combing < own * (1 - kSameCombing) || combing > own * (1 + kSameCombing))
            return combing;   // a different picture, whatever else it is
        if (keptMoved < 0)
            keptMoved = FieldDistance(previous ? *previous : *next, current, 1 - odd, 2);
        return FieldDistance(*n, current, odd, 2) < kRepeatShare * keptMoved ? kNone : combing;
    };
    const double fromPrevious = weave(previous), fromNext = weave(next);
    const double other = std::min(fromPrevious, fromNext);
    if (other == kNone)
        return j;
    double high = own;
    for (double v : {fromPrevious, fromNext})
        if (v != kNone)
            high = std::max(high, v);
    const double low = std::min(own, other);
    if (high - low < kMovingLevels || high < kMovingSpread * low)
        return j;
    if (own <= kCleanShare * other) {
        j.look = FieldLook::Whole;
    } else if (other <= kCleanShare * own) {
        j.look = FieldLook::Matched;
        j.partner = fromPrevious <= fromNext ? -1 : 1;
    } else {
        j.look = FieldLook::Combed;
    }
    return j;
}

double PictureDistance(const LumaPlane &a, const LumaPlane &b)
{
    return FieldDistance(a, b, 0, 2);
}

void LookCounts::Add(FieldLook look)
{
    switch (look) {
    case FieldLook::Still: ++still; break;
    case FieldLook::Whole: ++whole; break;
    case FieldLook::Matched: ++matched; break;
    case FieldLook::Combed: ++combed; break;
    }
}

bool Deinterlaces(FieldLook look, const LookCounts &around)
{
    switch (look) {
    case FieldLook::Combed: return around.matched > 0 || around.combed >= around.whole;
    case FieldLook::Still: return around.combed > around.whole + around.matched;
    default: return false;
    }
}

bool Telecined(const LookCounts &around)
{
    return around.matched >= 2 && around.matched * 2 >= around.combed;
}

} // namespace dvdc

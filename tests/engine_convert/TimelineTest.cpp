// SPDX-License-Identifier: GPL-3.0-or-later
// The timestamp normaliser on hand-made sequences: what a damaged or oddly
// mastered disc does to the times of its packets.
#include "convert_timeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using dvdc::TimestampNormaliser;
constexpr int64_t kNone = TimestampNormaliser::kNoTime;
constexpr int64_t kFrame = 3003;    // one NTSC picture in 90 kHz ticks
constexpr int64_t kSound = 2880;    // one AC3 frame
constexpr int kVideo = 0, kAudio = 1;

// Feeds times of one stream (decode order, no separate decode time) and
// returns what comes out.
std::vector<int64_t> Feed(TimestampNormaliser &n, int stream, const std::vector<int64_t> &times, int64_t step)
{
    std::vector<int64_t> out;
    for (int64_t t : times) {
        int64_t pts = t, dts = kNone;
        n.Apply(stream, pts, dts, step);
        out.push_back(pts);
    }
    return out;
}

std::vector<int64_t> Steady(int64_t start, int count, int64_t step)
{
    std::vector<int64_t> v;
    for (int i = 0; i < count; ++i)
        v.push_back(start + i * step);
    return v;
}

// One stream of a title: the times its packets really belong at, their
// place in the multiplex (as a time; normally the same) and the times they
// carry.
struct Track {
    std::vector<int64_t> at, mux, times;
    Track(int64_t from, int64_t to, int64_t step)
    {
        for (int64_t t = from; t < to; t += step)
            at.push_back(t);
        times = mux = at;
    }
    // No packets belonging in [from, to).
    Track &Absent(int64_t from, int64_t to)
    {
        for (size_t i = at.size(); i-- > 0;)
            if (at[i] >= from && at[i] < to) {
                at.erase(at.begin() + long(i));
                mux.erase(mux.begin() + long(i));
                times.erase(times.begin() + long(i));
            }
        return *this;
    }
    // The last packet before `gap` is multiplexed `by` later than its time.
    Track &LetOutLate(int64_t gap, int64_t by)
    {
        const size_t i = size_t(std::lower_bound(at.begin(), at.end(), gap) - at.begin());
        if (i > 0)
            mux[i - 1] += by;
        return *this;
    }
    // The packets belonging at or after `from` carry times `by` off.
    Track &Shift(int64_t from, int64_t by)
    {
        for (size_t i = 0; i < at.size(); ++i)
            if (at[i] >= from)
                times[i] += by;
        return *this;
    }
};

struct Muxed {
    std::vector<int64_t> video, sound;
};

// Interleaves pictures and sound as a program stream does, the pictures
// `lead` ahead of the sound of the same time, and normalises them.
Muxed FeedMuxed(TimestampNormaliser &n, const Track &video, const Track &sound, int64_t lead)
{
    Muxed out;
    size_t v = 0, a = 0;
    while (v < video.at.size() || a < sound.at.size()) {
        const bool picture =
            a == sound.at.size() || (v < video.at.size() && video.mux[v] - lead <= sound.mux[a]);
        int64_t pts = picture ? video.times[v++] : sound.times[a++], dts = kNone;
        n.Apply(picture ? kVideo : kAudio, pts, dts, picture ? kFrame : kSound);
        (picture ? out.video : out.sound).push_back(pts);
    }
    return out;
}

constexpr int64_t kSecond = 90000;
// How far pictures travel ahead of their sound in the cases below.
const int64_t kLeads[] = {0, kSecond * 9 / 10};

// Each output time is one step after the one before.
void ExpectSteady(const std::vector<int64_t> &out, int64_t step, int64_t slack = 0)
{
    for (size_t i = 1; i < out.size(); ++i)
        ASSERT_NEAR(double(out[i] - out[i - 1]), double(step), double(slack)) << "at packet " << i;
}

TEST(Timeline, SteadyTimesAndSmallStepsPassUnchanged)
{
    TimestampNormaliser n;
    auto in = Steady(90000, 50, kFrame);
    in[20] += 45000;   // half a second late: not a discontinuity
    EXPECT_EQ(Feed(n, kVideo, in, kFrame), in);
    EXPECT_EQ(n.Rebased(), 0);
}

TEST(Timeline, JumpsForwardAndBackAreRebasedOntoTheTimeline)
{
    for (const int64_t jump : {int64_t(600) * 90000, int64_t(-40) * 90000, int64_t(2) * 90000}) {
        SCOPED_TRACE(jump);
        TimestampNormaliser n;
        auto in = Steady(90000, 60, kFrame);
        for (size_t i = 30; i < in.size(); ++i)
            in[i] += jump;   // the clock restarts in the middle
        const auto out = Feed(n, kVideo, in, kFrame);
        ExpectSteady(out, kFrame);
        EXPECT_EQ(out.back(), 90000 + 59 * kFrame);
        EXPECT_EQ(n.Rebased(), 1);
    }
}

TEST(Timeline, ASingleDamagedTimeCostsAtMostAFrame)
{
    TimestampNormaliser n;
    auto in = Steady(0, 100, kFrame);
    in[40] += int64_t(600) * 90000;   // one picture 600 s ahead
    const auto out = Feed(n, kVideo, in, kFrame);
    // The title keeps its length: within a frame of the undamaged one.
    EXPECT_NEAR(double(out.back()), double(99 * kFrame), double(kFrame));
    for (size_t i = 1; i < out.size(); ++i)
        EXPECT_LE(out[i] - out[i - 1], 2 * kFrame) << i;
}

TEST(Timeline, TheWrapAt33BitsIsNoJump)
{
    TimestampNormaliser n;
    const int64_t wrap = int64_t(1) << 33;
    std::vector<int64_t> in;
    for (int i = 0; i < 40; ++i)
        in.push_back((wrap - 20 * kFrame + i * kFrame) % wrap);
    const auto out = Feed(n, kVideo, in, kFrame);
    ExpectSteady(out, kFrame);
    EXPECT_EQ(n.Rebased(), 0);
    EXPECT_EQ(out.back(), wrap + 19 * kFrame);
}

TEST(Timeline, BothStreamsDamagedAtOnceStayTogether)
{
    // An unmarked restart of the whole title's clock.  The small ones are
    // where a stream that has not jumped yet could pass for a confirmation.
    for (const int64_t jump : {int64_t(3600) * 90000, int64_t(14) * 9000, -int64_t(14) * 9000}) {
        SCOPED_TRACE(jump);
        TimestampNormaliser n;
        std::vector<int64_t> video, sound;
        // Interleaved like a program stream: a picture, then its sound.
        for (int i = 0; i < 90; ++i) {
            int64_t vp = i * kFrame + (i >= 45 ? jump : 0), vd = kNone;
            n.Apply(kVideo, vp, vd, kFrame);
            video.push_back(vp);
            int64_t sp = i * kFrame + 600 + (i >= 45 ? jump : 0), sd = kNone;
            n.Apply(kAudio, sp, sd, kFrame);
            sound.push_back(sp);
        }
        ExpectSteady(video, kFrame);
        ExpectSteady(sound, kFrame);
        // Sound stays where it was against the pictures after the damage.
        EXPECT_EQ(sound.back() - video.back(), 600);
        EXPECT_EQ(n.Rebased(), 2);
    }
}

TEST(Timeline, AStreamAbsentForAWhileComesBackInPlace)
{
    // Five seconds without sound, then without pictures, while the other
    // stream goes on: the gap is the disc's, the times are right.
    for (const int64_t lead : kLeads) {
        SCOPED_TRACE(lead);
        {
            TimestampNormaliser n;
            const Track video(kSecond, 20 * kSecond, kFrame);
            const Track sound = Track(kSecond, 20 * kSecond, kSound).Absent(8 * kSecond, 13 * kSecond);
            const auto out = FeedMuxed(n, video, sound, lead);
            EXPECT_EQ(out.sound, sound.times);
            EXPECT_EQ(out.video, video.times);
            EXPECT_EQ(n.Rebased(), 0);
        }
        {
            TimestampNormaliser n;
            const Track video = Track(kSecond, 20 * kSecond, kFrame).Absent(8 * kSecond, 13 * kSecond);
            const Track sound(kSecond, 20 * kSecond, kSound);
            const auto out = FeedMuxed(n, video, sound, lead);
            EXPECT_EQ(out.video, video.times);
            EXPECT_EQ(out.sound, sound.times);
            EXPECT_EQ(n.Rebased(), 0);
        }
    }
}

TEST(Timeline, AGapAfterAPacketLetOutLateIsStillTheDiscs)
{
    // The multiplexer often lets the last packet before a gap out late, when
    // the other stream is already seconds on; the stream's return must not
    // look like a jump from there.
    for (const int64_t lead : kLeads) {
        SCOPED_TRACE(lead);
        {
            TimestampNormaliser n;
            const Track video(kSecond, 12 * kSecond, kFrame);
            const Track sound =
                Track(kSecond, 12 * kSecond, kSound).Absent(4 * kSecond, 7 * kSecond).LetOutLate(4 * kSecond, 28 * kSecond / 10);
            const auto out = FeedMuxed(n, video, sound, lead);
            EXPECT_EQ(out.sound, sound.times);
            EXPECT_EQ(n.Rebased(), 0);
        }
        {
            TimestampNormaliser n;
            const Track video =
                Track(kSecond, 12 * kSecond, kFrame).Absent(4 * kSecond, 7 * kSecond).LetOutLate(4 * kSecond, 28 * kSecond / 10);
            const Track sound(kSecond, 12 * kSecond, kSound);
            const auto out = FeedMuxed(n, video, sound, lead);
            EXPECT_EQ(out.video, video.times);
            EXPECT_EQ(n.Rebased(), 0);
        }
    }
}

TEST(Timeline, AStreamBackFromAbsenceOnAWrongClockIsRebasedOntoTheOthers)
{
    for (const int64_t lead : kLeads) {
        SCOPED_TRACE(lead);
        // The sound comes back 600 s off...
        TimestampNormaliser n;
        const Track video(kSecond, 20 * kSecond, kFrame);
        const Track sound =
            Track(kSecond, 20 * kSecond, kSound).Absent(8 * kSecond, 13 * kSecond).Shift(13 * kSecond, 600 * kSecond);
        const auto out = FeedMuxed(n, video, sound, lead);
        EXPECT_EQ(out.video, video.times);
        EXPECT_EQ(n.Rebased(), 1);
        // ...and lands where it belongs, not where it stopped.
        const size_t back = size_t(std::lower_bound(sound.at.begin(), sound.at.end(), 13 * kSecond) - sound.at.begin());
        ASSERT_LT(back, sound.at.size());
        for (size_t i = back; i < out.sound.size(); ++i)
            ASSERT_NEAR(double(out.sound[i]), double(sound.at[i]), double(kFrame)) << "at sound packet " << i;

        // The whole title's clock restarts unmarked while the sound is away:
        // the pictures are rebased, and the sound follows them.
        TimestampNormaliser m;
        const Track restarted = Track(kSecond, 20 * kSecond, kFrame).Shift(10 * kSecond, -40 * kSecond);
        const Track quiet =
            Track(kSecond, 20 * kSecond, kSound).Absent(8 * kSecond, 13 * kSecond).Shift(10 * kSecond, -40 * kSecond);
        const auto both = FeedMuxed(m, restarted, quiet, lead);
        ExpectSteady(both.video, kFrame);
        for (size_t i = 0; i < both.sound.size(); ++i)
            ASSERT_NEAR(double(both.sound[i]), double(quiet.at[i]), double(kFrame)) << "at sound packet " << i;
    }
}

TEST(Timeline, AStreamsFirstTimeIsHeldAgainstTheOthers)
{
    for (const int64_t lead : kLeads) {
        SCOPED_TRACE(lead);
        const Track video(kSecond, 20 * kSecond, kFrame);
        {
            // Sound that starts late starts on the title's time.
            TimestampNormaliser n;
            const Track sound(6 * kSecond, 20 * kSecond, kSound);
            EXPECT_EQ(FeedMuxed(n, video, sound, lead).sound, sound.times);
            EXPECT_EQ(n.Rebased(), 0);
        }
        for (const bool onlyTheFirst : {true, false}) {
            // Its first time damaged, or all of it on a clock of its own.
            SCOPED_TRACE(onlyTheFirst);
            TimestampNormaliser n;
            Track sound(6 * kSecond, 20 * kSecond, kSound);
            sound.Shift(6 * kSecond, 600 * kSecond);
            if (onlyTheFirst)
                sound.Shift(6 * kSecond + 1, -600 * kSecond);
            const auto out = FeedMuxed(n, video, sound, lead);
            for (size_t i = 0; i < out.sound.size(); ++i)
                ASSERT_NEAR(double(out.sound[i]), double(sound.at[i]), double(lead + kFrame)) << "at sound packet " << i;
            ExpectSteady(out.sound, kSound, lead + kFrame);
        }
    }
}

TEST(Timeline, DecodeTimesLeadAndPresentationMovesWithThem)
{
    // Pictures with B-frames: decode times steady, presentation reordered.
    TimestampNormaliser n;
    std::vector<int64_t> pts;
    for (int i = 0; i < 30; ++i) {
        const int64_t jump = i >= 15 ? -int64_t(100) * 90000 : 0;
        int64_t d = 90000 + i * kFrame + jump;
        int64_t p = d + (i % 3 == 0 ? 3 * kFrame : 0);
        n.Apply(kVideo, p, d, kFrame);
        EXPECT_EQ(d, 90000 + i * kFrame) << i;
        pts.push_back(p - d);
    }
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(pts[size_t(i)], i % 3 == 0 ? 3 * kFrame : 0) << i;
}

TEST(Timeline, PacketsWithoutTimesAreLeftAlone)
{
    TimestampNormaliser n;
    int64_t p = kNone, d = kNone;
    n.Apply(kAudio, p, d, kSound);
    EXPECT_EQ(p, kNone);
    EXPECT_EQ(d, kNone);
}

} // namespace

// The timestamp normaliser on hand-made sequences: what a damaged or oddly
// mastered disc does to the times of its packets.
#include "convert_timeline.h"

#include <gtest/gtest.h>

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
    TimestampNormaliser n;
    std::vector<int64_t> video, sound;
    // Interleaved like a program stream: a picture, then its sound.
    const int64_t jump = int64_t(3600) * 90000;
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

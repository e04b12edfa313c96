// SPDX-License-Identifier: GPL-3.0-or-later
// Whole conversions of titles where one stream is missing for a stretch,
// stops early, or both streams' clocks jump together: the file keeps the
// title's true length and every sound stays on the picture it belongs to.
// The titles are 30-frame beats, each a white flash with a tone at the same
// instant, so a place is measured in the file to a frame.
#include "ConvertSupport.h"
#include "DamagedInputs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace {

// The spec only gives the job its source description: NTSC 4:3, AC3 at 0x80.
ct::SourceSpec BeatSpec()
{
    ct::SourceSpec spec;
    spec.seconds = 10;
    return spec;
}

std::string Join(const std::vector<double> &v)
{
    std::string s;
    for (const double x : v)
        s += std::to_string(x).substr(0, 6) + " ";
    return s;
}

// The starts in `times` are exactly the beats `beats` after `origin`, each
// within two frames.
void ExpectOnBeats(const std::vector<double> &times, double origin, const std::set<int> &beats, const char *what)
{
    SCOPED_TRACE(std::string(what) + " at " + Join(times) + "(first flash " + std::to_string(origin) + ")");
    std::set<int> found;
    for (const double t : times) {
        const int beat = int(std::lround((t - origin) / ct::kBeatSeconds));
        EXPECT_NEAR(t, origin + beat * ct::kBeatSeconds, 0.067) << "beat " << beat;
        found.insert(beat);
    }
    EXPECT_EQ(found, beats);
    EXPECT_EQ(times.size(), beats.size());
}

class StreamGaps : public ::testing::Test {
protected:
    void SetUp() override { dir = ct::MakeTempDir(); }
    void TearDown() override { ct::RemoveTree(dir); }

    // Converts a beat source; the output's path.
    std::string Convert(const std::string &input, const char *name)
    {
        const std::string path = dir + "/" + name + ".mp4";
        [&] { ASSERT_NO_FATAL_FAILURE(ct::ConvertInput(BeatSpec(), input, path)); }();
        return path;
    }
    std::string dir;
};

const std::set<int> kAllBeats{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
// The beats outside the 3.5 to 6.5 s stretch.
const std::set<int> kBeatsOutsideTheGap{0, 1, 2, 3, 7, 8, 9};

TEST_F(StreamGaps, SoundMissingForAStretchIsSilenceAndTheSoundAfterItStaysInPlace)
{
    const std::string input = ct::MakeBeatSource(dir, {"audio", 10});
    ASSERT_FALSE(input.empty());
    const std::string path = Convert(input, "sound-gap");
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_NEAR(ct::Duration(path), 10.0, 0.1);
    const auto flashes = ct::FlashStarts(path);
    ASSERT_FALSE(flashes.empty());
    ExpectOnBeats(flashes, flashes[0], kAllBeats, "flashes");
    // Silence in the gap, the tones after it on their flashes.
    ExpectOnBeats(ct::ToneStarts(path), flashes[0], kBeatsOutsideTheGap, "tones");
    EXPECT_LT(ct::SoundLevel(path, flashes[0] + 4 * ct::kBeatSeconds + 0.4), 0.01);
    EXPECT_GT(ct::SoundLevel(path, flashes[0] + 8 * ct::kBeatSeconds), 0.1);
}

TEST_F(StreamGaps, PicturesMissingForAStretchHoldTheLastOneAndTheSoundStaysInPlace)
{
    const std::string input = ct::MakeBeatSource(dir, {"video", 10});
    ASSERT_FALSE(input.empty());
    const std::string path = Convert(input, "picture-gap");
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_NEAR(ct::Duration(path), 10.0, 0.1);
    const auto flashes = ct::FlashStarts(path);
    ASSERT_FALSE(flashes.empty());
    ExpectOnBeats(flashes, flashes[0], kBeatsOutsideTheGap, "flashes");
    ExpectOnBeats(ct::ToneStarts(path), flashes[0], kAllBeats, "tones");
    // Over the gap the last picture before it (a dark one) is shown.
    const auto held = ct::FrameAt(path, flashes[0] + 5 * ct::kBeatSeconds + 0.02, 64, 48);
    ASSERT_EQ(held.size(), 64u * 48 * 3);
    EXPECT_LT(ct::MeanRgb(held, 64, 0, 0, 64, 48).g, 80);
}

// Pictures missing for longer than the output keeps sound waiting for them:
// the last picture is held as the sound goes on, so none of the sound in the
// gap is lost (were it left waiting, the sound past the buffer's cap would be
// dropped).
TEST_F(StreamGaps, PicturesMissingForLongerThanTheSoundCanWaitKeepAllTheSound)
{
    ct::BeatSource source{"video", 46};
    source.seconds = 46;
    source.gapTo = 43.5;
    const std::string input = ct::MakeBeatSource(dir, source);
    ASSERT_FALSE(input.empty());
    const std::string path = Convert(input, "long-picture-gap");
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_NEAR(ct::Duration(path), 46.0, 0.1);
    const auto flashes = ct::FlashStarts(path);
    ASSERT_FALSE(flashes.empty());
    std::set<int> all;
    for (int beat = 0; beat * ct::kBeatSeconds < 45.9; ++beat)
        all.insert(beat);
    ExpectOnBeats(ct::ToneStarts(path), flashes[0], all, "tones");
}

TEST_F(StreamGaps, SoundEndingEarlyLeavesThePicturesLengthWithSilenceAtTheEnd)
{
    const std::string input = ct::MakeBeatSource(dir, {"", 7});
    ASSERT_FALSE(input.empty());
    const std::string path = Convert(input, "sound-short");
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_NEAR(ct::Duration(path), 10.0, 0.1);
    const auto flashes = ct::FlashStarts(path);
    ASSERT_FALSE(flashes.empty());
    ExpectOnBeats(flashes, flashes[0], kAllBeats, "flashes");
    ExpectOnBeats(ct::ToneStarts(path), flashes[0], {0, 1, 2, 3, 4, 5, 6}, "tones");
    // The sound runs to the end of the pictures, silent after 7 s.
    const auto audio = ct::PacketTimes(path, "a:0");
    ASSERT_FALSE(audio.empty());
    EXPECT_NEAR(audio.back(), 10.0, 0.15);
    EXPECT_LT(ct::SoundLevel(path, 8.2), 0.01);
}

TEST_F(StreamGaps, BothClocksJumpingTogetherKeepTheLengthAndTheSync)
{
    const std::string clean = ct::MakeBeatSource(dir, {"", 10});
    ASSERT_FALSE(clean.empty());
    auto data = ct::ReadAll(clean);
    // An unmarked clock restart 20 s ahead, near the middle (mid-beat 5).
    ASSERT_GT(ct::ShiftAllTimesFrom(data, data.size() / 2, int64_t(20) * 90000), 50);
    const std::string input = dir + "/jump.vob";
    ct::WriteAll(input, data);
    const std::string path = Convert(input, "jump");
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_NEAR(ct::Duration(path), 10.0, 0.1);
    const auto flashes = ct::FlashStarts(path);
    ASSERT_FALSE(flashes.empty());
    ExpectOnBeats(flashes, flashes[0], kAllBeats, "flashes");
    ExpectOnBeats(ct::ToneStarts(path), flashes[0], kAllBeats, "tones");
    const auto audio = ct::PacketTimes(path, "a:0");
    ASSERT_FALSE(audio.empty());
    EXPECT_NEAR(audio.back(), 10.0, 0.15);
}

// Each damaged input converts within the clean runs' memory and a margin:
// a generous bound that only an unbounded buffer (pictures or sound queued
// while the other stream waits out a gap or a far-off time) breaks.  The
// peak of the process is kept, so after the clean runs it only rises if a
// damaged run needs more than they did.
class DamagedMemory : public StreamGaps {};

TEST_F(DamagedMemory, DamagedInputsNeedNoMoreMemoryThanACleanRun)
{
    ct::SourceSpec detailed;
    detailed.seconds = 8;
    detailed.detailed = true;
    const std::string cleanDetailed = ct::MakeSource(detailed);
    const std::string cleanBeats = ct::MakeBeatSource(dir, {"", 10});
    ASSERT_FALSE(cleanBeats.empty());
    const std::string out = dir + "/out.mp4";
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer keeps freed memory in quarantine: the process's peak measures that";
#endif
    ASSERT_NO_FATAL_FAILURE(ct::ConvertInput(detailed, cleanDetailed, out));
    ASSERT_NO_FATAL_FAILURE(ct::ConvertInput(BeatSpec(), cleanBeats, out));
    const long clean = ct::PeakRssKb();

    const size_t middle = ct::ReadAll(cleanDetailed).size() / 2;
    auto jump = ct::ReadAll(cleanBeats);
    ct::ShiftAllTimesFrom(jump, jump.size() / 2, int64_t(20) * 90000);
    ct::WriteAll(dir + "/jump.vob", jump);
    struct Case {
        const char *name;
        ct::SourceSpec spec;
        std::string input;
    };
    const Case cases[] = {
        {"picture time 600 s ahead", detailed,
         ct::PatchOneTime(cleanDetailed, dir + "/picture.vob", 0xE0, middle, int64_t(600) * 90000)},
        {"sound time 3600 s ahead", detailed,
         ct::PatchOneTime(cleanDetailed, dir + "/sound.vob", 0xBD, middle, int64_t(3600) * 90000)},
        {"sound missing 3 s", BeatSpec(), ct::MakeBeatSource(dir, {"audio", 10})},
        {"pictures missing 3 s", BeatSpec(), ct::MakeBeatSource(dir, {"video", 10})},
        {"sound ending 3 s early", BeatSpec(), ct::MakeBeatSource(dir, {"", 7})},
        {"both clocks 20 s ahead", BeatSpec(), dir + "/jump.vob"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.input.empty());
        ASSERT_NO_FATAL_FAILURE(ct::ConvertInput(c.spec, c.input, out));
        EXPECT_LT(ct::PeakRssKb() - clean, 64 * 1024) << "clean peak " << clean << " KB";
    }
}

} // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// Conversions of program streams with one damaged timestamp: the file keeps
// the title's length and the sound goes on in its place after the damage.
#include "ConvertSupport.h"
#include "DamagedInputs.h"

#include <gtest/gtest.h>

namespace {

class DamagedTimes : public ::testing::Test {
protected:
    void SetUp() override { dir = ct::MakeTempDir(); }
    void TearDown() override { ct::RemoveTree(dir); }
    std::string dir;
};

TEST_F(DamagedTimes, APictureOrSoundTimeFarOffKeepsTheLengthAndTheSound)
{
    ct::SourceSpec spec;
    spec.seconds = 8;
    spec.detailed = true;
    const std::string clean = ct::MakeSource(spec);
    const size_t middle = ct::ReadAll(clean).size() / 2;
    struct Case {
        const char *name;
        uint8_t id;
        int64_t delta;
    };
    for (const Case c : {Case{"picture ahead", 0xE0, int64_t(600) * 90000},
                         Case{"picture behind", 0xE0, -int64_t(5) * 90000},
                         Case{"sound ahead", 0xBD, int64_t(3600) * 90000}}) {
        SCOPED_TRACE(c.name);
        const std::string input = ct::PatchOneTime(clean, dir + "/damaged.vob", c.id, middle, c.delta);
        ASSERT_FALSE(input.empty());
        const std::string path = dir + "/out.mp4";
        ASSERT_NO_FATAL_FAILURE(ct::ConvertInput(spec, input, path));
        // The title's length, within a frame or two for the damaged spot.
        EXPECT_NEAR(ct::Duration(path), 8.0, 0.1);
        // Sound goes on after the damage, in its place.
        EXPECT_GT(ct::SoundLevel(path, 5.5), 0.1);
        EXPECT_NEAR(ct::ToneHz(path, 5.5), 440, 20);
        const auto audio = ct::PacketTimes(path, "a:0");
        ASSERT_FALSE(audio.empty());
        EXPECT_NEAR(audio.back(), 8.0, 0.15);
    }
}

} // namespace

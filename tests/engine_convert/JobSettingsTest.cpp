// SPDX-License-Identifier: GPL-3.0-or-later
// What a job runs with, through the C interface as the program sends it: an
// adjustment (quality, volume, crop, audio offset) holds for the job it was
// set for and no later one, and a job's parameters are checked on their own
// while its crops are checked when it starts.
#include "ApiHost.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

using namespace apitest;

class JobSettings : public ::testing::Test {
protected:
    void SetUp() override { dir = ct::MakeTempDir(); }
    void TearDown() override { ct::RemoveTree(dir); }
    std::string dir;
};

// libx264 writes its settings into the stream: "subme=0" is the fastest
// preset (quality 0), "subme=7" its default (quality 50).
std::string X264Option(const std::string &path, const std::string &name)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    const std::string bytes = all.str();
    const size_t at = bytes.find(" " + name + "=");
    if (at == std::string::npos)
        return {};
    const size_t from = at + name.size() + 2;
    return bytes.substr(from, bytes.find(' ', from) - from);
}

// Title 2 of the test disc: 2 s of a red 4:3 picture and a 1000 Hz tone.
constexpr int kRedTitle = 1;

TEST_F(JobSettings, AnAdjustmentHoldsForItsOwnJobOnly)
{
    ApiHost host;
    ASSERT_TRUE(host.Open());
    const std::string adjusted = dir + "/adjusted.mp4", plain = dir + "/plain.mp4";

    // The first job with every adjustment the program sends only while it is
    // not neutral: quality 0, volume 2, half the picture cropped away on
    // the left, the sound a second late.
    Converter_SetVideoQuality(host.h, 0);
    Converter_SetSoundCof(host.h, 2.0f);
    ASSERT_TRUE(SetJob(host.h, kRedTitle, 0, 0, DC_CODEC_H264)) << Converter_GetLastError(host.h);
    Converter_SetCrops(host.h, 0, 0, 360, 0);
    Converter_SetImageParam(host.h, 0, 0, 0, 0);
    Converter_SetAudioOffset(host.h, -1000);
    ASSERT_TRUE(host.Convert(adjusted)) << Converter_GetLastError(host.h);
    ASSERT_TRUE(host.WaitEnds(1));
    ASSERT_EQ(host.reports.back().progress, 100) << Converter_GetLastError(host.h);
    host.CloseFile();

    // The user set everything back: the program sends none of them.
    ASSERT_TRUE(SetJob(host.h, kRedTitle, 0, 0, DC_CODEC_H264)) << Converter_GetLastError(host.h);
    Converter_SetImageParam(host.h, 0, 0, 0, 0);
    ASSERT_TRUE(host.Convert(plain)) << Converter_GetLastError(host.h);
    ASSERT_TRUE(host.WaitEnds(2));
    ASSERT_EQ(host.reports.back().progress, 100) << Converter_GetLastError(host.h);
    host.CloseFile();

    // The cropped picture keeps its aspect: a narrow red band between black
    // bars.  Uncropped, red reaches the edges.
    const auto left = [](const std::string &path) {
        return ct::MeanRgb(ct::FrameAt(path, 1.0, 320, 240), 320, 4, 100, 40, 40);
    };
    const auto middle = [](const std::string &path) {
        return ct::MeanRgb(ct::FrameAt(path, 1.0, 320, 240), 320, 140, 100, 40, 40);
    };
    EXPECT_LT(left(adjusted).r, 40);
    EXPECT_GT(middle(adjusted).r, 150);
    EXPECT_GT(left(plain).r, 150) << "the crop of the job before is still applied";

    EXPECT_EQ(X264Option(adjusted, "subme"), "0");
    EXPECT_EQ(X264Option(plain, "subme"), "7") << "the quality of the job before is still applied";

    const double loud = ct::SoundLevel(adjusted, 1.2), plainLevel = ct::SoundLevel(plain, 1.2);
    ASSERT_GT(plainLevel, 0.02);
    EXPECT_NEAR(loud / plainLevel, 2.0, 0.3) << "the volume of the job before is still applied";

    EXPECT_NEAR(ct::SoundOnset(adjusted), 1.0, 0.1);
    EXPECT_LT(ct::SoundOnset(plain), 0.1) << "the audio offset of the job before is still applied";
}

TEST_F(JobSettings, WhatWasSetForARefusedJobEndsWithIt)
{
    ApiHost host;
    ASSERT_TRUE(host.Open());
    auto convert = [&](const std::string &path) {
        ASSERT_TRUE(host.Convert(path)) << Converter_GetLastError(host.h);
        ASSERT_TRUE(host.WaitEnds(host.Ends() + 1));
        ASSERT_EQ(host.reports.back().progress, 100) << Converter_GetLastError(host.h);
        host.CloseFile();
    };
    const std::string reference = dir + "/reference.mp4", afterInfo = dir + "/after-info.mp4",
                      afterStart = dir + "/after-start.mp4";
    ASSERT_TRUE(SetJob(host.h, kRedTitle, 0, 0, DC_CODEC_H264)) << Converter_GetLastError(host.h);
    convert(reference);
    ASSERT_GT(ct::SoundLevel(reference, 1.2), 0.02);

    // Quality and volume go before the parameters; the program stops when
    // they are refused.  The next job, with nothing set for it, is plain.
    Converter_SetVideoQuality(host.h, 0);
    Converter_SetSoundCof(host.h, 2.0f);
    EXPECT_FALSE(SetJob(host.h, 7, 0, 0, DC_CODEC_H264));
    ASSERT_TRUE(SetJob(host.h, kRedTitle, 0, 0, DC_CODEC_H264)) << Converter_GetLastError(host.h);
    convert(afterInfo);
    EXPECT_EQ(X264Option(afterInfo, "subme"), "7");
    EXPECT_NEAR(ct::SoundLevel(afterInfo, 1.2) / ct::SoundLevel(reference, 1.2), 1.0, 0.15);

    // A start refused before it reads anything.
    Converter_SetVideoQuality(host.h, 0);
    ASSERT_TRUE(SetJob(host.h, kRedTitle, 0, 0, DC_CODEC_H264)) << Converter_GetLastError(host.h);
    Converter_SetCrops(host.h, 0, 0, 360, 0);
    Converter_SetAudioOffset(host.h, -1000);
    EXPECT_FALSE(host.Convert(""));
    ASSERT_TRUE(SetJob(host.h, kRedTitle, 0, 0, DC_CODEC_H264)) << Converter_GetLastError(host.h);
    convert(afterStart);
    EXPECT_EQ(X264Option(afterStart, "subme"), "7");
    EXPECT_GT(ct::MeanRgb(ct::FrameAt(afterStart, 1.0, 320, 240), 320, 4, 100, 40, 40).r, 150);
    EXPECT_LT(ct::SoundOnset(afterStart), 0.1);
}

TEST_F(JobSettings, ParametersAreCheckedAloneAndCropsWhenTheJobStarts)
{
    ApiHost host;
    ASSERT_TRUE(host.Open());

    // A crop left from before that leaves 10 pixels of the title's 720 is no
    // reason to refuse the parameters: the program sends this job's crop after them.
    Converter_SetCrops(host.h, 0, 0, 710, 0);
    EXPECT_TRUE(SetJob(host.h, kRedTitle, 0, 0, DC_CODEC_H264)) << Converter_GetLastError(host.h);
    // Left in force, it refuses the start, saying why, and writes nothing.
    EXPECT_FALSE(host.Convert(dir + "/narrow.mp4"));
    EXPECT_NE(std::string(Converter_GetLastError(host.h)).find("crop"), std::string::npos)
        << Converter_GetLastError(host.h);
    EXPECT_TRUE(ct::ListDir(dir).empty());

    // A rate is checked when the job starts too, and the parameters stay taken.
    Converter_SetVideoCBRBitrate(host.h, 5);
    EXPECT_TRUE(Converter_SetConvertInfo(host.h, kRedTitle, 0, 0, 320, 240, 0x80, 0, 25000, 1000, 0, DC_CODEC_H264,
                                         1, 1, 0, 0))
        << Converter_GetLastError(host.h);
    EXPECT_FALSE(host.Convert(dir + "/slow.mp4"));
    EXPECT_NE(std::string(Converter_GetLastError(host.h)).find("video bit rate"), std::string::npos)
        << Converter_GetLastError(host.h);
    EXPECT_TRUE(ct::ListDir(dir).empty());

    // The refused crop was for that start only; a crop that fits converts.
    ASSERT_TRUE(SetJob(host.h, kRedTitle, 0, 0, DC_CODEC_H264)) << Converter_GetLastError(host.h);
    Converter_SetCrops(host.h, 8, 8, 8, 8);
    ASSERT_TRUE(host.Convert(dir + "/fits.mp4")) << Converter_GetLastError(host.h);
    ASSERT_TRUE(host.WaitEnds(1));
    EXPECT_EQ(host.reports.back().progress, 100) << Converter_GetLastError(host.h);
    EXPECT_EQ(host.Ends(), 1);
}

} // namespace

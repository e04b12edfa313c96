// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/AdvSettings.h"

#include <gtest/gtest.h>

using namespace pellavan;

TEST(Profiles, AccessorsYieldEngineValuesOfProfiles0And2)
{
    AdvSettings adv;
    adv.ApplyProfile(0);
    EXPECT_EQ(adv.GetFrameSize(0), (FrameSize{320, 240}));
    EXPECT_EQ(adv.GetFrameRate(0), (FrameRate{25000, 1000}));
    EXPECT_EQ(adv.GetVideoBitrate(0), 512);
    EXPECT_EQ(adv.GetAudioBitrate(0), 32);
    EXPECT_EQ(adv.GetSampleRate(), 32000);
    adv.ApplyProfile(2);
    EXPECT_EQ(adv.GetFrameSize(2), (FrameSize{640, 480}));
    EXPECT_EQ(adv.GetFrameRate(2), (FrameRate{30000, 1001}));
    EXPECT_EQ(adv.GetVideoBitrate(2), 1500);
    EXPECT_EQ(adv.GetAudioBitrate(2), 96);
    EXPECT_EQ(adv.GetSampleRate(), 44100);
    adv.SetRateIndex(0);
    EXPECT_EQ(adv.GetFrameRate(2), (FrameRate{-1, -1}));
}

TEST(Profiles, SwitchingReplacesListsAndKeepsFixedOnes)
{
    AdvSettings adv;
    adv.ApplyProfile(1);
    EXPECT_EQ(adv.SizeList().size(), 8u);
    adv.ApplyProfile(2);
    EXPECT_EQ(adv.SizeList().size(), 13u);
    EXPECT_EQ(adv.VideoBitrateList().size(), 9u);
    EXPECT_EQ(adv.AudioBitrateList().size(), 4u);
    EXPECT_EQ(adv.RateList().size(), 9u);
    EXPECT_EQ(SampleRates().size(), 4u);
    EXPECT_EQ(Encoders().size(), 3u);
}

TEST(Profiles, NumberOutsideTheTableLeavesListsEmptyAndRefusesJobs)
{
    AdvSettings adv;
    adv.ApplyProfile(1);
    adv.SetSampleRateIndex(3);
    for (int bad : {8, -1, 12345}) {
        SCOPED_TRACE(bad);
        adv.ApplyProfile(bad);
        EXPECT_EQ(adv.ListProfile(), -1);
        EXPECT_TRUE(adv.SizeList().empty());
        EXPECT_TRUE(adv.RateList().empty());
        EXPECT_EQ(adv.SizeIndex(), -1);
        EXPECT_EQ(adv.VideoBitrateIndex(), -1);
        adv.SetSizeIndex(0); // nothing to select
        EXPECT_EQ(adv.SizeIndex(), -1);
        // Encoder, sample rate and hint stay as profile 1 left them.
        EXPECT_EQ(adv.EncoderIndex(), 2);
        EXPECT_EQ(adv.GetSampleRate(), 48000);
        EXPECT_EQ(adv.ProfileHint(), Profiles()[1].description);
        EXPECT_FALSE(adv.GetVideoBitrate(bad));
        EXPECT_FALSE(adv.GetAudioBitrate(bad));
        EXPECT_FALSE(adv.GetFrameRate(bad));
        EXPECT_FALSE(adv.GetFrameSize(bad));
        EXPECT_STREQ(adv.ProfileProblem(bad), kNoProfileText);
        // Even the right profile number finds no selection in the empty lists.
        EXPECT_FALSE(adv.GetFrameSize(1));
        EXPECT_STREQ(adv.ProfileProblem(1), kNoProfileText);
    }
    adv.ApplyProfile(4);
    EXPECT_EQ(adv.GetFrameSize(4), (FrameSize{320, 240}));
}

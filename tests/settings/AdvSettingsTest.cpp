// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/AdvSettings.h"
#include "settings/SliderTexts.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace pellavan;

TEST(AdvSettings, AheadAndDelayExcludeEachOther)
{
    AdvSettings adv;
    EXPECT_FALSE(adv.TimeEnabled());
    EXPECT_FALSE(adv.AudioOffset());
    EXPECT_EQ(adv.Time(), 1000);

    adv.cheadClick(true);
    EXPECT_TRUE(adv.TimeEnabled());
    EXPECT_EQ(adv.AudioOffset(), 1000);

    adv.cdelayClick(true);
    EXPECT_FALSE(adv.Ahead());
    EXPECT_TRUE(adv.Delay());
    EXPECT_TRUE(adv.TimeEnabled());
    EXPECT_EQ(adv.AudioOffset(), -1000);

    adv.cdelayClick(false);
    EXPECT_FALSE(adv.Ahead());
    EXPECT_FALSE(adv.TimeEnabled());
    EXPECT_FALSE(adv.AudioOffset());

    // Turning one off never turns the other on.
    adv.cdelayClick(true);
    adv.cheadClick(false);
    EXPECT_TRUE(adv.Delay());

    adv.SetTime(0);
    EXPECT_EQ(adv.Time(), 1);
    adv.SetTime(70000);
    EXPECT_EQ(adv.Time(), 60000);
    EXPECT_EQ(adv.AudioOffset(), -60000);
}

TEST(AdvSettings, NeutralQualityAndVolumeSetNothing)
{
    AdvSettings adv;
    EXPECT_FALSE(adv.QualityToSend());
    EXPECT_FALSE(adv.VolumeToSend());
    adv.SetQuality(49);
    EXPECT_EQ(adv.QualityToSend(), 49);
    adv.SetQuality(51);
    EXPECT_EQ(adv.QualityToSend(), 51);
    adv.SetQuality(500);
    EXPECT_EQ(adv.Quality(), 100);

    adv.SetVolume(300);
    EXPECT_FLOAT_EQ(*adv.VolumeToSend(), 3.0f);
    adv.SetVolume(0);
    EXPECT_FLOAT_EQ(*adv.VolumeToSend(), 0.0f);
    adv.SetVolume(-7);
    EXPECT_EQ(adv.Volume(), 0);
    adv.SetVolume(100);
    EXPECT_FALSE(adv.VolumeToSend());
}

TEST(AdvSettings, AngleBeyondTheTitlesCountConvertsAngleZero)
{
    AdvSettings adv;
    adv.SetAngleIndex(3);
    EXPECT_EQ(adv.AngleFor(2), 0);
    EXPECT_EQ(adv.AngleFor(3), 0);
    EXPECT_EQ(adv.AngleFor(4), 3);
    adv.SetAngleIndex(9); // not an item
    EXPECT_EQ(adv.AngleIndex(), 3);
    adv.SetAngleIndex(0);
    EXPECT_EQ(adv.AngleFor(0), 0);
}

TEST(AdvSettings, ProfileChangeResetsOnlyWhatAProfileSets)
{
    AdvSettings adv;
    adv.ApplyProfile(1);
    adv.SetQuality(80);
    adv.SetVolume(150);
    adv.SetAngleIndex(2);
    adv.SetDeinterlace(true);
    adv.cheadClick(true);
    adv.SetTime(250);
    adv.SetKeepAspect(false);
    adv.SetVideoBitrateIndex(9);
    adv.SetSampleRateIndex(0);
    EXPECT_EQ(adv.GetVideoBitrate(1), 3000);

    adv.ApplyProfile(1);
    EXPECT_EQ(adv.GetVideoBitrate(1), 900);
    EXPECT_EQ(adv.GetSampleRate(), 44100);
    EXPECT_TRUE(adv.KeepAspect());
    EXPECT_EQ(adv.Quality(), 80);
    EXPECT_EQ(adv.Volume(), 150);
    EXPECT_EQ(adv.AngleIndex(), 2);
    EXPECT_TRUE(adv.Deinterlace());
    EXPECT_EQ(adv.AudioOffset(), 250);
}

TEST(AdvSettings, AudioBitrateOfProfiles0And3IsAlways32)
{
    AdvSettings adv;
    for (int p : {0, 3}) {
        adv.ApplyProfile(p);
        EXPECT_EQ(adv.GetAudioBitrate(p), 32);
    }
    adv.ApplyProfile(1);
    adv.SetAudioBitrateIndex(5);
    EXPECT_EQ(adv.GetAudioBitrate(1), 320);
    EXPECT_EQ(adv.GetAudioBitrate(0), 32); // a selection beyond profile 0's only item
}

TEST(Captions, ShortestDecimalForms)
{
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(QualityCaption(50), "Video Quality:50");
    EXPECT_EQ(VolumeCaption(100), "Volume:1");
    EXPECT_EQ(VolumeCaption(150), "Volume:1.5");
    EXPECT_EQ(VolumeCaption(5), "Volume:0.05");
    EXPECT_EQ(VolumeCaption(0), "Volume:0");
    EXPECT_EQ(VolumeCaption(300), "Volume:3");
    EXPECT_EQ(HundredthsText(15), "0.15");
    EXPECT_EQ(HundredthsText(-500), "-5");
    EXPECT_EQ(HundredthsText(1000), "10");
    EXPECT_EQ(HundredthsText(-1), "-0.01");
    EXPECT_EQ(HundredthsText(333), "3.33");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(VolumeCaption(150), "Volume:1,5");
    QLocale::setDefault(QLocale::c());
}

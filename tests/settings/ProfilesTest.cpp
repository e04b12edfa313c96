#include "settings/AdvSettings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>
#include <string>

using namespace pellavan;

namespace {

// The number a text like "512 kbps", "22050Hz" or "23.97" starts with.
double LeadingNumber(const char *text) { return std::strtod(text, nullptr); }

std::set<int> ProfilesWithVideoRate(const std::string &text)
{
    std::set<int> out;
    for (int p = 0; p < kProfileCount; ++p)
        for (const auto &item : Profiles()[size_t(p)].videoRates)
            if (item.text == text)
                out.insert(p);
    return out;
}

} // namespace

TEST(Profiles, EveryItemStandsForTheValueItsTextNames)
{
    ASSERT_EQ(Profiles().size(), 8u);
    for (const Profile &p : Profiles()) {
        for (const SizeItem &s : p.sizes)
            EXPECT_EQ(std::to_string(s.width) + "*" + std::to_string(s.height), s.text);
        for (const KbpsItem &k : p.videoRates)
            EXPECT_EQ(std::to_string(k.kbps) + " kbps", k.text);
        for (const KbpsItem &k : p.audioRates)
            EXPECT_EQ(std::to_string(k.kbps) + " kbps", k.text);
        for (const RateItem &r : p.rates) {
            if (std::string(r.text) == "Keep original frame rate") {
                EXPECT_EQ(r.num, -1);
                EXPECT_EQ(r.den, -1);
            } else {
                ASSERT_GT(r.den, 0) << r.text;
                EXPECT_NEAR(double(r.num) / r.den, LeadingNumber(r.text), 0.01) << r.text;
            }
        }
    }
    for (const SampleRateItem &s : SampleRates())
        EXPECT_EQ(std::to_string(s.hz) + "Hz", s.text);
}

TEST(Profiles, EachProfileSelectsItsDefaultItems)
{
    struct Expected {
        const char *encoder, *size, *rate, *video, *audio, *sample;
    };
    const Expected expected[kProfileCount] = {
        {"WMV(wmv)", "320*240", "25", "512 kbps", "32 kbps", "32000Hz"},
        {"WMV(wmv)", "320*240", "25", "900 kbps", "160 kbps", "44100Hz"},
        {"Xvid(MP4)", "640*480", "29.97", "1500 kbps", "96 kbps", "44100Hz"},
        {"WMV(wmv)", "320*240", "30", "640 kbps", "32 kbps", "44100Hz"},
        {"Xvid(MP4)", "320*240", "29.97", "1500 kbps", "96 kbps", "44100Hz"},
        {"H264(MP4)", "640*480", "29.97", "1500 kbps", "96 kbps", "44100Hz"},
        {"WMV(wmv)", "640*480", "29.97", "1500 kbps", "96 kbps", "44100Hz"},
        {"Xvid(MP4)", "640*480", "29.97", "1500 kbps", "96 kbps", "44100Hz"},
    };
    AdvSettings adv;
    for (int p = 0; p < kProfileCount; ++p) {
        SCOPED_TRACE(p);
        adv.SetKeepAspect(false);
        adv.ApplyProfile(p);
        const Expected &e = expected[p];
        EXPECT_STREQ(Encoders()[size_t(adv.EncoderIndex())].text, e.encoder);
        EXPECT_EQ(adv.EncoderIndex(), Profiles()[size_t(p)].encoder);
        EXPECT_STREQ(adv.SizeList()[size_t(adv.SizeIndex())].text, e.size);
        EXPECT_STREQ(adv.RateList()[size_t(adv.RateIndex())].text, e.rate);
        EXPECT_STREQ(adv.VideoBitrateList()[size_t(adv.VideoBitrateIndex())].text, e.video);
        EXPECT_STREQ(adv.AudioBitrateList()[size_t(adv.AudioBitrateIndex())].text, e.audio);
        EXPECT_STREQ(SampleRates()[size_t(adv.SampleRateIndex())].text, e.sample);
        EXPECT_TRUE(adv.KeepAspect());
        EXPECT_EQ(adv.ProfileHint(), Profiles()[size_t(p)].description);
        EXPECT_EQ(adv.ProfileProblem(p), nullptr);
    }
}

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

    EXPECT_EQ(ProfilesWithVideoRate("3000 kbps"), (std::set<int>{1}));
    EXPECT_EQ(ProfilesWithVideoRate("576 kbps"), (std::set<int>{0, 3}));
    for (int p = 0; p < kProfileCount; ++p) {
        bool has720p = false;
        for (const auto &s : Profiles()[size_t(p)].sizes)
            has720p |= std::string(s.text) == "1280*720";
        EXPECT_EQ(has720p, p >= 5) << p;
    }
    // Profile 3 offers no 12 or 15; profiles 0 and 1 no 12, 23.97 or 29.97.
    for (int p : {0, 1, 3})
        for (const auto &r : Profiles()[size_t(p)].rates) {
            const std::string t = r.text;
            EXPECT_TRUE(t != "12" && (p == 3 ? t != "15" : t != "23.97" && t != "29.97")) << p << " " << t;
        }
}

TEST(Profiles, TextsAreKeptAsWritten)
{
    EXPECT_STREQ(Profiles()[5].description, Profiles()[5].text);
    EXPECT_STREQ(Profiles()[0].description, "Windows Media Video format optimized for micorsoft Zune");
    EXPECT_STREQ(Profiles()[6].description, "Stands for Windows Media Video,widely used for network transmission");
    EXPECT_NE(std::string(Profiles()[7].description).find("video comminication,with"), std::string::npos);
}

TEST(Profiles, EncoderCodesAndExtensions)
{
    EXPECT_EQ(EncoderCode(0), 0);
    EXPECT_EQ(EncoderCode(1), 2);
    EXPECT_EQ(EncoderCode(2), 3);
    EXPECT_STREQ(OutputExtension(0), ".mp4");
    EXPECT_STREQ(OutputExtension(1), ".mp4");
    EXPECT_STREQ(OutputExtension(2), ".wmv");
    for (int odd : {-1, 3, 1000}) {
        EXPECT_EQ(EncoderCode(odd), 0);
        EXPECT_STREQ(OutputExtension(odd), ".mp4");
    }
    EXPECT_FALSE(SampleRateHz(-1));
    EXPECT_FALSE(SampleRateHz(4));
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

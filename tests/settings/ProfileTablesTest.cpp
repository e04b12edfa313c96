// The profile tables compared in full with the tables the program is built
// to: every list item in order, every box text and description, spelling
// included, every default selection, the encoders and the sample rates.
#include "settings/Profiles.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

using namespace pellavan;

namespace {

using Texts = std::vector<std::string>;

const Texts kSizesA = {"160*108", "272*208", "288*224", "304*240", "320*240"};
const Texts kSizesB = {"160*108", "272*208", "288*224", "304*240", "320*240", "640*480", "720*480", "720*576"};
const Texts kSizesC = {"160*108", "272*208", "288*224", "304*240", "320*240", "336*240", "400*304",
                       "432*336", "464*352", "480*368", "640*480", "720*480", "720*576"};
const Texts kSizesD = {"160*108", "272*208", "288*224", "304*240", "320*240", "336*240",
                       "400*304", "432*336", "464*352", "480*368", "640*480"};
const Texts kSizesE = {"240*160", "320*240", "480*272", "480*320", "480*368",
                       "512*384", "640*480", "720*480", "1280*720"};
const Texts kRatesA = {"Keep original frame rate", "15", "20", "24", "25", "30"};
const Texts kRatesB = {"Keep original frame rate", "20", "23.97", "24", "25", "29.97", "30"};
const Texts kRatesC = {"Keep original frame rate", "12", "15", "20", "23.97", "24", "25", "29.97", "30"};
const Texts kVideoA = {"256 kbps", "384 kbps", "512 kbps", "576 kbps", "640 kbps"};
const Texts kVideoB = {"256 kbps", "384 kbps", "512 kbps", "640 kbps", "768 kbps",
                       "900 kbps", "1500 kbps", "2000 kbps", "2500 kbps", "3000 kbps"};
const Texts kVideoC = {"256 kbps", "384 kbps", "512 kbps", "640 kbps", "768 kbps",
                       "900 kbps", "1500 kbps", "2000 kbps", "2500 kbps"};
const Texts kAudioA = {"32 kbps"};
const Texts kAudioB = {"64 kbps", "96 kbps", "128 kbps", "160 kbps", "256 kbps", "320 kbps"};
const Texts kAudioC = {"64 kbps", "96 kbps", "128 kbps", "160 kbps"};

struct Expected {
    const char *text;
    int encoder;
    const char *description;
    const Texts &sizes, &rates, &video, &audio;
    ProfileDefaults defaults;   // encoder, size, rate, video, audio, sample rate
};

const Expected kProfiles[kProfileCount] = {
    {"Zune Video - Windows Media Video(*.wmv)", 2, "Windows Media Video format optimized for micorsoft Zune",
     kSizesA, kRatesA, kVideoA, kAudioA, {2, 4, 4, 2, 0, 1}},
    {"Zune 2 Video - Windows Media Video(*.wmv)", 2, "Windows Media Video format optimized for micorsoft Zune 2",
     kSizesB, kRatesA, kVideoB, kAudioB, {2, 4, 4, 5, 3, 2}},
    {"Zune 2 (640*480) MPEG-4 Video(*.mp4)", 1, "MPEG-4 Video profile optimized for micorsoft Zune 2(640*480)",
     kSizesC, kRatesC, kVideoC, kAudioC, {1, 10, 7, 6, 1, 2}},
    {"Zune (320*240) Windows Media Video(*.wmv)", 2,
     "Windows Media Video profile optimized for micorsoft Zune(320*240)", kSizesA, kRatesB, kVideoA, kAudioA,
     {2, 4, 6, 4, 0, 2}},
    {"Zune (320*240) MPEG-4 Video(*.mp4)", 1, "MPEG-4 Video profile optimized for micorsoft Zune(320*240)",
     kSizesD, kRatesC, kVideoC, kAudioC, {1, 4, 7, 6, 1, 2}},
    {"H.264 Video configure", 0, "H.264 Video configure", kSizesE, kRatesC, kVideoC, kAudioC, {0, 6, 7, 6, 1, 2}},
    {"WMV - Windows Media Video(*.wmv)", 2, "Stands for Windows Media Video,widely used for network transmission",
     kSizesE, kRatesC, kVideoC, kAudioC, {2, 6, 7, 6, 1, 2}},
    {"MPEG-4 Movie(*.mp4)", 1,
     "Compression standard for network broadcast and video comminication,with small size and high picture quality",
     kSizesE, kRatesC, kVideoC, kAudioC, {1, 6, 7, 6, 1, 2}},
};

template <class Item> Texts TextsOf(std::span<const Item> items)
{
    Texts out;
    for (const Item &i : items)
        out.emplace_back(i.text);
    return out;
}

} // namespace

TEST(ProfileTables, EveryProfileMatchesItsTableInFull)
{
    ASSERT_EQ(Profiles().size(), size_t(kProfileCount));
    for (int p = 0; p < kProfileCount; ++p) {
        SCOPED_TRACE("profile " + std::to_string(p));
        const Profile &got = Profiles()[size_t(p)];
        const Expected &want = kProfiles[p];
        EXPECT_EQ(std::string(got.text), want.text);
        EXPECT_EQ(got.encoder, want.encoder);
        EXPECT_EQ(std::string(got.description), want.description);
        EXPECT_EQ(TextsOf(got.sizes), want.sizes);
        EXPECT_EQ(TextsOf(got.rates), want.rates);
        EXPECT_EQ(TextsOf(got.videoRates), want.video);
        EXPECT_EQ(TextsOf(got.audioRates), want.audio);
        const ProfileDefaults &d = got.defaults;
        EXPECT_EQ((std::vector<int>{d.encoder, d.size, d.rate, d.video, d.audio, d.sampleRate}),
                  (std::vector<int>{want.defaults.encoder, want.defaults.size, want.defaults.rate,
                                    want.defaults.video, want.defaults.audio, want.defaults.sampleRate}));
        EXPECT_EQ(FindProfile(p), &got);
    }
    EXPECT_EQ(FindProfile(-1), nullptr);
    EXPECT_EQ(FindProfile(kProfileCount), nullptr);
}

TEST(ProfileTables, EveryItemStandsForTheValueItsTextNames)
{
    const std::map<std::string, std::pair<int, int>> pairs = {
        {"Keep original frame rate", {-1, -1}}, {"12", {12000, 1000}}, {"15", {15000, 1000}},
        {"20", {20000, 1000}}, {"23.97", {24000, 1001}}, {"24", {24000, 1000}}, {"25", {25000, 1000}},
        {"29.97", {30000, 1001}}, {"30", {30000, 1000}}};
    for (const Profile &p : Profiles()) {
        SCOPED_TRACE(p.text);
        for (const SizeItem &s : p.sizes)
            EXPECT_EQ(std::to_string(s.width) + "*" + std::to_string(s.height), s.text);
        for (const RateItem &r : p.rates) {
            ASSERT_TRUE(pairs.count(r.text)) << r.text;
            EXPECT_EQ(std::make_pair(r.num, r.den), pairs.at(r.text)) << r.text;
        }
        for (const KbpsItem &k : p.videoRates)
            EXPECT_EQ(std::to_string(k.kbps) + " kbps", k.text);
        for (const KbpsItem &k : p.audioRates)
            EXPECT_EQ(std::to_string(k.kbps) + " kbps", k.text);
    }
}

TEST(ProfileTables, EncodersAndSampleRatesAreFixed)
{
    const auto enc = Encoders();
    ASSERT_EQ(enc.size(), 3u);
    EXPECT_EQ((Texts{enc[0].text, enc[1].text, enc[2].text}), (Texts{"H264(MP4)", "Xvid(MP4)", "WMV(wmv)"}));
    EXPECT_EQ((std::vector<int>{enc[0].codec, enc[1].codec, enc[2].codec}), (std::vector<int>{0, 2, 3}));
    EXPECT_EQ((Texts{enc[0].extension, enc[1].extension, enc[2].extension}), (Texts{".mp4", ".mp4", ".wmv"}));
    EXPECT_EQ((std::vector<int>{EncoderCode(-1), EncoderCode(0), EncoderCode(1), EncoderCode(2), EncoderCode(3)}),
              (std::vector<int>{0, 0, 2, 3, 0}));
    EXPECT_EQ(std::string(OutputExtension(2)), ".wmv");
    EXPECT_EQ(std::string(OutputExtension(7)), ".mp4");

    const auto hz = SampleRates();
    EXPECT_EQ(TextsOf(hz), (Texts{"22050Hz", "32000Hz", "44100Hz", "48000Hz"}));
    std::vector<int> values;
    for (const SampleRateItem &s : hz)
        values.push_back(s.hz);
    EXPECT_EQ(values, (std::vector<int>{22050, 32000, 44100, 48000}));
    EXPECT_EQ(SampleRateHz(3), 48000);
    EXPECT_EQ(SampleRateHz(4), std::nullopt);
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The profile tables compared in full with the tables the program is built
// to, written as those tables are: the named lists, which lists each
// profile offers, and its default selections as the items they select.
#include "settings/AdvSettings.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

using namespace pellavan;

namespace {

using Texts = std::vector<std::string>;

const std::map<std::string, Texts> kLists = {
    {"Sizes A", {"160*108", "272*208", "288*224", "304*240", "320*240"}},
    {"Sizes B", {"160*108", "272*208", "288*224", "304*240", "320*240", "640*480", "720*480", "720*576"}},
    {"Sizes C", {"160*108", "272*208", "288*224", "304*240", "320*240", "336*240", "400*304", "432*336", "464*352",
                 "480*368", "640*480", "720*480", "720*576"}},
    {"Sizes D", {"160*108", "272*208", "288*224", "304*240", "320*240", "336*240", "400*304", "432*336", "464*352",
                 "480*368", "640*480"}},
    {"Sizes E", {"240*160", "320*240", "480*272", "480*320", "480*368", "512*384", "640*480", "720*480", "1280*720"}},
    {"Rates A", {"Keep original frame rate", "15", "20", "24", "25", "30"}},
    {"Rates B", {"Keep original frame rate", "20", "23.97", "24", "25", "29.97", "30"}},
    {"Rates C", {"Keep original frame rate", "12", "15", "20", "23.97", "24", "25", "29.97", "30"}},
    {"Video A", {"256 kbps", "384 kbps", "512 kbps", "576 kbps", "640 kbps"}},
    {"Video B", {"256 kbps", "384 kbps", "512 kbps", "640 kbps", "768 kbps", "900 kbps", "1500 kbps", "2000 kbps",
                 "2500 kbps", "3000 kbps"}},
    {"Video C", {"256 kbps", "384 kbps", "512 kbps", "640 kbps", "768 kbps", "900 kbps", "1500 kbps", "2000 kbps",
                 "2500 kbps"}},
    {"Audio A", {"32 kbps"}},
    {"Audio B", {"64 kbps", "96 kbps", "128 kbps", "160 kbps", "256 kbps", "320 kbps"}},
    {"Audio C", {"64 kbps", "96 kbps", "128 kbps", "160 kbps"}},
};

struct Row {
    const char *text, *encoder, *description;
    Texts lists;      // frame sizes, frame rates, video and audio bit rates
    Texts defaults;   // encoder, frame size, frame rate, video, audio, sample rate
};

const Row kProfileTable[kProfileCount] = {
    {"Zune Video - Windows Media Video(*.wmv)", "WMV(wmv)", "Windows Media Video format optimized for micorsoft Zune",
     {"Sizes A", "Rates A", "Video A", "Audio A"}, {"WMV(wmv)", "320*240", "25", "512 kbps", "32 kbps", "32000Hz"}},
    {"Zune 2 Video - Windows Media Video(*.wmv)", "WMV(wmv)", "Windows Media Video format optimized for micorsoft Zune 2",
     {"Sizes B", "Rates A", "Video B", "Audio B"}, {"WMV(wmv)", "320*240", "25", "900 kbps", "160 kbps", "44100Hz"}},
    {"Zune 2 (640*480) MPEG-4 Video(*.mp4)", "Xvid(MP4)", "MPEG-4 Video profile optimized for micorsoft Zune 2(640*480)",
     {"Sizes C", "Rates C", "Video C", "Audio C"}, {"Xvid(MP4)", "640*480", "29.97", "1500 kbps", "96 kbps", "44100Hz"}},
    {"Zune (320*240) Windows Media Video(*.wmv)", "WMV(wmv)",
     "Windows Media Video profile optimized for micorsoft Zune(320*240)", {"Sizes A", "Rates B", "Video A", "Audio A"},
     {"WMV(wmv)", "320*240", "30", "640 kbps", "32 kbps", "44100Hz"}},
    {"Zune (320*240) MPEG-4 Video(*.mp4)", "Xvid(MP4)", "MPEG-4 Video profile optimized for micorsoft Zune(320*240)",
     {"Sizes D", "Rates C", "Video C", "Audio C"}, {"Xvid(MP4)", "320*240", "29.97", "1500 kbps", "96 kbps", "44100Hz"}},
    {"H.264 Video configure", "H264(MP4)", "H.264 Video configure", {"Sizes E", "Rates C", "Video C", "Audio C"},
     {"H264(MP4)", "640*480", "29.97", "1500 kbps", "96 kbps", "44100Hz"}},
    {"WMV - Windows Media Video(*.wmv)", "WMV(wmv)", "Stands for Windows Media Video,widely used for network transmission",
     {"Sizes E", "Rates C", "Video C", "Audio C"}, {"WMV(wmv)", "640*480", "29.97", "1500 kbps", "96 kbps", "44100Hz"}},
    {"MPEG-4 Movie(*.mp4)", "Xvid(MP4)",
     "Compression standard for network broadcast and video comminication,with small size and high picture quality",
     {"Sizes E", "Rates C", "Video C", "Audio C"}, {"Xvid(MP4)", "640*480", "29.97", "1500 kbps", "96 kbps", "44100Hz"}},
};

template <class Item> Texts TextsOf(std::span<const Item> items)
{
    Texts out;
    for (const Item &i : items)
        out.emplace_back(i.text);
    return out;
}

template <class Item> std::string Selected(std::span<const Item> items, int index)
{
    return index >= 0 && size_t(index) < items.size() ? items[size_t(index)].text : "<none>";
}

} // namespace

// Each profile's texts and lists, and what applying it selects.
TEST(ProfileTables, EveryProfileMatchesItsTableInFull)
{
    ASSERT_EQ(Profiles().size(), size_t(kProfileCount));
    AdvSettings adv;
    for (int p = 0; p < kProfileCount; ++p) {
        SCOPED_TRACE("profile " + std::to_string(p));
        const Profile &got = Profiles()[size_t(p)];
        const Row &want = kProfileTable[p];
        EXPECT_EQ(std::string(got.text), want.text);
        EXPECT_EQ(Selected(Encoders(), got.encoder), want.encoder);
        EXPECT_EQ(std::string(got.description), want.description);
        EXPECT_EQ((std::vector<Texts>{TextsOf(got.sizes), TextsOf(got.rates), TextsOf(got.videoRates),
                                      TextsOf(got.audioRates)}),
                  (std::vector<Texts>{kLists.at(want.lists[0]), kLists.at(want.lists[1]), kLists.at(want.lists[2]),
                                      kLists.at(want.lists[3])}));
        adv.SetKeepAspect(false);
        adv.ApplyProfile(p);
        EXPECT_EQ((Texts{Selected(Encoders(), adv.EncoderIndex()), Selected(adv.SizeList(), adv.SizeIndex()),
                         Selected(adv.RateList(), adv.RateIndex()),
                         Selected(adv.VideoBitrateList(), adv.VideoBitrateIndex()),
                         Selected(adv.AudioBitrateList(), adv.AudioBitrateIndex()),
                         Selected(SampleRates(), adv.SampleRateIndex())}),
                  want.defaults);
        EXPECT_TRUE(adv.KeepAspect());
        EXPECT_EQ(adv.ProfileHint(), want.description);
        EXPECT_EQ(adv.ProfileProblem(p), nullptr);
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
    for (int odd : {-1, 3, 1000}) {
        EXPECT_EQ(EncoderCode(odd), 0) << odd;
        EXPECT_STREQ(OutputExtension(odd), ".mp4") << odd;
    }
    EXPECT_EQ((std::vector<int>{EncoderCode(0), EncoderCode(1), EncoderCode(2)}), (std::vector<int>{0, 2, 3}));
    EXPECT_STREQ(OutputExtension(2), ".wmv");

    const auto hz = SampleRates();
    EXPECT_EQ(TextsOf(hz), (Texts{"22050Hz", "32000Hz", "44100Hz", "48000Hz"}));
    std::vector<int> values;
    for (const SampleRateItem &s : hz)
        values.push_back(s.hz);
    EXPECT_EQ(values, (std::vector<int>{22050, 32000, 44100, 48000}));
    EXPECT_EQ(SampleRateHz(3), 48000);
    EXPECT_EQ(SampleRateHz(-1), std::nullopt);
    EXPECT_EQ(SampleRateHz(4), std::nullopt);
}

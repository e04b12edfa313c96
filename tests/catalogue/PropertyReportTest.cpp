// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/PropertyReport.h"
#include "catalogue/TreeRules.h"
#include "ScriptedEngine.h"

#include <gtest/gtest.h>

using namespace pellavan;
using namespace pellavan::testing;

namespace {

std::vector<std::string> Report(std::vector<ScriptedTitle> titles, DiscCatalogue &disc)
{
    ScriptedEngine engine;
    engine.script.titles = std::move(titles);
    ConverterInstance instance{engine};
    EXPECT_TRUE(LoadDisc(instance, disc, "/media/dvd", "MOVIE"));
    return PropertyReportLines(disc);
}

} // namespace

TEST(PropertyReport, LinesOfATwoTitleDisc)
{
    DiscCatalogue disc;
    ScriptedTitle a = MakeTitle({1000, 0, 2000}, {MakeAudio("English", 0, 0x80, true, 48000, 6)});
    a.angleCount = 2;
    ScriptedTitle b = MakeTitle({3500});
    b.video = TVideoInfo{720, 576, 1, 25, 1, 3};
    auto lines = Report({a, b}, disc);
    const std::vector<std::string> want = {
        "DVD Volume:MOVIE",
        "Total Length:00:00:06:500",
        "Total Title Num:2",
        "--------Title01------------",
        "Length:00:00:03:000",
        "Total Chapter Num:2",
        "Total Angle Num:2",
        "Video:Width:720 Height:480 FPS:29 Format:NTSC Aspect:4:3",
        "Audio01:Language:English Format:AC3 SamepleRate:48000 Channel:6",
        "--------Title02------------",
        "Length:00:00:03:500",
        "Total Chapter Num:1",
        "Total Angle Num:1",
        "Video:Width:720 Height:576 FPS:25 Format:PAL Aspect:16:9",
    };
    EXPECT_EQ(lines, want);
    size_t length = 0;
    for (auto &l : lines)
        length += l.size();
    EXPECT_EQ(lines.size(), 14u);
    EXPECT_EQ(length, 397u);
    // Built afresh from the catalogue every time: a second report is the same text.
    EXPECT_EQ(PropertyReportLines(disc), lines);
}

TEST(PropertyReport, ListsTheStreamsTheAudioNodesStandFor)
{
    DiscCatalogue disc;
    auto lines = Report({MakeTitle({1000}, {MakeAudio("skip", 0, 0x80, false), MakeAudio("fr", 6, 0x89),
                                            MakeAudio("off", 0, 0x82, false)})},
                        disc);
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines.back(), "Audio02:Language:fr Format:DTS SamepleRate:48000 Channel:2");
    EXPECT_EQ(disc.tree.NodeAt(4)->label, "02 DTS fr") << "report and tree number the stream alike";
}

TEST(PropertyReport, EditedNameEmptyTreeAndLongDiscs)
{
    DiscCatalogue disc;
    EXPECT_TRUE(PropertyReportLines(disc).empty());

    std::vector<ScriptedTitle> titles;
    for (int i = 0; i < 99; ++i) {
        ScriptedTitle t = MakeTitle({1000});
        t.playTime = 40 * 3600 * 1000;   // 99 of these overflow 32 bits
        titles.push_back(t);
    }
    auto lines = Report(titles, disc);
    EXPECT_EQ(lines[1], "Total Length:" + FormatPlayTime(INT32_MAX));

    TreeNode &discNode = *disc.tree.DiscNode();
    disc.tree.SetLabel(discNode, EditedLabel(discNode, ".."));
    EXPECT_EQ(PropertyReportLines(disc).front(), "DVD Volume:new_dvd");
}

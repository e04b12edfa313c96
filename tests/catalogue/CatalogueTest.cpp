// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/Catalogue.h"
#include "ScriptedEngine.h"

#include <gtest/gtest.h>

using namespace pellavan;
using namespace pellavan::testing;

namespace {

// The two-title disc: title 0 with a zero-time chapter 1, AC3 + DTS audio and
// one subtitle; title 1 with one chapter and no streams.
EngineScript ExampleDisc()
{
    EngineScript s;
    s.titles.push_back(MakeTitle({1000, 0, 2000}, {MakeAudio("English", 0, 0x80), MakeAudio("Deutsch", 6, 0x89)},
                                 {MakeSub("English", 0x20)}));
    s.titles.push_back(MakeTitle({5000}));
    return s;
}

struct Loaded {
    ScriptedEngine engine;
    DiscCatalogue disc;
    ConverterInstance instance{engine};
    bool Load(const std::string &root = "/media/dvd", const std::string &name = "MOVIE")
    {
        return LoadDisc(instance, disc, root, name);
    }
};

} // namespace

TEST(LoadDisc, BuildsTheExampleTreeNodeByNode)
{
    Loaded l;
    l.engine.script = ExampleDisc();
    ASSERT_TRUE(l.Load());
    struct Row { int level; std::string label; int state; int32_t tag; int image; };
    const std::vector<Row> want = {
        {0, "MOVIE", StateNone, 0, ImageDisc},
        {1, "Title 01 [00:00:03:000]", StateCheckedHot, 0, ImageTitle},
        {2, "Chapter 01 [00:00:01:000]", StateCheckedHot, 0, ImageChapter},
        {2, "Chapter 03 [00:00:02:000]", StateCheckedHot, 0, ImageChapter},
        {2, "Audio Languages", StateNone, 0, ImageAudioGroup},
        {3, "01 AC3 English", StateCheckedHot, 100, ImageAudio},
        {3, "02 DTS Deutsch", StateUncheckedHot, 101, ImageAudio},
        {2, "Sub Titles", StateNone, 0, ImageSubtitleGroup},
        {3, "01 English", StateCheckedHot, 1000, ImageSubtitle},
        {1, "Title 02 [00:00:05:000]", StateUnchecked, 0, ImageTitle},
        {2, "Chapter 01 [00:00:05:000]", StateUnchecked, 0, ImageChapter},
    };
    const auto &nodes = l.disc.tree.Nodes();
    ASSERT_EQ(nodes.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(nodes[i]->level, want[i].level);
        EXPECT_EQ(nodes[i]->label, want[i].label);
        EXPECT_EQ(nodes[i]->state, want[i].state);
        EXPECT_EQ(nodes[i]->data, want[i].tag);
        EXPECT_EQ(nodes[i]->imageIndex, want[i].image);
        EXPECT_EQ(l.disc.tree.AbsoluteIndex(nodes[i]), int(i));
    }
    const TTitleInfo &t0 = l.disc.info.titles[0];
    EXPECT_EQ(t0.listedChapterCount, 2);
    EXPECT_EQ(t0.listedAudioCount, 2);
    EXPECT_EQ(t0.listedSubtitleCount, 1);
    EXPECT_EQ(l.disc.info.listedTitleCount, 2);
    EXPECT_EQ(l.disc.info.titleCount, 2);

    // Disc node bold and open, titles closed, first title selected.
    EXPECT_TRUE(nodes[0]->bold);
    EXPECT_TRUE(nodes[0]->expanded);
    EXPECT_FALSE(nodes[1]->expanded);
    EXPECT_FALSE(nodes[9]->expanded);
    EXPECT_EQ(l.disc.tree.Selected(), nodes[1]);
}

TEST(LoadDisc, CallsTheEngineInTheLoadOrder)
{
    Loaded l;
    l.engine.script = ExampleDisc();
    l.instance.Replace();   // the instance made at start-up
    l.engine.ClearCalls();
    ASSERT_TRUE(l.Load("/media/dvd"));
    const std::vector<std::string> want = {
        "CloseConverter(1)", "CreateConverter()", "Converter_OpenDVD(2, /media/dvd, 1)",
        "Converter_GetTitleCount(2)",
        "Converter_GetChapterCount(2, 0)", "Converter_GetAngleCount(2, 0)", "Converter_GetAudioCount(2, 0)",
        "Converter_GetSubCount(2, 0)", "Converter_GetTitlePlayTime(2, 0)", "Converter_GetVideoInfo(2, 0)",
        "Converter_GetChapterPlayTime(2, 0, 0)", "Converter_GetChapterPlayTime(2, 0, 1)",
        "Converter_GetChapterPlayTime(2, 0, 2)", "Converter_GetAudioInfo(2, 0, 0)",
        "Converter_GetAudioInfo(2, 0, 1)", "Converter_GetSubInfo(2, 0, 0)",
        "Converter_GetChapterCount(2, 1)", "Converter_GetAngleCount(2, 1)", "Converter_GetAudioCount(2, 1)",
        "Converter_GetSubCount(2, 1)", "Converter_GetTitlePlayTime(2, 1)", "Converter_GetVideoInfo(2, 1)",
        "Converter_GetChapterPlayTime(2, 1, 0)",
    };
    EXPECT_EQ(l.engine.calls, want);
    EXPECT_EQ(l.instance.Handle(), 2u);
    EXPECT_EQ(l.engine.OpenHandles(), std::vector<DCHandle>{2});
}

TEST(LoadDisc, RefusedDiscLeavesNothingOfThePreviousOne)
{
    Loaded l;
    l.engine.script = ExampleDisc();
    ASSERT_TRUE(l.Load());
    l.engine.script.openResult = false;
    EXPECT_FALSE(l.Load("/nowhere/"));
    EXPECT_TRUE(l.disc.tree.Empty());
    EXPECT_EQ(l.disc.info.listedTitleCount, 0);
    EXPECT_EQ(l.disc.info.titleCount, 0);
    EXPECT_TRUE(l.disc.info.titles.empty());
    EXPECT_EQ(l.engine.OpenHandles(), std::vector<DCHandle>{l.instance.Handle()});
}

TEST(LoadDisc, SecondDiscReplacesTheFirstCompletely)
{
    Loaded l;
    l.engine.script = ExampleDisc();
    ASSERT_TRUE(l.Load());
    l.disc.tree.SetLabel(*l.disc.tree.DiscNode(), "edited");
    EngineScript one;
    one.titles.push_back(MakeTitle({700}));
    l.engine.script = one;
    ASSERT_TRUE(l.Load("/media/other", "OTHER"));
    EXPECT_EQ(l.disc.info.titleCount, 1);
    EXPECT_EQ(l.disc.info.listedTitleCount, 1);
    ASSERT_EQ(l.disc.info.titles.size(), 1u);
    EXPECT_EQ(l.disc.info.titles[0].playTime, 700);
    ASSERT_EQ(l.disc.tree.Count(), 3u);
    EXPECT_EQ(l.disc.tree.DiscNode()->label, "OTHER");
    EXPECT_EQ(l.disc.tree.NodeAt(1)->state, StateCheckedHot);
}

TEST(LoadDisc, DiscWithoutTitlesHoldsOnlyTheDiscNode)
{
    Loaded l;
    ASSERT_TRUE(l.Load());
    ASSERT_EQ(l.disc.tree.Count(), 1u);
    EXPECT_EQ(l.disc.tree.Selected(), nullptr);
    EXPECT_EQ(l.disc.tree.DiscNode()->state, StateNone);
}

TEST(LoadDisc, BadEngineValuesCountAsNothing)
{
    Loaded l;
    ScriptedTitle t = MakeTitle({-5, 3000}, {MakeAudio("en", 4, 0x80)});
    t.playTime = -1000;
    t.subCount = -3;
    t.angleCount = -1;
    t.video.frameRateDen = 0;
    l.engine.script.titles.push_back(t);
    ASSERT_TRUE(l.Load());
    const TTitleInfo &ti = l.disc.info.titles[0];
    EXPECT_EQ(ti.playTime, 0);
    EXPECT_EQ(ti.subtitleCount, 0);
    EXPECT_EQ(ti.angleCount, 0);
    EXPECT_EQ(ti.chapterTimes, (std::vector<int32_t>{0, 3000}));
    EXPECT_EQ(l.disc.tree.NodeAt(1)->label, "Title 01 [00:00:00:000]");
    EXPECT_EQ(l.disc.tree.NodeAt(2)->label, "Chapter 02 [00:00:03:000]");
    // An unnamed format keeps both separating blanks.
    EXPECT_EQ(l.disc.tree.NodeAt(4)->label, "01  en");
    EXPECT_EQ(VideoLine(ti.video), "Video:Width:720 Height:480 FPS:0 Format:NTSC Aspect:4:3");
}

TEST(LoadDisc, UnlistedStreamsAndEmptyGroups)
{
    Loaded l;
    // Audio stream 1 unlisted; every subtitle but stream 2 unlisted.
    l.engine.script.titles.push_back(MakeTitle(
        {1000}, {MakeAudio("a", 0, 0x80), MakeAudio("b", 0, 0x81, false), MakeAudio("c", 0, 0x82)},
        {MakeSub("x", 0x20, false), MakeSub("y", 0x21, false), MakeSub("z", 0x22)}));
    // No listed audio at all: the subtitle group follows the chapters.
    l.engine.script.titles.push_back(MakeTitle({1000}, {MakeAudio("a", 0, 0x80, false)}, {MakeSub("s", 0x20)}));
    ASSERT_TRUE(l.Load());
    const auto &n = l.disc.tree.Nodes();
    ASSERT_EQ(n.size(), 12u);
    EXPECT_EQ(n[4]->label, "01 AC3 a");
    EXPECT_EQ(n[4]->data, 100);
    EXPECT_EQ(n[4]->state, StateCheckedHot);
    EXPECT_EQ(n[5]->label, "03 AC3 c");
    EXPECT_EQ(n[5]->data, 102);
    EXPECT_EQ(n[5]->state, StateUncheckedHot);
    EXPECT_EQ(n[7]->label, "03 z");
    EXPECT_EQ(n[7]->state, StateUncheckedHot);
    EXPECT_EQ(n[10]->label, "Sub Titles");
    EXPECT_EQ(l.disc.info.titles[1].listedAudioCount, 0);
}

TEST(CatalogueTexts, PlayTimesAndNames)
{
    EXPECT_EQ(FormatPlayTime(0), "00:00:00:000");
    EXPECT_EQ(FormatPlayTime(999), "00:00:00:999");
    EXPECT_EQ(FormatPlayTime(60000), "00:01:00:000");
    EXPECT_EQ(FormatPlayTime(3599999), "00:59:59:999");
    EXPECT_EQ(FormatPlayTime(3723004), "01:02:03:004");
    EXPECT_EQ(FormatPlayTime(360000000), "100:00:00:000");
    EXPECT_EQ(FormatPlayTime(-5), "00:00:00:000");
    EXPECT_EQ(AudioFormatName(6), "DTS");
    EXPECT_EQ(AudioFormatName(4), "");
    EXPECT_EQ(VideoStandardName(1), "PAL");
    EXPECT_EQ(VideoStandardName(2), "");
    EXPECT_EQ(AspectName(3), "16:9");
    EXPECT_EQ(AspectName(1), "");
    char raw[32];
    std::fill(std::begin(raw), std::end(raw), 'x');   // no terminating zero inside the field
    EXPECT_EQ(FieldText(raw).size(), 32u);
}

// A leading zero-time chapter and a leading unlisted stream: nodes stand for
// the engine entries they were made from, not for their places.
TEST(CatalogueEntry, NodesMapToTheEngineEntriesTheyWereMadeFrom)
{
    Loaded l;
    l.engine.script.titles.push_back(MakeTitle({0, 1000, 0, 2000},
                                               {MakeAudio("skip", 0, 0x80, false), MakeAudio("fr", 6, 0x89),
                                                MakeAudio("de", 0, 0x82)},
                                               {MakeSub("no", 0x20, false), MakeSub("it", 0x21)}));
    ASSERT_TRUE(l.Load());
    const auto &n = l.disc.tree.Nodes();
    // 0 disc, 1 title, 2 Chapter 02, 3 Chapter 04, 4 audio group, 5 "02", 6 "03", 7 sub group, 8 "02"
    ASSERT_EQ(n.size(), 9u);
    CatalogueEntry ch = CatalogueEntryOf(l.disc.info, *n[3]);
    EXPECT_EQ(ch.kind, NodeKind::Chapter);
    EXPECT_EQ(ch.firstChapter, 3);
    EXPECT_EQ(ch.lastChapter, 3);

    CatalogueEntry title = CatalogueEntryOf(l.disc.info, *n[1]);
    EXPECT_EQ(title.kind, NodeKind::Title);
    EXPECT_EQ(title.firstChapter, 0);
    EXPECT_EQ(title.lastChapter, 3);
    // No stream 0 was listed, so nothing is checked: none passed.
    EXPECT_EQ(title.audioStreamId, 0);
    EXPECT_EQ(title.subtitleStreamId, 0);

    CatalogueEntry a = CatalogueEntryOf(l.disc.info, *n[5]);
    EXPECT_EQ(a.kind, NodeKind::Audio);
    EXPECT_EQ(a.streamIndex, 1);
    EXPECT_EQ(a.audioStreamId, 0x89);

    l.disc.tree.SetState(*n[6], StateCheckedHot);
    l.disc.tree.SetState(*n[8], StateCheckedHot);
    CatalogueEntry job = CatalogueEntryOf(l.disc.info, *n[2]);
    EXPECT_EQ(job.firstChapter, 1);
    EXPECT_EQ(job.audioStreamId, 0x82);
    EXPECT_EQ(job.subtitleStreamId, 0x21);
    EXPECT_EQ(CatalogueEntryOf(l.disc.info, *n[7]).kind, NodeKind::SubtitleGroup);
    EXPECT_EQ(CatalogueEntryOf(l.disc.info, *n[0]).kind, NodeKind::Disc);
}

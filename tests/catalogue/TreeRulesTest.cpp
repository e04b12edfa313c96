// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/TreeRules.h"
#include "ScriptedEngine.h"

#include <gtest/gtest.h>

using namespace pellavan;
using namespace pellavan::testing;

namespace {

struct TreeFixture : ::testing::Test {
    ScriptedEngine engine;
    DiscCatalogue disc;
    ConverterInstance instance{engine};

    void Load(std::vector<ScriptedTitle> titles)
    {
        engine.script.titles = std::move(titles);
        ASSERT_TRUE(LoadDisc(instance, disc, "/media/dvd", "MOVIE"));
    }
    TreeNode &N(size_t i) { return *disc.tree.NodeAt(i); }
    TreeHit Box(size_t i) { return {&N(i), HitPart::CheckBox}; }
    TreeHit Label(size_t i) { return {&N(i), HitPart::Node}; }
    // A click on a check box: press, then release with no button held.
    bool Click(size_t i)
    {
        TreeMouseDown(disc.tree, disc.info, Box(i));
        return TreeMouseUp(disc.tree, Box(i), false);
    }
    std::vector<int> States()
    {
        std::vector<int> s;
        for (TreeNode *n : disc.tree.Nodes())
            s.push_back(n->state);
        return s;
    }
};

} // namespace

TEST_F(TreeFixture, UncheckingAChapterOfACheckedTitleMakesChapterJobs)
{
    Load({MakeTitle({1000, 2000, 3000})});
    // 1 title, 2..4 chapters.
    EXPECT_TRUE(Click(3));
    EXPECT_EQ(States(), (std::vector<int>{StateNone, StateUnchecked, StateChecked, StateUncheckedHot, StateChecked}));
    EXPECT_TRUE(HasCheckedItems(disc.tree));
}

TEST_F(TreeFixture, ChaptersCheckedOneByOneLeaveTheTitleUnchecked)
{
    Load({MakeTitle({1000}), MakeTitle({1000, 2000, 3000})});
    // 1 title A, 2 its chapter, 3 title B, 4..6 its chapters.
    EXPECT_TRUE(Click(4));
    EXPECT_TRUE(Click(5));
    EXPECT_TRUE(Click(6));
    EXPECT_FALSE(IsChecked(N(3).state));
    EXPECT_TRUE(IsChecked(N(4).state) && IsChecked(N(5).state) && IsChecked(N(6).state));
    // Unchecking everything disables Convert.
    Click(1);
    Click(4), Click(5);
    EXPECT_FALSE(Click(6));
}

TEST_F(TreeFixture, OneStreamPerGroupAndClickingTheCheckedOneClearsIt)
{
    Load({MakeTitle({1000}, {MakeAudio("a", 0, 0x80), MakeAudio("b", 0, 0x81)},
                    {MakeSub("x", 0x20), MakeSub("y", 0x21)})});
    // 3 audio group, 4 audio 0, 5 audio 1, 6 sub group, 7 sub 0, 8 sub 1
    Click(5);
    EXPECT_FALSE(IsChecked(N(4).state));
    EXPECT_TRUE(IsChecked(N(5).state));
    EXPECT_TRUE(IsChecked(N(7).state)) << "the other group is untouched";
    Click(5);
    EXPECT_FALSE(IsChecked(N(4).state) || IsChecked(N(5).state));
    EXPECT_EQ(CatalogueEntryOf(disc.info, N(1)).audioStreamId, 0);
    EXPECT_EQ(CatalogueEntryOf(disc.info, N(1)).subtitleStreamId, 0x20);
}

TEST_F(TreeFixture, CheckingATitleOpensItWithItsGroupsAndUncheckingClosesAll)
{
    Load({MakeTitle({1000}), MakeTitle({1000}, {MakeAudio("a", 0, 0x80)}, {MakeSub("x", 0x20)})});
    TreeNode &title = N(3);
    ASSERT_FALSE(title.expanded);
    Click(3);
    EXPECT_TRUE(title.expanded);
    EXPECT_TRUE(N(5).expanded && N(7).expanded);
    Click(3);
    EXPECT_FALSE(title.expanded || N(5).expanded || N(7).expanded);
    EXPECT_EQ(N(4).state, StateUnchecked);
    // Expanding by hand opens the groups too.
    disc.tree.SetExpanded(title, true);
    ExpandStreamGroups(disc.tree, title);
    EXPECT_TRUE(N(5).expanded && N(7).expanded);
}

TEST_F(TreeFixture, SelectAllAndUnSelectAll)
{
    ScriptedTitle bare;   // no chapters, no streams: a title node without children
    bare.playTime = 500;
    Load({MakeTitle({1000}, {MakeAudio("a", 0, 0x80), MakeAudio("b", 0, 0x81)}), MakeTitle({1000, 2000}), bare});
    // 1 T1, 2 ch, 3 group, 4 a0, 5 a1, 6 T2, 7 ch1, 8 ch2, 9 bare
    Click(8);
    Click(5);
    EXPECT_TRUE(SelectAllItems(disc.tree));
    for (size_t i : {1, 2, 6, 7, 8, 9})
        EXPECT_TRUE(IsChecked(N(i).state)) << i;
    EXPECT_FALSE(IsChecked(N(4).state));
    EXPECT_TRUE(IsChecked(N(5).state));

    EXPECT_FALSE(UnSelectAllItems(disc.tree));
    for (size_t i : {1, 2, 6, 7, 8})
        EXPECT_FALSE(IsChecked(N(i).state)) << i;
    EXPECT_TRUE(IsChecked(N(9).state)) << "a title without children keeps its state";
    EXPECT_TRUE(IsChecked(N(5).state)) << "streams are untouched";
}

TEST_F(TreeFixture, SelectAllOnADiscWithoutTitlesKeepsConvertDisabled)
{
    Load({});
    EXPECT_FALSE(SelectAllItems(disc.tree));
}

TEST_F(TreeFixture, PressMoveAwayAndReleaseOverEmptySpaceTogglesNothing)
{
    Load({MakeTitle({1000, 2000})});
    TreeMouseDown(disc.tree, disc.info, Box(2));
    EXPECT_EQ(N(2).state, StateCheckedPressed);
    TreeMouseMove(disc.tree, TreeHit{}, true);
    EXPECT_EQ(N(2).state, StateCheckedPressed) << "held button keeps the pressed look";
    EXPECT_TRUE(TreeMouseUp(disc.tree, TreeHit{}, false));
    EXPECT_EQ(N(2).state, StateChecked);
    EXPECT_EQ(N(1).state, StateChecked);
}

TEST_F(TreeFixture, MovementLightsOnlyTheBoxUnderThePointer)
{
    Load({MakeTitle({1000}, {MakeAudio("a", 0, 0x80)}), MakeTitle({1000})});
    TreeMouseMove(disc.tree, Box(6), false);
    EXPECT_EQ(States(), (std::vector<int>{StateNone, StateChecked, StateChecked, StateNone, StateChecked,
                                          StateUnchecked, StateUncheckedHot}));
    // On the label rather than the box: nothing is hot.
    TreeMouseMove(disc.tree, Label(6), false);
    EXPECT_EQ(N(6).state, StateUnchecked);
}

TEST_F(TreeFixture, InfoLinesFollowTheEngineEntries)
{
    ScriptedTitle t = MakeTitle({0, 1000}, {MakeAudio("skip", 0, 0x80, false), MakeAudio("fr", 6, 0x89, true, 44100, 6)},
                                {MakeSub("it", 0x20)});
    t.video = TVideoInfo{720, 576, 1, 25, 1, 3};
    Load({MakeTitle({1000}), t});
    // 3 T2, 4 Chapter 02, 5 audio group, 6 "02 DTS fr", 7 sub group, 8 sub
    EXPECT_EQ(TreeMouseDown(disc.tree, disc.info, Label(4)),
              "Video:Width:720 Height:576 FPS:25 Format:PAL Aspect:16:9");
    EXPECT_EQ(TreeMouseDown(disc.tree, disc.info, Label(6)),
              "Audio:Language:fr Format:DTS SamepleRate:44100 Channel:6");
    EXPECT_EQ(TreeMouseDown(disc.tree, disc.info, Label(8)), std::nullopt);
    EXPECT_EQ(TreeMouseDown(disc.tree, disc.info, Label(3)), std::nullopt);
}

TEST_F(TreeFixture, AReleaseOnALabelTogglesNothing)
{
    Load({MakeTitle({1000, 2000}, {MakeAudio("en", 0, 0x80), MakeAudio("fr", 0, 0x81)}), MakeTitle({3000})});
    // Title, chapter and stream labels: pressed and released there, no check
    // mark changes (only the hover look may).
    auto marks = [&] {
        std::vector<int> m;
        for (TreeNode *n : disc.tree.Nodes())
            m.push_back(n->state == StateNone ? -1 : int(IsChecked(n->state)));
        return m;
    };
    for (size_t i = 1; i < disc.tree.Count(); ++i) {
        const std::vector<int> before = marks();
        TreeMouseDown(disc.tree, disc.info, Label(i));
        const bool convertEnabled = TreeMouseUp(disc.tree, Label(i), false);
        EXPECT_EQ(marks(), before) << "node " << i;
        EXPECT_TRUE(convertEnabled) << "node " << i;   // the first title stays checked
    }
}

TEST_F(TreeFixture, InfoLinesAreNeverCut)
{
    // Whatever an engine reports, the line shows all of it.
    Load({MakeTitle({1000}, {MakeAudio("fr", 6, 0x89, true, INT32_MIN, INT32_MIN)})});
    // 0 disc, 1 T1, 2 Chapter 01, 3 audio group, 4 "01 DTS fr"
    EXPECT_EQ(TreeMouseDown(disc.tree, disc.info, Label(4)),
              "Audio:Language:fr Format:DTS SamepleRate:-2147483648 Channel:-2147483648");
}

TEST_F(TreeFixture, DiscNameEditing)
{
    Load({MakeTitle({1000}, {MakeAudio("a", 0, 0x80)})});
    EXPECT_TRUE(CanEditLabel(N(0)));
    for (size_t i = 1; i < disc.tree.Count(); ++i)
        EXPECT_FALSE(CanEditLabel(N(i))) << i;
    EXPECT_EQ(EditedLabel(N(0), "a:b/c.d e\\1*2?3\"4<5>6|7'8"), "abcde12345678");
    EXPECT_EQ(EditedLabel(N(0), "..."), "new_dvd");
    EXPECT_EQ(EditedLabel(N(0), ""), "new_dvd");
}

TEST(StripNameChars, WorksOnUnicodeCharacters)
{
    EXPECT_EQ(StripNameChars("Ünïcödé. Fïlm: 日本語"), "ÜnïcödéFïlm日本語");
    EXPECT_EQ(StripNameChars("🎬 A/B"), "🎬AB");
    EXPECT_EQ(StripNameChars(std::string("a\0b", 3)), "ab");
    EXPECT_EQ(StripNameChars(" . "), "");
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ColorSettings.h"
#include "catalogue/Catalogue.h"
#include "settings/CropState.h"

#include <gtest/gtest.h>

#include <vector>

using namespace pellavan;

TEST(ColorSettings, PresetsCustomAndDragRule)
{
    ColorSettings c;
    c.hue = 200;
    c.vpresetChange(2); // LCD
    EXPECT_EQ(c, (ColorSettings{2, 15, 10, 0, 0}));

    c.bright = 33;
    c.vpresetChange(kCustomPreset);
    EXPECT_EQ(c, (ColorSettings{kCustomPreset, 33, 10, 0, 0}));

    c.vpresetChange(3); // TV
    c.StartDrag();
    EXPECT_EQ(c, (ColorSettings{kCustomPreset, 10, 15, 0, 0}));

    c.vpresetChange(7); // no such preset
    EXPECT_EQ(c.preset, kCustomPreset);
    c.vpresetChange(0);
    EXPECT_EQ(c, ColorSettings{});
}

TEST(ColorSettings, EngineValuesAreHundredths)
{
    ColorSettings c;
    EXPECT_EQ(c.EngineValues(), (std::array<float, 4>{0, 0, 0, 0}));
    c = {4, -100, 1000, -500, 37};
    auto v = c.EngineValues();
    EXPECT_FLOAT_EQ(v[0], -1.0f);
    EXPECT_FLOAT_EQ(v[1], 10.0f);
    EXPECT_FLOAT_EQ(v[2], -5.0f);
    EXPECT_FLOAT_EQ(v[3], 0.37f);
}

TEST(ColorSettings, ClampBringsStoredValuesIntoRange)
{
    ColorSettings c{9, 5000, -5000, 501, 1001};
    c.Clamp();
    EXPECT_EQ(c, (ColorSettings{4, 100, -100, 500, 1000}));
    c = {-3, -101, 1000, -501, -100};
    c.Clamp();
    EXPECT_EQ(c, (ColorSettings{0, -100, 1000, -500, -100}));
}

TEST(CropPreviewTitle, LongestWithTiesToTheLowerIndex)
{
    std::vector<CropTitle> t = {{100, false, 1}, {500, false, 3}, {500, false, 1}, {400, false, 2}};
    EXPECT_EQ(ChoosePreviewTitle(t), 1);
    t[1].excluded = true;
    EXPECT_EQ(ChoosePreviewTitle(t), 2);
    t = {{0, false, 1}, {0, false, 1}};
    EXPECT_FALSE(ChoosePreviewTitle(t));
    t = {{-5, false, 1}, {900, true, 1}};
    EXPECT_FALSE(ChoosePreviewTitle(t));
    EXPECT_FALSE(ChoosePreviewTitle({}));
}

TEST(CropPreviewTitle, TakenFromTheCatalogue)
{
    TDVDInfo info;
    info.titleCount = 2;
    info.titles.resize(3); // an entry beyond titleCount is not a title
    info.titles[0].playTime = 10;
    info.titles[1].playTime = 20;
    info.titles[1].listedChapterCount = 3;
    info.titles[2].playTime = 99;
    EXPECT_TRUE(CropTitles(info).empty()); // no title listed: no disc
    info.listedTitleCount = 2;
    const auto titles = CropTitles(info);
    ASSERT_EQ(titles.size(), 2u);
    EXPECT_EQ(ChoosePreviewTitle(titles), 1);
    EXPECT_EQ(titles[1].listedChapterCount, 3);
}

TEST(CropState, ShowingStartsFromTheWholeFrameWithNoCrop)
{
    CropState c;
    c.SetPicture(720, 480);
    c.Show();
    c.SetTop(20);
    EXPECT_FALSE(c.Margins()); // cancelled: nothing in force
    c.Show();
    EXPECT_EQ(c.Top(), 0);
    EXPECT_EQ(c.Bottom(), 480);
    c.Accept();
    EXPECT_EQ(c.Margins(), (CropMargins{0, 0, 0, 0}));

    c.Show();
    EXPECT_FALSE(c.Accepted());
    c.SetBottom(470);
    c.SetRight(700);
    c.Accept();
    EXPECT_EQ(c.Margins(), (CropMargins{0, 10, 0, 20}));
}

TEST(CropState, BoxesStayInTheirRangesAndFollowANewPicture)
{
    CropState c;
    c.SetPicture(720, 480);
    c.FullScreen();
    c.SetTop(-4);
    c.SetBottom(0);
    c.SetLeft(999);
    c.SetRight(9999);
    EXPECT_EQ(c.Top(), 0);
    EXPECT_EQ(c.Bottom(), 1);
    EXPECT_EQ(c.Left(), 720);
    EXPECT_EQ(c.Right(), 720);
    c.SetPicture(352, 240); // a smaller maximum lowers the values
    EXPECT_EQ(c.Left(), 352);
    EXPECT_EQ(c.Bottom(), 1);
}

TEST(CropState, PaintRectangleTruncates)
{
    CropState c;
    c.SetPicture(720, 480);
    c.FullScreen();
    EXPECT_EQ(c.PaintRect(), (CropRect{0, 0, 303, 228}));
    c.SetTop(20);
    c.SetLeft(7);
    c.SetBottom(470);
    c.SetRight(700);
    // 7*300/720 = 2.9, 20*225/480 = 9.4, 700*300/720 = 291.7, 470*225/480 = 220.3
    EXPECT_EQ(c.PaintRect(), (CropRect{2, 9, 294, 223}));
}

TEST(CropState, NoPictureMeansNoRectangleAndNoCrop)
{
    for (auto [w, h] : {std::pair{0, 0}, std::pair{720, 0}, std::pair{0, 480}, std::pair{-1, 5}}) {
        CropState c;
        c.SetPicture(w, h);
        c.Show();
        EXPECT_FALSE(c.HasPicture());
        EXPECT_EQ(c.Width(), 0);
        EXPECT_EQ(c.Height(), 0);
        EXPECT_FALSE(c.PaintRect());
        c.SetBottom(50);
        EXPECT_EQ(c.Bottom(), 0);
        c.Accept();
        EXPECT_FALSE(c.Accepted());
        EXPECT_FALSE(c.Margins());
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Still previews on the authored discs: each title has its own colour and a
// white bar along the top that grows 100 pixels per second of the title.
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

using namespace enginetest;

namespace {

struct Rgb { int r, g, b; };

Rgb Pixel(const DCPicture &p, int x, int y)
{
    uint32_t v = p.pixels[size_t(y) * size_t(p.stride / 4) + size_t(x)];
    return {int(v >> 16 & 0xff), int(v >> 8 & 0xff), int(v & 0xff)};
}

int BarWidth(const DCPicture &p)
{
    int n = 0;
    for (int x = 0; x < p.width; ++x) {
        Rgb c = Pixel(p, x, 20);
        n += c.r > 200 && c.g > 200 && c.b > 200;
    }
    return n;
}

struct Still {
    DCPicture *p = nullptr;
    explicit Still(DCHandle h) : p(Converter_GetPreview2(h, nullptr, 1)) {}
    ~Still() { Converter_FreePicture(p); }
};

void Step(DCHandle h, int n)
{
    for (int i = 0; i < n; ++i)
        EXPECT_EQ(Converter_GetPreview2(h, nullptr, 0), nullptr);
}

} // namespace

TEST(Preview, StillsShowTheRightTitleAtItsStoredSize)
{
    DCHandle h = OpenConverter(Disc("ntsc"));
    ASSERT_NE(h, 0u);
    struct Case { int title; int w, h; bool red, green, blue; };
    for (const Case &c : {Case{0, 720, 480, true, false, false}, Case{1, 720, 480, false, false, true},
                          Case{2, 720, 480, false, true, false}}) {
        Converter_BeginPreview(h, c.title, 1);
        Still s(h);
        ASSERT_NE(s.p, nullptr) << Converter_GetLastError(h);
        EXPECT_EQ(s.p->width, c.w);
        EXPECT_EQ(s.p->height, c.h);
        EXPECT_EQ(s.p->pixels[0] >> 24, 0xFFu);
        Rgb mid = Pixel(*s.p, c.w / 2, c.h * 2 / 3);
        EXPECT_EQ(mid.r > 150, c.red) << c.title;
        EXPECT_EQ(mid.g > 100, c.green) << c.title;
        EXPECT_EQ(mid.b > 150, c.blue) << c.title;
        Converter_EndPreview(h);
    }
    CloseConverter(h);

    h = OpenConverter(Disc("pal.iso"));
    ASSERT_NE(h, 0u);
    Converter_BeginPreview(h, 1, 0);
    Still s(h);
    ASSERT_NE(s.p, nullptr);
    EXPECT_EQ(s.p->width, 352);
    EXPECT_EQ(s.p->height, 576);
    Rgb mid = Pixel(*s.p, 176, 400);
    EXPECT_TRUE(mid.r > 150 && mid.b > 150 && mid.g < 100);   // magenta
    CloseConverter(h);
}

TEST(Preview, SteppingMovesForwardAcrossChaptersAndStopsAtTheEnd)
{
    DCHandle h = OpenConverter(Disc("ntsc"));
    ASSERT_NE(h, 0u);
    Converter_BeginPreview(h, 0, 1);
    std::vector<int> widths;
    for (int i = 0; i < 4; ++i) {
        Still s(h);
        ASSERT_NE(s.p, nullptr);
        widths.push_back(BarWidth(*s.p));
        Step(h, 1);
    }
    // Half a second per VOBU: 16, 66, 116 pixels in chapter 1, then chapter 2 at 1.5 s.
    EXPECT_NEAR(widths[0], 16, 6);
    EXPECT_NEAR(widths[1], 66, 6);
    EXPECT_NEAR(widths[2], 116, 6);
    EXPECT_NEAR(widths[3], 166, 6);
    Step(h, 100);
    Still last(h);
    ASSERT_NE(last.p, nullptr);
    EXPECT_NEAR(BarWidth(*last.p), 266, 6);   // the last VOBU: chapter 3 at 2.5 s
    CloseConverter(h);
}

TEST(Preview, NoStillWithoutABegunPreview)
{
    LogCapture log;
    DCHandle h = OpenConverter(Disc("ntsc"));
    ASSERT_NE(h, 0u);
    EXPECT_EQ(Converter_GetPreview2(h, nullptr, 1), nullptr);
    Step(h, 1);
    Converter_BeginPreview(h, 7, 1);
    EXPECT_EQ(Converter_GetPreview2(h, nullptr, 1), nullptr);
    EXPECT_NE(std::string(Converter_GetLastError(h)), "");
    Converter_BeginPreview(h, 0, 1);
    Converter_EndPreview(h);
    EXPECT_EQ(Converter_GetPreview2(h, nullptr, 1), nullptr);
    Converter_EndPreview(h);
    Converter_BeginPreview(h, 0, 1);   // a preview left open is freed with the instance
    CloseConverter(h);
    EXPECT_TRUE(log.Contains("no preview"));
}

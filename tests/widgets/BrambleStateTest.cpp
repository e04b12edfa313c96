// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/BrambleBmp.h"

#include <gtest/gtest.h>

using namespace pellavan;

namespace {

constexpr uint32_t kClear = 0xFFFF00FF;

// A w x h picture of `fill` whose 2 x 2 corners are the see-through colour.
BrambleBmp Picture(uint32_t fill, int w = 10, int h = 8)
{
    BrambleBmp b;
    b.width = w;
    b.height = h;
    b.pixels.assign(size_t(w * h), fill);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if ((x < 2 || x >= w - 2) && (y < 2 || y >= h - 2))
                b.pixels[size_t(y * w + x)] = kClear;
    return b;
}

BrambleButtonState FullButton()
{
    BrambleButtonState s;
    s.UpGlyph = Picture(0xFF000001);
    s.ActiveGlyph = Picture(0xFF000002);
    s.DownGlyph = Picture(0xFF000003);
    s.UnEnGlyph = Picture(0xFF000004);
    s.PaintContent();
    return s;
}

} // namespace

TEST(BrambleState, SeeThroughCornersAndEdgesAreOutside)
{
    BrambleButtonState s = FullButton();
    ASSERT_EQ(s.ShownGlyph, BrambleGlyph::Up);
    EXPECT_EQ(s.ShownTransparentColor, kClear);   // the bottom-left pixel's colour

    auto r = s.MouseMove(1, 1);                    // a corner pixel
    EXPECT_FALSE(s.MouseInside);
    EXPECT_FALSE(r.redraw);
    EXPECT_FALSE(r.forwardEvent);
    r = s.MouseDown(MouseButton::Left);            // a press there does nothing
    EXPECT_FALSE(s.Pressed);
    EXPECT_FALSE(r.forwardEvent);
    EXPECT_FALSE(s.MouseUp(MouseButton::Left).click);
    EXPECT_EQ(s.PaintContent(), &s.UpGlyph);

    // Column 0 and row 0 never count, even on a visible pixel.
    s.UpGlyph.pixels.assign(s.UpGlyph.pixels.size(), 0xFF000001);
    s.UpGlyph.pixels[size_t(7 * 10)] = kClear;
    s.PaintContent();
    s.MouseMove(0, 4);
    EXPECT_FALSE(s.MouseInside);
    s.MouseMove(5, 0);
    EXPECT_FALSE(s.MouseInside);
    s.MouseMove(10, 4);                            // one past the right edge
    EXPECT_FALSE(s.MouseInside);
    s.MouseMove(5, 4);
    EXPECT_TRUE(s.MouseInside);
}

TEST(BrambleState, NothingCountsAsInsideBeforeTheFirstPaint)
{
    BrambleButtonState s;
    s.UpGlyph = Picture(0xFF000001);
    s.MouseMove(5, 4);
    EXPECT_FALSE(s.MouseInside);
}

TEST(BrambleState, EnteringShowsTheMouseOverPictureAndStartsOneLeaveCheck)
{
    BrambleButtonState s = FullButton();
    auto r = s.MouseMove(5, 4);
    EXPECT_TRUE(s.MouseInside);
    EXPECT_TRUE(r.redraw);
    EXPECT_TRUE(r.startLeaveTimer);
    EXPECT_TRUE(r.forwardEvent);
    EXPECT_EQ(s.PaintContent(), &s.ActiveGlyph);
    EXPECT_EQ(s.ShownGlyph, BrambleGlyph::Active);

    // Leave and come back while the check is pending: no second timer.
    s.MouseMove(1, 1);
    EXPECT_FALSE(s.MouseMove(5, 4).startLeaveTimer);

    // The check finds the pointer still over the rectangle: nothing changes.
    r = s.LeaveTimerTick(false);
    EXPECT_TRUE(s.MouseInside);
    EXPECT_FALSE(r.redraw);
    // The next entry starts a new check; this time the pointer is gone.
    s.MouseMove(1, 1);
    EXPECT_TRUE(s.MouseMove(5, 4).startLeaveTimer);
    r = s.LeaveTimerTick(true);
    EXPECT_FALSE(s.MouseInside);
    EXPECT_TRUE(r.redraw);
    EXPECT_EQ(s.PaintContent(), &s.UpGlyph);
}

TEST(BrambleState, WithoutActiveGlyphTheUpPictureStays)
{
    BrambleButtonState s;
    s.UpGlyph = Picture(0xFF000001);
    s.PaintContent();
    auto r = s.MouseMove(5, 4);
    EXPECT_TRUE(s.MouseInside);
    EXPECT_FALSE(r.redraw);
    EXPECT_EQ(s.PaintContent(), &s.UpGlyph);
    EXPECT_FALSE(s.MouseLeave().redraw);
    EXPECT_FALSE(s.MouseInside);

    // Disabled without UnEnGlyph shows UpGlyph; with it, UnEnGlyph.
    s.Enabled = false;
    EXPECT_EQ(s.PaintContent(), &s.UpGlyph);
    EXPECT_EQ(s.ShownGlyph, BrambleGlyph::Up);
    s.UnEnGlyph = Picture(0xFF000004);
    EXPECT_EQ(s.PaintContent(), &s.UnEnGlyph);
    EXPECT_EQ(s.ShownGlyph, BrambleGlyph::Disabled);
    // With the disabled picture shown there is no pixel test.
    s.MouseMove(1, 1);
    EXPECT_TRUE(s.MouseInside);
}

TEST(BrambleState, PressLeaveReleaseDoesNotClickButComingBackDoes)
{
    BrambleButtonState s = FullButton();
    s.MouseMove(5, 4);
    s.PaintContent();
    auto r = s.MouseDown(MouseButton::Left);
    EXPECT_TRUE(s.Pressed);
    EXPECT_TRUE(r.redraw);
    EXPECT_EQ(s.PaintContent(), &s.DownGlyph);

    r = s.MouseMove(20, 4);                        // off the button, still held
    EXPECT_FALSE(s.MouseInside);
    EXPECT_TRUE(r.redraw);
    EXPECT_EQ(s.PaintContent(), &s.UpGlyph);
    r = s.MouseUp(MouseButton::Left);
    EXPECT_FALSE(r.click);
    EXPECT_FALSE(s.Pressed);

    s.MouseMove(5, 4);
    s.PaintContent();
    s.MouseDown(MouseButton::Left);
    s.PaintContent();
    s.MouseMove(-3, 4);
    s.PaintContent();
    s.MouseMove(6, 5);                             // back before the release
    EXPECT_EQ(s.PaintContent(), &s.DownGlyph);
    r = s.MouseUp(MouseButton::Left);
    EXPECT_TRUE(r.click);
    EXPECT_EQ(s.PaintContent(), &s.ActiveGlyph);
}

TEST(BrambleState, RightButtonNeverChangesThePictureOrClicks)
{
    BrambleButtonState s = FullButton();
    s.MouseMove(5, 4);
    s.PaintContent();
    auto r = s.MouseDown(MouseButton::Right);
    EXPECT_FALSE(r.redraw);
    EXPECT_FALSE(r.forwardEvent);
    EXPECT_FALSE(s.Pressed);
    r = s.MouseUp(MouseButton::Right);
    EXPECT_FALSE(r.click);
    EXPECT_FALSE(r.redraw);
    EXPECT_EQ(s.PaintContent(), &s.ActiveGlyph);

    // A right release during a left press does not end the press.
    s.MouseDown(MouseButton::Left);
    s.MouseUp(MouseButton::Right);
    EXPECT_TRUE(s.Pressed);
    EXPECT_TRUE(s.MouseUp(MouseButton::Left).click);
}

TEST(BrambleState, ReplacedSmallerPictureIsNotReadOutsideItsPixels)
{
    BrambleButtonState s = FullButton();      // shown: 10 x 8
    s.UpGlyph = Picture(0xFF000001, 4, 4);    // replaced, not yet painted
    s.MouseMove(8, 6);                        // inside the old size only
    EXPECT_TRUE(s.MouseInside);
    s.PaintContent();
    s.MouseMove(8, 6);
    EXPECT_FALSE(s.MouseInside);
}

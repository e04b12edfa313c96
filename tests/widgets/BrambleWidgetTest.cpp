// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/BrambleForm.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// 20 x 10, see-through (magenta) corners, `fill` elsewhere.
QImage Picture(QColor fill, int w = 20, int h = 10)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(fill);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if ((x < 3 || x >= w - 3) && (y < 3 || y >= h - 3))
                img.setPixelColor(x, y, QColor(255, 0, 255));
    return img;
}

struct Fixture {
    QWidget parent;
    TBrambleButton *button;
    Fixture()
    {
        parent.resize(100, 60);
        parent.setAutoFillBackground(true);
        QPalette pal;
        pal.setColor(QPalette::Window, QColor(0, 0, 200));
        parent.setPalette(pal);
        button = new TBrambleButton(&parent);
        button->move(10, 10);
    }
};

} // namespace

TEST(BrambleWidget, UpGlyphSizesTheButton)
{
    Fixture f;
    EXPECT_EQ(f.button->size(), QSize(100, 100));
    f.button->setActiveGlyph(Picture(Qt::green, 30, 30));   // only UpGlyph sizes it
    EXPECT_EQ(f.button->size(), QSize(100, 100));
    f.button->setUpGlyph(Picture(Qt::red));
    EXPECT_EQ(f.button->size(), QSize(20, 10));
}

TEST(BrambleWidget, SeeThroughPixelsShowWhatLiesBelow)
{
    Fixture f;
    f.button->setUpGlyph(Picture(Qt::red));
    f.parent.show();
    const QImage shot = f.parent.grab().toImage();
    EXPECT_EQ(shot.pixelColor(10 + 1, 10 + 1), QColor(0, 0, 200));   // corner: the parent
    EXPECT_EQ(shot.pixelColor(10 + 10, 10 + 5), QColor(Qt::red));
}

TEST(BrambleWidget, ClicksOnlyOnVisiblePixelsWithTheLeftButton)
{
    Fixture f;
    f.button->setUpGlyph(Picture(Qt::red));
    f.button->setActiveGlyph(Picture(Qt::green));
    f.button->setDownGlyph(Picture(Qt::darkGreen));
    f.parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.parent));
    QSignalSpy clicks(f.button, &TBrambleButton::OnClick);

    QTest::mouseClick(f.button, Qt::LeftButton, {}, QPoint(1, 1));   // see-through corner
    EXPECT_EQ(clicks.count(), 0);
    QTest::mouseClick(f.button, Qt::RightButton, {}, QPoint(10, 5));
    EXPECT_EQ(clicks.count(), 0);
    QTest::mouseClick(f.button, Qt::LeftButton, {}, QPoint(10, 5));
    EXPECT_EQ(clicks.count(), 1);

    // Press, leave, release: no click.
    QTest::mousePress(f.button, Qt::LeftButton, {}, QPoint(10, 5));
    EXPECT_EQ(f.button->State().ShownGlyph, pellavan::BrambleGlyph::Down);
    QTest::mouseMove(f.button, QPoint(40, 5));
    QTest::mouseRelease(f.button, Qt::LeftButton, {}, QPoint(40, 5));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(f.button->State().ShownGlyph, pellavan::BrambleGlyph::Up);

    f.button->setEnabled(false);
    QTest::mouseClick(f.button, Qt::LeftButton, {}, QPoint(10, 5));
    EXPECT_EQ(clicks.count(), 1);
}

TEST(BrambleWidget, RightButtonNeverChangesThePicture)
{
    Fixture f;
    f.button->setUpGlyph(Picture(Qt::red));
    f.button->setActiveGlyph(Picture(Qt::green));
    f.button->setDownGlyph(Picture(Qt::darkGreen));
    f.parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.parent));
    QSignalSpy clicks(f.button, &TBrambleButton::OnClick);
    auto shown = [&] { return f.parent.grab().toImage().pixelColor(10 + 10, 10 + 5); };

    // The pointer arrives without a move event (as after a window switch).
    QTest::mousePress(f.button, Qt::RightButton, {}, QPoint(10, 5));
    EXPECT_EQ(f.button->State().ShownGlyph, pellavan::BrambleGlyph::Up);
    EXPECT_EQ(shown(), QColor(Qt::red));
    QTest::mouseRelease(f.button, Qt::RightButton, {}, QPoint(10, 5));
    EXPECT_EQ(shown(), QColor(Qt::red));
    EXPECT_EQ(clicks.count(), 0);

    // Over the button and pressed with the left one: a right press or release
    // leaves the pressed picture alone.
    QTest::mousePress(f.button, Qt::LeftButton, {}, QPoint(10, 5));
    ASSERT_EQ(shown(), QColor(Qt::darkGreen));
    QTest::mousePress(f.button, Qt::RightButton, {}, QPoint(10, 5));
    QTest::mouseRelease(f.button, Qt::RightButton, {}, QPoint(10, 5));
    EXPECT_EQ(shown(), QColor(Qt::darkGreen));
    EXPECT_EQ(clicks.count(), 0);
}

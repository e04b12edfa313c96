// SPDX-License-Identifier: GPL-3.0-or-later
// The crop dialog on the real engine and an authored disc: the stills are
// the title's own frames at its stored size, and "Next Image" moves on in
// time (the authored picture has a white bar that slides right as it plays).
#include "catalogue/Catalogue.h"
#include "engine/ConverterEngine.h"
#include "settings/CropState.h"
#include "settings/Unit7.h"

#include <QFile>
#include <QImage>
#include <QSpinBox>

#include <gtest/gtest.h>

using namespace pellavan;

namespace {

bool Red(QRgb p) { return qRed(p) > 150 && qGreen(p) < 90 && qBlue(p) < 90; }
bool White(QRgb p) { return qRed(p) > 180 && qGreen(p) > 180 && qBlue(p) > 180; }

} // namespace

TEST(CropDialogOnTheRealEngine, ShowsTheLongestTitlesFramesAndStepsOn)
{
    const std::string root = std::string(TEST_DISCS) + "/ntsc";
    if (!QFile::exists(QString::fromStdString(root + "/VIDEO_TS/VIDEO_TS.IFO")))
        GTEST_SKIP() << "test disc not made";
    std::unique_ptr<ConverterEngine> engine = CreateLibraryEngine();
    ConverterInstance instance{*engine};
    DiscCatalogue disc;
    ASSERT_TRUE(LoadDisc(instance, disc, root, "MOVIE"));
    const std::vector<CropTitle> titles = CropTitles(disc.info);
    ASSERT_EQ(ChoosePreviewTitle(titles), 0);   // title 1, red, 78 frames, is the longest

    Tfrmpre pre;
    ASSERT_TRUE(pre.BeginPreview(instance, titles, nullptr));
    QImage first = pre.Picture();
    ASSERT_EQ(first.size(), QSize(720, 480));
    EXPECT_EQ(pre.ebot->maximum(), 480);
    EXPECT_EQ(pre.eright->maximum(), 720);
    EXPECT_TRUE(Red(first.pixel(400, 300)));
    EXPECT_TRUE(Red(first.pixel(200, 20)));   // the bar has not reached x = 200 yet

    pre.btnnextClick();
    const QImage later = pre.Picture();
    ASSERT_EQ(later.size(), QSize(720, 480));
    EXPECT_TRUE(Red(later.pixel(400, 300)));
    EXPECT_TRUE(White(later.pixel(200, 20))) << std::hex << later.pixel(200, 20);
    pre.EndPreview();
    instance.Close();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/JpegPicture.h"

#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

using namespace pellavan;

TEST(JpegPicture, DecodesTheSkinPicture)
{
    QString error;
    const QImage image = LoadJpegFile(QStringLiteral(SKIN_DIR "/zune.jpg"), &error);
    ASSERT_FALSE(image.isNull()) << error.toStdString();
    EXPECT_EQ(image.size(), QSize(320, 240));
}

TEST(JpegPicture, RoundTripKeepsSizeAndColour)
{
    QImage in(33, 17, QImage::Format_RGB32);
    in.fill(QColor(200, 40, 20));
    const QImage out = DecodeJpeg(EncodeJpeg(in, 95));
    ASSERT_EQ(out.size(), in.size());
    const QColor c = out.pixelColor(16, 8);
    EXPECT_NEAR(c.red(), 200, 6);
    EXPECT_NEAR(c.green(), 40, 6);
    EXPECT_NEAR(c.blue(), 20, 6);
}

TEST(JpegPicture, BrokenDataGivesNoPictureAndAReason)
{
    QImage in(64, 64, QImage::Format_RGB32);
    in.fill(Qt::blue);
    const QByteArray good = EncodeJpeg(in, 90);
    QString error;
    EXPECT_TRUE(DecodeJpeg(good.left(good.size() / 2), &error).isNull());   // truncated
    EXPECT_FALSE(error.isEmpty());
    error.clear();
    EXPECT_TRUE(DecodeJpeg(QByteArray("GIF89a not a jpeg at all"), &error).isNull());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(DecodeJpeg(QByteArray(), &error).isNull());
    QByteArray damaged = good;
    for (qsizetype i = 200; i < damaged.size() - 2; i += 7)
        damaged[i] = char(0xFF);
    EXPECT_TRUE(DecodeJpeg(damaged).isNull());
    EXPECT_TRUE(LoadJpegFile(QStringLiteral("/nonexistent/zune.jpg"), &error).isNull());
}

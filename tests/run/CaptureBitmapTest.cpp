// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/CaptureBitmap.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using pellavan::SaveCaptureBitmap;

TEST(CaptureBitmap, StretchesTheShownPictureToTheOutputSize)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage shown(321, 241, QImage::Format_RGB32);
    shown.fill(QColor(0x33, 0x66, 0x99));
    const QString path = dir.filePath("MOVIE_01.bmp");
    EXPECT_EQ(SaveCaptureBitmap(shown, 640, 480, path.toStdString()), "");

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.read(2), QByteArray("BM"));   // a Windows bitmap file
    f.close();
    QImageReader reader(path);
    EXPECT_EQ(reader.format(), QByteArray("bmp"));
    const QImage back = reader.read();
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.size(), QSize(640, 480));
    EXPECT_EQ(back.pixelColor(639, 479), QColor(0x33, 0x66, 0x99));

    // Nothing shown yet: a black picture of the output size all the same.
    EXPECT_EQ(SaveCaptureBitmap(QImage(), 320, 240, path.toStdString()), "");
    EXPECT_EQ(QImage(path).size(), QSize(320, 240));
}

TEST(CaptureBitmap, AFileThatCannotBeMadeSaysWhyAndLeavesNothing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage shown(10, 10, QImage::Format_RGB32);
    shown.fill(Qt::white);

    // A folder that does not exist, and a "folder" that is a file.
    const QString missing = dir.filePath("gone/MOVIE_01.bmp");
    const std::string error = SaveCaptureBitmap(shown, 320, 240, missing.toStdString());
    EXPECT_NE(error.find("Cannot save the captured picture as \"" + missing.toStdString() + "\""), std::string::npos)
        << error;
    EXPECT_FALSE(QFile::exists(missing));

    QFile plain(dir.filePath("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_NE(SaveCaptureBitmap(shown, 320, 240, dir.filePath("plain/MOVIE_01.bmp").toStdString()), "");

    // No output size: refused in words, nothing written.
    const QString sizeless = dir.filePath("MOVIE_02.bmp");
    EXPECT_NE(SaveCaptureBitmap(shown, 0, 240, sizeless.toStdString()), "");
    EXPECT_FALSE(QFile::exists(sizeless));
}

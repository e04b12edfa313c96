// SPDX-License-Identifier: GPL-3.0-or-later
// The dvdconvert command: its JSON is the engine's catalogue, its stills
// are PNG files, its exit codes tell the failures apart.
#include "EngineTestSupport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace enginetest;

namespace {
const QString kCli = ENGINE_CLI;
}

TEST(Cli, InfoPrintsTheEngineCatalogue)
{
    for (const char *name : {"ntsc", "ntsc.iso", "pal", "pal.iso"}) {
        SCOPED_TRACE(name);
        QByteArray out;
        ASSERT_EQ(enginetest::Run(kCli, {"info", QString::fromStdString(Disc(name))}, &out), 0);
        QJsonObject disc = QJsonDocument::fromJson(out).object();
        DCHandle h = OpenConverter(Disc(name));
        ASSERT_NE(h, 0u);
        ASSERT_EQ(disc["titleCount"].toInt(), Converter_GetTitleCount(h));
        QJsonArray titles = disc["titles"].toArray();
        ASSERT_EQ(titles.size(), Converter_GetTitleCount(h));
        for (int t = 0; t < titles.size(); ++t) {
            QJsonObject title = titles[t].toObject();
            EXPECT_EQ(title["chapterCount"].toInt(), Converter_GetChapterCount(h, t));
            EXPECT_EQ(title["angleCount"].toInt(), Converter_GetAngleCount(h, t));
            EXPECT_EQ(title["playTime"].toInt(), Converter_GetTitlePlayTime(h, t));
            QJsonArray times = title["chapterTimes"].toArray();
            ASSERT_EQ(times.size(), Converter_GetChapterCount(h, t));
            for (int c = 0; c < times.size(); ++c)
                EXPECT_EQ(times[c].toInt(), Converter_GetChapterPlayTime(h, t, c));
            TVideoInfo v{};
            Converter_GetVideoInfo(h, t, &v);
            QJsonObject video = title["video"].toObject();
            EXPECT_EQ(video["width"].toInt(), v.width);
            EXPECT_EQ(video["height"].toInt(), v.height);
            EXPECT_EQ(video["videoStandard"].toInt(), v.videoStandard);
            EXPECT_EQ(video["frameRateNum"].toInt(), v.frameRateNum);
            EXPECT_EQ(video["frameRateDen"].toInt(), v.frameRateDen);
            EXPECT_EQ(video["aspectCode"].toInt(), v.aspectCode);
            QJsonArray audios = title["audios"].toArray();
            ASSERT_EQ(audios.size(), Converter_GetAudioCount(h, t));
            ASSERT_EQ(title["audioCount"].toInt(), audios.size());
            for (int a = 0; a < audios.size(); ++a) {
                TAudioInfo info{};
                Converter_GetAudioInfo(h, t, a, &info);
                QJsonObject j = audios[a].toObject();
                EXPECT_EQ(j["language"].toString().toStdString(), info.language);
                EXPECT_EQ(j["streamId"].toInt(), info.streamId);
                EXPECT_EQ(j["formatCode"].toInt(), info.formatCode);
                EXPECT_EQ(j["sampleRate"].toInt(), info.sampleRate);
                EXPECT_EQ(j["channels"].toInt(), info.channels);
                EXPECT_EQ(j["listed"].toInt(), info.listed);
            }
            QJsonArray subs = title["subtitles"].toArray();
            ASSERT_EQ(subs.size(), Converter_GetSubCount(h, t));
            ASSERT_EQ(title["subtitleCount"].toInt(), subs.size());
            for (int s = 0; s < subs.size(); ++s) {
                TSubInfo info{};
                Converter_GetSubInfo(h, t, s, &info);
                QJsonObject j = subs[s].toObject();
                EXPECT_EQ(j["language"].toString().toStdString(), info.language);
                EXPECT_EQ(j["streamId"].toInt(), info.streamId);
                EXPECT_EQ(j["listed"].toInt(), info.listed);
            }
        }
        CloseConverter(h);
    }
}

TEST(Cli, StillWritesAPngOfTheTitleSize)
{
    QTemporaryDir dir;
    QString png = dir.filePath("still.png");
    ASSERT_EQ(enginetest::Run(kCli, {"still", QString::fromStdString(Disc("pal")), "2", "3", png}, nullptr), 0);
    QFile f(png);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray b = f.readAll();
    ASSERT_GT(b.size(), 24);
    EXPECT_EQ(b.left(8), QByteArray("\x89PNG\r\n\x1a\n", 8));
    auto be32 = [&](int at) { return (uint8_t(b[at]) << 24) | (uint8_t(b[at + 1]) << 16) | (uint8_t(b[at + 2]) << 8) | uint8_t(b[at + 3]); };
    EXPECT_EQ(be32(16), 352u);
    EXPECT_EQ(be32(20), 576u);
}

TEST(Cli, ExitCodesTellFailuresApart)
{
    QTemporaryDir dir;
    QByteArray out, err;
    QString ntsc = QString::fromStdString(Disc("ntsc"));
    EXPECT_EQ(enginetest::Run(kCli, {}, &out, &err), 2);
    EXPECT_EQ(enginetest::Run(kCli, {"frobnicate"}, &out, &err), 2);
    EXPECT_EQ(enginetest::Run(kCli, {"info"}, &out, &err), 2);
    EXPECT_EQ(enginetest::Run(kCli, {"still", ntsc, "0", dir.filePath("a.png")}, &out, &err), 2);
    EXPECT_EQ(enginetest::Run(kCli, {"still", ntsc, "1", "x", dir.filePath("a.png")}, &out, &err), 2);
    EXPECT_EQ(enginetest::Run(kCli, {"info", dir.filePath("missing")}, &out, &err), 3);
    EXPECT_TRUE(err.startsWith("dvdconvert: cannot open")) << err.toStdString();
    EXPECT_TRUE(out.isEmpty());
    EXPECT_EQ(enginetest::Run(kCli, {"still", ntsc, "9", dir.filePath("a.png")}, &out, &err), 4);
    EXPECT_EQ(enginetest::Run(kCli, {"still", ntsc, "1", dir.filePath("no/such/folder/a.png")}, &out, &err), 5);
}

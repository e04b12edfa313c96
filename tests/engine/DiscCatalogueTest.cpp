// SPDX-License-Identifier: GPL-3.0-or-later
// The catalogue of the authored discs: against what they were authored with
// (make-test-discs.sh), against lsdvd, and the same through every way in.
#include "EngineTestSupport.h"
#include "ifo_catalogue.h"

#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

using namespace enginetest;

namespace {

using Title = AuthoredTitle;
const std::vector<Title> &kNtsc = kNtscDisc;
const std::vector<Title> &kPal = kPalDisc;

double FrameMs(int frames, int standard) { return standard == 0 ? frames * 1001.0 / 30.0 : frames * 40.0; }

void ExpectCatalogue(const std::string &root, const std::vector<Title> &want)
{
    SCOPED_TRACE(root);
    DCHandle h = OpenConverter(root);
    ASSERT_NE(h, 0u) << Converter_GetLastError(h);
    ASSERT_EQ(Converter_GetTitleCount(h), int(want.size()));
    for (int t = 0; t < int(want.size()); ++t) {
        SCOPED_TRACE("title " + std::to_string(t));
        const Title &w = want[size_t(t)];
        ASSERT_EQ(Converter_GetChapterCount(h, t), int(w.chapterFrames.size()));
        EXPECT_EQ(Converter_GetAngleCount(h, t), 1);
        int total = 0;
        for (int c = 0; c < int(w.chapterFrames.size()); ++c) {
            total += w.chapterFrames[size_t(c)];
            EXPECT_NEAR(Converter_GetChapterPlayTime(h, t, c), FrameMs(w.chapterFrames[size_t(c)], w.standard), 0.5)
                << "chapter " << c;
        }
        EXPECT_NEAR(Converter_GetTitlePlayTime(h, t), FrameMs(total, w.standard), 0.5);

        TVideoInfo v{};
        Converter_GetVideoInfo(h, t, &v);
        EXPECT_EQ(v.width, w.width);
        EXPECT_EQ(v.height, w.height);
        EXPECT_EQ(v.videoStandard, w.standard);
        EXPECT_EQ(v.frameRateNum, w.standard == 0 ? 30000 : 25);
        EXPECT_EQ(v.frameRateDen, w.standard == 0 ? 1001 : 1);
        EXPECT_EQ(v.aspectCode, w.aspect);

        ASSERT_EQ(Converter_GetAudioCount(h, t), int(w.audios.size()));
        for (int a = 0; a < int(w.audios.size()); ++a) {
            TAudioInfo info{};
            Converter_GetAudioInfo(h, t, a, &info);
            EXPECT_EQ(info.language, dvdc::LanguageName(w.audios[size_t(a)].language));   // authored by code
            EXPECT_EQ(info.formatCode, w.audios[size_t(a)].format);
            if (w.audios[size_t(a)].channels) {
                EXPECT_EQ(info.channels, w.audios[size_t(a)].channels);
            }
            EXPECT_EQ(info.streamId, w.audios[size_t(a)].streamId);
            EXPECT_EQ(info.sampleRate, 48000);
            EXPECT_NE(info.listed, 0);
        }
        ASSERT_EQ(Converter_GetSubCount(h, t), int(w.subs.size()));
        for (int s = 0; s < int(w.subs.size()); ++s) {
            TSubInfo info{};
            Converter_GetSubInfo(h, t, s, &info);
            EXPECT_EQ(info.language, dvdc::LanguageName(w.subs[size_t(s)].language));
            EXPECT_EQ(info.streamId, w.subs[size_t(s)].streamId);
            EXPECT_NE(info.listed, 0);
        }
    }
    CloseConverter(h);
}

// What lsdvd -Ox reports, reduced to what both of us report.
struct LsdvdTitle {
    double length = 0;
    std::vector<double> chapters;
    int width = 0, height = 0;
    std::string format, aspect;
    std::vector<std::pair<std::string, int>> audios, subs;   // language code, stream id
};

std::vector<LsdvdTitle> Lsdvd(const std::string &root)
{
    QByteArray out;
    Run("lsdvd", {"-Ox", "-a", "-s", "-c", "-v", QString::fromStdString(root)}, &out);
    std::vector<LsdvdTitle> titles;
    QXmlStreamReader xml(out.mid(out.indexOf("<?xml")));
    std::vector<QString> path;
    std::string lang;
    while (!xml.atEnd()) {
        auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            path.push_back(xml.name().toString());
            if (path.size() == 2 && path[1] == "track")
                titles.emplace_back();
            if (path.size() == 3 && path[2] == "chapter")
                titles.back().chapters.push_back(0);
        } else if (token == QXmlStreamReader::EndElement) {
            path.pop_back();
        } else if (token == QXmlStreamReader::Characters && !xml.isWhitespace() && path.size() >= 3 &&
                   path[1] == "track") {
            LsdvdTitle &t = titles.back();
            QString text = xml.text().toString();
            const QString &field = path.back();
            const QString &group = path[2];
            if (path.size() == 3) {
                if (field == "length") t.length = text.toDouble();
                if (field == "width") t.width = text.toInt();
                if (field == "height") t.height = text.toInt();
                if (field == "format") t.format = text.toStdString();
                if (field == "aspect") t.aspect = text.toStdString();
            } else if (group == "chapter" && field == "length") {
                t.chapters.back() = text.toDouble();
            } else if ((group == "audio" || group == "subp") && field == "langcode") {
                lang = text.toStdString();
            } else if ((group == "audio" || group == "subp") && field == "streamid") {
                (group == "audio" ? t.audios : t.subs).emplace_back(lang, text.toInt(nullptr, 16));
            }
        }
    }
    return titles;
}

} // namespace

TEST(DiscCatalogue, AuthoredDiscsReadAsAuthored)
{
    ExpectCatalogue(Disc("ntsc"), kNtsc);
    ExpectCatalogue(Disc("pal"), kPal);
}

TEST(DiscCatalogue, FolderVideoTsFolderAndIsoGiveTheSameCatalogue)
{
    ExpectCatalogue(Disc("ntsc.iso"), kNtsc);
    ExpectCatalogue(Disc("pal.iso"), kPal);
    ExpectCatalogue(Disc("ntsc/VIDEO_TS"), kNtsc);
    ExpectCatalogue(Disc("pal/VIDEO_TS/"), kPal);
}

// lsdvd reads NTSC times at a nominal 30 frames per second (0.1 % short),
// shows the letterbox subtitle id of 16:9 titles (the authored discs use one
// id for every variant) and numbers audio ids by their place in the list
// rather than by the stream control: only the id's format family is compared.
TEST(DiscCatalogue, AgreesWithLsdvd)
{
    for (const char *name : {"ntsc", "pal"}) {
        SCOPED_TRACE(name);
        std::vector<LsdvdTitle> theirs = Lsdvd(Disc(name));
        DCHandle h = OpenConverter(Disc(name));
        ASSERT_NE(h, 0u);
        ASSERT_EQ(int(theirs.size()), Converter_GetTitleCount(h));
        for (int t = 0; t < int(theirs.size()); ++t) {
            const LsdvdTitle &l = theirs[size_t(t)];
            TVideoInfo v{};
            Converter_GetVideoInfo(h, t, &v);
            bool ntsc = v.videoStandard == 0;
            EXPECT_EQ(l.format, ntsc ? "NTSC" : "PAL");
            EXPECT_EQ(l.aspect, v.aspectCode == 3 ? "16/9" : "4/3");
            EXPECT_EQ(l.width, v.width);
            EXPECT_EQ(l.height, v.height);
            double scale = ntsc ? 1001.0 / 1000.0 : 1.0;
            EXPECT_NEAR(Converter_GetTitlePlayTime(h, t), l.length * 1000 * scale, 1.0);
            ASSERT_EQ(int(l.chapters.size()), Converter_GetChapterCount(h, t));
            for (int c = 0; c < int(l.chapters.size()); ++c)
                EXPECT_NEAR(Converter_GetChapterPlayTime(h, t, c), l.chapters[size_t(c)] * 1000 * scale, 1.0);
            ASSERT_EQ(int(l.audios.size()), Converter_GetAudioCount(h, t));
            for (int a = 0; a < int(l.audios.size()); ++a) {
                TAudioInfo info{};
                Converter_GetAudioInfo(h, t, a, &info);
                EXPECT_EQ(dvdc::LanguageName(l.audios[size_t(a)].first), info.language);
                EXPECT_EQ(l.audios[size_t(a)].second & 0xF8, info.streamId & 0xF8);
            }
            ASSERT_EQ(int(l.subs.size()), Converter_GetSubCount(h, t));
            for (int s = 0; s < int(l.subs.size()); ++s) {
                TSubInfo info{};
                Converter_GetSubInfo(h, t, s, &info);
                EXPECT_EQ(dvdc::LanguageName(l.subs[size_t(s)].first), info.language);
                EXPECT_EQ(l.subs[size_t(s)].second, info.streamId);
            }
        }
        CloseConverter(h);
    }
}

// libdvdread announces missing CSS support on stderr unless given a logger.
TEST(DiscCatalogue, LibraryMessagesGoToTheLogNotStderr)
{
    LogCapture log;
    std::fflush(stderr);
    int saved = dup(2);
    char path[] = "/tmp/engine-stderr-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    dup2(fd, 2);
    DCHandle h = OpenConverter(Disc("ntsc.iso"));
    DCHandle missing = OpenConverter("/nonexistent/disc");
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    off_t written = lseek(fd, 0, SEEK_END);
    close(fd);
    unlink(path);
    EXPECT_NE(h, 0u);
    EXPECT_EQ(missing, 0u);
    EXPECT_EQ(written, 0);
    EXPECT_TRUE(log.Contains("libdvdread: "));
    CloseConverter(h);
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Film and video titles with "DeInterlace" on, on discs authored from known
// pictures (bench/author-film-disc.sh, 2 s a cell) and measured against
// them as the benchmark measures (bench/film-ssim.sh).
#include "ApiHost.h"
#include "dvdconvert_scan.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <tuple>

namespace {

using namespace apitest;

std::string FilmDisc(const char *name) { return std::string(FILM_DISCS) + "/" + name; }

struct Measured {
    double ssim = 0, worst = 0;
    int pictures = 0;
    std::string rate;
    int repeats = -1;   // pictures repeating the one before
};

// The file against the true pictures of the title's cells, one rate each.
Measured Measure(const std::string &path, const char *size, const std::string &rates)
{
    std::istringstream out(ct::Run(std::string(BENCH "/film-ssim.sh '") + path + "' 2 " + size + " " + rates));
    Measured m;
    out >> m.ssim >> m.worst >> m.pictures >> m.rate >> m.repeats;
    return m;
}

// A whole title at its disc's size, 8000 kbit/s; the end report's progress.
int Convert(const char *disc, int title, const char *size, int rateNum, int rateDen, int32_t encoder,
            bool deinterlace, const std::string &path)
{
    ApiHost host;
    int width = 0, height = 0;
    std::sscanf(size, "%dx%d", &width, &height);
    Converter_SetVideoCBRBitrate(host.h, 8000);
    Converter_SetAudioBitrate(host.h, 128);
    Converter_SetAudioSamplerate(host.h, 48000);
    if (!Converter_OpenDVD(host.h, FilmDisc(disc).c_str(), 1) ||
        !Converter_SetConvertInfo(host.h, title, 0, Converter_GetChapterCount(host.h, title) - 1, width, height,
                                  0x80, 0, rateNum, rateDen, 0, encoder, 0, 1, 0, deinterlace) ||
        !host.Convert(path) || !host.WaitEnds(1))
        return -2;
    host.CloseFile();
    return host.reports.back().progress;
}

class FilmTitles : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!ct::FileExists(FilmDisc("pal") + "/VIDEO_TS/VTS_01_1.VOB"))
            GTEST_SKIP() << "the film discs are not made";
        dir = ct::MakeTempDir();
    }
    void TearDown() override
    {
        if (!dir.empty())
            ct::RemoveTree(dir);
    }
    std::string dir;
};

struct Kind {
    const char *name, *disc;
    int title;
    const char *size, *truth;   // the disc's picture size; the true pictures' rate
    int rateNum, rateDen;       // asked for: -1 the title's own
    int pictures;
    const char *rate;
    double least;               // mean SSIM at least
};

const Kind kKinds[] = {
    // Film behind soft pulldown at its own rate: each film frame once.
    {"SoftFilm", "ntsc", 0, "720x480", "24000/1001", -1, -1, 48, "24000/1001", 0.99},
    // Pulldown recorded into the frames: put together, its repeats left
    // out, so at the film's rate each film frame comes once too.
    {"HardFilm", "ntsc", 1, "720x480", "24000/1001", 24000, 1001, 48, "24000/1001", 0.99},
    {"Interlaced", "ntsc", 2, "720x480", "60000/1001", -1, -1, 60, "30000/1001", 0.977},
    // Whole pictures that the stream calls interlaced pass untouched.
    {"FlaggedInterlaced", "ntsc", 5, "720x480", "30000/1001", -1, -1, 60, "30000/1001", 0.993},
    {"PalInterlaced", "pal", 0, "720x576", "50", -1, -1, 50, "25/1", 0.977},
    {"PalProgressive", "pal", 1, "720x576", "25", -1, -1, 50, "25/1", 0.993},
};

void PrintTo(const Kind &kind, std::ostream *out) { *out << kind.name; }

class FilmKinds : public FilmTitles, public ::testing::WithParamInterface<std::tuple<Kind, int32_t>> {};

TEST_P(FilmKinds, ComeOutWholeAtTheirRateAndCloseToTheirPictures)
{
    const auto &[kind, encoder] = GetParam();
    const std::string path = dir + (encoder == DC_CODEC_WMV ? "/out.wmv" : "/out.mp4");
    ASSERT_EQ(Convert(kind.disc, kind.title, kind.size, kind.rateNum, kind.rateDen, encoder, true, path), 100);
    const Measured m = Measure(path, kind.size, kind.truth);
    EXPECT_EQ(m.pictures, kind.pictures);
    EXPECT_EQ(m.rate, kind.rate);
    EXPECT_EQ(m.repeats, 0);   // each true picture once: none lost to a repeat
    EXPECT_GE(m.ssim, kind.least);
}

INSTANTIATE_TEST_SUITE_P(EveryEncoder, FilmKinds,
                         ::testing::Combine(::testing::ValuesIn(kKinds),
                                            ::testing::Values(DC_CODEC_H264, DC_CODEC_MPEG4, DC_CODEC_WMV)),
                         [](const auto &info) {
                             const int32_t e = std::get<1>(info.param);
                             return std::string(std::get<0>(info.param).name) +
                                    (e == DC_CODEC_H264 ? "H264" : e == DC_CODEC_MPEG4 ? "Mpeg4" : "Wmv");
                         });

// Soft film, recorded pulldown, video and progressive, a cell each: each
// handled for its kind, as long and with as many pictures as with
// "DeInterlace" off, each cell's sound (a tone of its own) with its pictures.
TEST_F(FilmTitles, AMixedTitleTreatsEachCellForItsKindAndKeepsItsTimes)
{
    const std::string off = dir + "/off.mp4", on = dir + "/on.mp4";
    const std::string truths = "24000/1001 24000/1001 60000/1001 30000/1001";
    ASSERT_EQ(Convert("ntsc", 4, "720x480", -1, -1, DC_CODEC_MPEG4, false, off), 100);
    ASSERT_EQ(Convert("ntsc", 4, "720x480", -1, -1, DC_CODEC_MPEG4, true, on), 100);
    const Measured before = Measure(off, "720x480", truths), after = Measure(on, "720x480", truths);
    EXPECT_EQ(after.pictures, 4 * 60);
    EXPECT_EQ(after.pictures, before.pictures);
    EXPECT_NEAR(ct::Duration(on), ct::Duration(off), 1001 / 30000.0);
    // Off, the video cell stays combed and half the recorded film's frames too.
    EXPECT_GE(after.ssim, 0.985);
    EXPECT_GE(after.worst, 0.97);
    const double tones[] = {400, 600, 800, 1000}, cell = 60 * 1001 / 30000.0;
    for (int c = 0; c < 4; ++c)
        EXPECT_NEAR(ct::ToneHz(on, c * cell + 0.5, 1.0), tones[c], 10) << "cell " << c + 1;
}

// Film behind soft pulldown has the film's rate as the title's own; the
// scan, and dvdconvert info --scan, tell what every title holds.
TEST_F(FilmTitles, TheCatalogueGivesSoftFilmItsRateAndTheScanTellsEachKind)
{
    const int kinds[] = {DC_CONTENT_SOFT_FILM,   DC_CONTENT_HARD_FILM, DC_CONTENT_INTERLACED,
                         DC_CONTENT_PROGRESSIVE, DC_CONTENT_MIXED,     DC_CONTENT_PROGRESSIVE};
    const char *names[] = {"film (soft telecine)", "film (hard telecine)", "interlaced",
                           "progressive",          "mixed",                "progressive"};
    ApiHost host;
    ASSERT_TRUE(Converter_OpenDVD(host.h, FilmDisc("ntsc").c_str(), 1));
    ASSERT_EQ(Converter_GetTitleCount(host.h), 6);
    const std::string json = ct::Run(std::string(ENGINE_CLI " info '") + FilmDisc("ntsc") + "' --scan");
    size_t at = 0;
    for (int t = 0; t < 6; ++t) {
        SCOPED_TRACE("title " + std::to_string(t + 1));
        TVideoInfo v{};
        Converter_GetVideoInfo(host.h, t, &v);
        EXPECT_EQ(v.frameRateNum, t == 0 ? 24000 : 30000);
        EXPECT_EQ(v.frameRateDen, 1001);
        EXPECT_EQ(Converter_ScanTitle(host.h, t), kinds[t]);
        at = json.find("\"content\": \"", at);
        ASSERT_NE(at, std::string::npos) << json;
        at += 12;
        EXPECT_EQ(json.substr(at, json.find('"', at) - at), names[t]);
    }
}

} // namespace

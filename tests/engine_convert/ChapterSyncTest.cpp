// SPDX-License-Identifier: GPL-3.0-or-later
// Sound and pictures in step in the middle of a title, not only at its end:
// the authored sync disc has six chapters, each a cell whose clock starts
// afresh and whose sound starts a little before or after its pictures, with
// a white flash and a tone of its own that begins on the flash.  In the
// converted file every tone must begin within a frame of its flash.
#include "ApiHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

namespace {

using namespace apitest;

// make-test-discs.sh, sync_disc: the tone of each chapter; each flash is 6
// frames into its 30-frame chapter.
constexpr double kTones[] = {400, 600, 800, 1000, 1200, 1400};
constexpr int kChapters = int(std::size(kTones));
constexpr double kFrame = 1001.0 / 30000.0;
constexpr double kChapter = 30 * kFrame;

std::string SyncDisc() { return std::string(DISCS) + "/sync"; }

// The encoder, and whether "DeInterlace" is on.
class ChapterSync : public ::testing::TestWithParam<std::tuple<int32_t, bool>> {
protected:
    void SetUp() override
    {
        if (!ct::FileExists(SyncDisc() + "/VIDEO_TS/VTS_01_1.VOB"))
            GTEST_SKIP() << "the sync disc is not made";
        dir = ct::MakeTempDir();
    }
    void TearDown() override
    {
        if (!dir.empty())
            ct::RemoveTree(dir);
    }
    std::string dir;
};

// The premise: on the disc itself each cell's tone starts on its flash
// (each cell on its own clock, so both lists restart together).
TEST(ChapterSyncDisc, EachCellsToneStartsOnItsFlash)
{
    const std::string vob = SyncDisc() + "/VIDEO_TS/VTS_01_1.VOB";
    if (!ct::FileExists(vob))
        GTEST_SKIP() << "the sync disc is not made";
    const std::vector<double> flashes = ct::FlashStarts(vob), tones = ct::ToneStarts(vob);
    ASSERT_EQ(flashes.size(), size_t(kChapters));
    ASSERT_EQ(tones.size(), size_t(kChapters));
    for (int i = 0; i < kChapters; ++i)
        EXPECT_NEAR(tones[size_t(i)], flashes[size_t(i)], 0.003) << "cell " << i + 1;
}

TEST_P(ChapterSync, EveryChaptersToneStartsWithinAFrameOfItsFlash)
{
    const auto [encoder, deinterlace] = GetParam();
    const std::string path = dir + (encoder == DC_CODEC_WMV ? "/sync.wmv" : "/sync.mp4");
    ApiHost host;
    ASSERT_TRUE(Converter_OpenDVD(host.h, SyncDisc().c_str(), 1));
    ASSERT_EQ(Converter_GetChapterCount(host.h, 0), kChapters);
    Converter_SetVideoCBRBitrate(host.h, 900);
    Converter_SetAudioBitrate(host.h, encoder == DC_CODEC_WMV ? 64 : 128);
    Converter_SetAudioSamplerate(host.h, 48000);
    // The title's own rate: a frame of the output is a frame of the disc.
    ASSERT_TRUE(Converter_SetConvertInfo(host.h, 0, 0, kChapters - 1, 320, 240, 0x80, 0, -1, -1, 0, encoder, 1, 1,
                                         0, deinterlace))
        << Converter_GetLastError(host.h);
    ASSERT_TRUE(host.Convert(path)) << Converter_GetLastError(host.h);
    ASSERT_TRUE(host.WaitEnds(1));
    ASSERT_EQ(host.reports.back().progress, 100) << Converter_GetLastError(host.h);
    host.CloseFile();

    const std::vector<double> flashes = ct::FlashStarts(path), tones = ct::ToneStarts(path);
    ASSERT_EQ(flashes.size(), size_t(kChapters));
    ASSERT_EQ(tones.size(), size_t(kChapters));
    for (int i = 0; i < kChapters; ++i) {
        SCOPED_TRACE("chapter " + std::to_string(i + 1));
        const double flash = flashes[size_t(i)], tone = tones[size_t(i)];
        // The pictures keep the chapters' places, the sound keeps its pictures.
        EXPECT_NEAR(flash - flashes[0], i * kChapter, kFrame);
        EXPECT_NEAR(tone, flash, kFrame) << "sound " << (tone - flash) * 1000 << " ms off its picture";
        EXPECT_NEAR(ct::ToneHz(path, tone + 0.05, 0.3), kTones[i], kTones[i] * 0.05);
    }
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<int32_t, bool>> &info)
{
    const int32_t e = std::get<0>(info.param);
    return std::string(e == DC_CODEC_H264 ? "H264" : e == DC_CODEC_MPEG4 ? "Mpeg4" : "Wmv") +
           (std::get<1>(info.param) ? "Deinterlaced" : "");
}

INSTANTIATE_TEST_SUITE_P(EveryEncoder, ChapterSync,
                         ::testing::Combine(::testing::Values(DC_CODEC_H264, DC_CODEC_MPEG4, DC_CODEC_WMV),
                                            ::testing::Bool()),
                         CaseName);

} // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// What an output file keeps of the disc: a chapter mark at each chapter's
// first picture, one chapter per job when jobs are merged, the sound's
// language and the file's title; read back with ffprobe and with MediaInfo.
#include "ApiHost.h"
#include "FileFacts.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

using namespace apitest;

// The sync disc: six chapters of 30 NTSC frames, each with a white flash 6
// frames in (make-test-discs.sh, sync_disc).
constexpr int kChapters = 6;
constexpr double kFrame = 1001.0 / 30000.0;
constexpr double kChapter = 30 * kFrame;
constexpr double kFlashIn = 6 * kFrame;

std::string SyncDisc() { return std::string(DISCS) + "/sync"; }

std::string Name(int chapter)
{
    char name[16];
    std::snprintf(name, sizeof name, "Chapter %.2d", chapter);
    return name;
}

class FileChapters : public ::testing::TestWithParam<int32_t> {
protected:
    void SetUp() override
    {
        if (!ct::FileExists(SyncDisc() + "/VIDEO_TS/VTS_01_1.VOB"))
            GTEST_SKIP() << "the sync disc is not made";
        dir = ct::MakeTempDir();
        ASSERT_TRUE(Converter_OpenDVD(host.h, SyncDisc().c_str(), 1));
        Converter_SetVideoCBRBitrate(host.h, 900);
        Converter_SetAudioBitrate(host.h, Wmv() ? 64 : 128);
        Converter_SetAudioSamplerate(host.h, 48000);
    }
    void TearDown() override
    {
        if (!dir.empty())
            ct::RemoveTree(dir);
    }
    bool Wmv() const { return GetParam() == DC_CODEC_WMV; }
    std::string Ext() const { return Wmv() ? ".wmv" : ".mp4"; }
    // One job at the title's own rate (a frame of the output is one of the disc).
    void Run(const std::string &path, int first, int last, int newFile)
    {
        ASSERT_TRUE(Converter_SetConvertInfo(host.h, 0, first, last, 320, 240, 0x80, 0, -1, -1, 0, GetParam(), 1,
                                             newFile, 0, 0))
            << Converter_GetLastError(host.h);
        const int ends = host.Ends();
        ASSERT_TRUE(host.Convert(path)) << Converter_GetLastError(host.h);
        ASSERT_TRUE(host.WaitEnds(ends + 1));
        ASSERT_EQ(host.reports.back().progress, 100) << Converter_GetLastError(host.h);
    }
    // `want` on the pictures' timeline; `shift` where the file shows its first picture.
    void ExpectChapters(const std::vector<ct::Chapter> &got, const std::vector<ct::Chapter> &want, double shift,
                        const char *reader)
    {
        SCOPED_TRACE(reader);
        ASSERT_EQ(got.size(), want.size());
        for (size_t i = 0; i < want.size(); ++i) {
            EXPECT_EQ(got[i].title, want[i].title) << "chapter " << i + 1;
            EXPECT_NEAR(got[i].start, want[i].start + shift, kFrame) << "chapter " << i + 1;
        }
    }
    void ExpectChapters(const std::string &path, const std::vector<ct::Chapter> &want)
    {
        const double shift = ct::StartTime(path, "v:0");
        EXPECT_LT(shift, 0.1);
        ExpectChapters(ct::Chapters(path), want, shift, "ffprobe");
        ExpectChapters(ct::MediaInfoChapters(path), want, shift, "MediaInfo");
        EXPECT_NEAR(ct::LastChapterEnd(path), ct::Duration(path), kFrame);
    }

    ApiHost host;
    std::string dir;
};

TEST_P(FileChapters, TitleHasItsChaptersAtTheirFirstPicturesItsLanguageAndItsTitle)
{
    const std::string path = dir + "/Sync_Title01" + Ext();
    Run(path, 0, kChapters - 1, 1);
    host.CloseFile();

    // Where each chapter shows: its flash, 6 frames after its first picture
    // (in an ASF file every picture comes a little after the file's start,
    // behind the sound encoder's priming).
    const std::vector<double> flashes = ct::FlashStarts(path);
    ASSERT_EQ(flashes.size(), size_t(kChapters));
    std::vector<ct::Chapter> want;
    for (int i = 0; i < kChapters; ++i) {
        EXPECT_NEAR(flashes[size_t(i)] - flashes[0], i * kChapter, kFrame);   // the premise
        want.push_back({flashes[size_t(i)] - kFlashIn, Name(i + 1)});
    }
    ExpectChapters(ct::Chapters(path), want, 0, "ffprobe");
    ExpectChapters(ct::MediaInfoChapters(path), want, 0, "MediaInfo");

    EXPECT_EQ(ct::Tag(path, "a:0", "language"), "eng");
    EXPECT_EQ(ct::MediaInfoLanguage(path), "en");
    EXPECT_EQ(ct::Tag(path, "", "title"), "Sync_Title01");
    // Players find one picture and one sound track, and an MP4's chapter track.
    const std::vector<std::string> tracks = ct::TrackKinds(path);
    const std::vector<std::string> wmvTracks = {"video", "audio"}, mp4Tracks = {"video", "audio", "data"};
    EXPECT_EQ(tracks, Wmv() ? wmvTracks : mp4Tracks);
    // Nothing of the machine: no folder, no user name.
    const std::string tags =
        ct::Run("ffprobe -v error -show_entries format_tags:stream_tags -of default=nw=1 '" + path + "'");
    EXPECT_EQ(tags.find(dir), std::string::npos) << tags;
    EXPECT_EQ(tags.find('/'), std::string::npos) << tags;
    if (const char *user = std::getenv("USER"); user && *user) {
        EXPECT_EQ(tags.find(std::string("=") + user + "\n"), std::string::npos) << tags;
    }
}

TEST_P(FileChapters, ChapterRangeIsMarkedFromTheFilesStartByTheDiscsNumbers)
{
    const std::string path = dir + "/Sync_Title01_03" + Ext();
    Run(path, 2, 4, 1);
    host.CloseFile();
    ExpectChapters(path, {{0, Name(3)}, {kChapter, Name(4)}, {2 * kChapter, Name(5)}});
    EXPECT_EQ(ct::PacketTimes(path, "v:0").size(), size_t(3 * 30));
}

TEST_P(FileChapters, MergedRunHasAChapterAtEachJobsStartNamedAfterTheJob)
{
    // Chapters 2-3, the whole title, chapter 5: the file names the jobs as
    // their own files would be named.
    const std::string path = dir + "/Sync" + Ext();
    Run(path, 1, 2, 1);
    Run(path, 0, kChapters - 1, 0);
    Run(path, 4, 4, 0);
    host.CloseFile();
    ExpectChapters(path, {{0, "Sync_Title01_02"},
                          {2 * kChapter, "Sync_Title01"},
                          {(2 + kChapters) * kChapter, "Sync_Title01_05"}});
    // The copy that put the chapters in kept the file whole.
    EXPECT_EQ(ct::PacketTimes(path, "v:0").size(), size_t(30 * (3 + kChapters)));
    EXPECT_EQ(ct::Tag(path, "a:0", "language"), "eng");
    EXPECT_EQ(ct::Tag(path, "", "title"), "Sync");
    EXPECT_FALSE(ct::FileExists(path + ".chapters"));
}

TEST_P(FileChapters, MergedRunOfThreeTitlesHasThreeChapters)
{
    // The NTSC disc: titles of 78 and 60 frames in one title set, and one of
    // 66 frames (16:9, its own sound) in the next.
    ApiHost ntsc;
    ASSERT_TRUE(Converter_OpenDVD(ntsc.h, DISCS "/ntsc", 1));
    const std::string path = dir + "/NTSC" + Ext();
    const int frames[] = {78, 60, 66};
    for (int title = 0; title < 3; ++title) {
        Converter_SetVideoCBRBitrate(ntsc.h, 900);
        Converter_SetAudioBitrate(ntsc.h, Wmv() ? 64 : 128);
        Converter_SetAudioSamplerate(ntsc.h, 48000);
        const int last = Converter_GetChapterCount(ntsc.h, title) - 1;
        ASSERT_TRUE(Converter_SetConvertInfo(ntsc.h, title, 0, last, 320, 240, 0x80, 0, -1, -1, 0, GetParam(), 1,
                                             title == 0 ? 1 : 0, 0, 0))
            << Converter_GetLastError(ntsc.h);
        const int ends = ntsc.Ends();
        ASSERT_TRUE(ntsc.Convert(path)) << Converter_GetLastError(ntsc.h);
        ASSERT_TRUE(ntsc.WaitEnds(ends + 1));
        ASSERT_EQ(ntsc.reports.back().progress, 100) << Converter_GetLastError(ntsc.h);
    }
    ntsc.CloseFile();
    ExpectChapters(path, {{0, "NTSC_Title01"},
                          {frames[0] * kFrame, "NTSC_Title02"},
                          {(frames[0] + frames[1]) * kFrame, "NTSC_Title03"}});
}

TEST_P(FileChapters, DiscNameATagCannotHoldIsMadeValidText)
{
    // A byte that is no UTF-8 (read as Latin-1) and a control character (left out).
    const std::string path = dir + "/Sync\xE9\x01_Title01_02" + Ext();
    Run(path, 1, 1, 1);
    host.CloseFile();
    EXPECT_EQ(ct::Tag(path, "", "title"), "Sync\xC3\xA9_Title01_02");
    const std::vector<ct::Chapter> chapters = ct::Chapters(path);
    ASSERT_EQ(chapters.size(), 1u);
    EXPECT_EQ(chapters[0].title, Name(2));
}

INSTANTIATE_TEST_SUITE_P(Codes, FileChapters, ::testing::Values(DC_CODEC_H264, DC_CODEC_MPEG4, DC_CODEC_WMV));

} // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// The conversion operations of the C interface on an authored disc: the
// right title, chapters and streams, subpictures, the report contract as the
// program uses it, refusals and closing mid-job.
#include "ApiHost.h"
#include "MediaTools.h"
#include "dvdconvert.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using namespace apitest;

class ConvertApi : public ::testing::Test {
protected:
    void SetUp() override { dir = ct::MakeTempDir(); }
    void TearDown() override { ct::RemoveTree(dir); }
    std::string dir;
};

TEST_F(ConvertApi, TitlesAndChapterRangesGiveTheirOwnPictureSoundAndLength)
{
    ApiHost host;
    ASSERT_TRUE(host.Open());
    struct Case {
        int title, first, last;
        double r, b;
        double tone;
    };
    // Chapter marks fall on the authored picture groups, so lengths come from the disc.
    const Case cases[] = {{1, 0, 0, 0xC0, 0x20, 1000}, {0, 1, 1, 0x20, 0xC0, 440}, {0, 1, 2, 0x20, 0xC0, 440}};
    int n = 0;
    for (const Case &c : cases) {
        const std::string path = dir + "/job" + std::to_string(n++) + ".mp4";
        double seconds = 0;
        for (int ch = c.first; ch <= c.last; ++ch)
            seconds += Converter_GetChapterPlayTime(host.h, c.title, ch) / 1000.0;
        ASSERT_GT(seconds, 0.5);
        ASSERT_TRUE(SetJob(host.h, c.title, c.first, c.last, DC_CODEC_H264)) << Converter_GetLastError(host.h);
        ASSERT_TRUE(host.Convert(path)) << Converter_GetLastError(host.h);
        ASSERT_TRUE(host.WaitEnds(n));
        EXPECT_EQ(host.reports.back().progress, 100) << Converter_GetLastError(host.h);
        host.CloseFile();
        auto times = ct::PacketTimes(path, "v:0");
        ASSERT_FALSE(times.empty());
        EXPECT_NEAR(times.size() / 25.0, seconds, 0.045) << path;
        auto m = ct::MeanRgb(ct::FrameAt(path, seconds / 2, 320, 240), 320, 100, 80, 120, 80);
        EXPECT_NEAR(m.r, c.r, 15) << path;
        EXPECT_NEAR(m.b, c.b, 15) << path;
        EXPECT_NEAR(ct::ToneHz(path, 0.1), c.tone, 15) << path;
    }
    EXPECT_FALSE(host.deliveredInConvert);
}

TEST_F(ConvertApi, SubpicturesAreBurnedInOnlyWhenChosenAndMoveWithTheOffset)
{
    ApiHost host;
    ASSERT_TRUE(host.Open());
    auto convert = [&](const std::string &name, int sub, int dy) {
        const std::string path = dir + "/" + name;
        Converter_SetSubtitleOffset(host.h, 0, dy);
        EXPECT_TRUE(SetJob(host.h, 1, 0, 0, DC_CODEC_MPEG4, 0x80, sub));
        EXPECT_TRUE(host.Convert(path));
        EXPECT_TRUE(host.WaitEnds(host.Ends() + 1));
        host.CloseFile();
        // Source (200..400, 380..420) lands at (89..178, 190..210) in 320x240.
        return ct::FrameAt(path, 1.5, 320, 240);
    };
    auto with = convert("sub.mp4", 0x20, 0);
    auto without = convert("nosub.mp4", 0, 0);
    auto moved = convert("moved.mp4", 0x20, -100);
    auto at = [](const std::vector<uint8_t> &rgb, int y) { return ct::MeanRgb(rgb, 320, 110, y, 50, 8); };
    EXPECT_GT(at(with, 196).g, 200);    // white over red
    EXPECT_LT(at(without, 196).g, 80);
    EXPECT_LT(at(moved, 196).g, 80);    // moved up by 100 source lines
    EXPECT_GT(at(moved, 146).g, 200);
}

TEST_F(ConvertApi, ReportsFollowTheProgramsContractEvenWhenTheCallbackStartsTheNextJob)
{
    ApiHost host;
    ASSERT_TRUE(host.Open());
    const std::string path = dir + "/merged.wmv";
    int started = 1;
    // As the program's callback: at the end of a job, start the next one
    // appending to the same file; close the file after the last.
    host.onReport = [&](const Delivered &r) {
        if (r.state != 1)
            return;
        if (started < 3) {
            ++started;
            EXPECT_TRUE(SetJob(host.h, 0, started - 1, started - 1, DC_CODEC_WMV, 0x80, 0, 0));
            EXPECT_TRUE(host.Convert(path));
        } else {
            host.CloseFile();
        }
    };
    ASSERT_TRUE(SetJob(host.h, 0, 0, 0, DC_CODEC_WMV));
    ASSERT_TRUE(host.Convert(path));
    ASSERT_TRUE(host.WaitEnds(3));
    std::this_thread::sleep_for(100ms);
    Converter_DispatchReports(host.h);
    EXPECT_EQ(host.Ends(), 3);
    EXPECT_FALSE(host.deliveredInConvert);
    for (auto &r : host.reports) {
        EXPECT_GE(r.progress, 0);
        EXPECT_LE(r.progress, 100);
    }
    // The three chapters, one after the other: the whole title's 3 s.
    auto times = ct::PacketTimes(path, "v:0");
    ASSERT_FALSE(times.empty());
    EXPECT_NEAR(times.size() / 25.0, 3.0, 0.1);
    EXPECT_GE(Converter_GetEncodeFps(host.h), 0.0);
}

TEST_F(ConvertApi, JobsTheDiscCannotGiveAreRefusedWithAReason)
{
    ApiHost host;
    ASSERT_TRUE(host.Open());
    // Nothing set yet.
    EXPECT_FALSE(host.Convert(dir + "/x.mp4"));
    EXPECT_NE(std::string(Converter_GetLastError(host.h)), "");

    auto refused = [&](bool ok, const char *what) {
        EXPECT_FALSE(ok) << what;
        EXPECT_NE(std::string(Converter_GetLastError(host.h)), "") << what;
    };
    refused(SetJob(host.h, 0, 3, 3, DC_CODEC_H264), "chapter past the end");
    refused(SetJob(host.h, 0, 2, 1, DC_CODEC_H264), "chapters reversed");
    refused(SetJob(host.h, 7, 0, 0, DC_CODEC_H264), "title past the end");
    refused(SetJob(host.h, 0, 0, 0, DC_CODEC_H264, 0x81), "audio stream not carried");
    refused(SetJob(host.h, 0, 0, 0, DC_CODEC_H264, 0x80, 0x21), "subtitle stream not carried");
    refused(Converter_SetConvertInfo(host.h, 0, 0, 0, 0, 0, 0x80, 0, 25, 1, 0, 0, 0, 1, 0, 0), "size 0");
    refused(Converter_SetConvertInfo(host.h, 0, 0, 0, 320, 240, 0x80, 0, 0, 0, 0, 0, 0, 1, 0, 0), "rate 0/0");
    refused(Converter_SetConvertInfo(host.h, 0, 0, 0, 320, 240, 0x80, 0, 25, 1, 0, 0, 0, 1, 4, 0), "angle");
    // A refused job is not the previous one run again.
    EXPECT_FALSE(host.Convert(dir + "/x.mp4"));
    EXPECT_TRUE(ct::ListDir(dir).empty());
    // The two-pass video rate 0 keeps the rate set before.
    ASSERT_TRUE(SetJob(host.h, 1, 0, 0, DC_CODEC_H264));
    Converter_SetVideoCBRBitrate(host.h, 0);
    ASSERT_TRUE(host.Convert(dir + "/zero.mp4"));
    ASSERT_TRUE(host.WaitEnds(1));
    EXPECT_EQ(host.reports.back().progress, 100);
}

TEST_F(ConvertApi, ClosingTheConverterMidJobStopsItAndKeepsTheFile)
{
    auto host = std::make_unique<ApiHost>();
    ASSERT_TRUE(host->Open());
    const std::string path = dir + "/closed.mp4";
    ASSERT_TRUE(SetJob(host->h, 2, 0, 0, DC_CODEC_H264));
    ASSERT_TRUE(host->Convert(path));
    // Until the first picture reaches the encoder.
    DCPicture *preview = nullptr;
    for (int i = 0; i < 400 && !preview; ++i) {
        std::this_thread::sleep_for(10ms);
        preview = Converter_GetPreview(host->h, nullptr);
    }
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->width, 320);
    EXPECT_EQ(preview->height, 240);
    Converter_FreePicture(preview);
    std::this_thread::sleep_for(200ms);
    const auto t0 = std::chrono::steady_clock::now();
    CloseConverter(host->h);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 2s);
    host->h = 0;
    // Finished as Converter_CloseFile finishes it: it plays up to where it got.
    EXPECT_GT(ct::Duration(path), 0.0);
    // Calls on the closed handle are harmless.
    Converter_DispatchReports(0);
    EXPECT_EQ(host->Ends(), 0);
}

} // namespace

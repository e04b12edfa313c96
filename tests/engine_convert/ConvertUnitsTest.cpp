// SPDX-License-Identifier: GPL-3.0-or-later
// Rules of the conversion side that need no encoding: the report queue,
// job checks, picture geometry, levels and the two-pass statistics check.
#include "convert_encoders.h"
#include "convert_filters.h"
#include "convert_reports.h"
#include "convert_settings.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>

namespace {

std::atomic<int> g_wakes{0};
void CountWake(void *) { ++g_wakes; }

TEST(ReportQueue, MergesProgressButNeverEventsAndDropsCancelledJobs)
{
    dvdc::ReportQueue q;
    g_wakes = 0;
    q.SetWakeup(&CountWake, nullptr);
    q.PostProgress(1, nullptr, 10);
    q.PostProgress(1, nullptr, 20);
    q.PostProgress(1, nullptr, 30);
    q.PostEvent(1, nullptr, 100, 0);   // end of pass one
    q.PostProgress(1, nullptr, 5);
    q.PostProgress(1, nullptr, 7);
    q.PostEvent(1, nullptr, 100, 1);
    EXPECT_GE(g_wakes.load(), 3);

    std::vector<std::pair<int, int>> got;
    dvdc::Report r;
    while (q.Pop(r))
        got.emplace_back(r.progress, r.state);
    const std::vector<std::pair<int, int>> want{{30, 0}, {100, 0}, {7, 0}, {100, 1}};
    EXPECT_EQ(got, want);

    // A cancelled job's reports go, queued or still to come; the next job's stay.
    q.PostProgress(2, nullptr, 50);
    q.DropJob(2);
    q.PostEvent(2, nullptr, -1, 1, "late");
    q.PostEvent(3, nullptr, 100, 1);
    ASSERT_TRUE(q.Pop(r));
    EXPECT_EQ(r.job, 3u);
    EXPECT_FALSE(q.Pop(r));

    // No wake-up after it was cleared.
    q.SetWakeup(nullptr, nullptr);
    const int before = g_wakes.load();
    q.PostEvent(4, nullptr, 100, 1);
    EXPECT_EQ(g_wakes.load(), before);
}

dvdc::SourceInfo Ntsc(int aspect = 0)
{
    dvdc::SourceInfo s;
    s.video = {720, 480, 0, 30000, 1001, aspect};
    s.audioIds = {0x80, 0xC1};
    s.subtitleIds = {0x20};
    return s;
}

dvdc::JobInfo Job()
{
    dvdc::JobInfo j;
    j.width = 320;
    j.height = 240;
    j.rateNum = j.rateDen = -1;
    j.audioStream = 0x80;
    return j;
}

TEST(CheckJob, RefusesWhatCannotBeEncodedAndResolvesTheTitlesRate)
{
    dvdc::EncodeSettings s;
    dvdc::VideoTarget t;
    EXPECT_EQ(dvdc::CheckJob(Job(), s, Ntsc(), t), "");
    EXPECT_EQ(t.rateNum, 30000);
    EXPECT_EQ(t.rateDen, 1001);

    auto refused = [&](dvdc::JobInfo j, dvdc::EncodeSettings es = {}) {
        return !dvdc::CheckJob(j, es, Ntsc(), t).empty();
    };
    dvdc::JobInfo j = Job();
    j.width = 0;
    EXPECT_TRUE(refused(j));
    j = Job();
    j.rateNum = j.rateDen = 0;
    EXPECT_TRUE(refused(j));
    j = Job();
    j.audioStream = 0x81;   // not carried by the title
    EXPECT_TRUE(refused(j));
    j = Job();
    j.subtitleStream = 0x21;
    EXPECT_TRUE(refused(j));
    j = Job();
    j.encoder = 1;
    EXPECT_TRUE(refused(j));
    dvdc::EncodeSettings low;
    low.videoKbps = 1;
    EXPECT_TRUE(refused(Job(), low));
    dvdc::EncodeSettings crop;
    crop.cropLeft = crop.cropRight = 360;
    EXPECT_TRUE(refused(Job(), crop));

    // MPEG audio is listed as 0xC0+n and accepted; odd sizes are made even.
    j = Job();
    j.audioStream = 0xC1;
    j.width = 321;
    j.height = 241;
    EXPECT_EQ(dvdc::CheckJob(j, s, Ntsc(), t), "");
    EXPECT_EQ(t.width, 320);
    EXPECT_EQ(t.height, 240);
    EXPECT_EQ(dvdc::DemuxId(0xC1), 0x1C1);
    EXPECT_EQ(dvdc::DemuxId(0x80), 0x80);
}

TEST(Geometry, KeepAspectBoxesTheDisplayShapeIntoTheFrame)
{
    // 16:9 into 4:3: bars above and below.
    dvdc::Rect r = dvdc::FitInto(16.0 / 9.0, 320, 240);
    EXPECT_EQ(r.w, 320);
    EXPECT_EQ(r.h, 180);
    EXPECT_EQ(r.y, 30);
    // 4:3 into a wide frame: bars left and right.
    r = dvdc::FitInto(4.0 / 3.0, 480, 272);
    EXPECT_EQ(r.h, 272);
    EXPECT_EQ(r.w, 362);
    EXPECT_EQ(r.x, 58);
    // Same shape: no bars.
    r = dvdc::FitInto(4.0 / 3.0, 640, 480);
    EXPECT_EQ(r.w, 640);
    EXPECT_EQ(r.h, 480);

    // Cropping the sides of a 16:9 picture makes it narrower.
    dvdc::EncodeSettings s;
    s.cropLeft = s.cropRight = 90;
    EXPECT_NEAR(dvdc::CroppedAspect(Ntsc(3), s), 16.0 / 9.0 * 540 / 720, 1e-9);

    // Cropping happens before scaling, in source pixels.
    const std::string chain = dvdc::VideoChain(Job(), s, Ntsc(3), dvdc::VideoTarget{320, 240, 25, 1});
    ASSERT_NE(chain.find("crop=w=540:h=480:x=90:y=0"), std::string::npos) << chain;
    EXPECT_LT(chain.find("crop="), chain.find("scale="));
}

TEST(Levels, FitThePictureSizeAndRate)
{
    EXPECT_STREQ(dvdc::H264Level(640, 480, 30000, 1001), "3.0");
    EXPECT_STREQ(dvdc::H264Level(720, 576, 25, 1), "3.0");
    EXPECT_STREQ(dvdc::H264Level(1280, 720, 30000, 1001), "3.1");
    EXPECT_EQ(dvdc::Mpeg4Level(320, 240, 384), 3);
    EXPECT_EQ(dvdc::Mpeg4Level(640, 480, 1500), 4);
    EXPECT_EQ(dvdc::Mpeg4Level(720, 576, 2500), 5);
}

TEST(TwoPassStatistics, RefuseARateBelowTheFirstPassFixedCost)
{
    // 100 frames at 25/s, each needing 4000 bits of motion and headers:
    // 100 kbit/s that no quantiser can remove.
    std::string stats;
    for (int i = 0; i < 100; ++i)
        stats += "in:" + std::to_string(i) + " out:" + std::to_string(i) +
                 " type:2 q:236 itex:100 ptex:30000 mv:3000 misc:1000 fcode:1 bcode:1 mc-var:0 var:0 icount:0 "
                 "skipcount:0 hbits:16;\n";
    std::string reason;
    EXPECT_FALSE(dvdc::StatsAllowBitrate(stats, 100, 25, 1, reason));
    EXPECT_NE(reason.find("too low"), std::string::npos);
    EXPECT_TRUE(dvdc::StatsAllowBitrate(stats, 500, 25, 1, reason));
    EXPECT_FALSE(dvdc::StatsAllowBitrate("", 500, 25, 1, reason));
}

} // namespace

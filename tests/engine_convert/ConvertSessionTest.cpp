// SPDX-License-Identifier: GPL-3.0-or-later
// Running jobs: the report contract, pause, cancel, close, two passes,
// merged files and failures.
#include "ConvertSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>
#include <thread>

namespace {

using namespace std::chrono_literals;

int64_t FileSize(const std::string &path)
{
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 ? int64_t(st.st_size) : -1;
}

int Ends(const std::vector<ct::Host::Seen> &reports)
{
    int n = 0;
    for (auto &r : reports)
        n += r.state == 1 || r.progress < 0;
    return n;
}

// A source long enough to act on while it converts.
ct::SourceSpec LongSource()
{
    ct::SourceSpec s;
    s.seconds = 12;
    s.detailed = true;
    return s;
}

class ConvertSessionRun : public ::testing::Test {
protected:
    void SetUp() override { dir = ct::MakeTempDir(); }
    void TearDown() override { ct::RemoveTree(dir); }

    // Dispatches until a progress report at or past `percent` arrives.
    bool WaitProgress(ct::Host &host, int percent)
    {
        const auto deadline = std::chrono::steady_clock::now() + 60s;
        while (std::chrono::steady_clock::now() < deadline) {
            host.Dispatch();
            for (auto &r : host.reports)
                if (r.progress >= percent && r.state == 0)
                    return true;
            std::this_thread::sleep_for(5ms);
        }
        return false;
    }

    std::string dir;
};

TEST_F(ConvertSessionRun, CancelStopsWithoutAFurtherReport)
{
    auto session = std::make_unique<dvdc::ConvertSession>();
    const std::string path = dir + "/cancelled.mp4";
    {
        ct::Host host(*session);
        ASSERT_TRUE(host.Start(host.Request(LongSource(), path, ct::DefaultInfo(DC_CODEC_MPEG4, 640, 480))));
        ASSERT_TRUE(WaitProgress(host, 10));
        std::this_thread::sleep_for(500ms);   // pictures are in the file
        session->Cancel();
        EXPECT_FALSE(session->Running());
        const size_t seen = host.reports.size();
        std::this_thread::sleep_for(300ms);
        host.Dispatch();
        EXPECT_EQ(host.reports.size(), seen);
        EXPECT_EQ(Ends(host.reports), 0);
    }
    // The instance goes away without CloseFile: it finishes the file as
    // CloseFile would, with what was converted.
    session.reset();
    EXPECT_GT(ct::Duration(path), 0.0);
}

TEST_F(ConvertSessionRun, CloseFileAfterCancelFinishesAPlayableFile)
{
    dvdc::ConvertSession session;
    ct::Host host(session);
    const std::string path = dir + "/stopped.mp4";
    ASSERT_TRUE(host.Start(host.Request(LongSource(), path, ct::DefaultInfo(DC_CODEC_H264, 320, 240))));
    ASSERT_TRUE(WaitProgress(host, 30));
    session.Cancel();
    host.CloseFile();
    const double duration = ct::Duration(path);
    EXPECT_GT(duration, 1.0);
    EXPECT_LT(duration, 11.5);
    auto times = ct::PacketTimes(path, "v:0");
    ASSERT_FALSE(times.empty());
    EXPECT_NEAR(times.back() + 1001.0 / 30000, duration, 0.15);
}

TEST_F(ConvertSessionRun, PauseHaltsTheWorkAndResumeFinishesIt)
{
    dvdc::ConvertSession session;
    ct::Host host(session);
    const std::string path = dir + "/paused.wmv";
    ASSERT_TRUE(host.Start(host.Request(LongSource(), path, ct::DefaultInfo(DC_CODEC_WMV, 320, 240))));
    ASSERT_TRUE(WaitProgress(host, 5));
    session.Pause();
    std::this_thread::sleep_for(100ms);   // the frame in hand is finished
    const int64_t size = FileSize(path);
    host.Dispatch();
    const size_t seen = host.reports.size();
    std::this_thread::sleep_for(400ms);
    EXPECT_EQ(FileSize(path), size);
    host.Dispatch();
    EXPECT_EQ(host.reports.size(), seen);
    EXPECT_TRUE(session.Running());
    session.Resume();
    ct::Host::Seen end{};
    ASSERT_TRUE(host.WaitEnd(&end));
    EXPECT_EQ(end.progress, 100);
    EXPECT_EQ(end.state, 1);
    EXPECT_GT(session.Fps(), 0.0);
    host.CloseFile();
    EXPECT_NEAR(ct::Duration(path), 12.0, 0.2);
}

// Closing the instance mid-job, paused or running, alone or after merged
// jobs: it returns soon, and the file keeps everything converted.
TEST_F(ConvertSessionRun, ClosingMidJobKeepsWhatWasConverted)
{
    struct Case {
        bool paused, merged;
    };
    for (const Case c : {Case{true, false}, Case{false, false}, Case{true, true}, Case{false, true}}) {
        SCOPED_TRACE(std::string(c.paused ? "paused" : "running") + (c.merged ? ", merged" : ""));
        auto session = std::make_unique<dvdc::ConvertSession>();
        const std::string path = dir + "/closed" + (c.paused ? "p" : "r") + (c.merged ? "m" : "") + ".mp4";
        ct::Host host(*session);
        ct::SourceSpec first;   // 2 s, a flat blue picture
        if (c.merged) {
            ASSERT_TRUE(host.Start(host.Request(first, path, ct::DefaultInfo(DC_CODEC_MPEG4, 320, 240))));
            ct::Host::Seen end{};
            ASSERT_TRUE(host.WaitEnd(&end));
            ASSERT_EQ(end.state, 1);
            host.reports.clear();   // the progress waited for below is the second job's
        }
        dvdc::JobInfo info = ct::DefaultInfo(DC_CODEC_MPEG4, 640, 480);
        info.newFile = c.merged ? 0 : 1;
        ASSERT_TRUE(host.Start(host.Request(LongSource(), path, info)));
        ASSERT_TRUE(WaitProgress(host, 10));
        // Until the second job's first pictures are encoded.
        for (int i = 0; i < 1000 && session->Fps() <= 0; ++i)
            std::this_thread::sleep_for(5ms);
        std::this_thread::sleep_for(100ms);
        if (c.paused)
            session->Pause();
        const auto t0 = std::chrono::steady_clock::now();
        host.Forget();
        session.reset();
        EXPECT_LT(std::chrono::steady_clock::now() - t0, 2s);
        const double duration = ct::Duration(path);
        const double before = c.merged ? 2.0 : 0.0;

        EXPECT_GT(duration, before + 0.1);
        EXPECT_LT(duration, before + 11.9);
        if (c.merged) {
            // The finished job first, whole: its blue picture, then the test pattern.
            auto m = ct::MeanRgb(ct::FrameAt(path, 1.0, 320, 240), 320, 100, 80, 120, 80);
            EXPECT_GT(m.b, 150);
            EXPECT_LT(m.r, 100);
        }
    }
}

// A job closed before its first picture leaves nothing that plays: no file.
TEST_F(ConvertSessionRun, ClosingBeforeAnyPictureLeavesNoFile)
{
    auto session = std::make_unique<dvdc::ConvertSession>();
    const std::string path = dir + "/empty.mp4";
    ct::Host host(*session);
    ASSERT_TRUE(host.Start(host.Request(LongSource(), path, ct::DefaultInfo(DC_CODEC_MPEG4, 640, 480))));
    session->Pause();
    host.Forget();
    session.reset();
    EXPECT_FALSE(ct::FileExists(path));
}

TEST_F(ConvertSessionRun, FailuresEndWithOneFailureReportAReasonAndNoFile)
{
    dvdc::ConvertSession session;
    ct::Host host(session);
    ct::SourceSpec small;
    const std::string missing = dir + "/no/such/folder/out.mp4";
    ASSERT_TRUE(host.Start(host.Request(small, missing, ct::DefaultInfo(DC_CODEC_H264))));
    ct::Host::Seen end{};
    ASSERT_TRUE(host.WaitEnd(&end));
    EXPECT_EQ(end.progress, -1);
    ASSERT_EQ(host.reasons.size(), 1u);
    EXPECT_NE(host.reasons[0].find(missing), std::string::npos) << host.reasons[0];

    // A path naming a folder is not replaced.
    ASSERT_TRUE(host.Start(host.Request(small, dir, ct::DefaultInfo(DC_CODEC_WMV))));
    ASSERT_TRUE(host.WaitEnd(&end));
    EXPECT_EQ(end.progress, -1);
    ASSERT_EQ(host.reasons.size(), 2u);
    EXPECT_NE(host.reasons[1].find("names a folder"), std::string::npos) << host.reasons[1];
    EXPECT_EQ(Ends(host.reports), 2);
    EXPECT_TRUE(ct::ListDir(dir).empty());

    // A full disk: the device that is always full stays as it was.
    ASSERT_TRUE(host.Start(host.Request(small, "/dev/full", ct::DefaultInfo(DC_CODEC_MPEG4))));
    ASSERT_TRUE(host.WaitEnd(&end));
    EXPECT_EQ(end.progress, -1);
    ASSERT_EQ(host.reasons.size(), 3u);
    EXPECT_NE(host.reasons[2].find("No space left"), std::string::npos) << host.reasons[2];
    EXPECT_TRUE(ct::FileExists("/dev/full"));

    // Not a program stream at all.
    const std::string junk = dir + "/junk.vob";
    FILE *f = std::fopen(junk.c_str(), "wb");
    for (int i = 0; i < 4096; ++i)
        std::fputs("not a picture ", f);
    std::fclose(f);
    dvdc::JobRequest r = host.Request(small, dir + "/junk.mp4", ct::DefaultInfo(DC_CODEC_H264));
    r.readers[0] = std::make_unique<ct::FileTitleReader>(junk);
    ASSERT_TRUE(host.Start(std::move(r)));
    ASSERT_TRUE(host.WaitEnd(&end));
    EXPECT_EQ(end.progress, -1);
    EXPECT_FALSE(ct::FileExists(dir + "/junk.mp4"));
}

// The conversion side logs straight to the host's handler (no session or
// C interface call sets it up), from the job's own thread.
TEST_F(ConvertSessionRun, AFailedJobReachesTheHostsLogHandler)
{
    struct Collected {
        std::mutex mutex;
        std::vector<std::pair<int, std::string>> lines;
    } log;
    DVDConvert_SetLogHandler(
        [](int level, const char *message, void *context) {
            auto *c = static_cast<Collected *>(context);
            std::lock_guard lock(c->mutex);
            c->lines.emplace_back(level, message);
        },
        &log);
    dvdc::ConvertSession session;
    ct::Host host(session);
    const std::string missing = dir + "/no/such/folder/out.mp4";
    ASSERT_TRUE(host.Start(host.Request(ct::SourceSpec{}, missing, ct::DefaultInfo(DC_CODEC_H264))));
    ct::Host::Seen end{};
    ASSERT_TRUE(host.WaitEnd(&end));
    DVDConvert_SetLogHandler(nullptr, nullptr);
    EXPECT_EQ(end.progress, -1);
    std::lock_guard lock(log.mutex);
    bool logged = false;
    for (const auto &[level, text] : log.lines)
        logged |= level == 0 && text.find("failed") != std::string::npos && text.find(missing) != std::string::npos;
    EXPECT_TRUE(logged) << log.lines.size() << " lines";
}

TEST_F(ConvertSessionRun, CancelInPassOneOrBetweenMergedJobs)
{
    const std::string tmp = dir + "/tmp";
    ::mkdir(tmp.c_str(), 0700);
    ::setenv("TMPDIR", tmp.c_str(), 1);
    {
        dvdc::ConvertSession session;
        ct::Host host(session);
        dvdc::JobInfo info = ct::DefaultInfo(DC_CODEC_WMV);
        info.twoPass = 1;
        ASSERT_TRUE(host.Start(host.Request(LongSource(), dir + "/pass1.wmv", info)));
        ASSERT_TRUE(WaitProgress(host, 10));
        session.Cancel();
        host.CloseFile();   // nothing written yet: nothing to finish
        EXPECT_FALSE(ct::FileExists(dir + "/pass1.wmv"));
        EXPECT_TRUE(ct::ListDir(tmp).empty());   // the statistics went too
        EXPECT_EQ(Ends(host.reports), 0);
    }
    {
        // The first of two merged jobs ended; the instance closes before the
        // second starts: what was converted is finished, not thrown away.
        auto session = std::make_unique<dvdc::ConvertSession>();
        ct::Host host(*session);
        ct::SourceSpec spec;
        ASSERT_TRUE(host.Start(host.Request(spec, dir + "/merged.mp4", ct::DefaultInfo(DC_CODEC_H264))));
        ASSERT_TRUE(host.WaitEnd());
        host.Forget();
        session.reset();
        EXPECT_NEAR(ct::Duration(dir + "/merged.mp4"), 2.0, 0.1);
    }
}

TEST_F(ConvertSessionRun, DamagedMiddleOfTheTitleIsSkipped)
{
    ct::SourceSpec spec;
    spec.seconds = 4;
    spec.detailed = true;
    const std::string damaged = dir + "/damaged.vob";
    std::system(("cp '" + ct::MakeSource(spec) + "' '" + damaged + "'").c_str());
    FILE *f = std::fopen(damaged.c_str(), "r+b");
    ASSERT_NE(f, nullptr);
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::fseek(f, size / 2, SEEK_SET);
    std::vector<char> noise(200 * 1024);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919) ^ (i >> 3));
    std::fwrite(noise.data(), 1, noise.size(), f);
    std::fclose(f);

    dvdc::ConvertSession session;
    ct::Host host(session);
    dvdc::JobRequest r = host.Request(spec, dir + "/damaged.mp4", ct::DefaultInfo(DC_CODEC_MPEG4));
    r.readers[0] = std::make_unique<ct::FileTitleReader>(damaged);
    ASSERT_TRUE(host.Start(std::move(r)));
    ct::Host::Seen end{};
    ASSERT_TRUE(host.WaitEnd(&end));
    EXPECT_EQ(end.progress, 100);
    host.CloseFile();
    // The picture runs on past the damage, in step with the sound.
    EXPECT_GT(ct::Duration(dir + "/damaged.mp4"), 3.5);
    auto audio = ct::PacketTimes(dir + "/damaged.mp4", "a:0");
    auto video = ct::PacketTimes(dir + "/damaged.mp4", "v:0");
    ASSERT_FALSE(audio.empty());
    ASSERT_FALSE(video.empty());
    EXPECT_NEAR(audio.back(), video.back(), 0.1);
}

TEST_F(ConvertSessionRun, MergedJobsStartedFromTheCallbackShareOneContinuousFile)
{
    dvdc::ConvertSession session;
    ct::Host host(session);
    const std::string path = dir + "/merged.wmv";
    ct::SourceSpec a, b, c;
    a.seconds = 1.0;
    a.colour = "0xC02020";
    b.seconds = 2.0;
    b.colour = "0x20C020";
    b.toneHz = 700;
    c.seconds = 1.5;
    c.colour = "0x2020C0";
    std::vector<ct::SourceSpec> jobs{a, b, c};
    size_t next = 1;
    // As the program does: at each end, start the next job with new file 0.
    host.onReport = [&](const ct::Host::Seen &r) {
        if (r.state != 1 || next >= jobs.size())
            return;
        dvdc::JobInfo info = ct::DefaultInfo(DC_CODEC_WMV);
        info.newFile = 0;
        std::string error;
        EXPECT_TRUE(host.Start(host.Request(jobs[next++], path, info), &error)) << error;
    };
    ASSERT_TRUE(host.Start(host.Request(a, path, ct::DefaultInfo(DC_CODEC_WMV))));
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(host.WaitEnd());
    EXPECT_EQ(Ends(host.reports), 3);
    for (auto &r : host.reports)
        EXPECT_NE(r.progress, -1);
    host.CloseFile();

    // 4.5 s of pictures at the title's rate with no gap at the joins.
    auto times = ct::PacketTimes(path, "v:0");
    ASSERT_GT(times.size(), 100u);
    EXPECT_NEAR(times.back() - times.front() + 1001.0 / 30000, 4.5, 0.1);
    for (size_t i = 1; i < times.size(); ++i)
        ASSERT_LT(times[i] - times[i - 1], 0.05) << "gap at " << times[i];
    auto audio = ct::PacketTimes(path, "a:0");
    ASSERT_FALSE(audio.empty());
    EXPECT_NEAR(audio.back() - audio.front(), times.back() - times.front(), 0.15);
    // Each part in its place: the second job's picture and tone in the middle.
    const double start = times.front();
    auto m = ct::MeanRgb(ct::FrameAt(path, start + 0.5, 320, 240), 320, 100, 80, 120, 80);
    EXPECT_GT(m.r, 150);
    m = ct::MeanRgb(ct::FrameAt(path, start + 2.0, 320, 240), 320, 100, 80, 120, 80);
    EXPECT_GT(m.g, 150);
    EXPECT_NEAR(ct::ToneHz(path, start + 1.5), 700, 15);
    m = ct::MeanRgb(ct::FrameAt(path, start + 4.0, 320, 240), 320, 100, 80, 120, 80);
    EXPECT_GT(m.b, 150);
}

class TwoPass : public ConvertSessionRun, public ::testing::WithParamInterface<int32_t> {};

TEST_P(TwoPass, HitsTheRateReportsBothPassesAndCleansUp)
{
    const std::string tmp = dir + "/tmp";
    ::mkdir(tmp.c_str(), 0700);
    ::setenv("TMPDIR", tmp.c_str(), 1);
    dvdc::ConvertSession session;
    session.settings.videoKbps = 500;
    ct::Host host(session);
    ct::SourceSpec spec;
    spec.seconds = 8;
    spec.detailed = true;
    dvdc::JobInfo info = ct::DefaultInfo(GetParam(), 320, 240);
    info.twoPass = 1;
    const std::string path = dir + (GetParam() == DC_CODEC_WMV ? "/two.wmv" : "/two.mp4");
    ASSERT_TRUE(host.Start(host.Request(spec, path, info)));
    ct::Host::Seen end{};
    ASSERT_TRUE(host.WaitEnd(&end));
    EXPECT_EQ(end.progress, 100);
    host.CloseFile();

    // One pass-one end (100, state 0), then counting again from low values.
    size_t passEnd = host.reports.size();
    for (size_t i = 0; i < host.reports.size(); ++i)
        if (host.reports[i].progress == 100 && host.reports[i].state == 0)
            passEnd = i;
    ASSERT_LT(passEnd, host.reports.size());
    ASSERT_LT(passEnd + 1, host.reports.size());
    EXPECT_LT(host.reports[passEnd + 1].progress, 100);
    EXPECT_EQ(Ends(host.reports), 1);

    EXPECT_TRUE(ct::ListDir(tmp).empty());
    auto v = ct::Probe(path, "v:0");
    // Video bytes over the duration, within 5 % of the target.
    FILE *p = ::popen(("ffprobe -v error -select_streams v -show_entries packet=size -of csv=p=0 '" + path + "'").c_str(), "r");
    double bytes = 0;
    char line[64];
    while (std::fgets(line, sizeof line, p))
        bytes += std::atof(line);
    ::pclose(p);
    const double kbps = bytes * 8 / 8.0 / 1000;
    EXPECT_NEAR(kbps, 500, 25) << v["codec_name"];
}

INSTANTIATE_TEST_SUITE_P(Codes, TwoPass, ::testing::Values(DC_CODEC_H264, DC_CODEC_MPEG4, DC_CODEC_WMV));

TEST_F(ConvertSessionRun, TooLowARateForTheSecondPassFallsBackToOnePass)
{
    const std::string tmp = dir + "/tmp";
    ::mkdir(tmp.c_str(), 0700);
    ::setenv("TMPDIR", tmp.c_str(), 1);
    dvdc::ConvertSession session;
    session.settings.videoKbps = 16;
    ct::Host host(session);
    ct::SourceSpec spec;
    spec.seconds = 3;
    spec.detailed = true;
    dvdc::JobInfo info = ct::DefaultInfo(DC_CODEC_MPEG4, 720, 480);
    info.twoPass = 1;
    const std::string path = dir + "/low.mp4";
    ASSERT_TRUE(host.Start(host.Request(spec, path, info)));
    ct::Host::Seen end{};
    ASSERT_TRUE(host.WaitEnd(&end));
    EXPECT_EQ(end.progress, 100);
    host.CloseFile();
    EXPECT_NEAR(ct::Duration(path), 3.0, 0.1);
    EXPECT_TRUE(ct::ListDir(tmp).empty());
}

} // namespace

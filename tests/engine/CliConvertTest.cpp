// SPDX-License-Identifier: GPL-3.0-or-later
// dvdconvert convert: jobs joined into one file with the options given, bad
// jobs and options refused with their exit codes, and an interrupt that
// leaves a file which plays to where it stopped.
#include "EngineTestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <numeric>

using namespace enginetest;

namespace {

const QString kCli = ENGINE_CLI;

// ffprobe's value of one entry ("stream=codec_name" of stream v:0 or a:0, or "format=duration").
QString Probe(const QString &file, const QString &stream, const QString &entry)
{
    QByteArray out;
    QStringList args{"-v", "error"};
    if (!stream.isEmpty())
        args << "-select_streams" << stream;
    args << "-show_entries" << entry << "-of" << "csv=p=0" << file;
    Run("ffprobe", args, &out);
    return QString::fromUtf8(out).trimmed().remove(QRegularExpression(",$"));
}

bool DecodesCleanly(const QString &file)
{
    QByteArray out, err;
    return Run("ffmpeg", {"-v", "error", "-i", file, "-f", "null", "-"}, &out, &err) == 0 && err.isEmpty();
}

double Seconds(std::initializer_list<int> frames)
{
    return std::accumulate(frames.begin(), frames.end(), 0) * 1001.0 / 30000.0;
}

} // namespace

TEST(CliConvert, JobsGoIntoOneFileWithTheOptionsGiven)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("joined.mp4");
    const auto &t = kNtscDisc;
    QByteArray stdOut, stdErr;
    ASSERT_EQ(enginetest::Run(kCli,
                  {"convert", QString::fromStdString(Disc("ntsc")), out, "1:1-2", "2", "--codec", "2", "--size",
                   "320x240", "--rate", "15/1", "--abitrate", "64", "--samplerate", "22050", "--audio", "0xC0"},
                  &stdOut, &stdErr),
              0)
        << stdErr.toStdString();
    EXPECT_TRUE(stdOut.startsWith("done: " + out.toUtf8())) << stdOut.toStdString();
    EXPECT_TRUE(stdErr.contains("job 2 of 2: title 2, chapters 1-1")) << stdErr.toStdString();
    EXPECT_EQ(Probe(out, "v:0", "stream=codec_name,width,height,r_frame_rate"), "mpeg4,320,240,15/1");
    EXPECT_EQ(Probe(out, "a:0", "stream=codec_name,sample_rate,channels"), "aac,22050,2");
    const double expected = Seconds({t[0].chapterFrames[0], t[0].chapterFrames[1], t[1].chapterFrames[0]});
    EXPECT_NEAR(Probe(out, "", "format=duration").toDouble(), expected, 0.15);
    EXPECT_TRUE(DecodesCleanly(out));
}

TEST(CliConvert, BadJobsAndOptionsAreRefusedWithTheirExitCodes)
{
    QTemporaryDir dir;
    const QString ntsc = QString::fromStdString(Disc("ntsc"));
    const QString out = dir.filePath("o.mp4");
    QByteArray stdOut, stdErr;
    auto convert = [&](QStringList more) {
        return enginetest::Run(kCli, QStringList{"convert", ntsc} + more, &stdOut, &stdErr);
    };
    EXPECT_EQ(convert({out}), 2);                                 // no job
    EXPECT_EQ(convert({out, "0"}), 2);                            // titles count from 1
    EXPECT_EQ(convert({out, "1:2-1"}), 2);                        // a range backwards
    EXPECT_EQ(convert({out, "1", "--size", "320"}), 2);
    EXPECT_EQ(convert({out, "1", "--rate"}), 2);
    EXPECT_TRUE(stdErr.contains("--rate needs a value")) << stdErr.toStdString();
    EXPECT_EQ(convert({out, "1", "--frobnicate"}), 2);
    EXPECT_TRUE(stdErr.contains("unknown option --frobnicate")) << stdErr.toStdString();
    EXPECT_EQ(convert({out, "1", "--codec", "1"}), 2);            // no such encoder
    EXPECT_EQ(convert({out, "1:1-9"}), 4);                        // past the title's chapters
    EXPECT_EQ(convert({out, "9"}), 4);
    EXPECT_EQ(enginetest::Run(kCli, {"convert", dir.filePath("none"), out, "1"}, &stdOut, &stdErr), 3);
    EXPECT_FALSE(QFileInfo::exists(out));

    // An output that names a folder is not touched.
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.mp4"));
    EXPECT_NE(convert({dir.filePath("folder.mp4"), "2"}), 0);
    EXPECT_TRUE(QFileInfo(dir.filePath("folder.mp4")).isDir());
    EXPECT_TRUE(stdErr.contains("dvdconvert: job failed: the output path " + dir.filePath("folder.mp4").toUtf8() +
                                " names a folder"))
        << stdErr.toStdString();
}

TEST(CliConvert, InterruptStopsAndLeavesAFileThatPlaysToWhereItStopped)
{
    const QString disc = QString::fromUtf8(ENGINE_LONG_DISC) + "/long";
    if (!QFileInfo::exists(disc + "/VIDEO_TS/VIDEO_TS.IFO"))
        GTEST_SKIP() << "the long test disc was not made";
    QTemporaryDir dir;
    const QString out = dir.filePath("cut.mp4");
    QProcess p;
    p.start(kCli, {"convert", disc, out, "1", "--codec", "2"});
    ASSERT_TRUE(p.waitForStarted());
    // Wait for the first progress figure past 0 %, then interrupt.
    QByteArray err;
    const QRegularExpression progress(R"(\s([1-9]\d?)%)");
    while (!progress.match(QString::fromUtf8(err)).hasMatch() && p.state() == QProcess::Running) {
        p.waitForReadyRead(1000);
        err += p.readAllStandardError();
    }
    ASSERT_EQ(p.state(), QProcess::Running) << "finished before it could be interrupted: " << err.toStdString();
    p.terminate();   // SIGTERM, handled as Ctrl-C is
    ASSERT_TRUE(p.waitForFinished(60000));
    err += p.readAllStandardError();
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 130);
    EXPECT_TRUE(err.contains("interrupted: " + out.toUtf8())) << err.toStdString();
    const double duration = Probe(out, "", "format=duration").toDouble();
    EXPECT_GT(duration, 0.0);
    EXPECT_LT(duration, 59.0);
    EXPECT_TRUE(DecodesCleanly(out));
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Unreadable sectors: converted on past them and told, and a stop, a close
// or an interrupt that never waits for reads failing slowly.
#include "EngineTestSupport.h"
#include "title_reader.h"

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <signal.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace enginetest;
using namespace std::chrono_literals;

namespace {

const QString kCli = ENGINE_CLI;
const QString kVob = "VTS_01_1.VOB";

QString LongDisc() { return QString::fromUtf8(ENGINE_LONG_DISC) + "/long"; }
QString BusyDisc() { return QString::fromUtf8(ENGINE_BUSY_DISC) + "/busy"; }

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

double DurationOf(const QString &file)
{
    QByteArray out;
    Run("ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", file}, &out);
    return out.trimmed().toDouble();
}

bool DecodesCleanly(const QString &file)
{
    QByteArray out, err;
    return Run("ffmpeg", {"-v", "error", "-i", file, "-f", "null", "-"}, &out, &err) == 0 && err.isEmpty();
}

// dvdconvert with reads of bytes [from, to) of the title's VOB failing (with `error`).
void StartFailing(QProcess &p, qint64 from, qint64 to, int delayMs, const QStringList &args,
                  const QString &error = "EIO", int odds = 1)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LD_PRELOAD", FAILING_READS);
    env.insert("ASAN_OPTIONS", "verify_asan_link_order=0:detect_leaks=0");
    env.insert("PELLAVAN_FAIL_FILE", kVob);
    env.insert("PELLAVAN_FAIL_FROM", QString::number(from));
    env.insert("PELLAVAN_FAIL_TO", QString::number(to));
    env.insert("PELLAVAN_FAIL_DELAY_MS", QString::number(delayMs));
    env.insert("PELLAVAN_FAIL_ERRNO", error);
    env.insert("PELLAVAN_FAIL_ODDS", QString::number(odds));
    p.setProcessEnvironment(env);
    p.start(kCli, args);
}

class DamagedDisc : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFileInfo::exists(LongDisc() + "/VIDEO_TS/" + kVob))
            GTEST_SKIP() << "the long test disc was not made";
        vobSize = QFileInfo(LongDisc() + "/VIDEO_TS/" + kVob).size();
    }
    qint64 vobSize = 0;
    QTemporaryDir dir;
};

const QRegularExpression kRegionLine(R"(unreadable region at (\d+):(\d\d):(\d\d)\.(\d) in the title: (\d+) KB skipped)");

TEST_F(DamagedDisc, AnUnreadableRegionIsToldOnceAndTheRestConverts)
{
    // 64 KB unreadable at 30 % of a 60-second title.
    const QString out = dir.filePath("damaged.mp4");
    QProcess p;
    const qint64 a = vobSize * 3 / 10 / 2048 * 2048;
    StartFailing(p, a, a + 65536, 0, {"convert", LongDisc(), out, "1", "--codec", "2", "--size", "320x240"});
    ASSERT_TRUE(p.waitForStarted());
    ASSERT_TRUE(p.waitForFinished(180000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_EQ(p.exitCode(), 0) << err.toStdString();
    auto lines = kRegionLine.globalMatch(err);
    int count = 0;
    double at = -1, kb = 0;
    while (lines.hasNext()) {
        auto m = lines.next();
        ++count;
        at = m.captured(1).toInt() * 3600 + m.captured(2).toInt() * 60 + m.captured(3).toInt() +
             m.captured(4).toInt() / 10.0;
        kb = m.captured(5).toDouble();
    }
    ASSERT_EQ(count, 1) << err.toStdString();
    // Its place: about 30 % into the title (the data rate is near even).
    EXPECT_NEAR(at, 18.0, 4.0) << err.toStdString();
    // Skipping strides past the damage, but not far past it.
    EXPECT_GE(kb, 64);
    EXPECT_LE(kb, 4 * 64);
    // What was lost is about what was skipped; the rest is there.
    const double lost = kb * 1024 / double(vobSize) * 60.0;
    const double duration = DurationOf(out);
    EXPECT_GT(duration, 60.0 - lost - 1.5);
    EXPECT_LT(duration, 60.5);
    EXPECT_TRUE(DecodesCleanly(out));
}

TEST_F(DamagedDisc, DamageAtTheVeryStartAndEndLeavesTheMiddle)
{
    for (const bool atStart : {true, false}) {
        const QString out = dir.filePath(atStart ? "start.mp4" : "end.mp4");
        QProcess p;
        const qint64 from = atStart ? 0 : vobSize - 128 * 1024, to = atStart ? 128 * 1024 : vobSize;
        StartFailing(p, from, to, 0, {"convert", LongDisc(), out, "1", "--codec", "2", "--size", "320x240"});
        ASSERT_TRUE(p.waitForStarted());
        ASSERT_TRUE(p.waitForFinished(180000));
        const QString err = QString::fromUtf8(p.readAllStandardError());
        EXPECT_EQ(p.exitCode(), 0) << err.toStdString();
        EXPECT_EQ(err.count(kRegionLine), 1) << err.toStdString();
        const double duration = DurationOf(out);
        EXPECT_GT(duration, 50.0) << (atStart ? "start" : "end");
        EXPECT_LT(duration, 60.5);
        EXPECT_TRUE(DecodesCleanly(out));
    }
}

// Reading stops for good at 30 % of a 180 MB title, or a band there is
// unreadable, or fails at random: each case in bounded time, the readable
// part kept, the loss told.
TEST(LongDamage, UnreadableStretchesEndInBoundedTimeWithTheLossTold)
{
    const qint64 vobSize = QFileInfo(BusyDisc() + "/VIDEO_TS/" + kVob).size();
    if (vobSize == 0)
        GTEST_SKIP() << "the busy test disc was not made";
    QTemporaryDir dir;
    struct Case {
        const char *name;
        double from, to;      // the failing bytes, as fractions of the VOB
        int delayMs;          // each failing read's
        int odds;             // one in this many reads there fails
        const char *error;
        double seconds;       // the most the conversion may take
        int exitCode;
        double length;        // of the file, s; 0: no file is left
        const char *told;     // what dvdconvert says of the end ("" for nothing)
    };
    // Stepping over 1 s reads position after position would take minutes.
    const Case cases[] = {
        {"quick failing reads to the end", 0.3, 1, 0, 1, "EIO", 60, 0, 18, "could not be read"},
        {"slow failing reads to the end", 0.3, 1, 1000, 1, "EIO", 50, 0, 18, "could not be read"},
        {"a band, readable after it", 0.3, 0.6, 300, 1, "EIO", 60, 0, 42, ""},
        {"reads failing at random", 0.3, 0.6, 0, 4, "EIO", 60, 0, 60, ""},
        {"no medium", 0.3, 1, 0, 1, "ENOMEDIUM", 30, 0, 18, "went away"},
        {"unreadable from the start", 0, 1, 0, 1, "EIO", 60, 1, 0, "no part of the title could be read"},
    };
    const QRegularExpression end(R"((could not be read|went away) after (\d+):(\d\d):(\d\d)[^;]*; (\d+):(\d\d) of the title)");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString out = dir.filePath(QString(c.name).replace(' ', '_') + ".mp4");
        const qint64 from = qint64(vobSize * c.from) / 2048 * 2048, to = qint64(vobSize * c.to) / 2048 * 2048;
        QProcess p;
        const auto start = std::chrono::steady_clock::now();
        StartFailing(p, from, to, c.delayMs, {"convert", BusyDisc(), out, "1", "--codec", "2", "--size", "320x240"},
                     c.error, c.odds);
        ASSERT_TRUE(p.waitForFinished(300000));
        const double took = Seconds(std::chrono::steady_clock::now() - start);
        const std::string err = p.readAllStandardError().toStdString();
        const QString said = QString::fromStdString(err);
        EXPECT_LT(took, c.seconds) << err;
        EXPECT_EQ(p.exitCode(), c.exitCode) << err;
        if (c.length == 0) {
            EXPECT_FALSE(QFileInfo::exists(out));
            EXPECT_NE(err.find(c.told), std::string::npos) << err;
            continue;
        }
        const double length = DurationOf(out);
        EXPECT_NEAR(length, c.length, 2.5) << err;
        EXPECT_TRUE(DecodesCleanly(out));
        const auto m = end.match(said);
        if (!*c.told) {
            // Nothing is missing at the end; the band is told as one region of its own length.
            EXPECT_FALSE(m.hasMatch()) << err;
            if (c.odds > 1)
                continue;
            const auto region = kRegionLine.match(said);
            ASSERT_TRUE(region.hasMatch()) << err;
            const double bandKb = double(to - from) / 1024;
            EXPECT_GE(region.captured(5).toDouble(), bandKb) << err;
            EXPECT_LE(region.captured(5).toDouble(), bandKb + 64) << err;
            continue;
        }
        // While slow reads are skipped, the gauge moves on through the title.
        if (c.delayMs >= 1000) {
            EXPECT_TRUE(QRegularExpression(R"(\s([5-8]\d|9[0-8])%)").match(said).hasMatch()) << err;
        }
        // Where reading stopped, and the rest of the 60-second title as missing.
        ASSERT_TRUE(m.hasMatch()) << err;
        EXPECT_EQ(m.captured(1).toStdString(), c.told);
        const int at = m.captured(2).toInt() * 3600 + m.captured(3).toInt() * 60 + m.captured(4).toInt();
        EXPECT_NEAR(at, length, 2.5) << err;
        EXPECT_NEAR(at + m.captured(5).toInt() * 60 + m.captured(6).toInt(), 60, 1) << err;
    }
}

TEST_F(DamagedDisc, InterruptInASlowBadRegionEndsAtOnceWithAFileThatPlays)
{
    // From 40 % on, every read fails and takes 2 s: far longer than the
    // interrupt may take, so it must not wait for the read in flight.
    const QString out = dir.filePath("interrupted.mp4");
    QProcess p;
    StartFailing(p, vobSize * 4 / 10, vobSize, 2000, {"convert", LongDisc(), out, "1", "--codec", "2"});
    ASSERT_TRUE(p.waitForStarted());
    QByteArray err;
    // Progress counts what was read: near 40 % the reading meets the damage,
    // and from there it steps on only as each skip over it fails.
    const QRegularExpression there(R"(\s(3[5-9]|[4-9]\d)%)");
    const auto deadline = std::chrono::steady_clock::now() + 120s;
    while (!there.match(QString::fromUtf8(err)).hasMatch() && p.state() == QProcess::Running &&
           std::chrono::steady_clock::now() < deadline) {
        p.waitForReadyRead(200);
        err += p.readAllStandardError();
    }
    ASSERT_TRUE(there.match(QString::fromUtf8(err)).hasMatch()) << err.toStdString();
    std::this_thread::sleep_for(2s);
    ASSERT_EQ(p.state(), QProcess::Running) << err.toStdString();
    const auto start = std::chrono::steady_clock::now();
    ::kill(pid_t(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(30000));
    const double took = Seconds(std::chrono::steady_clock::now() - start);
    err += p.readAllStandardError();
    EXPECT_LT(took, 1.0) << "the interrupt took " << took << " s";
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 130) << err.toStdString();
    const double duration = DurationOf(out);
    EXPECT_GT(duration, 10.0);
    EXPECT_LT(duration, 40.0);
    EXPECT_TRUE(DecodesCleanly(out));
}

// In the process: a reader seam failing every block from `g_badFrom` on, slowly.
std::atomic<int> g_badFrom{1 << 30};
std::atomic<int> g_slowReads{0};

ssize_t SlowBadReads(dvd_file_t *file, int sector, size_t count, unsigned char *buffer)
{
    if (sector + int(count) > g_badFrom.load()) {
        ++g_slowReads;
        std::this_thread::sleep_for(1500ms);
        return -1;
    }
    return DVDReadBlocks(file, sector, count, buffer);
}

uint8_t Ignore(int32_t, int32_t) { return 1; }

class SlowBadReads : public DamagedDisc {
protected:
    void SetUp() override
    {
        DamagedDisc::SetUp();
        if (IsSkipped())
            return;
        g_badFrom = int(vobSize / 2048 / 3);
        g_slowReads = 0;
        dvdc::SetBlockReadForTests(&::SlowBadReads);
        h = OpenConverter(LongDisc().toStdString());
        ASSERT_NE(h, 0u);
    }
    void TearDown() override
    {
        if (h)
            CloseConverter(h);
        dvdc::SetBlockReadForTests(nullptr);
    }

    // Starts title 1 and waits until the reading is inside the bad region.
    void StartIntoTheBadRegion(const std::string &path, int newFile = 1)
    {
        ASSERT_TRUE(Converter_SetConvertInfo(h, 0, 0, 0, 320, 240, 0x80, 0, -1, -1, 0, DC_CODEC_MPEG4, 0, newFile,
                                             0, 0))
            << Converter_GetLastError(h);
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(Converter_Convert(h, path.c_str(), &Ignore)) << Converter_GetLastError(h);
        EXPECT_LT(Seconds(std::chrono::steady_clock::now() - start), 0.5);
        const auto deadline = start + 120s;
        while (g_slowReads.load() < 1 && std::chrono::steady_clock::now() < deadline) {
            Converter_DispatchReports(h);
            std::this_thread::sleep_for(20ms);
        }
        // What was read before the damage is converted meanwhile; a slow
        // read is in flight when the test goes on.
        std::this_thread::sleep_for(2200ms);
        Converter_DispatchReports(h);
        ASSERT_GE(g_slowReads.load(), 2);
    }

    DCHandle h = 0;
};

TEST_F(SlowBadReads, StopAndCloseReturnAtOnceAndKeepWhatWasConverted)
{
    const std::string path = dir.filePath("stopped.mp4").toStdString();
    StartIntoTheBadRegion(path);
    auto start = std::chrono::steady_clock::now();
    Converter_CancelConvert(h);
    EXPECT_LT(Seconds(std::chrono::steady_clock::now() - start), 0.5);
    start = std::chrono::steady_clock::now();
    Converter_CloseFile(h);
    EXPECT_LT(Seconds(std::chrono::steady_clock::now() - start), 0.5);
    while (Converter_GetFinishingCount(h) > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const double duration = DurationOf(QString::fromStdString(path));
    EXPECT_GT(duration, 10.0);
    EXPECT_LT(duration, 30.0);
}

TEST_F(SlowBadReads, ClosingTheInstanceWhileReadsFailReturnsAtOnce)
{
    const std::string path = dir.filePath("closed.mp4").toStdString();
    StartIntoTheBadRegion(path);
    const auto start = std::chrono::steady_clock::now();
    CloseConverter(h);
    h = 0;
    EXPECT_LT(Seconds(std::chrono::steady_clock::now() - start), 0.5);
    // The file was finished, not thrown away.
    const double duration = DurationOf(QString::fromStdString(path));
    EXPECT_GT(duration, 10.0);
    EXPECT_TRUE(DecodesCleanly(QString::fromStdString(path)));
}

} // namespace

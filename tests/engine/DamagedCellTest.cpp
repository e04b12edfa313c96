// SPDX-License-Identifier: GPL-3.0-or-later
// Whole dvdconvert conversions of discs with a cell the IFO lists that
// cannot be read at all, and the peak memory of damaged conversions against
// a clean one.  The damage is the preloaded FailingReads shim.
#include "EngineTestSupport.h"

#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>

#include <QByteArray>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

extern char **environ;

using namespace enginetest;

namespace {

const std::string kCli = ENGINE_CLI;
const char *const kVob = "VTS_01_1.VOB";

struct Reads {
    long long from = 0, to = 0;   // the failing byte range of kVob; none when equal
    int delayMs = 0;
};
struct Outcome {
    int exitCode = -1;
    long peakKb = 0;   // the child's own peak resident memory
    std::string err;
};

// Runs dvdconvert with `args` and the reads of `damage` failing; waits for
// it with wait4, whose usage is the child's alone.
Outcome RunCli(const std::vector<std::string> &args, const Reads &damage, const std::string &errFile)
{
    std::vector<std::string> env;
    for (char **e = environ; *e; ++e)
        env.emplace_back(*e);
    if (damage.to > damage.from) {
        env.push_back(std::string("LD_PRELOAD=") + FAILING_READS);
        env.push_back("ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0");
        env.push_back(std::string("PELLAVAN_FAIL_FILE=") + kVob);
        env.push_back("PELLAVAN_FAIL_FROM=" + std::to_string(damage.from));
        env.push_back("PELLAVAN_FAIL_TO=" + std::to_string(damage.to));
        env.push_back("PELLAVAN_FAIL_DELAY_MS=" + std::to_string(damage.delayMs));
    }
    std::vector<char *> argv{const_cast<char *>(kCli.c_str())}, envp;
    for (const auto &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    for (auto &e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    Outcome o;
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, kCli.c_str(), &files, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&files);
    if (spawned != 0)
        return o;
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status))
        o.exitCode = WEXITSTATUS(status);
    o.peakKb = usage.ru_maxrss;
    if (FILE *f = std::fopen(errFile.c_str(), "rb")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            o.err.append(buf, n);
        std::fclose(f);
    }
    return o;
}

double DurationOf(const QString &file)
{
    QByteArray out;
    Run("ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", file}, &out);
    return out.trimmed().toDouble();
}

// The sectors of the cells of title set 1's first program chain, as the IFO lists them.
std::vector<std::pair<uint32_t, uint32_t>> CellSectors(const std::string &root)
{
    std::vector<std::pair<uint32_t, uint32_t>> cells;
    dvd_reader_t *dvd = DVDOpen(root.c_str());
    if (!dvd)
        return cells;
    if (ifo_handle_t *ifo = ifoOpen(dvd, 1)) {
        if (ifo->vts_pgcit && ifo->vts_pgcit->nr_of_pgci_srp > 0) {
            const pgc_t *pgc = ifo->vts_pgcit->pgci_srp[0].pgc;
            for (int i = 0; pgc && i < pgc->nr_of_cells; ++i)
                cells.emplace_back(uint32_t(pgc->cell_playback[i].first_sector), uint32_t(pgc->cell_playback[i].last_sector));
        }
        ifoClose(ifo);
    }
    DVDClose(dvd);
    return cells;
}

const QRegularExpression kRegionLine(R"(unreadable region at (\d+):(\d\d):(\d\d)\.(\d) in the title: (\d+) KB skipped)");

double FrameSeconds(int frames) { return frames * 1001.0 / 30000.0; }

class DamagedCells : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::string Path(const char *name) const { return dir.filePath(name).toStdString(); }
};

TEST_F(DamagedCells, AnUnreadableCellIsLeftOutAndToldOnce)
{
    // Title 1 of the NTSC disc: cells of 45, 30 and 3 frames; the middle one
    // is unreadable from its first sector to its last.
    const std::string disc = Disc("ntsc");
    const auto cells = CellSectors(disc);
    ASSERT_EQ(cells.size(), 3u);
    const auto &frames = kNtscDisc[0].chapterFrames;
    ASSERT_EQ(frames.size(), 3u);
    const std::string out = Path("cell.mp4");
    const Reads damage{(long long)cells[1].first * 2048, ((long long)cells[1].second + 1) * 2048, 0};
    const Outcome o = RunCli({"convert", disc, out, "1", "--codec", "2", "--size", "320x240"}, damage, Path("err"));
    EXPECT_EQ(o.exitCode, 0) << o.err;
    const QString err = QString::fromStdString(o.err);
    auto lines = kRegionLine.globalMatch(err);
    int count = 0;
    double at = -1;
    long kb = 0;
    while (lines.hasNext()) {
        auto m = lines.next();
        ++count;
        at = m.captured(1).toInt() * 3600 + m.captured(2).toInt() * 60 + m.captured(3).toInt() +
             m.captured(4).toInt() / 10.0;
        kb = m.captured(5).toLong();
    }
    ASSERT_EQ(count, 1) << o.err;
    // Where the cell begins, and about the cell's size.
    EXPECT_NEAR(at, FrameSeconds(frames[0]), 0.2) << o.err;
    const long cellKb = long(cells[1].second - cells[1].first + 1) * 2;
    EXPECT_GE(kb, cellKb) << o.err;
    EXPECT_LE(kb, cellKb + 64) << o.err;
    // The title's length less that cell's.
    EXPECT_NEAR(DurationOf(QString::fromStdString(out)), FrameSeconds(frames[0] + frames[2]), 0.05) << o.err;
}

// The sectors in [first, last] of the title set's VOB that hold a nav pack
// (each starts a VOBU).
std::vector<uint32_t> NavPacks(const std::string &root, uint32_t first, uint32_t last)
{
    std::vector<uint32_t> packs;
    FILE *f = std::fopen((root + "/VIDEO_TS/" + kVob).c_str(), "rb");
    if (!f)
        return packs;
    unsigned char block[2048];
    for (uint32_t s = first; s <= last; ++s) {
        if (std::fseek(f, long(s) * 2048, SEEK_SET) != 0 || std::fread(block, 1, sizeof block, f) != sizeof block)
            break;
        const unsigned char system[] = {0, 0, 1, 0xBB}, pci[] = {0, 0, 1, 0xBF};
        if (std::equal(system, system + 4, block + 14) && std::equal(pci, pci + 4, block + 38))
            packs.push_back(s);
    }
    std::fclose(f);
    return packs;
}

// ffprobe's chapters of a file: (start in seconds, title).
std::vector<std::pair<double, QString>> ChaptersOf(const QString &file)
{
    QByteArray out;
    Run("ffprobe", {"-v", "error", "-show_entries", "chapter=start_time:chapter_tags=title", "-of", "csv=p=0", file},
        &out);
    std::vector<std::pair<double, QString>> list;
    for (const QByteArray &line : out.split('\n')) {
        const int comma = line.indexOf(',');
        if (comma > 0)
            list.emplace_back(line.left(comma).toDouble(), QString::fromUtf8(line.mid(comma + 1)));
    }
    return list;
}

TEST_F(DamagedCells, AChapterWhoseStartIsUnreadableIsMarkedAtItsFirstPictureAfter)
{
    // The sync disc: six cells of 30 frames in two VOBUs, a flash 6 frames
    // into each.  Cell 3's nav pack is read, the blocks after it (its first
    // pictures) are not: the reading goes on in the middle of the VOBU, where
    // nothing decodes before the next key picture.
    const std::string disc = Disc("sync");
    const auto cells = CellSectors(disc);
    ASSERT_EQ(cells.size(), 6u);
    const std::vector<uint32_t> vobus = NavPacks(disc, cells[2].first, cells[2].second);
    ASSERT_EQ(vobus.size(), 2u);
    ASSERT_EQ(vobus[0], cells[2].first);
    // The reader skips 1, 2, 4 ... blocks: a damaged stretch of 2^k - 1 blocks
    // is passed without reaching into the next VOBU.
    const uint32_t from = cells[2].first + 1;
    uint32_t lost = 1;
    while (from + 2 * lost + 1 <= vobus[1])
        lost = 2 * lost + 1;
    const Reads damage{(long long)from * 2048, ((long long)from + lost) * 2048, 0};
    const std::string out = Path("sync.mp4");
    const Outcome o = RunCli({"convert", disc, out, "1", "--size", "320x240"}, damage, Path("err"));
    ASSERT_EQ(o.exitCode, 0) << o.err;
    ASSERT_NE(o.err.find("unreadable region"), std::string::npos) << o.err;

    // Every chapter keeps its mark, the damaged one included, and the title
    // its length: what was readable before the damage stays in its place
    // (the last pictures of chapter 2, whose times the parser may leave to
    // follow their stream, do not take the next cell's clock), and so does
    // everything after it.
    const auto chapters = ChaptersOf(QString::fromStdString(out));
    ASSERT_EQ(chapters.size(), 6u) << o.err;
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_EQ(chapters[size_t(i)].second, QString("Chapter %1").arg(i + 1, 2, 10, QChar('0')));
        if (i != 2) {
            EXPECT_NEAR(chapters[size_t(i)].first, FrameSeconds(30 * i), FrameSeconds(1));
        }
    }
    // Chapter 3 from its first picture after the damage: past its own start,
    // within its first VOBU.
    EXPECT_GE(chapters[2].first, FrameSeconds(60 + 1) - 0.001);
    EXPECT_LE(chapters[2].first, FrameSeconds(60 + 15) + 0.001);
    EXPECT_NEAR(DurationOf(QString::fromStdString(out)), FrameSeconds(180), FrameSeconds(1));
    // The pictures agree: every readable chapter's flash 6 frames after its mark.
    QByteArray luma;
    enginetest::Run("ffprobe", {"-v", "error", "-f", "lavfi", "-i", "movie='" + QString::fromStdString(out) + "',signalstats",
                    "-show_entries", "frame=pts_time:frame_tags=lavfi.signalstats.YAVG", "-of", "csv=p=0"},
        &luma);
    std::vector<double> flashes;
    bool bright = false;
    for (const QByteArray &line : luma.split('\n')) {
        const QList<QByteArray> f = line.split(',');
        if (f.size() < 2)
            continue;
        const bool now = f[1].toDouble() > 128;
        if (now && !bright)
            flashes.push_back(f[0].toDouble());
        bright = now;
    }
    ASSERT_EQ(flashes.size(), 5u);   // chapter 3's was in the damage
    const int withFlash[] = {0, 1, 3, 4, 5};
    for (size_t k = 0; k < 5; ++k)
        EXPECT_NEAR(flashes[k], chapters[size_t(withFlash[k])].first + FrameSeconds(6), FrameSeconds(1)) << k;
}

// A generous bound: a damaged conversion may need a little more than the
// clean one, never a buffer that grows with the damage.
constexpr long kMarginKb = 64 * 1024;

TEST_F(DamagedCells, DamagedConversionsNeedNoMoreMemoryThanACleanOne)
{
    const std::string longDisc = std::string(ENGINE_LONG_DISC) + "/long";
    const std::string vob = longDisc + "/VIDEO_TS/" + kVob;
    if (!QFileInfo::exists(QString::fromStdString(vob)))
        GTEST_SKIP() << "the long test disc was not made";
    const long long size = QFileInfo(QString::fromStdString(vob)).size();
    const std::vector<std::string> args{"convert", longDisc, Path("long.mp4"), "1", "--codec", "2"};
    const Outcome clean = RunCli(args, {}, Path("err"));
    ASSERT_EQ(clean.exitCode, 0) << clean.err;
    ASSERT_GT(clean.peakKb, 0);
    // 256 KB unreadable in the middle; then a 256 KB region of reads failing slowly.
    const long long middle = size / 2 / 2048 * 2048;
    for (const int delayMs : {0, 300}) {
        SCOPED_TRACE(delayMs ? "slow failing reads" : "unreadable");
        const Outcome damaged = RunCli(args, {middle, middle + 256 * 1024, delayMs}, Path("err"));
        EXPECT_EQ(damaged.exitCode, 0) << damaged.err;
        EXPECT_EQ(QString::fromStdString(damaged.err).count(kRegionLine), 1) << damaged.err;
        EXPECT_LT(damaged.peakKb, clean.peakKb + kMarginKb) << "clean " << clean.peakKb << " KB";
    }
    // A whole cell unreadable, against the same title read cleanly.
    const std::string disc = Disc("ntsc");
    const auto cells = CellSectors(disc);
    ASSERT_EQ(cells.size(), 3u);
    const std::vector<std::string> title1{"convert", disc, Path("t1.mp4"), "1", "--codec", "2"};
    const Outcome cleanTitle = RunCli(title1, {}, Path("err"));
    ASSERT_EQ(cleanTitle.exitCode, 0) << cleanTitle.err;
    const Outcome cell =
        RunCli(title1, {(long long)cells[1].first * 2048, ((long long)cells[1].second + 1) * 2048, 0}, Path("err"));
    EXPECT_EQ(cell.exitCode, 0) << cell.err;
    EXPECT_LT(cell.peakKb, cleanTitle.peakKb + kMarginKb) << "clean " << cleanTitle.peakKb << " KB";
}

} // namespace

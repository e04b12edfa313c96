// SPDX-License-Identifier: GPL-3.0-or-later
// Bad input never crashes, hangs or reads out of bounds: it gives false or
// zeros and a message in the log.
#include "EngineTestSupport.h"
#include "disc.h"
#include "instance.h"
#include "title_reader.h"

#include <dvdread/ifo_types.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>

using namespace enginetest;

namespace {

// Every query, every stream and a preview of every title; the records of
// out-of-range calls must stay as they were.
void QueryEverything(DCHandle h)
{
    int titles = Converter_GetTitleCount(h);
    for (int t = -1; t <= titles; ++t) {
        int chapters = Converter_GetChapterCount(h, t);
        for (int c = -1; c <= chapters; ++c)
            Converter_GetChapterPlayTime(h, t, c);
        Converter_GetAngleCount(h, t);
        Converter_GetTitlePlayTime(h, t);
        TVideoInfo v;
        Converter_GetVideoInfo(h, t, &v);
        for (int a = -1; a <= Converter_GetAudioCount(h, t); ++a) {
            TAudioInfo info;
            Converter_GetAudioInfo(h, t, a, &info);
        }
        for (int s = -1; s <= Converter_GetSubCount(h, t); ++s) {
            TSubInfo info;
            Converter_GetSubInfo(h, t, s, &info);
        }
        Converter_BeginPreview(h, t, 1);
        Converter_FreePicture(Converter_GetPreview2(h, nullptr, 1));
        for (int i = 0; i < 3; ++i)
            Converter_GetPreview2(h, nullptr, 0);
        Converter_FreePicture(Converter_GetPreview2(h, nullptr, 1));
        Converter_EndPreview(h);
    }
}

// Reads every title through the title reader, as a conversion would.
int64_t ReadEverything(DCHandle h)
{
    dvdc::Instance *in = dvdc::FindInstance(h);
    int64_t total = 0;
    std::vector<uint8_t> buffer(65536);
    for (int t = 0; in && t < Converter_GetTitleCount(h); ++t) {
        std::string error;
        int chapters = Converter_GetChapterCount(h, t);
        auto reader = chapters ? dvdc::OpenTitleReader(*in, t, 0, chapters - 1, 0, error) : nullptr;
        for (int n; reader && (n = reader->Read(buffer.data(), int(buffer.size()))) > 0;)
            total += n;
    }
    return total;
}

template <class T>
bool Untouched(const T &record)
{
    T pattern;
    std::memset(&pattern, 0xA5, sizeof pattern);
    return std::memcmp(&pattern, &record, sizeof record) == 0;
}

template <class T>
T Pattern()
{
    T record;
    std::memset(&record, 0xA5, sizeof record);
    return record;
}

} // namespace

TEST(Robustness, HandlesThatAreZeroClosedOrUnknownDoNothing)
{
    LogCapture log;
    DCHandle closed = OpenConverter(Disc("ntsc"));
    ASSERT_NE(closed, 0u);
    CloseConverter(closed);
    CloseConverter(closed);
    for (DCHandle h : {DCHandle(0), closed, DCHandle(0xFFFFFFF0)}) {
        EXPECT_FALSE(Converter_OpenDVD(h, Disc("ntsc").c_str(), 1));
        EXPECT_EQ(Converter_GetTitleCount(h), 0);
        EXPECT_EQ(Converter_GetChapterCount(h, 0), 0);
        EXPECT_EQ(Converter_GetAngleCount(h, 0), 0);
        EXPECT_EQ(Converter_GetAudioCount(h, 0), 0);
        EXPECT_EQ(Converter_GetSubCount(h, 0), 0);
        EXPECT_EQ(Converter_GetTitlePlayTime(h, 0), 0);
        EXPECT_EQ(Converter_GetChapterPlayTime(h, 0, 0), 0);
        auto v = Pattern<TVideoInfo>();
        auto a = Pattern<TAudioInfo>();
        auto s = Pattern<TSubInfo>();
        Converter_GetVideoInfo(h, 0, &v);
        Converter_GetAudioInfo(h, 0, 0, &a);
        Converter_GetSubInfo(h, 0, 0, &s);
        EXPECT_TRUE(Untouched(v) && Untouched(a) && Untouched(s));
        Converter_BeginPreview(h, 0, 1);
        EXPECT_EQ(Converter_GetPreview2(h, nullptr, 1), nullptr);
        EXPECT_EQ(Converter_GetPreview2(h, nullptr, 0), nullptr);
        Converter_EndPreview(h);
        EXPECT_STREQ(Converter_GetLastError(h), "");
    }
    EXPECT_TRUE(log.Contains("no converter with handle"));

    DCHandle fresh = CreateConverter();   // created but nothing opened
    EXPECT_NE(fresh, closed);             // handles are not reused
    QueryEverything(fresh);
    EXPECT_EQ(Converter_GetTitleCount(fresh), 0);
    CloseConverter(fresh);
}

TEST(Robustness, IndexesOutOfRangeAndNullRecordsLeaveRecordsAlone)
{
    LogCapture log;
    DCHandle h = OpenConverter(Disc("ntsc"));
    ASSERT_NE(h, 0u);
    for (int t : {-1, 3, INT_MAX, INT_MIN}) {
        EXPECT_EQ(Converter_GetChapterCount(h, t), 0);
        EXPECT_EQ(Converter_GetTitlePlayTime(h, t), 0);
        auto v = Pattern<TVideoInfo>();
        Converter_GetVideoInfo(h, t, &v);
        EXPECT_TRUE(Untouched(v));
    }
    for (int i : {-1, 2, INT_MAX}) {
        EXPECT_EQ(Converter_GetChapterPlayTime(h, 1, i), 0);
        auto a = Pattern<TAudioInfo>();
        auto s = Pattern<TSubInfo>();
        Converter_GetAudioInfo(h, 0, i, &a);
        Converter_GetSubInfo(h, 2, i, &s);
        EXPECT_TRUE(Untouched(a) && Untouched(s)) << i;
    }
    Converter_GetVideoInfo(h, 0, nullptr);
    Converter_GetAudioInfo(h, 0, 0, nullptr);
    Converter_GetSubInfo(h, 0, 0, nullptr);
    QueryEverything(h);
    EXPECT_TRUE(log.Contains("no title 3"));
    EXPECT_TRUE(log.Contains("index 2 out of range"));
    CloseConverter(h);
}

TEST(Robustness, SourcesThatAreNoDvdAreRefusedWithAReason)
{
    QTemporaryDir dir;
    std::string base = dir.path().toStdString();
    std::string noVideoTs = base + "/empty";
    std::string garbage = base + "/garbage.iso";
    QDir().mkpath(QString::fromStdString(noVideoTs));
    {
        QFile f(QString::fromStdString(garbage));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(1 << 20, '\x5a'));
    }
    DCHandle h = CreateConverter();
    for (const std::string &path : {std::string(), base + "/missing", noVideoTs, garbage}) {
        LogCapture log;
        EXPECT_FALSE(Converter_OpenDVD(h, path.c_str(), 1)) << path;
        EXPECT_STRNE(Converter_GetLastError(h), "") << path;
        EXPECT_FALSE(log.messages.empty());
        EXPECT_EQ(Converter_GetTitleCount(h), 0);
    }
    EXPECT_FALSE(Converter_OpenDVD(h, nullptr, 1));
    // A failed open after a good one leaves no catalogue behind.
    ASSERT_TRUE(Converter_OpenDVD(h, Disc("pal").c_str(), 1));
    EXPECT_STREQ(Converter_GetLastError(h), "");
    EXPECT_FALSE(Converter_OpenDVD(h, noVideoTs.c_str(), 1));
    EXPECT_EQ(Converter_GetTitleCount(h), 0);
    CloseConverter(h);
}

TEST(Robustness, EmptyIfoFallsBackToItsBackupAndFailsWithoutOne)
{
    DiscCopy disc("ntsc");
    disc.Write("VIDEO_TS.IFO", {});
    DCHandle h = OpenConverter(disc.Root());
    ASSERT_NE(h, 0u);
    EXPECT_EQ(Converter_GetTitleCount(h), 3);
    CloseConverter(h);
    disc.Write("VIDEO_TS.BUP", {});
    LogCapture log;
    EXPECT_EQ(OpenConverter(disc.Root()), 0u);
    EXPECT_FALSE(log.messages.empty());
}

TEST(Robustness, IfosTruncatedAtEvery512ByteBoundary)
{
    for (const char *name : {"VIDEO_TS", "VTS_01_0"}) {
        DiscCopy disc("ntsc");
        std::string ifo = std::string(name) + ".IFO", bup = std::string(name) + ".BUP";
        std::vector<uint8_t> whole = disc.Read(ifo);
        ASSERT_FALSE(whole.empty());
        for (size_t size = 0; size < whole.size(); size += 512) {
            SCOPED_TRACE(ifo + " cut to " + std::to_string(size));
            std::vector<uint8_t> cut(whole.begin(), whole.begin() + long(size));
            disc.Write(ifo, cut);
            disc.Write(bup, cut);
            DCHandle h = CreateConverter();
            if (Converter_OpenDVD(h, disc.Root().c_str(), 1)) {
                QueryEverything(h);
                ReadEverything(h);
            } else {
                EXPECT_STRNE(Converter_GetLastError(h), "");
            }
            CloseConverter(h);
        }
    }
}

// libdvdread leaks the attribute table when a title set's record cannot be
// read; under LeakSanitizer this test catches a disc that gets through.
TEST(Robustness, TitleSetAttributesPastTheEndAreRefused)
{
    DiscCopy disc("ntsc");
    std::vector<uint8_t> ifo = disc.Read("VIDEO_TS.IFO");
    const size_t at = offsetof(vmgi_mat_t, vts_atrt);
    ASSERT_GT(ifo.size(), at + 4);
    const size_t table = size_t(ifo[at] << 24 | ifo[at + 1] << 16 | ifo[at + 2] << 8 | ifo[at + 3]) * 2048;
    ASSERT_GT(ifo.size(), table + 16);
    const uint32_t past = uint32_t(ifo.size() - table - 100);   // the record's 542 bytes run off the end
    for (int i = 0; i < 4; ++i)
        ifo[table + 8 + size_t(i)] = uint8_t(past >> (24 - 8 * i));
    disc.Write("VIDEO_TS.IFO", ifo);
    disc.Write("VIDEO_TS.BUP", ifo);
    DCHandle h = CreateConverter();
    EXPECT_FALSE(Converter_OpenDVD(h, disc.Root().c_str(), 1));
    EXPECT_NE(std::string(Converter_GetLastError(h)).find("title set attributes"), std::string::npos)
        << Converter_GetLastError(h);
    CloseConverter(h);
}

// The engine checks a folder's IFOs itself before libdvdread parses them: it
// must look at the very file libdvdread will open, whatever its case and
// wherever libdvdread looks first (the folder itself, then VIDEO_TS).
TEST(Robustness, FolderFilesAreCheckedWhereLibdvdreadFindsThem)
{
    {
        DiscCopy disc("ntsc");
        for (const char *ext : {".IFO", ".BUP"})
            ASSERT_EQ(std::rename(disc.File(std::string("VTS_01_0") + ext).c_str(),
                                  disc.File(std::string("vts_01_0") + (ext[1] == 'I' ? ".ifo" : ".bup")).c_str()),
                      0);
        DCHandle h = OpenConverter(disc.Root());
        ASSERT_NE(h, 0u);
        EXPECT_EQ(Converter_GetTitleCount(h), 3);
        EXPECT_EQ(Converter_GetChapterCount(h, 0), 3);   // read from the lower-case file
        CloseConverter(h);
    }
    {
        // A damaged VIDEO_TS.IFO beside the folder is the one libdvdread reads.
        DiscCopy disc("ntsc");
        std::vector<uint8_t> ifo = disc.Read("VIDEO_TS.IFO");
        ASSERT_GT(ifo.size(), size_t(4096));
        ifo.resize(ifo.size() - 2048);   // its last tables now lie past the end
        for (const char *name : {"/VIDEO_TS.IFO", "/VIDEO_TS.BUP"}) {
            FILE *f = std::fopen((disc.Root() + name).c_str(), "wb");
            ASSERT_NE(f, nullptr);
            std::fwrite(ifo.data(), 1, ifo.size(), f);
            std::fclose(f);
        }
        LogCapture log;
        DCHandle h = CreateConverter();
        EXPECT_FALSE(Converter_OpenDVD(h, disc.Root().c_str(), 1));
        EXPECT_NE(std::string(Converter_GetLastError(h)).find("damaged"), std::string::npos)
            << Converter_GetLastError(h);
        CloseConverter(h);
    }
}

// Without libdvdcss an encrypted disc's IFOs read fine but its packs stay
// scrambled; the test marks the first title's video packets scrambled as
// such a disc leaves them.
TEST(Robustness, ScrambledPacksWithoutKeysRefuseTheDiscWithAReason)
{
    DiscCopy disc("ntsc");
    std::vector<uint8_t> vob = disc.Read("VTS_01_1.VOB");
    ASSERT_GT(vob.size(), size_t(64 * 2048));
    int marked = 0;
    for (size_t i = 0; i + 7 < 64 * 2048; ++i)
        if (vob[i] == 0 && vob[i + 1] == 0 && vob[i + 2] == 1 && vob[i + 3] == 0xE0 && (vob[i + 6] & 0xC0) == 0x80) {
            vob[i + 6] |= 0x10;   // PES scrambling control '01'
            ++marked;
        }
    ASSERT_GT(marked, 0);
    disc.Write("VTS_01_1.VOB", vob);
    LogCapture log;
    DCHandle h = CreateConverter();
    EXPECT_FALSE(Converter_OpenDVD(h, disc.Root().c_str(), 1));
    EXPECT_NE(std::string(Converter_GetLastError(h)).find("encrypted"), std::string::npos)
        << Converter_GetLastError(h);
    EXPECT_EQ(Converter_GetTitleCount(h), 0);
    CloseConverter(h);
}

TEST(Robustness, MissingOrShortVobsReadWhatIsThere)
{
    DiscCopy disc("ntsc");
    DCHandle h = OpenConverter(disc.Root());
    ASSERT_NE(h, 0u);
    int64_t whole = ReadEverything(h);
    CloseConverter(h);

    std::vector<uint8_t> vob = disc.Read("VTS_01_1.VOB");
    vob.resize(vob.size() / 2 + 100);   // also ends inside a block
    disc.Write("VTS_01_1.VOB", vob);
    h = OpenConverter(disc.Root());
    ASSERT_NE(h, 0u);
    EXPECT_EQ(Converter_GetTitleCount(h), 3);   // the catalogue comes from the IFOs
    int64_t shorter = ReadEverything(h);
    EXPECT_GT(shorter, 0);
    EXPECT_LT(shorter, whole);
    QueryEverything(h);
    CloseConverter(h);

    QFile::remove(QString::fromStdString(disc.File("VTS_01_1.VOB")));
    LogCapture log;
    h = OpenConverter(disc.Root());
    ASSERT_NE(h, 0u);
    EXPECT_EQ(Converter_GetChapterCount(h, 0), 3);
    Converter_BeginPreview(h, 0, 1);
    EXPECT_EQ(Converter_GetPreview2(h, nullptr, 1), nullptr);
    EXPECT_STRNE(Converter_GetLastError(h), "");
    std::string error;
    EXPECT_FALSE(dvdc::OpenTitleReader(*dvdc::FindInstance(h), 0, 0, 0, 0, error));
    EXPECT_FALSE(error.empty());
    EXPECT_GT(ReadEverything(h), 0);   // title 3 lives in the second title set
    CloseConverter(h);
}

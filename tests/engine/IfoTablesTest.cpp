// SPDX-License-Identifier: GPL-3.0-or-later
// The catalogue and cell logic on IFO tables built in memory: angle blocks
// and damaged tables cannot be authored with the disc tools.
#include "disc.h"
#include "ifo_catalogue.h"
#include "preview.h"
#include "title_reader.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace dvdc;

namespace {

uint8_t Bcd(int v) { return static_cast<uint8_t>((v / 10) << 4 | (v % 10)); }

dvd_time_t Time(int h, int m, int s, int frames, int rateCode)
{
    return dvd_time_t{Bcd(h), Bcd(m), Bcd(s), static_cast<uint8_t>(rateCode << 6 | Bcd(frames))};
}
constexpr int kNtsc = 3, kPal = 1;

cell_playback_t Cell(int frames, uint32_t first, uint32_t last, int blockType = 0, int blockMode = 0)
{
    cell_playback_t c;
    std::memset(&c, 0, sizeof c);
    c.playback_time = Time(0, 0, frames / 30, frames % 30, kNtsc);
    c.first_sector = first;
    c.last_sector = last;
    c.block_type = blockType;
    c.block_mode = blockMode;
    return c;
}

// One title set with one title in one PGC, and the video manager pointing at it.
struct Tables {
    std::vector<cell_playback_t> cells;
    std::vector<uint8_t> programs;        // first cell (1-based) of each program
    std::vector<ptt_info_t> chapters;     // (pgcn, pgn)
    int pgcCount = 1;
    int angles = 1;

    vtsi_mat_t mat{};
    pgc_t pgc{};
    std::vector<pgci_srp_t> srps;
    pgcit_t pgcit{};
    ttu_t unit{};
    vts_ptt_srpt_t ptt{};
    ifo_handle_t vts{};
    title_info_t title{};
    tt_srpt_t tt{};
    ifo_handle_t vmg{};

    Tables()
    {
        std::memset(&mat, 0, sizeof mat);
        std::memset(&pgc, 0, sizeof pgc);
        std::memset(&title, 0, sizeof title);
    }

    void Wire()
    {
        pgc.nr_of_cells = static_cast<uint8_t>(cells.size());
        pgc.nr_of_programs = static_cast<uint8_t>(programs.size());
        pgc.cell_playback = cells.data();
        pgc.program_map = programs.data();
        srps.assign(static_cast<size_t>(pgcCount), pgci_srp_t{});
        for (auto &s : srps)
            s.pgc = &pgc;
        pgcit.nr_of_pgci_srp = static_cast<uint16_t>(pgcCount);
        pgcit.pgci_srp = srps.data();
        unit.nr_of_ptts = static_cast<uint16_t>(chapters.size());
        unit.ptt = chapters.data();
        ptt.nr_of_srpts = 1;
        ptt.title = &unit;
        vts.vtsi_mat = &mat;
        vts.vts_pgcit = &pgcit;
        vts.vts_ptt_srpt = &ptt;
        title.nr_of_ptts = static_cast<uint16_t>(chapters.size());
        title.nr_of_angles = static_cast<uint8_t>(angles);
        title.title_set_nr = 1;
        title.vts_ttn = 1;
        tt.nr_of_srpts = 1;
        tt.title = &title;
        vmg.tt_srpt = &tt;
    }

    TitleCatalogue Catalogue()
    {
        Wire();
        TitleCatalogue t;
        BuildTitleCatalogue(vmg, 0, &vts, t);
        return t;
    }
};

// Cells 1 plain, 2-4 an angle block of three, 5 plain; chapter 1 = program
// 1 (cell 1), chapter 2 = program 2 (cells 2-5).
Tables AngleTables()
{
    Tables t;
    t.cells = {Cell(30, 0, 9), Cell(60, 10, 19, 1, 1), Cell(90, 20, 29, 1, 2), Cell(120, 30, 39, 1, 3),
               Cell(15, 40, 49)};
    t.programs = {1, 2};
    t.chapters = {{1, 1}, {1, 2}};
    t.angles = 3;
    return t;
}

std::vector<int> CellsOf(Tables &t, int chapter, int angle)
{
    t.Wire();
    ChapterCells cells;
    std::string why;
    EXPECT_TRUE(FindChapterCells(t.vts, 1, chapter, angle, cells, why)) << why;
    return cells.cells;
}

} // namespace

TEST(IfoTimes, NtscFramesCountAtTheRealRateAndPalAtTwentyFive)
{
    // 150 NTSC frames read as 5.000 s but play 5.005 s.
    EXPECT_EQ(DvdTimeToMs(Time(0, 0, 5, 0, kNtsc)), 5005);
    EXPECT_EQ(UnitsToMs(DvdTimeUnits(Time(0, 0, 4, 29, kNtsc)) + DvdTimeUnits(Time(0, 0, 0, 1, kNtsc))), 5005);
    EXPECT_EQ(DvdTimeToMs(Time(1, 0, 0, 0, kNtsc)), 3603600);
    EXPECT_EQ(DvdTimeToMs(Time(0, 0, 1, 15, kNtsc)), 1502);   // 45 frames = 1501.5 ms
    EXPECT_EQ(DvdTimeToMs(Time(1, 2, 3, 12, kPal)), 3723480);
    EXPECT_EQ(DvdTimeToMs(Time(0, 0, 0, 24, kPal)), 960);
}

TEST(IfoTimes, InvalidRateDropsFramesAndInvalidBcdCountsNothing)
{
    EXPECT_EQ(DvdTimeToMs(Time(0, 0, 2, 10, 0)), 2000);
    EXPECT_EQ(DvdTimeToMs(Time(0, 0, 2, 10, 2)), 2000);
    dvd_time_t bad = Time(0, 0, 2, 0, kPal);
    bad.second = 0x1A;
    EXPECT_EQ(DvdTimeToMs(bad), 0);
    bad = Time(0, 0, 2, 0, kPal);
    bad.minute = 0x60;
    EXPECT_EQ(DvdTimeToMs(bad), 0);
    bad = Time(0, 0, 2, 0, kPal);
    bad.frame_u = kPal << 6 | 0x3F;   // frame field not BCD: the seconds still count
    EXPECT_EQ(DvdTimeToMs(bad), 2000);
}

TEST(IfoCells, AngleBlocksGiveOneCellPerAngleAndTimesCountTheFirstAngle)
{
    Tables t = AngleTables();
    EXPECT_EQ(CellsOf(t, 0, 0), (std::vector<int>{0}));
    EXPECT_EQ(CellsOf(t, 1, 0), (std::vector<int>{1, 4}));
    EXPECT_EQ(CellsOf(t, 1, 1), (std::vector<int>{2, 4}));
    EXPECT_EQ(CellsOf(t, 1, 2), (std::vector<int>{3, 4}));
    EXPECT_EQ(CellsOf(t, 1, 7), (std::vector<int>{1, 4}));   // no such angle in the block: the first

    TitleCatalogue c = t.Catalogue();
    EXPECT_EQ(c.angleCount, 3);
    ASSERT_EQ(c.chapterTimes.size(), 2u);
    EXPECT_EQ(c.chapterTimes[0], 1001);
    EXPECT_EQ(c.chapterTimes[1], 2503);   // 60 + 15 frames = 2502.5 ms; the other angles' 90 and 120 left out
    EXPECT_EQ(c.playTime, 3504);           // 105 frames, rounded once

    // The reader's cell list follows the chosen angle too.
    std::vector<ReadCell> read = CollectReadCells(t.vts, 1, 0, 1, 2, 1000);
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[1].first, 30u);
    EXPECT_EQ(read[2].first, 40u);
}

TEST(IfoCells, ChapterRunsToTheNextChapterNotTheNextProgram)
{
    Tables t;
    t.cells = {Cell(30, 0, 9), Cell(30, 10, 19), Cell(30, 20, 29)};
    t.programs = {1, 2, 3};
    t.chapters = {{1, 1}, {1, 3}};   // chapter 1 spans programs 1 and 2
    EXPECT_EQ(CellsOf(t, 0, 0), (std::vector<int>{0, 1}));
    EXPECT_EQ(CellsOf(t, 1, 0), (std::vector<int>{2}));
}

TEST(IfoCells, DamagedTablesGiveEmptyChaptersNotCrashes)
{
    Tables t = AngleTables();
    t.chapters = {{0, 1}, {5, 1}, {1, 9}, {1, 0}, {1, 2}};
    t.programs = {1, 9};   // program 2 starts past the last cell
    t.pgc.next_pgc_nr = 1;   // a chain that loops back onto itself
    TitleCatalogue c = t.Catalogue();
    EXPECT_EQ(c.chapterTimes, (std::vector<int32_t>{0, 0, 0, 0, 0}));
    EXPECT_EQ(c.playTime, 0);
    EXPECT_TRUE(c.audios.empty());   // no usable PGC: no stream controls

    Tables missing = AngleTables();
    missing.Wire();
    missing.unit.ptt = nullptr;
    TitleCatalogue none;
    BuildTitleCatalogue(missing.vmg, 0, &missing.vts, none);
    EXPECT_TRUE(none.chapterTimes.empty());
    BuildTitleCatalogue(missing.vmg, 0, nullptr, none);   // unreadable title set
    EXPECT_TRUE(none.chapterTimes.empty());
    EXPECT_EQ(none.titleSet, 1);
    BuildTitleCatalogue(missing.vmg, 3, &missing.vts, none);   // no such title
    EXPECT_EQ(none.titleSet, 0);

    // More chapters announced than the title set holds: only the real ones.
    Tables more = AngleTables();
    more.Wire();
    more.title.nr_of_ptts = 40;
    TitleCatalogue two;
    BuildTitleCatalogue(more.vmg, 0, &more.vts, two);
    EXPECT_EQ(two.chapterTimes.size(), 2u);
}

TEST(IfoStreams, StreamIdsComeFromThePgcControlsNotTheAttributeOrder)
{
    Tables t = AngleTables();
    t.mat.nr_of_vts_audio_streams = 5;
    int formats[5] = {0, 2, 4, 6, 0};
    for (int i = 0; i < 5; ++i) {
        t.mat.vts_audio_attr[i].audio_format = formats[i];
        t.mat.vts_audio_attr[i].channels = 1;
        t.mat.vts_audio_attr[i].lang_type = 1;
    }
    t.mat.vts_audio_attr[0].lang_code = 'e' << 8 | 'n';
    t.mat.vts_audio_attr[1].lang_code = 'F' << 8 | 'R';
    t.mat.vts_audio_attr[2].lang_code = '1' << 8 | '?';
    t.mat.vts_audio_attr[2].sample_frequency = 1;
    t.pgc.audio_control[0] = 0x8000;
    t.pgc.audio_control[1] = 0x8100;   // MPEG audio as the second stream
    t.pgc.audio_control[2] = 0x8300;   // stream number 3 in the third attribute
    t.pgc.audio_control[3] = 0x8200;
    t.pgc.audio_control[4] = 0x0400;   // not available in this PGC

    t.mat.vts_video_attr.display_aspect_ratio = 0;
    t.mat.nr_of_vts_subp_streams = 2;
    t.mat.vts_subp_attr[0].type = 1;
    t.mat.vts_subp_attr[0].lang_code = 'd' << 8 | 'e';
    t.pgc.subp_control[0] = 0x80000000u | 2u << 24 | 5u << 16 | 6u << 8 | 7u;
    t.pgc.subp_control[1] = 0x00000000u;

    TitleCatalogue c = t.Catalogue();
    ASSERT_EQ(c.audios.size(), 5u);
    EXPECT_EQ(c.audios[0].streamId, 0x80);
    EXPECT_EQ(c.audios[0].formatCode, DC_AUDIO_AC3);
    EXPECT_STREQ(c.audios[0].language, "English");
    EXPECT_EQ(c.audios[1].streamId, 0xC1);
    EXPECT_EQ(c.audios[1].formatCode, DC_AUDIO_MPEG);
    EXPECT_STREQ(c.audios[1].language, "French");
    EXPECT_EQ(c.audios[2].streamId, 0xA3);
    EXPECT_EQ(c.audios[2].formatCode, DC_AUDIO_LPCM);
    EXPECT_EQ(c.audios[2].sampleRate, 96000);
    EXPECT_STREQ(c.audios[2].language, "");
    EXPECT_EQ(c.audios[3].streamId, 0x8A);
    EXPECT_EQ(c.audios[3].formatCode, DC_AUDIO_DTS);
    EXPECT_EQ(c.audios[3].channels, 2);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(c.audios[i].listed, 1) << i;
    EXPECT_EQ(c.audios[4].listed, 0);

    ASSERT_EQ(c.subs.size(), 2u);
    EXPECT_EQ(c.subs[0].streamId, 0x22);   // the 4:3 field
    EXPECT_STREQ(c.subs[0].language, "German");
    EXPECT_EQ(c.subs[0].listed, 1);
    EXPECT_EQ(c.subs[1].listed, 0);

    t.mat.vts_video_attr.display_aspect_ratio = 3;
    c = t.Catalogue();
    EXPECT_EQ(c.subs[0].streamId, 0x25);   // 16:9: the widescreen field
    EXPECT_EQ(c.video.aspectCode, 3);
}

TEST(IfoVideo, SizesStandardsAndRatesFromTheAttributes)
{
    struct Case { int format, size, width, height, standard, num, den; };
    for (const Case &k : {Case{0, 0, 720, 480, 0, 30000, 1001}, Case{1, 0, 720, 576, 1, 25, 1},
                          Case{0, 1, 704, 480, 0, 30000, 1001}, Case{1, 2, 352, 576, 1, 25, 1},
                          Case{1, 3, 352, 288, 1, 25, 1}}) {
        Tables t = AngleTables();
        t.mat.vts_video_attr.video_format = k.format;
        t.mat.vts_video_attr.picture_size = k.size;
        t.mat.vts_video_attr.display_aspect_ratio = 1;   // reserved code: shown as 4:3
        TVideoInfo v = t.Catalogue().video;
        EXPECT_EQ(v.width, k.width);
        EXPECT_EQ(v.height, k.height);
        EXPECT_EQ(v.videoStandard, k.standard);
        EXPECT_EQ(v.frameRateNum, k.num);
        EXPECT_EQ(v.frameRateDen, k.den);
        EXPECT_EQ(v.aspectCode, 0);
    }
}

TEST(IfoCells, CellsOutsideTheVobFilesAreDroppedOrCut)
{
    Tables t = AngleTables();
    t.Wire();
    std::vector<ReadCell> read = CollectReadCells(t.vts, 1, 0, 1, 0, 15);
    ASSERT_EQ(read.size(), 2u);   // cell 5 (40..49) lies wholly outside
    EXPECT_EQ(read[0].last, 9u);
    EXPECT_EQ(read[1].first, 10u);
    EXPECT_EQ(read[1].last, 14u);
    EXPECT_TRUE(CollectReadCells(t.vts, 1, 0, 1, 0, 0).empty());
    EXPECT_TRUE(CollectReadCells(t.vts, 1, 5, 9, 0, 100).empty());
}

TEST(PreviewVobus, AddressMapEntriesFollowTheCellsInPlayOrder)
{
    const uint32_t starts[] = {0, 5, 10, 14, 20, 25, 30};
    std::vector<ReadCell> cells = {{20, 29}, {0, 9}};
    EXPECT_EQ(VobusInCells(cells, starts, 7), (std::vector<uint32_t>{20, 25, 0, 5}));
}

// The records carry the language's English name; a code the standard does not
// know (a disc's private one, say) is passed on as it is.
TEST(IfoTables, LanguageNamesCoverEveryCodeOfTheStandard)
{
    EXPECT_EQ(LanguageName("aa"), "Afar");   // first and last of the table
    EXPECT_EQ(LanguageName("zu"), "Zulu");
    EXPECT_EQ(LanguageName("en"), "English");
    EXPECT_EQ(LanguageName("ja"), "Japanese");
    EXPECT_EQ(LanguageName("es"), "Spanish");
    EXPECT_EQ(LanguageName("nb"), "Norwegian Bokmal");
    EXPECT_EQ(LanguageName("qa"), "qa");   // reserved for local use
    EXPECT_EQ(LanguageName("zz"), "zz");
    EXPECT_EQ(LanguageName(""), "");
    int known = 0;
    for (char a = 'a'; a <= 'z'; ++a)
        for (char b = 'a'; b <= 'z'; ++b) {
            const std::string code{a, b};
            const std::string name = LanguageName(code);
            if (name != code) {
                ++known;
                EXPECT_LT(name.size(), 32u) << code;   // fits the records' field with its zero
            }
        }
    EXPECT_EQ(known, 184);
}

// Files carry a sound's language by its three-letter code (ISO 639-2/T, the
// form MP4 names); every code with a name has one, and only those.
TEST(IfoTables, EveryNamedLanguageHasItsThreeLetterCode)
{
    EXPECT_EQ(LanguageCode3("en"), "eng");
    EXPECT_EQ(LanguageCode3("fr"), "fra");   // the terminology code, not "fre"
    EXPECT_EQ(LanguageCode3("de"), "deu");
    EXPECT_EQ(LanguageCode3("zh"), "zho");
    EXPECT_EQ(LanguageCode3("zu"), "zul");
    EXPECT_EQ(LanguageCode3("qa"), "");
    EXPECT_EQ(LanguageCode3(""), "");
    for (char a = 'a'; a <= 'z'; ++a)
        for (char b = 'a'; b <= 'z'; ++b) {
            const std::string code{a, b}, three = LanguageCode3(code);
            EXPECT_EQ(three.empty(), LanguageName(code) == code) << code;
            if (!three.empty()) {
                EXPECT_EQ(three.size(), 3u) << code;
                for (char c : three)
                    EXPECT_TRUE(c >= 'a' && c <= 'z') << code;   // as an MP4 packs it, five bits a letter
            }
        }
}

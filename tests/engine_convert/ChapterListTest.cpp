// SPDX-License-Identifier: GPL-3.0-or-later
// The chapter list a file gets from what its jobs read, and the text its tags
// may hold.
#include "convert_chapters.h"
#include "convert_tags.h"

#include <gtest/gtest.h>

extern "C" {
#include <libavformat/avformat.h>
}

using dvdc::ChapterEntry;
using dvdc::ChapterMark;
using dvdc::FileJob;

namespace {

constexpr AVRational kNtsc{1001, 30000};   // seconds per frame
constexpr int64_t kFrameTicks = 3003;      // one NTSC frame in 90 kHz ticks

FileJob Job(int title, int first, int last, std::vector<int32_t> times, int64_t startFrame = 0)
{
    FileJob job;
    job.title = title;
    job.firstChapter = first;
    job.lastChapter = last;
    job.chapterTimes = std::move(times);
    job.startFrame = startFrame;
    return job;
}

std::vector<std::pair<int64_t, std::string>> Flat(const std::vector<ChapterEntry> &list)
{
    std::vector<std::pair<int64_t, std::string>> out;
    for (const ChapterEntry &e : list)
        out.emplace_back(e.start, e.title);
    return out;
}

using Flattened = std::vector<std::pair<int64_t, std::string>>;

} // namespace

TEST(ChapterList, OneJobMarksTheChaptersItReadByTheDiscsNumbers)
{
    // Chapters 2-5 of a title whose chapter 4 lasts no time at all.
    FileJob job = Job(0, 1, 4, {1001, 1001, 1001, 0, 1001, 1001});
    job.marks = {{1, 0},
                 {2, 30 * kFrameTicks + 1000},   // a little off a frame: rounds to the nearest
                 {3, 60 * kFrameTicks},          // the empty chapter: no mark
                 {4, 60 * kFrameTicks + 10},     // the next one in its place
                 {5, 90 * kFrameTicks}};         // after the range (the sound read on)
    EXPECT_EQ(Flat(dvdc::FileChapters({job}, "DISC", kNtsc, 200)),
              (Flattened{{0, "Chapter 02"}, {30, "Chapter 03"}, {60, "Chapter 05"}}));
}

TEST(ChapterList, MarksThatSayNothingAreLeftOut)
{
    FileJob job = Job(0, 0, 3, {1001, 1001, 1001, 1001}, 100);   // begins at frame 100 of the file
    job.marks = {{0, AV_NOPTS_VALUE},       // no time was found for it
                 {1, 10 * kFrameTicks},
                 {2, 10 * kFrameTicks},     // at the same place as the one before
                 {3, 50 * kFrameTicks}};    // beyond what the file holds (a stopped job)
    EXPECT_EQ(Flat(dvdc::FileChapters({job}, "DISC", kNtsc, 140)), (Flattened{{110, "Chapter 02"}}));
    // A reading that knew no chapters still gives the file its first.
    job.marks.clear();
    EXPECT_EQ(Flat(dvdc::FileChapters({job}, "DISC", kNtsc, 140)), (Flattened{{100, "Chapter 01"}}));
    // A file without pictures has none.
    EXPECT_TRUE(dvdc::FileChapters({job}, "DISC", kNtsc, 0).empty());
}

TEST(ChapterList, MergedJobsAreNamedAsTheirOwnFilesWouldBe)
{
    const std::vector<int32_t> times = {1001, 0, 1001, 1001};
    std::vector<FileJob> jobs = {
        Job(1, 0, 3, times, 0),      // the whole title 2
        Job(0, 2, 2, times, 90),     // chapter 3 of title 1
        Job(0, 0, 2, times, 120),    // title 1 less its last chapter
        Job(0, 2, 3, times, 150),    // chapters 3-4: chapter 1 is left out
        Job(11, 0, 3, times, 400),   // beyond the file's end (it was stopped): no chapter
    };
    jobs[0].marks = {{0, 0}, {2, 30 * kFrameTicks}};   // a merged file marks jobs, not chapters
    EXPECT_EQ(Flat(dvdc::FileChapters(jobs, "My Disc", kNtsc, 300)),
              (Flattened{{0, "My Disc_Title02"},
                         {90, "My Disc_Title01_03"},
                         {120, "My Disc_Title01_01"},
                         {150, "My Disc_Title01_03"}}));
    // Title 100 keeps all three digits.
    EXPECT_EQ(dvdc::JobName("D", Job(99, 0, 0, {1000})), "D_Title100");
    // A range that leaves out only empty chapters is the whole title.
    EXPECT_EQ(dvdc::JobName("D", Job(0, 1, 2, {0, 1000, 1000, 0})), "D_Title01");
}

TEST(ChapterList, ExpectedChaptersFollowTheDiscsTimesAndSkipEmptyOnes)
{
    const FileJob job = Job(0, 1, 4, {5000, 1001, 0, 2002, 1001});
    EXPECT_EQ(Flat(dvdc::ExpectedChapters(job, kNtsc)),
              (Flattened{{0, "Chapter 02"}, {30, "Chapter 04"}, {90, "Chapter 05"}}));
    // A range of empty chapters still has one for the file's start.
    EXPECT_EQ(Flat(dvdc::ExpectedChapters(Job(0, 2, 2, {1, 1, 0}), kNtsc)), (Flattened{{0, "Chapter 03"}}));
}

TEST(ChapterList, WhatFitsTheAsfHeaderTheFileWasBegunWith)
{
    const std::vector<ChapterEntry> header = {{0, "Chapter 01"}, {30, "Chapter 02"}};
    // Only the count and the names' lengths must stay.
    EXPECT_TRUE(dvdc::SameMarkerLayout(header, {{0, "Chapter 01"}, {90, "Chapter 07"}}));
    EXPECT_FALSE(dvdc::SameMarkerLayout(header, {{0, "Chapter 01"}, {90, "DISC_Title01"}}));
    EXPECT_FALSE(dvdc::SameMarkerLayout(header, {{0, "Chapter 01"}}));
}

TEST(ChapterList, SetChaptersReplacesTheMuxersListEachEndingAtTheNext)
{
    AVFormatContext *fmt = nullptr;
    ASSERT_GE(avformat_alloc_output_context2(&fmt, nullptr, "mp4", nullptr), 0);
    ASSERT_TRUE(dvdc::SetChapters(fmt, {{0, "a"}, {30, "b"}, {45, "c"}}, kNtsc, 60));
    ASSERT_TRUE(dvdc::SetChapters(fmt, {{0, "x"}, {30, "y"}}, kNtsc, 60, 46000));   // the old list goes
    ASSERT_EQ(fmt->nb_chapters, 2u);
    EXPECT_EQ(fmt->chapters[0]->start, 46000);
    EXPECT_EQ(fmt->chapters[0]->end, 1001000 + 46000);
    EXPECT_EQ(fmt->chapters[1]->start, 1001000 + 46000);
    EXPECT_EQ(fmt->chapters[1]->end, 2002000 + 46000);
    EXPECT_STREQ(av_dict_get(fmt->chapters[1]->metadata, "title", nullptr, 0)->value, "y");
    avformat_free_context(fmt);   // frees the chapters: the sanitizers watch this
}

TEST(TagText, KeepsValidTextAndMendsTheRest)
{
    EXPECT_EQ(dvdc::TagText("Plain Disc_Title01"), "Plain Disc_Title01");
    EXPECT_EQ(dvdc::TagText("Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC"), "Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC");   // UTF-8 stays
    EXPECT_EQ(dvdc::TagText("Caf\xE9"), "Caf\xC3\xA9");                 // a Latin-1 byte
    EXPECT_EQ(dvdc::TagText("A\tB\nC\x7F" "D"), "ABCD");                // control characters
    EXPECT_EQ(dvdc::TagText("\xC0\xAF"), "\xC3\x80\xC2\xAF");           // an overlong '/' is no slash
    // Neither is a UTF-16 half, nor a cut-off sequence; as Latin-1 their
    // last bytes are control characters too.
    EXPECT_EQ(dvdc::TagText("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0");
    EXPECT_EQ(dvdc::TagText("\xE6\x97"), "\xC3\xA6");
    // At most the limit, never half a character.
    EXPECT_EQ(dvdc::TagText("ab\xC3\xA9", 3), "ab");
    EXPECT_EQ(dvdc::TagText(std::string(300, 'x')).size(), 255u);
}

TEST(TagText, FileTitleIsTheNameWithoutFolderOrExtension)
{
    EXPECT_EQ(dvdc::FileTitle("/home/someone/Videos/MOVIE_Title02.mp4"), "MOVIE_Title02");
    EXPECT_EQ(dvdc::FileTitle("MOVIE.v1.wmv"), "MOVIE.v1");
    EXPECT_EQ(dvdc::FileTitle("/out/.hidden"), ".hidden");
    EXPECT_EQ(dvdc::FileTitle("/out/noext"), "noext");
}

// SPDX-License-Identifier: GPL-3.0-or-later
// An output file's chapters: the disc's chapters for a file of one job, one
// chapter per job for a merged file, and how they reach the muxer (an MP4's
// chapter list and text track, an ASF file's markers).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/rational.h>
}

struct AVFormatContext;

namespace dvdc {

// Where a chapter's first picture lies on the job's timeline (90 kHz ticks
// from the job's time zero).
struct ChapterMark {
    int chapter = 0;   // of the title, 0-based
    int64_t time = 0;
};

// One job's part of a file.
struct FileJob {
    int title = 0;                       // 0-based
    int firstChapter = 0, lastChapter = 0;
    std::vector<int32_t> chapterTimes;   // the title's, ms; a chapter of 0 ms gets no mark
    int64_t startFrame = 0;              // where the job begins in the file
    std::string name;                    // its own file's name, as the host gave it ("" none)
    std::vector<ChapterMark> marks;      // as the reading found them
};

struct ChapterEntry {
    int64_t start = 0;   // frames of the file
    std::string title;
};

// The job's name in a merged file: the name its own file would have, as the
// host gave it, else "DISC_Title02" for a range of the whole title and
// "DISC_Title01_03" for a part of one (see dvdconvert_names.h).
std::string JobName(const std::string &disc, const FileJob &job);

// The chapters of a file holding `jobs` in order, `endFrame` frames long at
// `frameBase` seconds per frame.  One job: a mark per chapter it read,
// "Chapter 01"... by the disc's numbers; several: one per job, named after
// the job (`disc` is the file's title).  Never empty for a file with frames.
std::vector<ChapterEntry> FileChapters(const std::vector<FileJob> &jobs, const std::string &disc,
                                       AVRational frameBase, int64_t endFrame);
// What a job's chapters are expected to be before it ran: the listed
// chapters of its range at the disc's times.
std::vector<ChapterEntry> ExpectedChapters(const FileJob &job, AVRational frameBase);
// Replaces the muxer's chapters, each running to the next one's start (the
// last to `endFrame`), all `shiftUs` microseconds later (where the muxer moves
// the pictures).  false when out of memory.
bool SetChapters(AVFormatContext *fmt, const std::vector<ChapterEntry> &chapters, AVRational frameBase,
                 int64_t endFrame, int64_t shiftUs = 0);
// An ASF header is written once with its markers and rewritten in place at
// the end: only a list of the same count and name lengths fits it.
bool SameMarkerLayout(const std::vector<ChapterEntry> &a, const std::vector<ChapterEntry> &b);

} // namespace dvdc

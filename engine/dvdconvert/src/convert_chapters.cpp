// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert_chapters.h"

#include "convert_log.h"
#include "dvdconvert_names.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/mathematics.h>
}

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace dvdc {

namespace {

int64_t FramesOf(int64_t ticks90k, AVRational frameBase)
{
    return av_rescale_q_rnd(ticks90k, AVRational{1, 90000}, frameBase, AV_ROUND_NEAR_INF);
}

bool Listed(const FileJob &job, int chapter)
{
    return chapter >= 0 && size_t(chapter) < job.chapterTimes.size() && job.chapterTimes[size_t(chapter)] != 0;
}

std::string ChapterName(int chapter)
{
    char name[32];
    std::snprintf(name, sizeof name, "Chapter %.2d", chapter + 1);
    return name;
}

// Keeps the list rising: a mark at or before the one before it says nothing.
void AddRising(std::vector<ChapterEntry> &list, int64_t start, std::string title)
{
    if (!list.empty() && start <= list.back().start)
        return;
    list.push_back({start, std::move(title)});
}

void FreeChapters(AVFormatContext *fmt)
{
    for (unsigned i = 0; i < fmt->nb_chapters; ++i) {
        av_dict_free(&fmt->chapters[i]->metadata);
        av_freep(&fmt->chapters[i]);
    }
    av_freep(&fmt->chapters);
    fmt->nb_chapters = 0;
}

} // namespace

std::string JobName(const std::string &disc, const FileJob &job)
{
    if (!job.name.empty())
        return job.name;
    // Unnamed, a job is taken for a title job when the chapters it leaves
    // out are empty ones.
    bool whole = true;
    for (int c = 0; c < int(job.chapterTimes.size()); ++c)
        if ((c < job.firstChapter || c > job.lastChapter) && Listed(job, c))
            whole = false;
    return dvdconvert::JobFileStem(disc, job.title, job.firstChapter, !whole);
}

std::vector<ChapterEntry> FileChapters(const std::vector<FileJob> &jobs, const std::string &disc,
                                       AVRational frameBase, int64_t endFrame)
{
    std::vector<ChapterEntry> list;
    if (jobs.empty() || endFrame <= 0)
        return list;
    if (jobs.size() == 1) {
        const FileJob &job = jobs.front();
        for (const ChapterMark &m : job.marks) {
            if (m.time == AV_NOPTS_VALUE || m.chapter < job.firstChapter || m.chapter > job.lastChapter ||
                !Listed(job, m.chapter))
                continue;
            const int64_t start = job.startFrame + FramesOf(m.time, frameBase);
            if (start < endFrame)
                AddRising(list, start, ChapterName(m.chapter));
        }
        if (list.empty() && job.startFrame < endFrame)   // the reading knew no chapters
            list.push_back({job.startFrame, ChapterName(job.firstChapter)});
        return list;
    }
    for (const FileJob &job : jobs)
        if (job.startFrame < endFrame)
            AddRising(list, job.startFrame, JobName(disc, job));
    return list;
}

std::vector<ChapterEntry> ExpectedChapters(const FileJob &job, AVRational frameBase)
{
    std::vector<ChapterEntry> list;
    int64_t ms = 0;
    for (int c = job.firstChapter; c <= job.lastChapter && size_t(c) < job.chapterTimes.size(); ++c) {
        if (Listed(job, c))
            AddRising(list, FramesOf(ms * 90, frameBase), ChapterName(c));
        ms += std::max(0, job.chapterTimes[size_t(c)]);
    }
    if (list.empty())
        list.push_back({0, ChapterName(job.firstChapter)});
    return list;
}

bool SetChapters(AVFormatContext *fmt, const std::vector<ChapterEntry> &chapters, AVRational frameBase,
                 int64_t endFrame, int64_t shiftUs)
{
    const AVRational us{1, 1000000};
    auto at = [&](int64_t frame) { return av_rescale_q(frame, frameBase, us) + shiftUs; };
    FreeChapters(fmt);
    if (chapters.empty())
        return true;
    fmt->chapters = static_cast<AVChapter **>(av_calloc(chapters.size(), sizeof(AVChapter *)));
    if (!fmt->chapters)
        return false;
    for (size_t i = 0; i < chapters.size(); ++i) {
        AVChapter *ch = static_cast<AVChapter *>(av_mallocz(sizeof(AVChapter)));
        if (!ch)
            return false;
        fmt->chapters[fmt->nb_chapters++] = ch;
        ch->id = int64_t(i) + 1;
        ch->time_base = us;
        const int64_t end = i + 1 < chapters.size() ? chapters[i + 1].start : std::max(endFrame, chapters[i].start + 1);
        ch->start = at(chapters[i].start);
        ch->end = at(end);
        if (av_dict_set(&ch->metadata, "title", chapters[i].title.c_str(), 0) < 0)
            return false;
    }
    return true;
}

bool SameMarkerLayout(const std::vector<ChapterEntry> &a, const std::vector<ChapterEntry> &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].title.size() != b[i].title.size())
            return false;   // the names here are ASCII, so bytes count the characters
    return true;
}

} // namespace dvdc

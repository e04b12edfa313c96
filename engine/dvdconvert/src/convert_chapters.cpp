// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert_chapters.h"

#include "convert_log.h"

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

// A byte that starts no valid UTF-8 sequence is taken as Latin-1, the
// likeliest meaning of a stray byte in a disc's name.
void AppendCodePoint(std::string &out, uint32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// The valid UTF-8 sequence at `s[i]`: its length and code point, or 0.
size_t Utf8At(const std::string &s, size_t i, uint32_t &c)
{
    const auto b = static_cast<unsigned char>(s[i]);
    size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size())
        return 0;
    c = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
    for (size_t k = 1; k < n; ++k) {
        const auto t = static_cast<unsigned char>(s[i + k]);
        if ((t >> 6) != 2)
            return 0;
        c = (c << 6) | (t & 0x3F);
    }
    static const uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kLeast[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;   // overlong, beyond Unicode, or a UTF-16 half
    return n;
}

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

std::string TagText(const std::string &raw, size_t limit)
{
    std::string out;
    for (size_t i = 0; i < raw.size();) {
        uint32_t c = 0;
        size_t n = Utf8At(raw, i, c);
        if (n == 0) {
            c = static_cast<unsigned char>(raw[i]);
            n = 1;
        }
        i += n;
        if (c < 0x20 || (c >= 0x7F && c < 0xA0))
            continue;   // control characters have no place in a title
        std::string piece;
        AppendCodePoint(piece, c);
        if (out.size() + piece.size() > limit)
            break;
        out += piece;
    }
    return out;
}

std::string FileTitle(const std::string &path)
{
    const size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return TagText(name);
}

std::string JobName(const std::string &disc, const FileJob &job)
{
    // A job is the whole title when the chapters it leaves out are empty ones.
    bool whole = true;
    for (int c = 0; c < int(job.chapterTimes.size()); ++c)
        if ((c < job.firstChapter || c > job.lastChapter) && Listed(job, c))
            whole = false;
    char tail[48];
    if (whole)
        std::snprintf(tail, sizeof tail, "_Title%.2d", job.title + 1);
    else
        std::snprintf(tail, sizeof tail, "_Title%.2d_%.2d", job.title + 1, job.firstChapter + 1);
    return disc + tail;
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

bool SameChapters(const std::vector<ChapterEntry> &a, const std::vector<ChapterEntry> &b, int64_t frames)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].title != b[i].title || std::abs(a[i].start - b[i].start) > frames)
            return false;
    return true;
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

bool RewriteWithChapters(const std::string &path, const char *container, const std::vector<ChapterEntry> &chapters,
                         AVRational frameBase, int64_t endFrame, int64_t shiftUs, std::string &error)
{
    const std::string temp = path + ".chapters";
    AVFormatContext *in = nullptr, *out = nullptr;
    AVPacket *pkt = av_packet_alloc();
    bool ok = pkt != nullptr;
    int rc = ok ? avformat_open_input(&in, path.c_str(), nullptr, nullptr) : AVERROR(ENOMEM);
    ok = rc >= 0;
    // Some parameters (an MPEG-4 picture's size) are known only once probed.
    if (ok)
        ok = (rc = avformat_find_stream_info(in, nullptr)) >= 0;
    if (ok)
        // The muxer's own name is the new file's: moving an MP4's index to
        // the front reads the file back under that name.
        ok = (rc = avformat_alloc_output_context2(&out, nullptr, container, temp.c_str())) >= 0 && out;
    // The muxer adds its own tags and, for an MP4, the chapter track again.
    const AVDictionaryEntry *title = in ? av_dict_get(in->metadata, "title", nullptr, 0) : nullptr;
    if (ok && title)
        ok = av_dict_set(&out->metadata, "title", title->value, 0) >= 0;
    std::vector<int> outIndex(in ? in->nb_streams : 0, -1);
    for (unsigned i = 0; ok && i < in->nb_streams; ++i) {
        const AVStream *from = in->streams[i];
        const AVMediaType type = from->codecpar->codec_type;
        if (type != AVMEDIA_TYPE_VIDEO && type != AVMEDIA_TYPE_AUDIO)
            continue;
        AVStream *st = avformat_new_stream(out, nullptr);
        ok = st && avcodec_parameters_copy(st->codecpar, from->codecpar) >= 0;
        if (!ok)
            break;
        outIndex[i] = st->index;
        st->time_base = from->time_base;
        if (const AVDictionaryEntry *lang = av_dict_get(from->metadata, "language", nullptr, 0))
            ok = av_dict_set(&st->metadata, "language", lang->value, 0) >= 0;
    }
    AVDictionary *opts = nullptr;
    if (ok && std::string(out->oformat->name) == "mp4")
        av_dict_set(&opts, "movflags", "+faststart", 0);
    if (ok)
        ok = SetChapters(out, chapters, frameBase, endFrame, shiftUs);
    if (ok)
        ok = (rc = avio_open(&out->pb, temp.c_str(), AVIO_FLAG_WRITE)) >= 0;
    if (ok)
        ok = (rc = avformat_write_header(out, &opts)) >= 0;
    av_dict_free(&opts);
    while (ok && (rc = av_read_frame(in, pkt)) >= 0) {
        const int to = outIndex[size_t(pkt->stream_index)];
        if (to < 0) {
            av_packet_unref(pkt);
            continue;
        }
        av_packet_rescale_ts(pkt, in->streams[pkt->stream_index]->time_base, out->streams[to]->time_base);
        pkt->stream_index = to;
        pkt->pos = -1;
        ok = (rc = av_interleaved_write_frame(out, pkt)) >= 0;
    }
    if (ok && rc != AVERROR_EOF)
        ok = false;
    if (ok)
        ok = (rc = av_write_trailer(out)) >= 0;
    if (out && out->pb)
        ok = avio_closep(&out->pb) >= 0 && ok;
    if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
        rc = AVERROR(errno);
        ok = false;
    }
    if (!ok) {
        std::remove(temp.c_str());
        error = "cannot write the chapters of " + path + ": " + AvError(rc);
    }
    avformat_free_context(out);
    avformat_close_input(&in);
    av_packet_free(&pkt);
    return ok;
}

} // namespace dvdc

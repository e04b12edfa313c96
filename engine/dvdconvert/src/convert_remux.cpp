// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert_remux.h"

#include "convert_log.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <cerrno>
#include <cstdio>
#include <vector>

namespace dvdc {

namespace {

// The new file's picture and sound streams, title and languages as the old
// one's; `outIndex` maps the old streams to the new (-1: left out).
bool CopyStreams(const AVFormatContext *in, AVFormatContext *out, std::vector<int> &outIndex)
{
    // The muxer adds its own tags and, for an MP4, the chapter track again.
    const AVDictionaryEntry *title = av_dict_get(in->metadata, "title", nullptr, 0);
    if (title && av_dict_set(&out->metadata, "title", title->value, 0) < 0)
        return false;
    outIndex.assign(in->nb_streams, -1);
    for (unsigned i = 0; i < in->nb_streams; ++i) {
        const AVStream *from = in->streams[i];
        const AVMediaType type = from->codecpar->codec_type;
        if (type != AVMEDIA_TYPE_VIDEO && type != AVMEDIA_TYPE_AUDIO)
            continue;
        AVStream *st = avformat_new_stream(out, nullptr);
        if (!st || avcodec_parameters_copy(st->codecpar, from->codecpar) < 0)
            return false;
        outIndex[i] = st->index;
        st->time_base = from->time_base;
        const AVDictionaryEntry *lang = av_dict_get(from->metadata, "language", nullptr, 0);
        if (lang && av_dict_set(&st->metadata, "language", lang->value, 0) < 0)
            return false;
    }
    return true;
}

// Every packet of the kept streams, then the trailer; the FFmpeg result.
int CopyPackets(AVFormatContext *in, AVFormatContext *out, const std::vector<int> &outIndex, AVPacket *pkt)
{
    int rc = 0;
    while ((rc = av_read_frame(in, pkt)) >= 0) {
        const int to = outIndex[size_t(pkt->stream_index)];
        if (to < 0) {
            av_packet_unref(pkt);
            continue;
        }
        av_packet_rescale_ts(pkt, in->streams[pkt->stream_index]->time_base, out->streams[to]->time_base);
        pkt->stream_index = to;
        pkt->pos = -1;
        if ((rc = av_interleaved_write_frame(out, pkt)) < 0)
            return rc;
    }
    return rc == AVERROR_EOF ? av_write_trailer(out) : rc;
}

} // namespace

bool RewriteWithChapters(const std::string &path, const char *container, const std::vector<ChapterEntry> &chapters,
                         AVRational frameBase, int64_t endFrame, int64_t shiftUs, std::string &error)
{
    const std::string temp = path + ".chapters";
    AVFormatContext *in = nullptr, *out = nullptr;
    AVPacket *pkt = av_packet_alloc();
    std::vector<int> outIndex;
    int rc = pkt ? avformat_open_input(&in, path.c_str(), nullptr, nullptr) : AVERROR(ENOMEM);
    bool ok = rc >= 0;
    // Some parameters (an MPEG-4 picture's size) are known only once probed.
    if (ok)
        ok = (rc = avformat_find_stream_info(in, nullptr)) >= 0;
    if (ok)
        // The muxer's own name is the new file's: moving an MP4's index to
        // the front reads the file back under that name.
        ok = (rc = avformat_alloc_output_context2(&out, nullptr, container, temp.c_str())) >= 0 && out;
    if (ok && !CopyStreams(in, out, outIndex)) {
        rc = AVERROR(ENOMEM);
        ok = false;
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
    if (ok)
        ok = (rc = CopyPackets(in, out, outIndex, pkt)) >= 0;
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

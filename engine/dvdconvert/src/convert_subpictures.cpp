// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert_subpictures.h"

#include "convert_log.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <string>

namespace dvdc {

void SubtitleTrack::Add(std::vector<Subpicture> pics, int64_t start)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (pending_.size() >= kPending) {
        Log(1, "too many subpictures waiting for their pictures; one is left out");
        pending_.pop_front();
    }
    pending_.push_back({start, std::move(pics)});
}

const std::vector<Subpicture> &SubtitleTrack::At(int64_t pts)
{
    std::lock_guard<std::mutex> lock(mutex_);
    while (!pending_.empty() && pending_.front().first <= pts) {
        current_ = std::move(pending_.front().second);
        pending_.pop_front();
    }
    std::erase_if(current_, [&](const Subpicture &s) { return s.end >= 0 && s.end <= pts; });
    return current_;
}

size_t SubtitleTrack::Pending() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return pending_.size();
}

SubpictureDecoder::~SubpictureDecoder() { avcodec_free_context(&decoder_); }

void SubpictureDecoder::Decode(const AVPacket &pkt, const AVStream &stream, const std::array<uint32_t, 16> &palette,
                               SubtitleTrack &track)
{
    if (failed_ || pkt.pts == AV_NOPTS_VALUE)
        return;
    if (!decoder_) {
        const AVCodec *codec = avcodec_find_decoder(AV_CODEC_ID_DVD_SUBTITLE);
        decoder_ = codec ? avcodec_alloc_context3(codec) : nullptr;
        if (!decoder_ || avcodec_parameters_to_context(decoder_, stream.codecpar) < 0) {
            failed_ = true;
            return;
        }
        decoder_->pkt_timebase = stream.time_base;
        AVDictionary *opts = nullptr;
        const std::string option = PaletteOption(palette);
        if (!option.empty())
            av_dict_set(&opts, "palette", option.c_str(), 0);
        int rc = avcodec_open2(decoder_, codec, &opts);
        av_dict_free(&opts);
        if (rc < 0) {
            Log(1, "cannot open the subpicture decoder: %s", AvError(rc).c_str());
            avcodec_free_context(&decoder_);
            failed_ = true;
            return;
        }
    }
    AVSubtitle sub{};
    int got = 0;
    if (avcodec_decode_subtitle2(decoder_, &sub, &got, const_cast<AVPacket *>(&pkt)) < 0 || !got)
        return;
    const int64_t base = pkt.pts;
    const int64_t start = base + int64_t(sub.start_display_time) * 90;
    const int64_t end = sub.end_display_time > sub.start_display_time && sub.end_display_time < 0x7fffffff
                            ? base + int64_t(sub.end_display_time) * 90
                            : -1;
    track.Add(ToSubpictures(sub, start, end), start);
    avsubtitle_free(&sub);
}

} // namespace dvdc

// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert_sound_stage.h"

#include "convert_log.h"
#include "convert_output.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
}

namespace dvdc {

SoundStage::~SoundStage() { avcodec_free_context(&decoder_); }

void SoundStage::Run()
{
    std::string error;
    if (!Loop(error) && !error.empty())
        pass_.run.Fail(error);
}

bool SoundStage::Loop(std::string &error)
{
    PacketPtr pkt;
    while (pass_.sound.Pop(pkt)) {
        if (!decoder_ && !OpenDecoder(error))
            return false;
        if (!Decode(pkt.get(), error))
            return false;
    }
    if (pass_.run.Aborted() || !decoder_)
        return true;
    // The end of the sound: decoder and chain give out what they hold.
    if (!Decode(nullptr, error))
        return false;
    if (graph_.Ready()) {
        graph_.Close(AV_NOPTS_VALUE);
        return Drain(error);
    }
    return true;
}

bool SoundStage::OpenDecoder(std::string &error)
{
    // Copied before the first sound packet was queued (the queue orders it).
    decoder_ = pass_.soundParams.OpenDecoder("audio", 0, 0, error);
    return decoder_ != nullptr;
}

bool SoundStage::Decode(const AVPacket *pkt, std::string &error)
{
    int rc = avcodec_send_packet(decoder_, pkt);
    if (rc < 0 && rc != AVERROR(EAGAIN) && rc != AVERROR_EOF) {
        Log(2, "skipping damaged sound: %s", AvError(rc).c_str());
        return true;
    }
    FramePtr frame(av_frame_alloc());
    if (!frame) {
        error = "out of memory";
        return false;
    }
    for (;;) {
        rc = avcodec_receive_frame(decoder_, frame.get());
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return true;
        if (rc < 0) {
            Log(2, "skipping damaged sound: %s", AvError(rc).c_str());
            return true;
        }
        const int64_t pts = frame->best_effort_timestamp;
        if (pts == AV_NOPTS_VALUE) {
            // Sound packets without a time (LPCM carries few) follow the previous ones.
            if (nextPts_ == AV_NOPTS_VALUE) {
                av_frame_unref(frame.get());
                continue;
            }
            frame->pts = nextPts_;
        } else {
            // "Ahead" moves the sound earlier against the picture.
            const int64_t shifted = pts - int64_t(pass_.request.settings.audioOffsetMs) * 90;
            frame->pts = av_rescale(shifted, frame->sample_rate, 90000);
        }
        nextPts_ = frame->pts + frame->nb_samples;
        const bool ok = Filter(frame.get(), error);
        av_frame_unref(frame.get());
        if (!ok)
            return false;
    }
}

bool SoundStage::Filter(AVFrame *frame, std::string &error)
{
    char layout[64] = "stereo";
    av_channel_layout_describe(&frame->ch_layout, layout, sizeof layout);
    const std::string format = std::string("time_base=1/") + std::to_string(frame->sample_rate) +
                               ":sample_rate=" + std::to_string(frame->sample_rate) + ":sample_fmt=" +
                               av_get_sample_fmt_name(AVSampleFormat(frame->format)) + ":channel_layout=" + layout;
    if (format != graphFormat_) {
        // A new sound format (a cell with other audio): the new chain goes on
        // from where the old one stopped.
        if (graph_.Ready()) {
            graph_.Close(AV_NOPTS_VALUE);
            if (!Drain(error))
                return false;
        }
        std::string chain = AudioChain(pass_.request.settings, pass_.file->SampleRate());
        chain.replace(chain.find("first_pts=0"), 11, "first_pts=" + std::to_string(samplesOut_));
        if (!graph_.Init(false, format, chain, error))
            return false;
        graphFormat_ = format;
    }
    if (graph_.Push(frame) < 0) {
        error = "the sound filters failed";
        return false;
    }
    return Drain(error);
}

bool SoundStage::Drain(std::string &error)
{
    FramePtr out(av_frame_alloc());
    if (!out) {
        error = "out of memory";
        return false;
    }
    while (graph_.Ready() && graph_.Pull(out.get()) >= 0) {
        samplesOut_ += out->nb_samples;
        const bool ok = pass_.file->PushAudio(out.get(), error);
        av_frame_unref(out.get());
        if (!ok)
            return false;
    }
    return true;
}

} // namespace dvdc

// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert_sound_stage.h"

#include "convert_log.h"

namespace dvdc {

SoundStage::~SoundStage() { avcodec_free_context(&decoder_); }

void SoundStage::Run()
{
    std::string error;
    if (!Loop(error) && !error.empty())
        run_.Fail(error);
    ports_.frames.Close();
}

bool SoundStage::Loop(std::string &error)
{
    PacketPtr pkt;
    while (ports_.packets.Pop(pkt)) {
        // Copied before the first sound packet was queued (the queue orders it).
        if (!decoder_ && !(decoder_ = ports_.params.OpenDecoder("audio", 0, 0, error)))
            return false;
        if (!Decode(pkt.get(), error))
            return false;
    }
    if (run_.Aborted() || !decoder_)
        return true;
    // The end of the sound: decoder and chain give out what they hold.
    if (!Decode(nullptr, error))
        return false;
    if (!graph_.Ready())
        return true;
    graph_.Close(AV_NOPTS_VALUE);
    return graph_.PullAll([this](FramePtr f) { return Queue(std::move(f)); }, error);
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
            const int64_t shifted = pts - int64_t(settings_.audioOffsetMs) * 90;
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
    const auto take = [this](FramePtr f) { return Queue(std::move(f)); };
    // A new sound format (a cell with other audio): the new chain goes on
    // from where the old one stopped.
    const auto chain = [this] {
        std::string c = AudioChain(settings_, sampleRate_);
        return c.replace(c.find("first_pts=0"), 11, "first_pts=" + std::to_string(samplesOut_));
    };
    if (!graph_.Follow(false, SoundSourceArgs(*frame), AV_NOPTS_VALUE, chain, take, error))
        return false;
    if (graph_.Push(frame) < 0) {
        error = "the sound filters failed";
        return false;
    }
    return graph_.PullAll(take, error);
}

bool SoundStage::Queue(FramePtr frame)
{
    samplesOut_ += frame->nb_samples;
    return ports_.frames.Push(std::move(frame));
}

} // namespace dvdc

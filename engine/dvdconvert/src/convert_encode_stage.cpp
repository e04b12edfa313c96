// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert_encode_stage.h"

#include "convert_encoders.h"
#include "convert_log.h"
#include "convert_output.h"
#include "convert_preview.h"

namespace dvdc {

EncodeStage::EncodeStage(PassContext &pass, AVCodecContext *statsEncoder, const std::string &statsPath)
    : pass_(pass), statsEncoder_(statsEncoder)
{
    if (statsEncoder_ && pass.request.info.encoder != DC_CODEC_H264)
        stats_.open(statsPath, std::ios::binary);
}

EncodeStage::~EncodeStage() { FreeEncoder(statsEncoder_); }

void EncodeStage::Run()
{
    std::string error;
    bool ok = Loop(error);
    if (statsEncoder_) {
        FreeEncoder(statsEncoder_);   // libx264 completes its statistics file on close
        statsEncoder_ = nullptr;
        stats_.close();
        if (ok && !pass_.run.Aborted() && pass_.request.info.encoder != DC_CODEC_H264 && !stats_) {
            error = "cannot write the first pass's statistics";
            ok = false;
        }
    }
    if (!ok && !error.empty())
        pass_.run.Fail(error);
}

bool EncodeStage::Loop(std::string &error)
{
    const bool sound = pass_.request.info.audioStream != 0;
    FramePtr f;
    while (pass_.frames.Pop(f)) {
        if (!pass_.run.WaitWhilePaused())
            return true;
        pass_.preview.Put(f.get());
        if (statsEncoder_) {
            if (!EncodeStats(f.get(), error))
                return false;
        } else {
            if (!pass_.file->EncodeVideo(f.get(), error))
                return false;
            if (!sound && !pass_.file->PadAudioToVideo(error))
                return false;
        }
        pass_.framesEncoded.fetch_add(1);
    }
    if (statsEncoder_ && !pass_.run.Aborted())
        return EncodeStats(nullptr, error);
    return true;
}

bool EncodeStage::EncodeStats(AVFrame *f, std::string &error)
{
    if (f) {
        f->pts = pass_.framesEncoded.load();
        f->pict_type = AV_PICTURE_TYPE_NONE;
    }
    int rc = avcodec_send_frame(statsEncoder_, f);
    if (rc < 0) {
        error = "the video encoder failed: " + AvError(rc);
        return false;
    }
    PacketPtr p(av_packet_alloc());
    if (!p) {
        error = "out of memory";
        return false;
    }
    while ((rc = avcodec_receive_packet(statsEncoder_, p.get())) >= 0) {
        av_packet_unref(p.get());
        if (statsEncoder_->stats_out && stats_.is_open())
            stats_ << statsEncoder_->stats_out;
    }
    if (rc != AVERROR(EAGAIN) && rc != AVERROR_EOF) {
        error = "the video encoder failed: " + AvError(rc);
        return false;
    }
    return true;
}

} // namespace dvdc

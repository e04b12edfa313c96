// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert_encode_stage.h"

#include "convert_encoders.h"
#include "convert_log.h"
#include "convert_output.h"
#include "convert_preview.h"

namespace dvdc {

EncodeStage::EncodeStage(RunControl &run, Ports ports, OutputFile &file, bool padSound)
    : run_(run), ports_(ports), file_(&file), padSound_(padSound)
{
}

EncodeStage::EncodeStage(RunControl &run, Ports ports, AVCodecContext *statsEncoder, const std::string &statsPath,
                         bool codecKeepsStats)
    : run_(run), ports_(ports), statsEncoder_(statsEncoder), codecKeepsStats_(codecKeepsStats)
{
    if (!codecKeepsStats_)
        stats_.open(statsPath, std::ios::binary);
}

EncodeStage::~EncodeStage() { FreeEncoder(statsEncoder_); }

void EncodeStage::Run()
{
    std::string error;
    bool ok = Loop(error);
    if (statsEncoder_)
        ok = EndStats(ok, error);
    if (!ok && !error.empty())
        run_.Fail(error);
}

bool EncodeStage::Loop(std::string &error)
{
    FramePtr f;
    // The two kept in step where both are there, but neither waits for the
    // other: a sound stage held back would hold the reading back, and the
    // pictures with it.  (Sound far ahead is the file's to drop.)
    for (;;) {
        const bool soundFirst = !file_ || !file_->SoundAhead();
        auto &preferred = soundFirst ? ports_.sound : ports_.frames;
        auto &other = soundFirst ? ports_.frames : ports_.sound;
        const int from = BoundedQueue<FramePtr>::PopEither(preferred, other, f);
        if (from < 0)
            break;
        if ((from == 0) == soundFirst) {
            if (file_ && !file_->PushAudio(f.get(), error))
                return false;
            continue;
        }
        if (!run_.WaitWhilePaused())
            return true;
        ports_.preview.Put(f.get());
        if (!(file_ ? EncodePicture(f.get(), error) : EncodeStats(f.get(), error)))
            return false;
        ports_.encoded.fetch_add(1);
    }
    if (statsEncoder_ && !run_.Aborted())
        return EncodeStats(nullptr, error);
    return true;
}

bool EncodeStage::EncodePicture(AVFrame *frame, std::string &error)
{
    return file_->EncodeVideo(frame, error) && (!padSound_ || file_->PadAudioToVideo(error));
}

bool EncodeStage::EncodeStats(AVFrame *f, std::string &error)
{
    if (f) {
        f->pts = ports_.encoded.load();
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

// libx264 completes its statistics file when its encoder is freed; the
// others' statistics must have reached their file whole.
bool EncodeStage::EndStats(bool ok, std::string &error)
{
    FreeEncoder(statsEncoder_);
    stats_.close();
    if (ok && !run_.Aborted() && !codecKeepsStats_ && !stats_) {
        error = "cannot write the first pass's statistics";
        return false;
    }
    return ok;
}

} // namespace dvdc

// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert_picture_stage.h"

#include "convert_encoders.h"
#include "convert_log.h"

namespace dvdc {

PictureStage::PictureStage(const JobRequest &request, RunControl &run, Ports ports)
    : request_(request), run_(run), ports_(ports), frame_(av_frame_alloc()), last_(av_frame_alloc())
{
    if (request.info.deinterlace)
        fields_ = std::make_unique<FieldFilter>();
    const auto &v = request.source.video;
    const AVRational rate{v.frameRateNum > 0 ? v.frameRateNum : 30000, v.frameRateDen > 0 ? v.frameRateDen : 1001};
    frameTicks_ = av_rescale(90000, rate.den, rate.num);
}

PictureStage::~PictureStage() { avcodec_free_context(&decoder_); }

void PictureStage::Run()
{
    std::string error;
    if (!Loop(error) && !error.empty())
        run_.Fail(error);
    ports_.frames.Close();
}

bool PictureStage::Loop(std::string &error)
{
    if (!frame_ || !last_) {
        error = "out of memory";
        return false;
    }
    PacketPtr pkt;
    while (ports_.packets.Pop(pkt)) {
        if (!run_.WaitWhilePaused())
            return true;
        if (IsHoldPicture(*pkt)) {
            if (!Hold(pkt->pts, error))
                return false;
            continue;
        }
        if (!decoder_ && !OpenDecoder(error))
            return false;
        int rc = avcodec_send_packet(decoder_, pkt.get());
        if (rc < 0 && rc != AVERROR(EAGAIN))
            Log(1, "skipping a damaged picture: %s", AvError(rc).c_str());
        if (!Receive(error))
            return false;
    }
    if (run_.Aborted() || !decoder_)
        return true;
    avcodec_send_packet(decoder_, nullptr);
    if (!Receive(error))
        return false;
    // The last picture lasts one frame of the source.
    const int64_t end = lastPts_ == AV_NOPTS_VALUE ? 0 : lastPts_ + frameTicks_;
    if (fields_ && (!fields_->Finish(end, error) || !DeliverFields(error)))
        return false;
    if (!graph_.Ready())
        return true;
    graph_.Close(end);
    return graph_.PullAll(Take(), error);
}

bool PictureStage::OpenDecoder(std::string &error)
{
    // Copied before the first picture was queued (the queue orders it).  Next
    // to a cheap encoder, decoding is the longest stage: it gets slice threads.
    // The fast flag lets the MPEG-2 decoder leave out the mismatch control of
    // inter blocks, an IDCT rounding refinement below one level of the
    // decoded picture, which the re-encoding at a fraction of the disc's bit
    // rate cannot keep anyway; it saves a share of the decoding time.
    decoder_ = ports_.params.OpenDecoder("picture", PictureDecoderThreads(request_.info.encoder),
                                               AV_CODEC_FLAG2_FAST, error);
    return decoder_ != nullptr;
}

bool PictureStage::Receive(std::string &error)
{
    for (;;) {
        int rc = avcodec_receive_frame(decoder_, frame_.get());
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return true;
        if (rc < 0) {
            Log(1, "skipping a damaged picture: %s", AvError(rc).c_str());
            return true;
        }
        av_frame_unref(last_.get());
        av_frame_ref(last_.get(), frame_.get());
        const bool ok = HandleFrame(frame_.get(), false, error);
        av_frame_unref(frame_.get());
        if (!ok)
            return false;
    }
}

// The pictures are missing up to `until`: the chain gets the last one again
// at that time, and its frame-rate step fills the gap with it.
bool PictureStage::Hold(int64_t until, std::string &error)
{
    if (!last_->data[0] || (lastPts_ != AV_NOPTS_VALUE && until <= lastPts_))
        return true;
    FramePtr copy(av_frame_clone(last_.get()));
    if (!copy) {
        error = "out of memory";
        return false;
    }
    copy->best_effort_timestamp = until;
    return HandleFrame(copy.get(), true, error);
}

bool PictureStage::HandleFrame(AVFrame *f, bool repeat, std::string &error)
{
    int64_t pts = f->best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE)
        pts = lastPts_ == AV_NOPTS_VALUE ? 0 : lastPts_ + frameTicks_;
    if (pts < 0 || (lastPts_ != AV_NOPTS_VALUE && pts <= lastPts_))
        return true;   // before the first picture, or out of order after damage
    lastPts_ = pts;
    f->pts = pts;
    if (!fields_)
        return Deliver(f, error);
    FramePtr own(av_frame_clone(f));
    if (!own) {
        error = "out of memory";
        return false;
    }
    return fields_->Push(std::move(own), repeat, error) && DeliverFields(error);
}

bool PictureStage::DeliverFields(std::string &error)
{
    FramePtr f;
    while (fields_->Pop(f))
        if (!Deliver(f.get(), error))
            return false;
    return true;
}

// Subpictures blended in, then the job's chain.
bool PictureStage::Deliver(AVFrame *f, std::string &error)
{
    const int64_t pts = f->pts;
    const auto &subs = ports_.subtitles.At(pts);
    if (!subs.empty() && av_frame_make_writable(f) >= 0 && f->format == AV_PIX_FMT_YUV420P)
        for (const Subpicture &sp : subs)
            BlendSubpicture(f, sp, request_.settings.subtitleX, request_.settings.subtitleY);
    // Pictures of another size start a chain of their own.
    const auto chain = [&] {
        SourceInfo source = request_.source;
        source.video.width = f->width;
        source.video.height = f->height;
        return VideoChain(request_.info, request_.settings, source, request_.target);
    };
    if (!graph_.Follow(true, FilterSourceArgs(*f), pts, chain, Take(), error))
        return false;
    if (graph_.Push(f) < 0) {
        error = "the picture filters failed";
        return false;
    }
    return graph_.PullAll(Take(), error);
}

FilterGraph::Take PictureStage::Take()
{
    return [this](FramePtr f) { return ports_.frames.Push(std::move(f)); };
}

} // namespace dvdc

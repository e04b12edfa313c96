// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert_read_stage.h"

#include "convert_log.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>

namespace dvdc {

ReadingStage::ReadingStage(const JobRequest &request, RunControl &run, ReportQueue &reports, ReadFeed &feed,
                           Ports ports)
    : request_(request), run_(run), reports_(reports), feed_(feed), ports_(ports)
{
}

ReadingStage::~ReadingStage()
{
    avformat_close_input(&demux_);
    if (io_)
        av_freep(&io_->buffer);
    avio_context_free(&io_);
}

int ReadingStage::ReadPacket(void *opaque, uint8_t *buf, int size)
{
    auto *self = static_cast<ReadingStage *>(opaque);
    if (!self->run_.WaitWhilePaused())
        return AVERROR_EXIT;
    // While the disc is being skipped over, the gauge follows the reading.
    const int n = self->feed_.Read(buf, size, [self] { self->ReportProgress(); });
    return n > 0 ? n : n == 0 ? AVERROR_EOF : AVERROR_EXIT;
}

bool ReadingStage::Open(std::string &error)
{
    const int size = 64 * 1024;
    auto *buffer = static_cast<uint8_t *>(av_malloc(size));
    io_ = buffer ? avio_alloc_context(buffer, size, 0, this, &ReadPacket, nullptr, nullptr) : nullptr;
    if (!io_) {
        av_free(buffer);
        error = "out of memory";
        return false;
    }
    io_->seekable = 0;
    demux_ = avformat_alloc_context();
    if (!demux_) {
        error = "out of memory";
        return false;
    }
    demux_->pb = io_;
    demux_->flags |= AVFMT_FLAG_CUSTOM_IO;
    int rc = avformat_open_input(&demux_, nullptr, av_find_input_format("mpeg"), nullptr);
    if (rc < 0) {
        error = feed_.Error().empty() ? "the title's data is not a readable program stream: " + AvError(rc)
                                      : feed_.Error();
        return false;
    }
    return true;
}

void ReadingStage::MapStreams()
{
    const JobInfo &info = request_.info;
    for (unsigned i = 0; i < demux_->nb_streams; ++i) {
        const AVStream *st = demux_->streams[i];
        if (videoStream_ < 0 && st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
            videoStream_ = int(i);
        // A first pass wants the sound's times only (see HoldPictureFor).
        if (audioStream_ < 0 && info.audioStream != 0 && st->id == DemuxId(info.audioStream))
            audioStream_ = int(i);
        if (subStream_ < 0 && info.subtitleStream != 0 && st->id == info.subtitleStream)
            subStream_ = int(i);
    }
}

void ReadingStage::OnTimeline(AVPacket *pkt)
{
    // Clock restarts between cells: the reader knows the running offset.  A
    // packet the parser joined has no position of its own; it follows the
    // stream's packet before it, not whatever another stream read since
    // (sound of the next cell, say, whose clock has restarted); a stream's
    // first, the packet read before it.
    int64_t pos = pkt->pos;
    if (pos >= 0)
        streamPos_[pkt->stream_index] = pos;
    else if (auto it = streamPos_.find(pkt->stream_index); it != streamPos_.end())
        pos = it->second;
    else
        pos = lastTimedPos_;
    lastTimedPos_ = pos;
    const int64_t offset = feed_.TimestampOffsetAt(pos);
    if (pkt->pts != AV_NOPTS_VALUE)
        pkt->pts += offset;
    if (pkt->dts != AV_NOPTS_VALUE)
        pkt->dts += offset;
    // What the nav packs do not explain: damaged times, unmarked restarts.
    const int rebasedBefore = timeline_.Rebased();
    timeline_.Apply(pkt->stream_index, pkt->pts, pkt->dts, pkt->duration);
    if (timeline_.Rebased() != rebasedBefore)
        Log(1, "stream %d: a timestamp jump at %lld rebased", pkt->stream_index, (long long)pkt->pts);
}

bool ReadingStage::Run(std::string &error)
{
    PacketPtr pkt(av_packet_alloc());
    bool ok = pkt != nullptr;
    if (!ok)
        error = "out of memory";
    while (ok && !run_.Aborted()) {
        int rc = av_read_frame(demux_, pkt.get());
        if (rc == AVERROR_EOF || rc == AVERROR_EXIT)
            break;
        if (rc < 0) {
            Log(1, "skipping unreadable data: %s", AvError(rc).c_str());
            if (avio_feof(demux_->pb))
                break;
            continue;
        }
        MapStreams();
        const int index = pkt->stream_index;
        if (index != videoStream_ && index != audioStream_ && index != subStream_) {
            av_packet_unref(pkt.get());
            continue;
        }
        OnTimeline(pkt.get());
        PacketPtr moved(av_packet_alloc());
        if (!moved) {
            error = "out of memory";
            ok = false;
            break;
        }
        av_packet_move_ref(moved.get(), pkt.get());
        if (!Forward(std::move(moved), ok, error))
            break;
        ReportProgress();
    }
    const bool stopped = run_.Aborted();
    if (ok && !stopped && !feed_.Error().empty()) {
        error = feed_.Error();
        ok = false;
    }
    if (ok && !stopped && zero_ == AV_NOPTS_VALUE) {
        error = "the title holds no picture";
        ok = false;
    }
    if (ok && !stopped) {
        // The sound went on past the last picture: that picture is held.
        if (soundThrough_ != AV_NOPTS_VALUE && pictureThrough_ != AV_NOPTS_VALUE &&
            soundThrough_ > pictureThrough_ + kPictureGap)
            HoldPicture(soundThrough_);
        ReleasePictures(true);
    }
    if (!ok && !error.empty())
        run_.Fail(error);
    held_.clear();
    early_.clear();
    ports_.pictures.Close();
    ports_.sound.Close();
    return ok;
}

bool ReadingStage::Forward(PacketPtr pkt, bool &ok, std::string &error)
{
    const int index = pkt->stream_index;
    if (zero_ == AV_NOPTS_VALUE) {
        if (index != videoStream_ || !(pkt->flags & AV_PKT_FLAG_KEY) || pkt->pts == AV_NOPTS_VALUE) {
            if (index != videoStream_ && early_.size() < kEarlyPackets)
                early_.push_back(std::move(pkt));
            return true;
        }
        // The first picture fixes the job's time zero; what came before follows it.
        zero_ = pkt->pts;
        Log(3, "time zero at %lld, %zu earlier packets", (long long)zero_, early_.size());
        while (!early_.empty()) {
            PacketPtr e = std::move(early_.front());
            early_.pop_front();
            Rebase(e.get());
            if (!HandOn(std::move(e)))
                return false;
        }
    }
    Rebase(pkt.get());
    if (pkt->pts != AV_NOPTS_VALUE && (readThrough_ == AV_NOPTS_VALUE || pkt->pts > readThrough_))
        readThrough_ = pkt->pts;
    if (AfterRange(pkt.get())) {
        // Beyond the range only its own sound is wanted.
        const bool sound = index == audioStream_ && pkt->pts != AV_NOPTS_VALUE && videoEnd_ != AV_NOPTS_VALUE;
        if (!sound || pkt->pts >= videoEnd_)
            return !sound;   // once the range's sound is complete, the reading is
    } else if (index == videoStream_ && pkt->pts != AV_NOPTS_VALUE) {
        const int64_t end = pkt->pts + std::max<int64_t>(pkt->duration, 0);
        if (videoEnd_ == AV_NOPTS_VALUE || end > videoEnd_)
            videoEnd_ = end;
    }
    if (index == videoStream_) {
        if (!ports_.pictureParams.params &&
            !ports_.pictureParams.CopyFrom(demux_->streams[index]->codecpar, demux_->streams[index]->time_base)) {
            error = "out of memory";
            ok = false;
            return false;
        }
        if (pkt->pts != AV_NOPTS_VALUE && (pictureThrough_ == AV_NOPTS_VALUE || pkt->pts > pictureThrough_))
            pictureThrough_ = pkt->pts;
        NoteChapter(*pkt);
        return PushPicture(std::move(pkt));
    }
    if (index == audioStream_ && pkt->pts != AV_NOPTS_VALUE) {
        soundThrough_ = std::max(soundThrough_, pkt->pts + std::max<int64_t>(pkt->duration, 0));
        // The pictures are missing here while the sound goes on.
        if (pictureThrough_ != AV_NOPTS_VALUE && pkt->pts > pictureThrough_ + kPictureGap &&
            !HoldPicture(pkt->pts - kPictureGap / 2))
            return false;
    }
    return HandOn(std::move(pkt)) && ReleasePictures(false);
}

// Sound to its stage, subpictures decoded; false once the run stopped.
bool ReadingStage::HandOn(PacketPtr pkt)
{
    if (pkt->stream_index == subStream_) {
        subpictures_.Decode(*pkt, *demux_->streams[subStream_], request_.source.palette, ports_.subtitles);
        return true;
    }
    if (pkt->stream_index != audioStream_ || !ports_.wantSound)
        return true;
    if (!ports_.soundParams.params) {
        const AVStream *st = demux_->streams[audioStream_];
        if (!ports_.soundParams.CopyFrom(st->codecpar, st->time_base)) {
            run_.Fail("out of memory");
            return false;
        }
    }
    return ports_.sound.Push(std::move(pkt));
}

bool ReadingStage::HoldPicture(int64_t until)
{
    PacketPtr hold(av_packet_alloc());
    if (!hold)
        return false;
    hold->pts = hold->dts = until;
    pictureThrough_ = until;
    Log(3, "no pictures in the title up to %.3f s: the last one is held", until / 90000.0);
    return PushPicture(std::move(hold));
}

bool ReadingStage::PushPicture(PacketPtr pkt)
{
    // The subpicture stream may show up in the data only after the first pictures.
    if (request_.info.subtitleStream == 0)
        return ports_.pictures.Push(std::move(pkt));
    held_.push_back(std::move(pkt));
    return ReleasePictures(false);
}

bool ReadingStage::ReleasePictures(bool all)
{
    while (!held_.empty()) {
        const int64_t pts = held_.front()->pts;
        // A picture without a time follows the one before it.
        // A damaged time far ahead must not hold the whole title back.
        if (!all && pts != AV_NOPTS_VALUE && held_.size() <= kHeldPictures &&
            (readThrough_ == AV_NOPTS_VALUE || pts + kSubpictureLead > readThrough_))
            break;
        PacketPtr p = std::move(held_.front());
        held_.pop_front();
        if (!ports_.pictures.Push(std::move(p)))
            return false;
    }
    return true;
}

bool ReadingStage::AfterRange(const AVPacket *pkt)
{
    if (pkt->pos >= 0)
        lastPos_ = pkt->pos;
    const int64_t start = feed_.AfterStart();
    return start >= 0 && lastPos_ >= start;
}

void ReadingStage::NoteChapter(const AVPacket &pkt)
{
    // The position OnTimeline kept for the pictures: a joined one has none.
    const auto at = streamPos_.find(pkt.stream_index);
    const bool key = (pkt.flags & AV_PKT_FLAG_KEY) != 0;
    const int chapter = at != streamPos_.end() ? feed_.ChapterAt(at->second) : -1;
    // A chapter shows from its first key picture: what comes before it (the
    // rest of a group whose start could not be read) cannot be decoded.
    if (key && chapter >= 0 && (marks_.empty() || chapter > marks_.back().chapter)) {
        marks_.push_back({chapter, AV_NOPTS_VALUE});
        keyPictures_ = 0;
    }
    if (marks_.empty() || pkt.pts == AV_NOPTS_VALUE)
        return;
    if (key)
        ++keyPictures_;
    // In decoding order a chapter's first pictures on screen may follow its
    // first key picture (B-pictures of an open GOP): up to the next key
    // picture the earliest time is where the chapter shows.
    int64_t &time = marks_.back().time;
    if (keyPictures_ <= 1 && (time == AV_NOPTS_VALUE || pkt.pts < time))
        time = std::max<int64_t>(0, pkt.pts);
}

void ReadingStage::ReportProgress()
{
    const int64_t total = feed_.TotalBytes();
    if (total <= 0)
        return;
    const int percent = int(std::min<int64_t>(99, feed_.BytesRead() * 100 / total));
    if (percent != lastPercent_) {
        lastPercent_ = percent;
        reports_.PostProgress(request_.id, request_.callback, percent);
    }
}

void ReadingStage::Rebase(AVPacket *pkt) const
{
    if (pkt->pts != AV_NOPTS_VALUE)
        pkt->pts -= zero_;
    if (pkt->dts != AV_NOPTS_VALUE)
        pkt->dts -= zero_;
}

} // namespace dvdc

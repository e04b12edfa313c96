// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert_output.h"

#include "convert_log.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/opt.h>
#include <libavutil/samplefmt.h>
}

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstring>
#include <vector>

namespace dvdc {

namespace {

// Silence is written in pieces of this many samples.
constexpr int kSilenceChunk = 4096;

} // namespace

std::unique_ptr<OutputFile> OutputFile::Create(const std::string &path, int32_t encoder,
                                               const VideoTarget &target, AVCodecContext *video,
                                               int sampleRate, int audioKbps, std::string &error,
                                               const Tags &tags)
{
    struct stat st{};
    const bool existed = ::stat(path.c_str(), &st) == 0;
    if (existed && S_ISDIR(st.st_mode)) {
        error = "the output path " + path + " names a folder";
        return nullptr;
    }
    std::unique_ptr<OutputFile> out(new OutputFile);
    out->path_ = path;
    out->encoder_ = encoder;
    out->target_ = target;
    const bool mp4 = encoder != DC_CODEC_WMV;
    out->audio_ = OpenAudioEncoder(encoder, sampleRate, audioKbps, mp4, error);
    if (!out->audio_)
        return nullptr;
    out->fifo_ = av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, 2, out->audio_->frame_size * 4);
    out->pkt_ = av_packet_alloc();
    out->apkt_ = av_packet_alloc();
    int rc = avformat_alloc_output_context2(&out->fmt_, nullptr, ContainerName(encoder), path.c_str());
    if (rc < 0 || !out->fifo_ || !out->pkt_ || !out->apkt_) {
        error = "cannot set up the " + std::string(ContainerName(encoder)) + " muxer";
        return nullptr;
    }
    AVStream *vs = avformat_new_stream(out->fmt_, nullptr);
    AVStream *as = avformat_new_stream(out->fmt_, nullptr);
    if (!vs || !as) {
        error = "out of memory";
        return nullptr;
    }
    avcodec_parameters_from_context(vs->codecpar, video);
    vs->time_base = video->time_base;
    vs->avg_frame_rate = video->framerate;
    avcodec_parameters_from_context(as->codecpar, out->audio_);
    as->time_base = out->audio_->time_base;
    if (mp4) {
        vs->codecpar->codec_tag = 0;
        as->codecpar->codec_tag = 0;
    }
    // The file names itself and its sound; nothing of the machine it was
    // made on (no folder, no user, no date) goes in.
    const std::string title = FileTitle(path);
    if (!title.empty())
        av_dict_set(&out->fmt_->metadata, "title", title.c_str(), 0);
    if (!tags.language.empty())
        av_dict_set(&as->metadata, "language", tags.language.c_str(), 0);
    // Chapters must be there before the header: an MP4 makes its chapter
    // track only then, and an ASF header holds the markers.
    out->headerChapters_ = ExpectedChapters(tags.first, out->FrameBase());
    // The last one is given no length: an MP4's chapter track is written
    // now, and one running past the pictures would lengthen the file.
    if (!SetChapters(out->fmt_, out->headerChapters_, out->FrameBase(), 0)) {
        error = "out of memory";
        return nullptr;
    }
    rc = avio_open(&out->fmt_->pb, path.c_str(), AVIO_FLAG_WRITE);
    if (rc < 0) {
        error = "cannot create " + path + ": " + AvError(rc);
        return nullptr;
    }
    // A failed file is removed, but never a device or pipe the path named.
    out->created_ = !existed || S_ISREG(st.st_mode);
    AVDictionary *opts = nullptr;
    if (mp4)
        av_dict_set(&opts, "movflags", "+faststart", 0);
    rc = avformat_write_header(out->fmt_, &opts);
    av_dict_free(&opts);
    if (rc < 0) {
        error = "cannot write the header of " + path + ": " + AvError(rc);
        out->Discard();
        return nullptr;
    }
    out->headerWritten_ = true;
    return out;
}

OutputFile::~OutputFile()
{
    if (fmt_)
        Discard();
    FreeEncoder(video_);
    FreeEncoder(audio_);
    if (fifo_)
        av_audio_fifo_free(fifo_);
    av_packet_free(&pkt_);
    av_packet_free(&apkt_);
}

int OutputFile::SampleRate() const { return audio_ ? audio_->sample_rate : 0; }

AVRational OutputFile::FrameBase() const { return AVRational{target_.rateDen, target_.rateNum}; }

// The ASF muxer moves every stream later by the sound encoder's priming (its
// first packet would start before zero); an MP4 says so in an edit list
// instead.  The chapters go where the pictures went.
int64_t OutputFile::ChapterShiftUs() const
{
    if (encoder_ != DC_CODEC_WMV || !audio_ || audio_->sample_rate <= 0)
        return 0;
    return av_rescale(audio_->initial_padding, 1000000, audio_->sample_rate);
}

void OutputFile::AddJob(FileJob job)
{
    std::lock_guard<std::mutex> lock(muxMutex_);
    jobs_.push_back(std::move(job));
}

void OutputFile::SetVideoEncoder(AVCodecContext *enc)
{
    FreeEncoder(video_);
    video_ = enc;
}

bool OutputFile::WritePacketLocked(AVPacket *pkt, AVCodecContext *enc, int streamIndex, std::string &error)
{
    std::lock_guard<std::mutex> lock(muxMutex_);
    AVStream *st = fmt_->streams[streamIndex];
    av_packet_rescale_ts(pkt, enc->time_base, st->time_base);
    pkt->stream_index = streamIndex;
    int rc = av_interleaved_write_frame(fmt_, pkt);
    if (rc < 0) {
        error = "cannot write to " + path_ + ": " + AvError(rc);
        return false;
    }
    return true;
}

bool OutputFile::DrainVideo(std::string &error)
{
    for (;;) {
        int rc = avcodec_receive_packet(video_, pkt_);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return true;
        if (rc < 0) {
            error = "the video encoder failed: " + AvError(rc);
            return false;
        }
        if (!WritePacketLocked(pkt_, video_, 0, error))
            return false;
    }
}

bool OutputFile::EncodeVideo(AVFrame *frame, std::string &error)
{
    frame->pts = frames_++;
    frame->pict_type = AV_PICTURE_TYPE_NONE;
    frame->interlaced_frame = 0;
    int rc = avcodec_send_frame(video_, frame);
    if (rc < 0) {
        error = "the video encoder failed: " + AvError(rc);
        return false;
    }
    return DrainVideo(error);
}

bool OutputFile::SendAudioFrameLocked(AVFrame *frame, std::string &error)
{
    int rc = avcodec_send_frame(audio_, frame);
    if (rc < 0) {
        error = "the audio encoder failed: " + AvError(rc);
        return false;
    }
    for (;;) {
        rc = avcodec_receive_packet(audio_, apkt_);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return true;
        if (rc < 0) {
            error = "the audio encoder failed: " + AvError(rc);
            return false;
        }
        if (!WritePacketLocked(apkt_, audio_, 1, error))
            return false;
    }
}

// Puts the owed silence into the fifo as far as the cap leaves room.
bool OutputFile::PayOwedSilenceLocked(std::string &error)
{
    const int64_t cap = int64_t(kMaxAudioAheadSeconds) * audio_->sample_rate;
    static const float zeros[kSilenceChunk] = {};
    void *planes[2] = {const_cast<float *>(zeros), const_cast<float *>(zeros)};
    while (audioOwed_ > 0) {
        const int n = int(std::min<int64_t>({audioOwed_, cap - av_audio_fifo_size(fifo_), kSilenceChunk}));
        if (n <= 0)
            return true;
        if (av_audio_fifo_write(fifo_, planes, n) < n) {
            error = "out of memory";
            return false;
        }
        audioOwed_ -= n;
    }
    droppingAudio_ = false;
    return true;
}

// Encodes whole frames from the fifo.  While a job runs the sound is not
// encoded past the pictures already encoded, so a stop at any moment can
// still cut it to the picture.
bool OutputFile::EncodeAudioLocked(bool jobEnded, std::string &error)
{
    const int frameSize = audio_->frame_size;
    const int64_t videoSamples =
        av_rescale(frames_.load(), int64_t(audio_->sample_rate) * target_.rateDen, target_.rateNum);
    for (;;) {
        if (!PayOwedSilenceLocked(error))
            return false;
        if (av_audio_fifo_size(fifo_) < frameSize || (!jobEnded && audioEncoded_ + frameSize > videoSamples))
            return true;
        AVFrame *f = av_frame_alloc();
        f->nb_samples = frameSize;
        f->format = AV_SAMPLE_FMT_FLTP;
        f->sample_rate = audio_->sample_rate;
        av_channel_layout_copy(&f->ch_layout, &audio_->ch_layout);
        if (av_frame_get_buffer(f, 0) < 0) {
            av_frame_free(&f);
            error = "out of memory";
            return false;
        }
        av_audio_fifo_read(fifo_, reinterpret_cast<void **>(f->extended_data), frameSize);
        f->pts = audioEncoded_;
        audioEncoded_ += frameSize;
        bool ok = SendAudioFrameLocked(f, error);
        av_frame_free(&f);
        if (!ok)
            return false;
    }
}

// While the pictures lag, the fifo holds at most kMaxAudioAheadSeconds of
// sound.  What does not fit is dropped, the newest first, and owed as
// silence: sound that comes later goes in after that silence, so it keeps
// its time against the pictures instead of moving up into the hole.  The
// file then has a silent stretch where the sound was too far ahead.
bool OutputFile::PushAudio(const AVFrame *frame, std::string &error)
{
    std::lock_guard<std::mutex> lock(audioMutex_);
    // Pictures encoded since the last call make room first.
    if (!EncodeAudioLocked(false, error))
        return false;
    const int64_t cap = int64_t(kMaxAudioAheadSeconds) * audio_->sample_rate;
    const int n = frame->nb_samples;
    const int fit = audioOwed_ > 0 ? 0 : int(std::clamp<int64_t>(cap - av_audio_fifo_size(fifo_), 0, n));
    if (av_audio_fifo_write(fifo_, reinterpret_cast<void **>(const_cast<uint8_t **>(frame->extended_data)), fit) < fit) {
        error = "out of memory";
        return false;
    }
    if (fit < n) {
        if (!droppingAudio_)
            Log(1, "%s: the sound is %d s ahead of the pictures; dropping sound, silence in its place",
                       path_.c_str(), kMaxAudioAheadSeconds);
        droppingAudio_ = true;
        audioOwed_ += n - fit;
    }
    audioQueued_ += n;
    return EncodeAudioLocked(false, error);
}

bool OutputFile::PadAudioToVideo(std::string &error)
{
    std::lock_guard<std::mutex> lock(audioMutex_);
    const int64_t target = av_rescale(frames_.load(), int64_t(audio_->sample_rate) * target_.rateDen, target_.rateNum);
    if (audioQueued_ >= target)
        return true;
    // Owed rather than written: the fifo takes it as it is encoded.
    audioOwed_ += target - audioQueued_;
    audioQueued_ = target;
    return EncodeAudioLocked(false, error);
}

bool OutputFile::EndVideo(std::string &error)
{
    if (video_) {
        int rc = avcodec_send_frame(video_, nullptr);
        if (rc < 0 && rc != AVERROR_EOF) {
            error = "the video encoder failed: " + AvError(rc);
            return false;
        }
        if (!DrainVideo(error))
            return false;
        FreeEncoder(video_);
    }
    if (!PadAudioToVideo(error))
        return false;
    std::lock_guard<std::mutex> lock(audioMutex_);
    const int64_t target = av_rescale(frames_.load(), int64_t(audio_->sample_rate) * target_.rateDen, target_.rateNum);
    int64_t excess = audioQueued_ - target;
    if (excess > 0) {
        // The owed silence is the newest: it goes first.
        const int64_t owed = std::min(excess, audioOwed_);
        audioOwed_ -= owed;
        audioQueued_ -= owed;
        excess -= owed;
    }
    if (excess > 0) {
        // Sound running past the picture is cut so the next job starts in step.
        const int have = av_audio_fifo_size(fifo_);
        const int keep = int(std::max<int64_t>(0, have - excess));
        std::vector<float> left(size_t(have) + 1), right(size_t(have) + 1);
        void *planes[2] = {left.data(), right.data()};
        av_audio_fifo_read(fifo_, planes, have);
        av_audio_fifo_write(fifo_, planes, keep);
        audioQueued_ -= have - keep;
    }
    return EncodeAudioLocked(true, error);
}

bool OutputFile::Finish(std::string &error)
{
    if (!fmt_)
        return true;
    bool ok = EndVideo(error);
    if (ok) {
        std::lock_guard<std::mutex> lock(audioMutex_);
        const int rest = av_audio_fifo_size(fifo_);
        if (rest > 0) {
            const bool small = audio_->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME;
            AVFrame *f = av_frame_alloc();
            f->nb_samples = small ? rest : audio_->frame_size;
            f->format = AV_SAMPLE_FMT_FLTP;
            f->sample_rate = audio_->sample_rate;
            av_channel_layout_copy(&f->ch_layout, &audio_->ch_layout);
            ok = av_frame_get_buffer(f, 0) >= 0;
            if (ok) {
                av_samples_set_silence(f->extended_data, 0, f->nb_samples, 2, AV_SAMPLE_FMT_FLTP);
                av_audio_fifo_read(fifo_, reinterpret_cast<void **>(f->extended_data), rest);
                f->pts = audioEncoded_;
                audioEncoded_ += f->nb_samples;
                ok = SendAudioFrameLocked(f, error);
            } else {
                error = "out of memory";
            }
            av_frame_free(&f);
        }
        if (ok)
            ok = SendAudioFrameLocked(nullptr, error);
    }
    bool rewrite = false;
    int64_t shift = 0;
    std::vector<ChapterEntry> chapters;
    if (ok) {
        std::lock_guard<std::mutex> lock(muxMutex_);
        chapters = FileChapters(jobs_, FileTitle(path_), FrameBase(), frames_.load());
        // The chapters the header was written with must stay: an ASF header
        // is rewritten in place, so only markers of the same layout fit it;
        // an MP4's chapter track was written with the header.  A file whose
        // chapters turned out otherwise is copied with them afterwards.
        const std::vector<ChapterEntry> *keep = &chapters;
        if (encoder_ == DC_CODEC_WMV) {
            rewrite = !SameMarkerLayout(headerChapters_, chapters);
            if (rewrite)
                keep = &headerChapters_;
        } else {
            rewrite = !SameChapters(headerChapters_, chapters, 1);
            keep = &headerChapters_;
        }
        shift = ChapterShiftUs();
        if (!SetChapters(fmt_, *keep, FrameBase(), frames_.load(), shift)) {
            error = "out of memory";
            ok = false;
        }
    }
    if (ok) {
        std::lock_guard<std::mutex> lock(muxMutex_);
        int rc = av_write_trailer(fmt_);
        if (rc < 0) {
            error = "cannot finish " + path_ + ": " + AvError(rc);
            ok = false;
        }
    }
    if (ok) {
        std::lock_guard<std::mutex> lock(muxMutex_);
        int rc = avio_closep(&fmt_->pb);
        if (rc < 0) {
            error = "cannot finish " + path_ + ": " + AvError(rc);
            ok = false;
        }
        avformat_free_context(fmt_);
        fmt_ = nullptr;
    }
    if (!ok) {
        Discard();
        return false;
    }
    if (rewrite) {
        std::string why;
        const auto began = std::chrono::steady_clock::now();
        if (RewriteWithChapters(path_, ContainerName(encoder_), chapters, FrameBase(), frames_.load(), shift, why))
            Log(3, "%zu chapters put into %s in %.2f s", chapters.size(), path_.c_str(),
                std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count());
        else
            Log(1, "%s; the file keeps the chapters it was begun with", why.c_str());   // it still plays
    }
    return true;
}

void OutputFile::Discard()
{
    std::lock_guard<std::mutex> lock(muxMutex_);
    if (!fmt_)
        return;
    if (fmt_->pb)
        avio_closep(&fmt_->pb);
    avformat_free_context(fmt_);
    fmt_ = nullptr;
    if (created_)
        ::unlink(path_.c_str());
    created_ = false;
}

} // namespace dvdc

// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert_output.h"

#include "convert_log.h"
#include "convert_remux.h"
#include "convert_tags.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/samplefmt.h>
}

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace dvdc {

namespace {

// Silence is written in pieces of this many samples.
constexpr int kSilenceChunk = 4096;

// A frame of `samples` fltp stereo samples at the encoder's rate, or nullptr.
AVFrame *NewAudioFrame(const AVCodecContext *enc, int samples)
{
    AVFrame *f = av_frame_alloc();
    if (!f)
        return nullptr;
    f->nb_samples = samples;
    f->format = AV_SAMPLE_FMT_FLTP;
    f->sample_rate = enc->sample_rate;
    if (av_channel_layout_copy(&f->ch_layout, &enc->ch_layout) < 0 || av_frame_get_buffer(f, 0) < 0)
        av_frame_free(&f);
    return f;
}

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
    int rc = avformat_alloc_output_context2(&out->fmt_, nullptr, ContainerName(encoder), path.c_str());
    if (rc < 0 || !out->fifo_ || !out->pkt_) {
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
    rc = avio_open(&out->fmt_->pb, path.c_str(), AVIO_FLAG_WRITE);
    if (rc < 0) {
        error = "cannot create " + path + ": " + AvError(rc);
        return nullptr;
    }
    // A failed file is removed, but never a device or pipe the path named.
    out->created_ = !existed || S_ISREG(st.st_mode);
    if (!out->WriteHeader(tags, error)) {
        out->Discard();
        return nullptr;
    }
    return out;
}

bool OutputFile::WriteHeader(const Tags &tags, std::string &error)
{
    // The file names itself and its sound; nothing of the machine it was
    // made on (no folder, no user, no date) goes in.
    const std::string title = FileTitle(path_);
    if (!title.empty())
        av_dict_set(&fmt_->metadata, "title", title.c_str(), 0);
    if (!tags.language.empty())
        av_dict_set(&fmt_->streams[1]->metadata, "language", tags.language.c_str(), 0);
    AVDictionary *opts = nullptr;
    if (encoder_ == DC_CODEC_WMV) {
        // An ASF header holds the markers and is rewritten in place at the
        // end: it is begun with the first job's chapters at the disc's times.
        headerChapters_ = ExpectedChapters(tags.first, FrameBase());
        if (!SetChapters(fmt_, headerChapters_, FrameBase(), 0)) {
            error = "out of memory";
            return false;
        }
    } else {
        // An MP4 begun without chapters makes its chapter track at the end,
        // from the chapters it has then, each running to the next and the
        // last to the end of the file.
        av_dict_set(&opts, "movflags", "+faststart", 0);
    }
    const int rc = avformat_write_header(fmt_, &opts);
    av_dict_free(&opts);
    if (rc < 0) {
        error = "cannot write the header of " + path_ + ": " + AvError(rc);
        return false;
    }
    return true;
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
}

int OutputFile::SampleRate() const { return audio_ ? audio_->sample_rate : 0; }

AVRational OutputFile::FrameBase() const { return AVRational{target_.rateDen, target_.rateNum}; }

int64_t OutputFile::SamplesToVideo() const
{
    return av_rescale(frames_, int64_t(audio_->sample_rate) * target_.rateDen, target_.rateNum);
}

// The ASF muxer moves every stream later by the sound encoder's priming (its
// first packet would start before zero); an MP4 says so in an edit list
// instead.  The chapters go where the pictures went.
int64_t OutputFile::ChapterShiftUs() const
{
    if (encoder_ != DC_CODEC_WMV || !audio_ || audio_->sample_rate <= 0)
        return 0;
    return av_rescale(audio_->initial_padding, 1000000, audio_->sample_rate);
}

void OutputFile::AddJob(FileJob job) { jobs_.push_back(std::move(job)); }

void OutputFile::SetVideoEncoder(AVCodecContext *enc)
{
    FreeEncoder(video_);
    video_ = enc;
}

bool OutputFile::Encode(AVCodecContext *enc, const AVFrame *frame, int stream, std::string &error)
{
    const char *what = stream == 0 ? "video" : "audio";
    int rc = avcodec_send_frame(enc, frame);
    if (rc < 0 && !(frame == nullptr && rc == AVERROR_EOF)) {
        error = std::string("the ") + what + " encoder failed: " + AvError(rc);
        return false;
    }
    AVStream *st = fmt_->streams[stream];
    for (;;) {
        rc = avcodec_receive_packet(enc, pkt_);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return true;
        if (rc < 0) {
            error = std::string("the ") + what + " encoder failed: " + AvError(rc);
            return false;
        }
        av_packet_rescale_ts(pkt_, enc->time_base, st->time_base);
        pkt_->stream_index = stream;
        rc = av_interleaved_write_frame(fmt_, pkt_);
        if (rc < 0) {
            error = "cannot write to " + path_ + ": " + AvError(rc);
            return false;
        }
    }
}

bool OutputFile::EncodeVideo(AVFrame *frame, std::string &error)
{
    frame->pts = frames_++;
    frame->pict_type = AV_PICTURE_TYPE_NONE;
    frame->interlaced_frame = 0;
    // Sound waiting for these pictures follows them into the file.
    return Encode(video_, frame, 0, error) && EncodeAudio(false, error);
}

// Puts the owed silence into the fifo as far as the cap leaves room.
bool OutputFile::PayOwedSilence(std::string &error)
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
bool OutputFile::EncodeAudio(bool jobEnded, std::string &error)
{
    const int frameSize = audio_->frame_size;
    const int64_t videoSamples = SamplesToVideo();
    for (;;) {
        if (!PayOwedSilence(error))
            return false;
        if (av_audio_fifo_size(fifo_) < frameSize || (!jobEnded && audioEncoded_ + frameSize > videoSamples))
            return true;
        AVFrame *f = NewAudioFrame(audio_, frameSize);
        if (!f) {
            error = "out of memory";
            return false;
        }
        av_audio_fifo_read(fifo_, reinterpret_cast<void **>(f->extended_data), frameSize);
        f->pts = audioEncoded_;
        audioEncoded_ += frameSize;
        const bool ok = Encode(audio_, f, 1, error);
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
    // Pictures encoded since the last call make room first.
    if (!EncodeAudio(false, error))
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
    return EncodeAudio(false, error);
}

bool OutputFile::SoundAhead() const { return audioQueued_ - SamplesToVideo() > audio_->sample_rate; }

bool OutputFile::PadAudioToVideo(std::string &error)
{
    const int64_t target = SamplesToVideo();
    if (audioQueued_ >= target)
        return true;
    // Owed rather than written: the fifo takes it as it is encoded.
    audioOwed_ += target - audioQueued_;
    audioQueued_ = target;
    return EncodeAudio(false, error);
}

bool OutputFile::EndVideo(std::string &error)
{
    if (video_) {
        if (!Encode(video_, nullptr, 0, error))
            return false;
        FreeEncoder(video_);
    }
    if (!PadAudioToVideo(error))
        return false;
    int64_t excess = audioQueued_ - SamplesToVideo();
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
    return EncodeAudio(true, error);
}

// The sound left in the fifo, padded to a whole frame where the encoder
// needs one, then the encoder's own rest.
bool OutputFile::EncodeAudioRest(std::string &error)
{
    const int rest = av_audio_fifo_size(fifo_);
    if (rest > 0) {
        const bool small = audio_->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME;
        AVFrame *f = NewAudioFrame(audio_, small ? rest : audio_->frame_size);
        if (!f) {
            error = "out of memory";
            return false;
        }
        av_samples_set_silence(f->extended_data, 0, f->nb_samples, 2, AV_SAMPLE_FMT_FLTP);
        av_audio_fifo_read(fifo_, reinterpret_cast<void **>(f->extended_data), rest);
        f->pts = audioEncoded_;
        audioEncoded_ += f->nb_samples;
        const bool ok = Encode(audio_, f, 1, error);
        av_frame_free(&f);
        if (!ok)
            return false;
    }
    return Encode(audio_, nullptr, 1, error);
}

// The file's chapters as the jobs turned out.  An MP4 takes them all now;
// an ASF header, rewritten in place, only a list of the layout it was begun
// with: any other list is put in by a copy once the file is closed.
void OutputFile::PutChapters()
{
    std::vector<ChapterEntry> chapters = FileChapters(jobs_, FileTitle(path_), FrameBase(), frames_);
    const std::vector<ChapterEntry> *now = &chapters;
    if (encoder_ == DC_CODEC_WMV && !SameMarkerLayout(headerChapters_, chapters)) {
        now = &headerChapters_;
        copyChapters_ = std::move(chapters);
    }
    if (!SetChapters(fmt_, *now, FrameBase(), frames_, ChapterShiftUs())) {
        // The file still plays; only its chapters are lost.
        Log(1, "%s: out of memory for its chapters", path_.c_str());
        SetChapters(fmt_, {}, FrameBase(), frames_);
        copyChapters_.clear();
    }
}

bool OutputFile::CloseMuxer(std::string &error)
{
    int rc = av_write_trailer(fmt_);
    const int closed = avio_closep(&fmt_->pb);
    if (rc >= 0)
        rc = closed;
    if (rc < 0) {
        error = "cannot finish " + path_ + ": " + AvError(rc);
        return false;
    }
    avformat_free_context(fmt_);
    fmt_ = nullptr;
    return true;
}

bool OutputFile::Finish(std::string &error)
{
    if (!fmt_)
        return true;
    if (!EndVideo(error) || !EncodeAudioRest(error)) {
        Discard();
        return false;
    }
    PutChapters();
    if (!CloseMuxer(error)) {
        Discard();
        return false;
    }
    if (copyChapters_.empty())
        return true;
    std::string why;
    const auto began = std::chrono::steady_clock::now();
    if (RewriteWithChapters(path_, ContainerName(encoder_), copyChapters_, FrameBase(), frames_, ChapterShiftUs(),
                            why))
        Log(3, "%zu chapters put into %s in %.2f s", copyChapters_.size(), path_.c_str(),
            std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count());
    else
        error = why + "; the file plays, with the chapters it was begun with";
    return true;
}

void OutputFile::Discard()
{
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

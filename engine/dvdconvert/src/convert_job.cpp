#include "convert_job.h"

#include "convert_feed.h"
#include "convert_filters.h"
#include "convert_log.h"
#include "convert_timeline.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>

namespace dvdc {

namespace {

constexpr size_t kPacketQueue = 48;   // compressed pictures between reading and decoding
constexpr size_t kFrameQueue = 6;     // filtered pictures between decoding and encoding
constexpr size_t kEarlyPackets = 4000;
// A subpicture is multiplexed up to about this long (90 kHz ticks) after the
// pictures it is shown on, as those travel ahead of their time to fill the
// picture decoder's buffer.
constexpr int64_t kSubpictureLead = 90000;
constexpr size_t kHeldPictures = 120;   // well over a second of pictures

struct PacketDeleter {
    void operator()(AVPacket *p) const { av_packet_free(&p); }
};
struct FrameDeleter {
    void operator()(AVFrame *f) const { av_frame_free(&f); }
};
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;

void RemoveDir(const std::string &dir)
{
    if (dir.empty())
        return;
    if (DIR *d = ::opendir(dir.c_str())) {
        while (dirent *e = ::readdir(d)) {
            std::string name = e->d_name;
            if (name != "." && name != "..")
                ::unlink((dir + "/" + name).c_str());
        }
        ::closedir(d);
    }
    ::rmdir(dir.c_str());
}

std::string MakeTempDir()
{
    const char *base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/dvdconvert-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    return ::mkdtemp(buf.data()) ? std::string(buf.data()) : std::string();
}

// Subpictures decoded ahead of the pictures they belong to.
class SubtitleTrack {
public:
    void Add(std::vector<Subpicture> pics, int64_t start)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        pending_.push_back({start, std::move(pics)});
    }
    // The subpictures showing at `pts`.
    const std::vector<Subpicture> &At(int64_t pts)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        while (!pending_.empty() && pending_.front().first <= pts) {
            current_ = std::move(pending_.front().second);
            pending_.pop_front();
        }
        std::erase_if(current_, [&](const Subpicture &s) { return s.end >= 0 && s.end <= pts; });
        return current_;
    }

private:
    std::mutex mutex_;
    std::deque<std::pair<int64_t, std::vector<Subpicture>>> pending_;
    std::vector<Subpicture> current_;
};

} // namespace

// ---- preview ---------------------------------------------------------------

PreviewSlot::~PreviewSlot() { Clear(); }

void PreviewSlot::Put(const AVFrame *frame)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!frame_)
        frame_ = av_frame_alloc();
    else
        av_frame_unref(frame_);
    if (frame_ && av_frame_ref(frame_, frame) < 0)
        av_frame_unref(frame_);
}

void PreviewSlot::Clear()
{
    std::lock_guard<std::mutex> lock(mutex_);
    av_frame_free(&frame_);
}

DCPicture *PreviewSlot::Picture()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!frame_ || !frame_->data[0])
        return nullptr;
    const int w = frame_->width, h = frame_->height;
    auto *pic = static_cast<DCPicture *>(std::malloc(sizeof(DCPicture) + size_t(w) * h * 4));
    if (!pic)
        return nullptr;
    pic->width = w;
    pic->height = h;
    pic->stride = w * 4;
    pic->pixels = reinterpret_cast<uint32_t *>(pic + 1);
    SwsContext *sws = sws_getContext(w, h, AVPixelFormat(frame_->format), w, h, AV_PIX_FMT_BGRA,
                                     SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!sws) {
        std::free(pic);
        return nullptr;
    }
    uint8_t *dst[4] = {reinterpret_cast<uint8_t *>(pic->pixels), nullptr, nullptr, nullptr};
    int dstStride[4] = {pic->stride, 0, 0, 0};
    sws_scale(sws, frame_->data, frame_->linesize, 0, h, dst, dstStride);
    sws_freeContext(sws);
    for (int i = 0; i < w * h; ++i)
        pic->pixels[i] |= 0xFF000000u;
    return pic;
}

// ---- one pass ---------------------------------------------------------------

struct Job::Pass {
    Job &job;
    ReadFeed reader;
    bool firstOfTwo;          // statistics only: no file, no sound
    AVCodecContext *statsEncoder = nullptr;   // first pass
    std::ofstream stats;

    BoundedQueue<PacketPtr> packets;
    BoundedQueue<FramePtr> frames;
    SubtitleTrack subtitles;

    AVIOContext *io = nullptr;
    AVFormatContext *demux = nullptr;
    AVCodecContext *audioDec = nullptr;
    AVCodecContext *subDec = nullptr;
    FilterGraph audioGraph;
    std::string audioGraphFormat;
    int64_t audioOut = 0;      // samples the sound chain gave out in this job
    int64_t nextAudioPts = AV_NOPTS_VALUE;   // where the next sound frame follows on
    int videoStream = -1, audioStream = -1, subStream = -1;
    // The picture stream's parameters, copied by the reading thread before it
    // hands on the first picture: the demuxer reallocates its stream array
    // whenever a new stream turns up, so no other thread may look into it.
    AVCodecParameters *videoParams = nullptr;
    AVRational videoTimeBase{1, 90000};
    int64_t zero = AV_NOPTS_VALUE;
    TimestampNormaliser timeline;
    std::deque<PacketPtr> early;   // sound and subpictures read before the first picture
    // With a subpicture stream, pictures wait here until the reading has gone
    // kSubpictureLead past them, so every subpicture they show is decoded
    // before the decoding thread blends them.
    std::deque<PacketPtr> held;
    int64_t readThrough = AV_NOPTS_VALUE;   // the latest time read in any stream
    int lastPercent = -1;
    int64_t videoEnd = AV_NOPTS_VALUE;      // end of the range's last picture packet

    Pass(Job &j, ReaderOpener open, bool first)
        : job(j), reader(std::move(open)), firstOfTwo(first), packets(j.run_, kPacketQueue),
          frames(j.run_, kFrameQueue)
    {
        std::lock_guard lock(job.feedMutex_);
        job.feed_ = &reader;
        if (job.run_.Aborted())
            reader.Stop();
    }

    int64_t lastPos = 0;   // parsed pictures may come without a position

    bool AfterRange(const AVPacket *pkt)
    {
        if (pkt->pos >= 0)
            lastPos = pkt->pos;
        const int64_t start = reader.AfterStart();
        return start >= 0 && lastPos >= start;
    }
    ~Pass()
    {
        {
            std::lock_guard lock(job.feedMutex_);
            job.feed_ = nullptr;
            job.damaged_ = reader.Damaged();
        }
        reader.Stop();
        FreeEncoder(statsEncoder);
        avcodec_parameters_free(&videoParams);
        avcodec_free_context(&audioDec);
        avcodec_free_context(&subDec);
        avformat_close_input(&demux);
        if (io)
            av_freep(&io->buffer);
        avio_context_free(&io);
    }

    static int ReadPacket(void *opaque, uint8_t *buf, int size)
    {
        auto *self = static_cast<Pass *>(opaque);
        if (!self->job.run_.WaitWhilePaused())
            return AVERROR_EXIT;
        const int n = self->reader.Read(buf, size);
        return n > 0 ? n : n == 0 ? AVERROR_EOF : AVERROR_EXIT;
    }

    bool OpenDemuxer(std::string &error)
    {
        const int size = 64 * 1024;
        auto *buffer = static_cast<uint8_t *>(av_malloc(size));
        io = buffer ? avio_alloc_context(buffer, size, 0, this, &ReadPacket, nullptr, nullptr) : nullptr;
        if (!io) {
            av_free(buffer);
            error = "out of memory";
            return false;
        }
        io->seekable = 0;
        demux = avformat_alloc_context();
        if (!demux) {
            error = "out of memory";
            return false;
        }
        demux->pb = io;
        demux->flags |= AVFMT_FLAG_CUSTOM_IO;
        int rc = avformat_open_input(&demux, nullptr, av_find_input_format("mpeg"), nullptr);
        if (rc < 0) {
            error = "the title's data is not a readable program stream: " + AvError(rc);
            return false;
        }
        return true;
    }

    void ReportProgress()
    {
        const int64_t total = reader.TotalBytes();
        if (total <= 0)
            return;
        const int percent = int(std::min<int64_t>(99, reader.BytesRead() * 100 / total));
        if (percent != lastPercent) {
            lastPercent = percent;
            job.reports_.PostProgress(job.request_.id, job.request_.callback, percent);
        }
    }

    // ---- sound, on the reading thread

    bool OpenAudioDecoder(const AVStream *st, std::string &error)
    {
        const AVCodec *codec = avcodec_find_decoder(st->codecpar->codec_id);
        audioDec = codec ? avcodec_alloc_context3(codec) : nullptr;
        if (!audioDec || avcodec_parameters_to_context(audioDec, st->codecpar) < 0) {
            error = "no decoder for the chosen audio stream";
            return false;
        }
        audioDec->pkt_timebase = st->time_base;
        int rc = avcodec_open2(audioDec, codec, nullptr);
        if (rc < 0) {
            error = "cannot open the audio decoder: " + AvError(rc);
            return false;
        }
        return true;
    }

    bool DrainAudioGraph(std::string &error)
    {
        FramePtr out(av_frame_alloc());
        while (audioGraph.Ready() && audioGraph.Pull(out.get()) >= 0) {
            audioOut += out->nb_samples;
            bool ok = job.file_->PushAudio(out.get(), error);
            av_frame_unref(out.get());
            if (!ok)
                return false;
        }
        return true;
    }

    bool FilterAudio(AVFrame *frame, std::string &error)
    {
        char layout[64] = "stereo";
        av_channel_layout_describe(&frame->ch_layout, layout, sizeof layout);
        const std::string format = std::string("time_base=1/") + std::to_string(frame->sample_rate) +
                                   ":sample_rate=" + std::to_string(frame->sample_rate) + ":sample_fmt=" +
                                   av_get_sample_fmt_name(AVSampleFormat(frame->format)) +
                                   ":channel_layout=" + layout;
        if (format != audioGraphFormat) {
            // A new sound format (a cell with other audio): the new chain goes on
            // from where the old one stopped.
            if (audioGraph.Ready()) {
                audioGraph.Close(AV_NOPTS_VALUE);
                if (!DrainAudioGraph(error))
                    return false;
            }
            EncodeSettings s = job.request_.settings;
            std::string chain = AudioChain(s, job.file_->SampleRate());
            chain.replace(chain.find("first_pts=0"), 11, "first_pts=" + std::to_string(audioOut));
            if (!audioGraph.Init(false, format, chain, error))
                return false;
            audioGraphFormat = format;
        }
        if (audioGraph.Push(frame) < 0) {
            error = "the sound filters failed";
            return false;
        }
        return DrainAudioGraph(error);
    }

    bool DecodeAudio(AVPacket *pkt, std::string &error)
    {
        int rc = avcodec_send_packet(audioDec, pkt);
        if (rc < 0 && rc != AVERROR(EAGAIN) && rc != AVERROR_EOF) {
            Log(2, "skipping damaged sound: %s", AvError(rc).c_str());
            return true;
        }
        FramePtr frame(av_frame_alloc());
        for (;;) {
            rc = avcodec_receive_frame(audioDec, frame.get());
            if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
                return true;
            if (rc < 0) {
                Log(2, "skipping damaged sound: %s", AvError(rc).c_str());
                return true;
            }
            int64_t pts = frame->best_effort_timestamp;
            if (pts == AV_NOPTS_VALUE) {
                // Sound packets without a time (LPCM carries few) follow the previous ones.
                if (nextAudioPts == AV_NOPTS_VALUE) {
                    av_frame_unref(frame.get());
                    continue;
                }
                frame->pts = nextAudioPts;
            } else {
                // "Ahead" moves the sound earlier against the picture.
                const int64_t shifted = pts - int64_t(job.request_.settings.audioOffsetMs) * 90;
                frame->pts = av_rescale(shifted, frame->sample_rate, 90000);
            }
            nextAudioPts = frame->pts + frame->nb_samples;
            bool ok = FilterAudio(frame.get(), error);
            av_frame_unref(frame.get());
            if (!ok)
                return false;
        }
    }

    // ---- subpictures, on the reading thread

    bool DecodeSubtitle(AVPacket *pkt, const AVStream *st)
    {
        if (!subDec) {
            const AVCodec *codec = avcodec_find_decoder(AV_CODEC_ID_DVD_SUBTITLE);
            subDec = codec ? avcodec_alloc_context3(codec) : nullptr;
            if (!subDec)
                return false;
            avcodec_parameters_to_context(subDec, st->codecpar);
            subDec->pkt_timebase = st->time_base;
            AVDictionary *opts = nullptr;
            const std::string palette = PaletteOption(job.request_.source.palette);
            if (!palette.empty())
                av_dict_set(&opts, "palette", palette.c_str(), 0);
            int rc = avcodec_open2(subDec, codec, &opts);
            av_dict_free(&opts);
            if (rc < 0) {
                Log(1, "cannot open the subpicture decoder: %s", AvError(rc).c_str());
                avcodec_free_context(&subDec);
                return false;
            }
        }
        AVSubtitle sub{};
        int got = 0;
        if (avcodec_decode_subtitle2(subDec, &sub, &got, pkt) < 0 || !got)
            return true;
        const int64_t base = pkt->pts;
        const int64_t start = base + int64_t(sub.start_display_time) * 90;
        const int64_t end = sub.end_display_time > sub.start_display_time && sub.end_display_time < 0x7fffffff
                                ? base + int64_t(sub.end_display_time) * 90
                                : -1;
        subtitles.Add(ToSubpictures(sub, start, end), start);
        avsubtitle_free(&sub);
        return true;
    }

    bool HandleOther(PacketPtr pkt, std::string &error)
    {
        if (pkt->stream_index == audioStream) {
            if (!audioDec && !OpenAudioDecoder(demux->streams[audioStream], error))
                return false;
            return DecodeAudio(pkt.get(), error);
        }
        if (pkt->stream_index == subStream && pkt->pts != AV_NOPTS_VALUE)
            DecodeSubtitle(pkt.get(), demux->streams[subStream]);
        return true;
    }

    // ---- the reading thread's loop

    void MapStreams()
    {
        for (unsigned i = 0; i < demux->nb_streams; ++i) {
            const AVStream *st = demux->streams[i];
            if (videoStream < 0 && st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
                videoStream = int(i);
            if (!firstOfTwo && audioStream < 0 && job.request_.info.audioStream != 0 &&
                st->id == DemuxId(job.request_.info.audioStream))
                audioStream = int(i);
            if (subStream < 0 && job.request_.info.subtitleStream != 0 && st->id == job.request_.info.subtitleStream)
                subStream = int(i);
        }
    }

    bool ReadAll(std::string &error)
    {
        PacketPtr pkt(av_packet_alloc());
        bool ok = true;
        while (ok && !job.run_.Aborted()) {
            int rc = av_read_frame(demux, pkt.get());
            if (rc == AVERROR_EOF || rc == AVERROR_EXIT)
                break;
            if (rc < 0) {
                Log(1, "skipping unreadable data: %s", AvError(rc).c_str());
                if (avio_feof(demux->pb))
                    break;
                continue;
            }
            MapStreams();
            const int index = pkt->stream_index;
            if (index != videoStream && index != audioStream && index != subStream) {
                av_packet_unref(pkt.get());
                continue;
            }
            // Clock restarts between cells: the reader knows the running offset.
            const int64_t offset = reader.TimestampOffsetAt(pkt->pos);
            if (pkt->pts != AV_NOPTS_VALUE)
                pkt->pts += offset;
            if (pkt->dts != AV_NOPTS_VALUE)
                pkt->dts += offset;
            // What the nav packs do not explain: damaged times, unmarked restarts.
            const int rebasedBefore = timeline.Rebased();
            timeline.Apply(index, pkt->pts, pkt->dts, pkt->duration);
            if (timeline.Rebased() != rebasedBefore)
                Log(1, "stream %d: a timestamp jump at %lld rebased", index, (long long)pkt->pts);
            if (zero == AV_NOPTS_VALUE) {
                if (index == videoStream && (pkt->flags & AV_PKT_FLAG_KEY) && pkt->pts != AV_NOPTS_VALUE) {
                    zero = pkt->pts;
                    Log(3, "time zero at %lld, %zu earlier packets", (long long)zero, early.size());
                } else if (index != videoStream && early.size() < kEarlyPackets) {
                    early.emplace_back(av_packet_clone(pkt.get()));
                    av_packet_unref(pkt.get());
                    continue;
                } else {
                    av_packet_unref(pkt.get());
                    continue;
                }
                // The first picture fixes the job's time zero; what came before follows it.
                while (ok && !early.empty()) {
                    PacketPtr e = std::move(early.front());
                    early.pop_front();
                    Rebase(e.get());
                    ok = HandleOther(std::move(e), error);
                }
            }
            Rebase(pkt.get());
            if (pkt->pts != AV_NOPTS_VALUE && (readThrough == AV_NOPTS_VALUE || pkt->pts > readThrough))
                readThrough = pkt->pts;
            if (AfterRange(pkt.get())) {
                // Beyond the range only its own sound is wanted.
                const bool sound = index == audioStream && pkt->pts != AV_NOPTS_VALUE && videoEnd != AV_NOPTS_VALUE;
                if (!sound || pkt->pts >= videoEnd) {
                    av_packet_unref(pkt.get());
                    if (sound)
                        break;   // the range's sound is complete
                    continue;
                }
            } else if (index == videoStream && pkt->pts != AV_NOPTS_VALUE) {
                const int64_t end = pkt->pts + std::max<int64_t>(pkt->duration, 0);
                if (videoEnd == AV_NOPTS_VALUE || end > videoEnd)
                    videoEnd = end;
            }
            if (index == videoStream) {
                if (!videoParams && !CopyVideoParams(error)) {
                    ok = false;
                    break;
                }
                PacketPtr moved(av_packet_alloc());
                av_packet_move_ref(moved.get(), pkt.get());
                if (!PushPicture(std::move(moved)))
                    break;
            } else {
                PacketPtr moved(av_packet_alloc());
                av_packet_move_ref(moved.get(), pkt.get());
                ok = HandleOther(std::move(moved), error);
                if (ok && !ReleasePictures(false))
                    break;
            }
            ReportProgress();
        }
        if (ok && !job.run_.Aborted() && !reader.Error().empty()) {
            error = reader.Error();
            ok = false;
        }
        if (ok && !job.run_.Aborted())
            ReleasePictures(true);
        held.clear();
        packets.Close();
        if (ok && !job.run_.Aborted() && zero == AV_NOPTS_VALUE) {
            error = "the title holds no picture";
            ok = false;
        }
        // The end of the sound: decoder and chain give out what they hold.
        if (ok && audioDec && !job.run_.Aborted()) {
            ok = DecodeAudio(nullptr, error);
            if (ok && audioGraph.Ready()) {
                audioGraph.Close(AV_NOPTS_VALUE);
                ok = DrainAudioGraph(error);
            }
        }
        return ok;
    }

    bool CopyVideoParams(std::string &error)
    {
        const AVStream *st = demux->streams[videoStream];
        videoParams = avcodec_parameters_alloc();
        if (!videoParams || avcodec_parameters_copy(videoParams, st->codecpar) < 0) {
            error = "out of memory";
            return false;
        }
        videoTimeBase = st->time_base;
        return true;
    }

    // False when the job was stopped.
    bool PushPicture(PacketPtr pkt)
    {
        // The subpicture stream may show up in the data only after the first pictures.
        if (job.request_.info.subtitleStream == 0)
            return packets.Push(std::move(pkt));
        held.push_back(std::move(pkt));
        return ReleasePictures(false);
    }

    bool ReleasePictures(bool all)
    {
        while (!held.empty()) {
            const int64_t pts = held.front()->pts;
            // A picture without a time follows the one before it.
            // A damaged time far ahead must not hold the whole title back.
            if (!all && pts != AV_NOPTS_VALUE && held.size() <= kHeldPictures &&
                (readThrough == AV_NOPTS_VALUE || pts + kSubpictureLead > readThrough))
                break;
            PacketPtr p = std::move(held.front());
            held.pop_front();
            if (!packets.Push(std::move(p)))
                return false;
        }
        return true;
    }

    void Rebase(AVPacket *pkt) const
    {
        if (pkt->pts != AV_NOPTS_VALUE)
            pkt->pts -= zero;
        if (pkt->dts != AV_NOPTS_VALUE)
            pkt->dts -= zero;
    }

    // ---- the picture decoding thread

    void DecodeVideo()
    {
        std::string error;
        if (!DecodeVideoLoop(error) && !error.empty())
            job.Fail(error);
        frames.Close();
    }

    bool DecodeVideoLoop(std::string &error)
    {
        AVCodecContext *dec = nullptr;
        FilterGraph graph;
        std::string graphFormat;
        const AVRational rate{job.request_.source.video.frameRateNum > 0 ? job.request_.source.video.frameRateNum : 30000,
                              job.request_.source.video.frameRateDen > 0 ? job.request_.source.video.frameRateDen : 1001};
        const int64_t frameTicks = av_rescale(90000, rate.den, rate.num);
        int64_t lastPts = AV_NOPTS_VALUE;
        FramePtr frame(av_frame_alloc());
        FramePtr out(av_frame_alloc());
        bool ok = true;

        auto pullFiltered = [&]() -> bool {
            for (;;) {
                FramePtr f(av_frame_alloc());
                int rc = graph.Pull(f.get());
                if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
                    return true;
                if (rc < 0) {
                    error = "the picture filters failed: " + AvError(rc);
                    return false;
                }
                if (!frames.Push(std::move(f)))
                    return false;
            }
        };
        auto handleFrame = [&](AVFrame *f) -> bool {
            int64_t pts = f->best_effort_timestamp;
            if (pts == AV_NOPTS_VALUE)
                pts = lastPts == AV_NOPTS_VALUE ? 0 : lastPts + frameTicks;
            if (pts < 0 || (lastPts != AV_NOPTS_VALUE && pts <= lastPts))
                return true;   // before the first picture, or out of order after damage
            lastPts = pts;
            f->pts = pts;
            const auto &subs = subtitles.At(pts);
            if (!subs.empty() && av_frame_make_writable(f) >= 0 && f->format == AV_PIX_FMT_YUV420P)
                for (const Subpicture &sp : subs)
                    BlendSubpicture(f, sp, job.request_.settings.subtitleX, job.request_.settings.subtitleY);
            char format[160];
            std::snprintf(format, sizeof format, "video_size=%dx%d:pix_fmt=%d:time_base=1/90000:pixel_aspect=%d/%d",
                          f->width, f->height, f->format, f->sample_aspect_ratio.num > 0 ? f->sample_aspect_ratio.num : 1,
                          f->sample_aspect_ratio.den > 0 ? f->sample_aspect_ratio.den : 1);
            if (graphFormat != format) {
                if (graph.Ready()) {
                    graph.Close(pts);
                    if (!pullFiltered())
                        return false;
                }
                SourceInfo source = job.request_.source;
                source.video.width = f->width;
                source.video.height = f->height;
                const std::string chain = VideoChain(job.request_.info, job.request_.settings, source, job.request_.target);
                if (!graph.Init(true, format, chain, error))
                    return false;
                graphFormat = format;
            }
            if (graph.Push(f) < 0) {
                error = "the picture filters failed";
                return false;
            }
            return pullFiltered();
        };
        auto receive = [&]() -> bool {
            for (;;) {
                int rc = avcodec_receive_frame(dec, frame.get());
                if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
                    return true;
                if (rc < 0) {
                    Log(1, "skipping a damaged picture: %s", AvError(rc).c_str());
                    return true;
                }
                bool r = handleFrame(frame.get());
                av_frame_unref(frame.get());
                if (!r)
                    return false;
            }
        };

        PacketPtr pkt;
        while (ok && packets.Pop(pkt)) {
            if (!job.run_.WaitWhilePaused())
                break;
            if (!dec) {
                // Set before the first picture was queued (the queue orders it).
                const AVCodec *codec = avcodec_find_decoder(videoParams->codec_id);
                dec = codec ? avcodec_alloc_context3(codec) : nullptr;
                if (!dec || avcodec_parameters_to_context(dec, videoParams) < 0) {
                    error = "no decoder for the title's pictures";
                    ok = false;
                    break;
                }
                dec->pkt_timebase = videoTimeBase;
                // Next to a cheap encoder, decoding is the longest stage: give it slice threads.
                dec->thread_count = PictureDecoderThreads(job.request_.info.encoder);
                dec->thread_type = FF_THREAD_SLICE;
                int rc = avcodec_open2(dec, codec, nullptr);
                if (rc < 0) {
                    error = "cannot open the picture decoder: " + AvError(rc);
                    ok = false;
                    break;
                }
            }
            int rc = avcodec_send_packet(dec, pkt.get());
            if (rc < 0 && rc != AVERROR(EAGAIN))
                Log(1, "skipping a damaged picture: %s", AvError(rc).c_str());
            ok = receive();
        }
        if (ok && dec && !job.run_.Aborted()) {
            avcodec_send_packet(dec, nullptr);
            ok = receive();
            if (ok && graph.Ready()) {
                // The last picture lasts one frame of the source.
                graph.Close(lastPts == AV_NOPTS_VALUE ? 0 : lastPts + frameTicks);
                ok = pullFiltered();
            }
        }
        avcodec_free_context(&dec);
        return ok;
    }

    // ---- the encoding thread

    void EncodeVideo()
    {
        std::string error;
        if (!EncodeVideoLoop(error) && !error.empty())
            job.Fail(error);
    }

    bool WriteStats()
    {
        if (statsEncoder->stats_out)
            stats << statsEncoder->stats_out;
        return bool(stats);
    }

    bool EncodeStats(AVFrame *f, std::string &error)
    {
        if (f) {
            f->pts = job.framesEncoded_.load();
            f->pict_type = AV_PICTURE_TYPE_NONE;
        }
        int rc = avcodec_send_frame(statsEncoder, f);
        if (rc < 0) {
            error = "the video encoder failed: " + AvError(rc);
            return false;
        }
        AVPacket *p = av_packet_alloc();
        while ((rc = avcodec_receive_packet(statsEncoder, p)) >= 0) {
            av_packet_unref(p);
            WriteStats();
        }
        av_packet_free(&p);
        if (rc != AVERROR(EAGAIN) && rc != AVERROR_EOF) {
            error = "the video encoder failed: " + AvError(rc);
            return false;
        }
        return true;
    }

    bool EncodeVideoLoop(std::string &error)
    {
        const bool sound = job.request_.info.audioStream != 0;
        FramePtr f;
        while (frames.Pop(f)) {
            if (!job.run_.WaitWhilePaused())
                return true;
            job.preview_.Put(f.get());
            if (firstOfTwo) {
                if (!EncodeStats(f.get(), error))
                    return false;
            } else {
                if (!job.file_->EncodeVideo(f.get(), error))
                    return false;
                if (!sound && !job.file_->PadAudioToVideo(error))
                    return false;
            }
            job.framesEncoded_.fetch_add(1);
        }
        if (firstOfTwo && !job.run_.Aborted()) {
            if (!EncodeStats(nullptr, error))
                return false;
            if (job.request_.info.encoder != DC_CODEC_H264 && !stats) {
                error = "cannot write the first pass's statistics";
                return false;
            }
        }
        return true;
    }
};

// ---- the job ----------------------------------------------------------------

Job::Job(JobRequest request, ReportQueue &reports, std::unique_ptr<OutputFile> &file, PreviewSlot &preview)
    : request_(std::move(request)), reports_(reports), file_(file), preview_(preview)
{
}

Job::~Job()
{
    Cancel();
}

void Job::Start()
{
    {
        std::lock_guard<std::mutex> lock(timeMutex_);
        started_ = std::chrono::steady_clock::now();
    }
    thread_ = std::thread([this] { Run(); });
}

// Quick whatever the disc does: the job's threads wait on the disc only
// through the feed, which the stop releases (see convert_feed.h).
void Job::Cancel()
{
    if (thread_.joinable()) {
        cancelled_ = true;
        run_.Abort();
        {
            std::lock_guard lock(feedMutex_);
            if (feed_)
                feed_->Stop();
        }
        thread_.join();
    }
}

void Job::Join()
{
    if (thread_.joinable())
        thread_.join();
}

void Job::Pause()
{
    std::lock_guard<std::mutex> lock(timeMutex_);
    if (run_.Paused())
        return;
    pausedAt_ = std::chrono::steady_clock::now();
    run_.SetPaused(true);
}

void Job::Resume()
{
    std::lock_guard<std::mutex> lock(timeMutex_);
    if (!run_.Paused())
        return;
    pausedFor_ += std::chrono::steady_clock::now() - pausedAt_;
    run_.SetPaused(false);
}

double Job::Fps() const
{
    std::lock_guard<std::mutex> lock(timeMutex_);
    auto now = run_.Paused() ? pausedAt_ : std::chrono::steady_clock::now();
    const double seconds = std::chrono::duration<double>(now - started_ - pausedFor_).count();
    return seconds > 0.05 ? framesEncoded_.load() / seconds : 0.0;
}

std::vector<DamagedRegion> Job::Damaged() const
{
    std::lock_guard lock(feedMutex_);
    if (feed_) {
        // A second pass reads the same damage again: never show fewer than the first.
        std::vector<DamagedRegion> now = feed_->Damaged();
        if (now.size() >= damaged_.size())
            return now;
    }
    return damaged_;
}

void Job::Fail(const std::string &reason)
{
    {
        std::lock_guard<std::mutex> lock(errorMutex_);
        if (error_.empty())
            error_ = reason;
    }
    run_.Abort();
}

bool Job::RunPass(int index, bool firstOfTwo, bool secondOfTwo, std::string &error)
{
    ReaderOpener open;
    if (size_t(index) < request_.openers.size()) {
        open = request_.openers[size_t(index)];
    } else {
        auto ready = std::make_shared<std::unique_ptr<TitleReader>>(std::move(request_.readers[size_t(index)]));
        open = [ready](std::string &) { return std::move(*ready); };
    }
    Pass pass(*this, std::move(open), firstOfTwo);
    {
        std::lock_guard<std::mutex> lock(timeMutex_);
        started_ = std::chrono::steady_clock::now();
        pausedFor_ = {};
        if (run_.Paused())
            pausedAt_ = started_;
        framesEncoded_ = 0;
    }
    // A job appended to an open file keeps that file's format.
    int32_t encoder = request_.info.encoder;
    VideoTarget target = request_.target;
    if (file_ && request_.info.newFile == 0) {
        encoder = file_->Encoder();
        target = file_->Target();
    }
    request_.info.encoder = encoder;
    request_.target = target;

    VideoEncoderParams vp;
    vp.encoder = encoder;
    vp.target = target;
    vp.kbps = request_.settings.videoKbps;
    vp.quality = request_.settings.quality;
    vp.pass = firstOfTwo ? EncodePass::First : secondOfTwo ? EncodePass::Second : EncodePass::Single;
    vp.statsPath = statsDir_ + "/video.log";
    vp.globalHeader = encoder != DC_CODEC_WMV;
    AVCodecContext *enc = OpenVideoEncoder(vp, error);
    if (!enc)
        return false;
    if (firstOfTwo) {
        pass.statsEncoder = enc;
        if (encoder != DC_CODEC_H264)
            pass.stats.open(vp.statsPath, std::ios::binary);
    } else if (!file_) {
        file_ = OutputFile::Create(request_.path, encoder, target, enc, request_.settings.sampleRate,
                                   request_.settings.audioKbps, error);
        if (!file_) {
            FreeEncoder(enc);
            return false;
        }
        createdFile_ = true;
        file_->SetVideoEncoder(enc);
    } else {
        file_->SetVideoEncoder(enc);
    }
    if (!pass.OpenDemuxer(error)) {
        if (!pass.reader.Error().empty())
            error = pass.reader.Error();
        return false;
    }

    std::thread decoder([&] { pass.DecodeVideo(); });
    std::thread encoderThread([&] { pass.EncodeVideo(); });
    std::string readError;
    if (!pass.ReadAll(readError) && !readError.empty())
        Fail(readError);
    decoder.join();
    encoderThread.join();
    if (firstOfTwo && pass.statsEncoder) {
        FreeEncoder(pass.statsEncoder);   // libx264 completes its statistics file on close
        pass.stats.close();
    }
    std::lock_guard<std::mutex> lock(errorMutex_);
    if (!error_.empty()) {
        error = error_;
        return false;
    }
    return !run_.Aborted();
}

void Job::Run()
{
    std::string error;
    bool ok = true;
    const bool twoPass = request_.info.twoPass != 0 &&
                         std::max(request_.readers.size(), request_.openers.size()) >= 2;
    if (twoPass) {
        statsDir_ = MakeTempDir();
        if (statsDir_.empty()) {
            ok = false;
            error = "cannot create a folder for the first pass's statistics";
        }
    }
    if (ok && twoPass) {
        ok = RunPass(0, true, false, error);
        if (ok) {
            reports_.PostEvent(request_.id, request_.callback, 100, 0);
            bool second = true;
            if (request_.info.encoder != DC_CODEC_H264) {
                std::ifstream in(statsDir_ + "/video.log", std::ios::binary);
                std::string stats((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
                std::string reason;
                if (!StatsAllowBitrate(stats, request_.settings.videoKbps, request_.target.rateNum,
                                       request_.target.rateDen, reason)) {
                    Log(1, "%s; encoding in one pass instead", reason.c_str());
                    second = false;
                }
            }
            ok = RunPass(1, false, second, error);
        }
    } else if (ok) {
        ok = RunPass(0, false, false, error);
    }
    RemoveDir(statsDir_);

    if (cancelled_) {
        finished_ = true;
        return;   // the host decides what happens to the file
    }
    if (ok && file_ && !file_->EndVideo(error))
        ok = false;
    if (!ok) {
        if (error.empty())
            error = "the conversion stopped";
        Log(0, "conversion of title %d to %s failed: %s", request_.info.title + 1, request_.path.c_str(),
            error.c_str());
        if (file_ && createdFile_) {
            file_->Discard();
            file_.reset();
        } else if (file_) {
            std::string ignored;
            file_->EndVideo(ignored);   // what earlier jobs wrote stays playable
        }
        finished_ = true;
        reports_.PostEvent(request_.id, request_.callback, -1, 1, error);
        return;
    }
    endedWell_ = true;
    finished_ = true;
    reports_.PostEvent(request_.id, request_.callback, 100, 1);
}

} // namespace dvdc

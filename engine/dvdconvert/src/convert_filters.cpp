// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert_filters.h"

#include "convert_log.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libavutil/samplefmt.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace dvdc {

namespace {

std::string Num(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", v);
    return text;
}

uint8_t Clamp8(double v) { return uint8_t(std::lround(std::clamp(v, 0.0, 255.0))); }

} // namespace

Rect FitInto(double dar, int width, int height)
{
    Rect r{0, 0, width, height};
    if (dar <= 0)
        return r;
    if (dar > double(width) / height)
        r.h = std::max(2, int(std::lround(width / dar)) & ~1);
    else
        r.w = std::max(2, int(std::lround(height * dar)) & ~1);
    r.x = ((width - r.w) / 2) & ~1;
    r.y = ((height - r.h) / 2) & ~1;
    return r;
}

double CroppedAspect(const SourceInfo &source, const EncodeSettings &s)
{
    const double dar = source.video.aspectCode == 3 ? 16.0 / 9.0 : 4.0 / 3.0;
    const int w = source.video.width, h = source.video.height;
    const int cw = w - s.cropLeft - s.cropRight, ch = h - s.cropTop - s.cropBottom;
    return dar * (double(cw) / w) / (double(ch) / h);
}

std::string VideoChain(const JobInfo &job, const EncodeSettings &s, const SourceInfo &source,
                       const VideoTarget &t)
{
    std::string chain;
    auto add = [&](const std::string &f) { chain += (chain.empty() ? "" : ",") + f; };
    // Constant rate first: dropped frames cost nothing further down.
    add("fps=fps=" + std::to_string(t.rateNum) + "/" + std::to_string(t.rateDen));
    if (s.cropTop || s.cropBottom || s.cropLeft || s.cropRight) {
        const int cw = source.video.width - s.cropLeft - s.cropRight;
        const int ch = source.video.height - s.cropTop - s.cropBottom;
        add("crop=w=" + std::to_string(cw) + ":h=" + std::to_string(ch) + ":x=" + std::to_string(s.cropLeft) +
            ":y=" + std::to_string(s.cropTop) + ":exact=1");
    }
    Rect r{0, 0, t.width, t.height};
    if (job.keepAspect)
        r = FitInto(CroppedAspect(source, s), t.width, t.height);
    add("scale=w=" + std::to_string(r.w) + ":h=" + std::to_string(r.h) + ":flags=bicubic");
    // The colour dialog's values: 0 leaves a property as it is.
    if (s.brightness != 0 || s.contrast != 0 || s.saturation != 0)
        add("eq=brightness=" + Num(std::clamp(double(s.brightness), -1.0, 1.0)) +
            ":contrast=" + Num(std::clamp(1.0 + s.contrast, 0.0, 11.0)) +
            ":saturation=" + Num(std::clamp(1.0 + s.saturation, 0.0, 3.0)));
    if (s.hue != 0)
        add("hue=h=" + Num(s.hue * 36.0));   // +-5 is a half turn either way
    if (r.w != t.width || r.h != t.height)
        add("pad=w=" + std::to_string(t.width) + ":h=" + std::to_string(t.height) + ":x=" + std::to_string(r.x) +
            ":y=" + std::to_string(r.y) + ":color=black");
    add("setsar=1");
    add("format=yuv420p");
    return chain;
}

std::string FilterSourceArgs(const AVFrame &f)
{
    char args[160];
    std::snprintf(args, sizeof args, "video_size=%dx%d:pix_fmt=%d:time_base=1/90000:pixel_aspect=%d/%d", f.width,
                  f.height, f.format, f.sample_aspect_ratio.num > 0 ? f.sample_aspect_ratio.num : 1,
                  f.sample_aspect_ratio.den > 0 ? f.sample_aspect_ratio.den : 1);
    return args;
}

std::string SoundSourceArgs(const AVFrame &f)
{
    char layout[64] = "stereo";
    av_channel_layout_describe(&f.ch_layout, layout, sizeof layout);
    return "time_base=1/" + std::to_string(f.sample_rate) + ":sample_rate=" + std::to_string(f.sample_rate) +
           ":sample_fmt=" + av_get_sample_fmt_name(AVSampleFormat(f.format)) + ":channel_layout=" + layout;
}

std::string AudioChain(const EncodeSettings &s, int sampleRate)
{
    std::string chain;
    if (s.volume != 1.0f && s.volume >= 0)
        chain += "volume=volume=" + Num(s.volume) + ",";
    const std::string sr = std::to_string(sampleRate);
    chain += "aresample=osr=" + sr + ":async=1:min_hard_comp=0.02:first_pts=0,";
    chain += "aformat=sample_fmts=fltp:sample_rates=" + sr + ":channel_layouts=stereo";
    return chain;
}

FilterGraph::~FilterGraph() { Reset(); }

void FilterGraph::Reset()
{
    avfilter_graph_free(&graph_);
    src_ = sink_ = nullptr;
    sourceArgs_.clear();
}

bool FilterGraph::Follow(bool video, const std::string &sourceArgs, int64_t closeAt,
                         const std::function<std::string()> &makeChain, const Take &take, std::string &error)
{
    if (Ready() && sourceArgs == sourceArgs_)
        return true;
    if (Ready()) {
        Close(closeAt);
        if (!PullAll(take, error))
            return false;
    }
    if (!Init(video, sourceArgs, makeChain(), error))
        return false;
    sourceArgs_ = sourceArgs;
    return true;
}

bool FilterGraph::PullAll(const Take &take, std::string &error)
{
    while (Ready()) {
        FramePtr f(av_frame_alloc());
        if (!f) {
            error = "out of memory";
            return false;
        }
        const int rc = Pull(f.get());
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return true;
        if (rc < 0) {
            error = "the filters failed: " + AvError(rc);
            return false;
        }
        if (!take(std::move(f)))
            return false;
    }
    return true;
}

bool FilterGraph::Init(bool video, const std::string &sourceArgs, const std::string &chain, std::string &error)
{
    Reset();
    graph_ = avfilter_graph_alloc();
    if (!graph_) {
        error = "out of memory";
        return false;
    }
    graph_->nb_threads = 1;
    const AVFilter *src = avfilter_get_by_name(video ? "buffer" : "abuffer");
    const AVFilter *sink = avfilter_get_by_name(video ? "buffersink" : "abuffersink");
    AVFilterInOut *outputs = avfilter_inout_alloc();
    AVFilterInOut *inputs = avfilter_inout_alloc();
    int rc = avfilter_graph_create_filter(&src_, src, "in", sourceArgs.c_str(), nullptr, graph_);
    if (rc >= 0)
        rc = avfilter_graph_create_filter(&sink_, sink, "out", nullptr, nullptr, graph_);
    if (rc >= 0 && outputs && inputs) {
        outputs->name = av_strdup("in");
        outputs->filter_ctx = src_;
        inputs->name = av_strdup("out");
        inputs->filter_ctx = sink_;
        rc = avfilter_graph_parse_ptr(graph_, chain.c_str(), &inputs, &outputs, nullptr);
    }
    if (rc >= 0)
        rc = avfilter_graph_config(graph_, nullptr);
    avfilter_inout_free(&inputs);
    avfilter_inout_free(&outputs);
    if (rc < 0) {
        char msg[AV_ERROR_MAX_STRING_SIZE];
        av_strerror(rc, msg, sizeof msg);
        error = std::string("cannot set up the ") + (video ? "picture" : "sound") + " filters (" + chain + "): " + msg;
        Reset();
        return false;
    }
    return true;
}

int FilterGraph::Push(AVFrame *frame) { return av_buffersrc_add_frame_flags(src_, frame, 0); }

int FilterGraph::Close(int64_t pts) { return av_buffersrc_close(src_, pts, AV_BUFFERSRC_FLAG_PUSH); }

int FilterGraph::Pull(AVFrame *frame) { return av_buffersink_get_frame(sink_, frame); }

int64_t FilterGraph::PulledPts(const AVFrame &frame) const
{
    return av_rescale_q(frame.pts, av_buffersink_get_time_base(sink_), AVRational{1, 90000});
}

std::string PaletteOption(const std::array<uint32_t, 16> &palette)
{
    if (std::all_of(palette.begin(), palette.end(), [](uint32_t c) { return c == 0; }))
        return {};
    std::string text;
    for (uint32_t c : palette) {
        const double y = (c >> 16) & 0xff, cr = (c >> 8) & 0xff, cb = c & 0xff;
        const uint8_t r = Clamp8(1.164 * (y - 16) + 1.596 * (cr - 128));
        const uint8_t g = Clamp8(1.164 * (y - 16) - 0.813 * (cr - 128) - 0.391 * (cb - 128));
        const uint8_t b = Clamp8(1.164 * (y - 16) + 2.018 * (cb - 128));
        char item[8];
        std::snprintf(item, sizeof item, "%02x%02x%02x", r, g, b);
        text += (text.empty() ? "" : ",") + std::string(item);
    }
    return text;
}

std::vector<Subpicture> ToSubpictures(const AVSubtitle &sub, int64_t start, int64_t end)
{
    std::vector<Subpicture> out;
    for (unsigned i = 0; i < sub.num_rects; ++i) {
        const AVSubtitleRect *rect = sub.rects[i];
        if (rect->type != SUBTITLE_BITMAP || rect->w <= 0 || rect->h <= 0)
            continue;
        Subpicture sp;
        sp.start = start;
        sp.end = end;
        sp.x = rect->x;
        sp.y = rect->y;
        sp.w = rect->w;
        sp.h = rect->h;
        const size_t n = size_t(rect->w) * rect->h;
        sp.luma.resize(n);
        sp.alpha.resize(n);
        sp.cb.resize(n);
        sp.cr.resize(n);
        const auto *pal = reinterpret_cast<const uint32_t *>(rect->data[1]);
        for (int y = 0; y < rect->h; ++y) {
            for (int x = 0; x < rect->w; ++x) {
                const uint32_t argb = pal[rect->data[0][y * rect->linesize[0] + x]];
                const double r = (argb >> 16) & 0xff, g = (argb >> 8) & 0xff, b = argb & 0xff;
                const size_t k = size_t(y) * rect->w + x;
                sp.alpha[k] = uint8_t(argb >> 24);
                sp.luma[k] = Clamp8(16 + 0.257 * r + 0.504 * g + 0.098 * b);
                sp.cb[k] = Clamp8(128 - 0.148 * r - 0.291 * g + 0.439 * b);
                sp.cr[k] = Clamp8(128 + 0.439 * r - 0.368 * g - 0.071 * b);
            }
        }
        out.push_back(std::move(sp));
    }
    return out;
}

void BlendSubpicture(AVFrame *frame, const Subpicture &sp, int dx, int dy)
{
    auto mix = [](uint8_t &dst, uint8_t src, unsigned a) { dst = uint8_t((dst * (255 - a) + src * a + 127) / 255); };
    for (int y = 0; y < sp.h; ++y) {
        const int fy = sp.y + dy + y;
        if (fy < 0 || fy >= frame->height)
            continue;
        for (int x = 0; x < sp.w; ++x) {
            const int fx = sp.x + dx + x;
            if (fx < 0 || fx >= frame->width)
                continue;
            const size_t k = size_t(y) * sp.w + x;
            const unsigned a = sp.alpha[k];
            if (a == 0)
                continue;
            mix(frame->data[0][fy * frame->linesize[0] + fx], sp.luma[k], a);
            if (!(fx & 1) && !(fy & 1)) {
                mix(frame->data[1][(fy / 2) * frame->linesize[1] + fx / 2], sp.cb[k], a);
                mix(frame->data[2][(fy / 2) * frame->linesize[2] + fx / 2], sp.cr[k], a);
            }
        }
    }
}

} // namespace dvdc

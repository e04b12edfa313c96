// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert_encoders.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

namespace dvdc {

namespace {

std::string ReadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// 50 is the encoder's own default; lower trades picture for speed, higher
// the other way.
const char *X264Preset(int quality)
{
    if (quality == 50)
        return "medium";
    static const char *const presets[] = {"ultrafast", "superfast", "veryfast", "faster", "fast",
                                          "medium",    "slow",      "slower",   "veryslow"};
    int i = quality < 50 ? quality * 5 / 50 : 5 + (quality - 50) * 4 / 51 + 1;
    return presets[i < 0 ? 0 : (i > 8 ? 8 : i)];
}

} // namespace

namespace {
unsigned Cores(unsigned cores) { return cores ? cores : std::max(1u, std::thread::hardware_concurrency()); }
} // namespace

// libx264's own choice, 1.5 frame threads a core, leaves cores idle here:
// its frame threads wait on each other's rows while the pass's decoding,
// filtering and sound share the same cores.  Three more keep them busy, for
// a few megabytes of frames each; the cap bounds memory on large machines.
int X264Threads(unsigned cores)
{
    return std::clamp(int(Cores(cores) * 3 / 2) + 3, 4, 16);
}

// Next to a cheap encoder (WMV has no threads and small pictures) decoding
// and filtering, on one thread, are the longest stage: one slice thread more
// than the cores leaves the decoding thread a smaller share of the slices, so
// it has time for the filters.  Beside H.264 and MPEG-4 the encoder keeps the
// cores busy, and one decoding thread is enough.
int PictureDecoderThreads(int32_t encoder, unsigned cores)
{
    if (encoder != DC_CODEC_WMV)
        return 1;
    return std::clamp(int(Cores(cores)) + 1, 2, 4);
}

const char *ContainerName(int32_t encoder) { return encoder == DC_CODEC_WMV ? "asf" : "mp4"; }

const char *H264Level(int width, int height, int rateNum, int rateDen)
{
    const long mbs = long((width + 15) / 16) * ((height + 15) / 16);
    const double mbRate = mbs * double(rateNum) / rateDen;
    if (mbs <= 1620 && mbRate <= 40500)
        return "3.0";
    if (mbs <= 3600 && mbRate <= 108000)
        return "3.1";
    return "4.0";
}

int Mpeg4Level(int width, int height, int32_t kbps)
{
    const long mbs = long((width + 15) / 16) * ((height + 15) / 16);
    if (mbs <= 99 && kbps <= 64)
        return 1;
    if (mbs <= 396 && kbps <= 128)
        return 2;
    if (mbs <= 396 && kbps <= 384)
        return 3;
    if (mbs <= 1200 && kbps <= 4000)
        return 4;   // 4a
    if (mbs <= 1620 && kbps <= 8000)
        return 5;
    return 6;
}

bool StatsAllowBitrate(const std::string &stats, int32_t kbps, int rateNum, int rateDen,
                       std::string &reason)
{
    double fixedBits = 0;
    long frames = 0;
    std::istringstream lines(stats);
    std::string line;
    while (std::getline(lines, line, ';')) {
        auto field = [&](const char *name) -> double {
            auto p = line.find(name);
            return p == std::string::npos ? 0.0 : std::atof(line.c_str() + p + std::char_traits<char>::length(name));
        };
        if (line.find("in:") == std::string::npos)
            continue;
        ++frames;
        fixedBits += field(" mv:") + field(" misc:");
    }
    if (frames == 0) {
        reason = "the first pass left no statistics";
        return false;
    }
    const double available = kbps * 1000.0 * frames * rateDen / rateNum;
    // The library gives up when the fixed cost exceeds what is available,
    // and its rate search can fail to converge close to it: keep a margin.
    if (fixedBits * 1.25 > available) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "%d kbit/s is too low for a second pass (the first pass needs %.0f kbit/s for "
                      "motion and headers alone)",
                      kbps, fixedBits * rateNum / rateDen / frames / 1000.0);
        reason = text;
        return false;
    }
    return true;
}

namespace {

// A fresh context for the named encoder, or nullptr with the reason.
AVCodecContext *AllocEncoder(const char *name, std::string &error)
{
    const AVCodec *codec = avcodec_find_encoder_by_name(name);
    if (!codec) {
        error = std::string("the ") + name + " encoder is not available";
        return nullptr;
    }
    AVCodecContext *enc = avcodec_alloc_context3(codec);
    if (!enc)
        error = "out of memory";
    return enc;
}

} // namespace

AVCodecContext *OpenVideoEncoder(const VideoEncoderParams &p, std::string &error)
{
    const char *name = p.encoder == DC_CODEC_H264 ? "libx264" : p.encoder == DC_CODEC_MPEG4 ? "mpeg4" : "wmv2";
    AVCodecContext *enc = AllocEncoder(name, error);
    if (!enc)
        return nullptr;
    enc->width = p.target.width;
    enc->height = p.target.height;
    enc->sample_aspect_ratio = AVRational{1, 1};
    enc->pix_fmt = AV_PIX_FMT_YUV420P;
    enc->time_base = AVRational{p.target.rateDen, p.target.rateNum};
    enc->framerate = AVRational{p.target.rateNum, p.target.rateDen};
    enc->bit_rate = int64_t(p.kbps) * 1000;
    enc->max_b_frames = 0;
    enc->gop_size = 250;
    if (p.globalHeader)
        enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (p.pass == EncodePass::First)
        enc->flags |= AV_CODEC_FLAG_PASS1;
    if (p.pass == EncodePass::Second)
        enc->flags |= AV_CODEC_FLAG_PASS2;

    AVDictionary *opts = nullptr;
    if (p.encoder == DC_CODEC_H264) {
        av_dict_set(&opts, "profile", "baseline", 0);
        av_dict_set(&opts, "level", H264Level(p.target.width, p.target.height, p.target.rateNum, p.target.rateDen), 0);
        av_dict_set(&opts, "preset", X264Preset(p.quality), 0);
        if (p.pass != EncodePass::Single)
            av_dict_set(&opts, "stats", p.statsPath.c_str(), 0);
        enc->thread_count = X264Threads();
        // A capped rate keeps the players' peak limits.
        enc->rc_max_rate = enc->bit_rate;
        enc->rc_buffer_size = int(enc->bit_rate * 2);
    } else {
        enc->thread_count = 1;   // the pipeline's own threads overlap the stages
        if (p.encoder == DC_CODEC_MPEG4) {
            enc->profile = FF_PROFILE_MPEG4_SIMPLE;
            enc->level = Mpeg4Level(p.target.width, p.target.height, p.kbps);
            enc->codec_tag = 0;
        }
        if (p.quality > 50)
            enc->mb_decision = p.quality >= 80 ? FF_MB_DECISION_RD : FF_MB_DECISION_BITS;
        if (p.quality >= 90)
            enc->trellis = 1;
        if (p.pass == EncodePass::Single) {
            enc->rc_max_rate = enc->bit_rate;
            enc->rc_buffer_size = int(enc->bit_rate);
        }
        if (p.pass == EncodePass::Second) {
            std::string stats = ReadFile(p.statsPath);
            enc->stats_in = av_strdup(stats.c_str());
        }
    }
    int rc = avcodec_open2(enc, enc->codec, &opts);
    av_dict_free(&opts);
    if (rc < 0) {
        char msg[AV_ERROR_MAX_STRING_SIZE];
        av_strerror(rc, msg, sizeof msg);
        error = std::string("cannot open the ") + name + " encoder: " + msg;
        FreeEncoder(enc);
        return nullptr;
    }
    return enc;
}

AVCodecContext *OpenAudioEncoder(int32_t encoder, int sampleRate, int kbps, bool globalHeader,
                                 std::string &error)
{
    const char *name = encoder == DC_CODEC_WMV ? "wmav2" : "aac";
    AVCodecContext *enc = AllocEncoder(name, error);
    if (!enc)
        return nullptr;
    enc->sample_fmt = AV_SAMPLE_FMT_FLTP;
    enc->sample_rate = sampleRate;
    av_channel_layout_default(&enc->ch_layout, 2);
    enc->bit_rate = int64_t(kbps) * 1000;
    enc->time_base = AVRational{1, sampleRate};
    if (encoder != DC_CODEC_WMV)
        enc->profile = FF_PROFILE_AAC_LOW;
    if (globalHeader)
        enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int rc = avcodec_open2(enc, enc->codec, nullptr);
    if (rc < 0) {
        char msg[AV_ERROR_MAX_STRING_SIZE];
        av_strerror(rc, msg, sizeof msg);
        error = std::string("cannot open the ") + name + " encoder at " + std::to_string(kbps) +
                " kbit/s, " + std::to_string(sampleRate) + " Hz: " + msg;
        FreeEncoder(enc);
        return nullptr;
    }
    return enc;
}

void FreeEncoder(AVCodecContext *&enc)
{
    if (!enc)
        return;
    char *stats = enc->stats_in;   // ours: the library does not free it
    enc->stats_in = nullptr;
    avcodec_free_context(&enc);
    av_free(stats);
}

} // namespace dvdc

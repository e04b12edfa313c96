// SPDX-License-Identifier: GPL-3.0-or-later
// Encoder set-up for the three encoder codes, aimed at the players' limits,
// and the two-pass statistics check.
#pragma once

#include "convert_settings.h"

#include <string>

struct AVCodecContext;

namespace dvdc {

enum class EncodePass { Single, First, Second };

struct VideoEncoderParams {
    int32_t encoder = DC_CODEC_H264;
    VideoTarget target;
    int32_t kbps = 1500;
    int32_t quality = 50;
    EncodePass pass = EncodePass::Single;
    std::string statsPath;   // two passes: the job's private statistics file
    bool globalHeader = false;
};

// nullptr with `error` set when the encoder cannot be opened.  In the
// second pass of MPEG-4 and WMV the statistics are read from statsPath.
AVCodecContext *OpenVideoEncoder(const VideoEncoderParams &params, std::string &error);

// Threads for libx264 (H.264) and for the MPEG-2 picture decoder, for an
// encoder code on `cores` processors (0: this machine's).
int X264Threads(unsigned cores = 0);
int PictureDecoderThreads(int32_t encoder, unsigned cores = 0);

// AAC-LC for the MP4 codes, WMA 2 for WMV; stereo.
AVCodecContext *OpenAudioEncoder(int32_t encoder, int sampleRate, int kbps, bool globalHeader,
                                 std::string &error);

// Frees an encoder and the statistics it was given.
void FreeEncoder(AVCodecContext *&enc);

// MPEG-4 and WMV second passes: false when `kbps` cannot carry the first
// pass's fixed cost (motion vectors and headers), which the library cannot
// survive; `reason` says why.
bool StatsAllowBitrate(const std::string &stats, int32_t kbps, int rateNum, int rateDen,
                       std::string &reason);

// The output container for an encoder code: "mp4" or "asf".
const char *ContainerName(int32_t encoder);

// The H.264 level a picture size needs, as libx264 names it ("3.0" where it fits).
const char *H264Level(int width, int height, int rateNum, int rateDen);
// The MPEG-4 Simple Profile level for a size and bit rate.
int Mpeg4Level(int width, int height, int32_t kbps);

} // namespace dvdc

// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert_pass.h"

#include "convert_log.h"

namespace dvdc {

AVCodecContext *StreamParams::OpenDecoder(const char *what, int sliceThreads, int flags2, std::string &error) const
{
    const AVCodec *codec = params ? avcodec_find_decoder(params->codec_id) : nullptr;
    AVCodecContext *decoder = codec ? avcodec_alloc_context3(codec) : nullptr;
    if (!decoder || avcodec_parameters_to_context(decoder, params) < 0) {
        avcodec_free_context(&decoder);
        error = std::string("no decoder for the ") + what + " stream";
        return nullptr;
    }
    decoder->pkt_timebase = timeBase;
    decoder->flags2 |= flags2;
    if (sliceThreads > 0) {
        decoder->thread_count = sliceThreads;
        decoder->thread_type = FF_THREAD_SLICE;
    }
    int rc = avcodec_open2(decoder, codec, nullptr);
    if (rc < 0) {
        avcodec_free_context(&decoder);
        error = std::string("cannot open the ") + what + " decoder: " + AvError(rc);
        return nullptr;
    }
    return decoder;
}

} // namespace dvdc

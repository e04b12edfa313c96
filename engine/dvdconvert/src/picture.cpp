// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture.h"

#include "dvdconvert_picture.h"

#include <cstdlib>

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

namespace dvdc {

DCPicture *NewPicture(int32_t width, int32_t height) { return NewPictureBlock(width, height); }

DCPicture *FrameToPicture(const AVFrame &frame, int32_t width, int32_t height, SwsContext *&scaler)
{
    if (frame.width <= 0 || frame.height <= 0)
        return nullptr;
    scaler = sws_getCachedContext(scaler, frame.width, frame.height, static_cast<AVPixelFormat>(frame.format),
                                  width, height, AV_PIX_FMT_RGB32, SWS_BICUBIC, nullptr, nullptr, nullptr);
    DCPicture *p = scaler ? NewPicture(width, height) : nullptr;
    if (!p)
        return nullptr;
    uint8_t *dst[4] = {reinterpret_cast<uint8_t *>(p->pixels), nullptr, nullptr, nullptr};
    int dstStride[4] = {p->stride, 0, 0, 0};
    sws_scale(scaler, frame.data, frame.linesize, 0, frame.height, dst, dstStride);
    // The source has no alpha: make every pixel opaque whatever the scaler wrote.
    for (int32_t y = 0; y < height; ++y) {
        uint32_t *row = reinterpret_cast<uint32_t *>(reinterpret_cast<uint8_t *>(p->pixels) + size_t(y) * p->stride);
        for (int32_t x = 0; x < width; ++x)
            row[x] |= 0xFF000000u;
    }
    return p;
}

} // namespace dvdc

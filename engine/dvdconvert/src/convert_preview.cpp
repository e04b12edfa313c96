// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert_preview.h"

#include "picture.h"

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include <algorithm>

namespace dvdc {

PreviewSlot::~PreviewSlot()
{
    Clear();
    sws_freeContext(scaler_);
}

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
    if (!frame_ || !frame_->data[0] || frame_->width <= 0 || frame_->height <= 0)
        return nullptr;
    // The encoder's picture size, scaled down to fit the limit if need be.
    const double scale = std::min({1.0, double(kMaxWidth) / frame_->width, double(kMaxHeight) / frame_->height});
    const int w = std::max(1, int(frame_->width * scale)), h = std::max(1, int(frame_->height * scale));
    return FrameToPicture(*frame_, w, h, scaler_);
}

} // namespace dvdc

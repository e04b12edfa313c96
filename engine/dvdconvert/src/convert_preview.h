// SPDX-License-Identifier: GPL-3.0-or-later
// The newest picture sent to the encoder, for the host's preview.
#pragma once

#include "dvdconvert.h"

#include <mutex>

struct AVFrame;
struct SwsContext;

namespace dvdc {

class PreviewSlot {
public:
    // A preview is never larger than this; bigger pictures are scaled down.
    static constexpr int kMaxWidth = 1920, kMaxHeight = 1088;

    ~PreviewSlot();
    void Put(const AVFrame *frame);
    // A copy as an engine picture (see NewPicture), or nullptr.
    DCPicture *Picture();
    void Clear();

private:
    std::mutex mutex_;
    AVFrame *frame_ = nullptr;
    SwsContext *scaler_ = nullptr;   // kept between pictures of the same size
};

} // namespace dvdc

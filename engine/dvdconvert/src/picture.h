// SPDX-License-Identifier: GPL-3.0-or-later
// Engine pictures (see DCPicture): one malloc() block, header then pixels.
#pragma once

#include "dvdconvert.h"

struct AVFrame;
struct SwsContext;

namespace dvdc {

// A black picture of the given size; nullptr for sizes out of 1..16384.
DCPicture *NewPicture(int32_t width, int32_t height);

// `frame` scaled to width x height as 0xAARRGGBB pixels (alpha 0xFF).
// `scaler` is reused between calls and freed by the caller (sws_freeContext).
DCPicture *FrameToPicture(const AVFrame &frame, int32_t width, int32_t height, SwsContext *&scaler);

} // namespace dvdc

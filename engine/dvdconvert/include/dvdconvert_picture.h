// SPDX-License-Identifier: GPL-3.0-or-later
// The one layout of a DCPicture (see "Pictures" in dvdconvert.h): a single
// malloc() block holding the DCPicture and then its pixels, so free()
// releases it whoever made it.  The engine makes its pictures with this and
// so may a host; header-only, so a host needs no engine library for it.
#pragma once

#include "dvdconvert.h"

#include <cstdlib>

namespace dvdc {

inline DCPicture *NewPictureBlock(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384)
        return nullptr;
    const size_t stride = size_t(width) * 4;
    auto *p = static_cast<DCPicture *>(std::calloc(1, sizeof(DCPicture) + stride * size_t(height)));
    if (!p)
        return nullptr;
    p->width = width;
    p->height = height;
    p->stride = int32_t(stride);
    p->pixels = reinterpret_cast<uint32_t *>(p + 1);
    return p;
}

} // namespace dvdc

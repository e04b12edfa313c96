// SPDX-License-Identifier: GPL-3.0-or-later
#include "EnginePicture.h"

namespace pellavan {

QImage PictureImage(const DCPicture *picture)
{
    if (!picture || !picture->pixels || picture->width <= 0 || picture->height <= 0 ||
        picture->stride < picture->width * 4)
        return {};
    return QImage(reinterpret_cast<const uchar *>(picture->pixels), picture->width, picture->height,
                  picture->stride, QImage::Format_RGB32)
        .copy();
}

} // namespace pellavan

// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures are single malloc() blocks (header then pixels), so one deleter
// frees pictures from the library and from any other ConverterEngine.
#include "ConverterEngine.h"
#include "dvdconvert_picture.h"

#include <cstdlib>

namespace pellavan {

void PictureDeleter::operator()(DCPicture *p) const { std::free(p); }

DCPicture *AllocatePicture(int32_t width, int32_t height) { return dvdc::NewPictureBlock(width, height); }

} // namespace pellavan

// SPDX-License-Identifier: GPL-3.0-or-later
// An engine picture as a QImage the window can keep after the picture is freed.
#pragma once

#include "dvdconvert.h"

#include <QImage>

namespace pellavan {

// A deep copy of `picture`; a null image when there is no picture, no
// pixels, no area, or rows shorter than the width says.
QImage PictureImage(const DCPicture *picture);

} // namespace pellavan

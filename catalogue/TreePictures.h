// SPDX-License-Identifier: GPL-3.0-or-later
// The tree's pictures, drawn by code: six 17x17 check-box states and ten
// 23x16 node pictures on white.  Callers keep the pixmaps they need.
#pragma once

#include <QPixmap>

namespace pellavan {

constexpr int StatePictureSize = 17;
constexpr int NodePictureWidth = 23;
constexpr int NodePictureHeight = 16;

QPixmap StatePicture(int state);     // 1..6; a null pixmap otherwise
QPixmap NodePicture(int image);      // 0..9; a null pixmap otherwise

} // namespace pellavan

// SPDX-License-Identifier: GPL-3.0-or-later
// Writing a captured preview frame to a Windows bitmap file.
#pragma once

#include <QImage>

#include <string>

namespace pellavan {

// Stretches `shown` over a width x height picture and writes it to `path` as
// a Windows bitmap.  "" on success, else the reason in plain words; a file
// that could not be written completely is removed.
std::string SaveCaptureBitmap(const QImage &shown, int width, int height, const std::string &path);

} // namespace pellavan

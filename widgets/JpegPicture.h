// SPDX-License-Identifier: GPL-3.0-or-later
// JPEG pictures decoded with libjpeg (the preview area's idle picture).
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace pellavan {

// A null image when the data is not a JPEG picture libjpeg can decode
// completely; `error` then says why.
QImage DecodeJpeg(const QByteArray &data, QString *error = nullptr);
QImage LoadJpegFile(const QString &path, QString *error = nullptr);

// Encodes RGB32 pixels (tools that make the program's pictures use it).
QByteArray EncodeJpeg(const QImage &image, int quality);

} // namespace pellavan

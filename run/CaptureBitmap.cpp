// SPDX-License-Identifier: GPL-3.0-or-later
#include "CaptureBitmap.h"

#include <QFile>
#include <QImageWriter>

namespace pellavan {

std::string SaveCaptureBitmap(const QImage &shown, int width, int height, const std::string &path)
{
    const QString file = QString::fromStdString(path);
    const auto failed = [&](const QString &why) {
        return QStringLiteral("Cannot save the captured picture as \"%1\": %2.").arg(file, why).toStdString();
    };
    if (width <= 0 || height <= 0)
        return failed(QStringLiteral("there is no output size"));

    QImage bitmap(width, height, QImage::Format_RGB32);
    if (bitmap.isNull())
        return failed(QStringLiteral("not enough memory"));
    if (shown.isNull())
        bitmap.fill(Qt::black);
    else
        bitmap = shown.convertToFormat(QImage::Format_RGB32)
                     .scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return failed(out.errorString());
    QImageWriter writer(&out, "bmp");
    if (!writer.write(bitmap) || !out.flush()) {
        const QString why = writer.error() != QImageWriter::UnknownError ? writer.errorString() : out.errorString();
        out.close();
        out.remove();
        return failed(why);
    }
    return {};
}

} // namespace pellavan

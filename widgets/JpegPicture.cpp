// SPDX-License-Identifier: GPL-3.0-or-later
#include "JpegPicture.h"

#include <QFile>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

namespace pellavan {

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

extern "C" void OnJpegError(j_common_ptr info)
{
    auto *err = reinterpret_cast<ErrorManager *>(info->err);
    (*info->err->format_message)(info, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings (a truncated file among them) end the decoding too: a picture
// with a grey lower half is not what the user should see.
extern "C" void OnJpegWarning(j_common_ptr info, int level)
{
    if (level < 0)
        OnJpegError(info);
}

// Only plain C objects live between setjmp and the calls that may jump.
bool DecodeInto(const unsigned char *data, unsigned long size, QImage *out, ErrorManager *err)
{
    jpeg_decompress_struct cinfo;
    cinfo.err = jpeg_std_error(&err->pub);
    err->pub.error_exit = OnJpegError;
    err->pub.emit_message = OnJpegWarning;
    err->message[0] = '\0';
    if (setjmp(err->jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, size);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGRX;   // the byte order of QImage::Format_RGB32
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_width == 0 || cinfo.output_height == 0 || cinfo.output_components != 4 ||
        cinfo.output_width > 16384 || cinfo.output_height > 16384) {
        jpeg_destroy_decompress(&cinfo);
        std::snprintf(err->message, sizeof err->message, "unsupported picture size");
        return false;
    }
    *out = QImage(int(cinfo.output_width), int(cinfo.output_height), QImage::Format_RGB32);
    if (out->isNull()) {
        jpeg_destroy_decompress(&cinfo);
        std::snprintf(err->message, sizeof err->message, "out of memory");
        return false;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out->scanLine(int(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

} // namespace

QImage DecodeJpeg(const QByteArray &data, QString *error)
{
    QImage image;
    ErrorManager err{};
    if (data.isEmpty()) {
        if (error)
            *error = QStringLiteral("empty file");
        return {};
    }
    if (!DecodeInto(reinterpret_cast<const unsigned char *>(data.constData()), static_cast<unsigned long>(data.size()),
                    &image, &err)) {
        if (error)
            *error = QString::fromLocal8Bit(err.message);
        return {};
    }
    return image;
}

QImage LoadJpegFile(const QString &path, QString *error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = f.errorString();
        return {};
    }
    return DecodeJpeg(f.readAll(), error);
}

QByteArray EncodeJpeg(const QImage &image, int quality)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);   // encoding our own pixels cannot fail
    jpeg_create_compress(&cinfo);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(rgb.width());
    cinfo.image_height = JDIMENSION(rgb.height());
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<uchar *>(rgb.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray out(reinterpret_cast<const char *>(buffer), qsizetype(size));
    std::free(buffer);
    return out;
}

} // namespace pellavan

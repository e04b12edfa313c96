// Pictures are single malloc() blocks (header then pixels), so one deleter
// frees pictures from the library and from any other ConverterEngine.
#include "ConverterEngine.h"

#include <cstdlib>

namespace pellavan {

void PictureDeleter::operator()(DCPicture *p) const { std::free(p); }

DCPicture *AllocatePicture(int32_t width, int32_t height)
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

} // namespace pellavan

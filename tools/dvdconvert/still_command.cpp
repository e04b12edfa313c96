// SPDX-License-Identifier: GPL-3.0-or-later
// dvdconvert still SOURCE TITLE [STEPS] OUT.png: the preview still of a
// title after STEPS steps (as the crop dialog shows it), as a PNG file.
#include "command.h"

#include "dvdconvert.h"

#include <cstdio>

#include <dlfcn.h>
#include <png.h>

#include "engine_library.h"

namespace dvdconvert {

namespace {

// libpng is loaded here, not linked: `info` must start as fast as it can,
// and only this command writes pictures.  Two calls of its simplified
// interface are all it needs.
struct PngLibrary {
    decltype(&png_image_write_to_file) write = nullptr;
    decltype(&png_image_free) free = nullptr;
};

const PngLibrary *LoadPng()
{
    static PngLibrary png;
    static const bool loaded = [] {
        void *lib = dlopen("libpng16.so.16", RTLD_NOW | RTLD_LOCAL);
        if (!lib)
            return false;
        png.write = reinterpret_cast<decltype(png.write)>(dlsym(lib, "png_image_write_to_file"));
        png.free = reinterpret_cast<decltype(png.free)>(dlsym(lib, "png_image_free"));
        return png.write && png.free;
    }();
    return loaded ? &png : nullptr;
}

// PNG through libpng; false when it cannot be written.
bool WritePng(const DCPicture &picture, const std::string &path)
{
    const PngLibrary *png = LoadPng();
    if (!png) {
        const char *why = dlerror();
        PrintError(std::string("cannot load libpng: ") + (why ? why : "missing functions"));
        return false;
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(picture.width);
    image.height = png_uint_32(picture.height);
    image.format = PNG_FORMAT_BGRA;   // 0xAARRGGBB words in little-endian memory
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "pixels are native-endian words");
    int ok = png->write(&image, path.c_str(), 0, picture.pixels, picture.stride, nullptr);
    png->free(&image);
    return ok != 0;
}

int RunStill(const std::vector<std::string> &args)
{
    if (args.size() != 3 && args.size() != 4) {
        PrintError("still needs SOURCE TITLE [STEPS] OUT.png");
        return kExitUsage;
    }
    int title = 0, steps = 0;
    if (!ParseCount(args[1], title) || title < 1 || (args.size() == 4 && !ParseCount(args[2], steps))) {
        PrintError("TITLE counts from 1 and STEPS from 0");
        return kExitUsage;
    }
    const std::string &out = args.back();
    const EngineLibrary *e = LoadEngine();
    if (!e)
        return kExitFailed;
    DCHandle h = e->CreateConverter();
    struct Closer {
        const EngineLibrary *e;
        DCHandle h;
        ~Closer() { e->CloseConverter(h); }
    } closer{e, h};
    if (!e->Converter_OpenDVD(h, args[0].c_str(), 1)) {
        PrintError("cannot open " + args[0] + ": " + e->Converter_GetLastError(h));
        return kExitNoDisc;
    }
    int titles = e->Converter_GetTitleCount(h);
    if (title > titles) {
        PrintError("no title " + args[1] + " (the disc has " + std::to_string(titles) + ")");
        return kExitNoSuchItem;
    }
    e->Converter_BeginPreview(h, title - 1, e->Converter_GetChapterCount(h, title - 1) > 1);
    for (int i = 0; i < steps; ++i)
        e->Converter_GetPreview2(h, nullptr, 0);
    DCPicture *picture = e->Converter_GetPreview2(h, nullptr, 1);
    e->Converter_EndPreview(h);
    if (!picture) {
        PrintError(std::string("no picture: ") + e->Converter_GetLastError(h));
        return kExitFailed;
    }
    bool written = WritePng(*picture, out);
    e->Converter_FreePicture(picture);
    if (!written) {
        PrintError("cannot write " + out);
        return kExitOutput;
    }
    return kExitOk;
}

const CommandRegistration stillCommand{"still", "SOURCE TITLE [STEPS] OUT.png",
                                       "writes the preview still of TITLE (from 1) after STEPS steps of about "
                                       "half a second",
                                       RunStill};

} // namespace

} // namespace dvdconvert

// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine_library.h"

#include "command.h"

#include <dlfcn.h>

#include <string>
#include <vector>

namespace dvdconvert {

namespace {

// The engine from each folder of this program's own library search path, by
// full name.  A plain dlopen by name already searches it, but not when a
// sanitizer's dlopen stands between: then the caller is the sanitizer's
// library and this program's run path is not used.
void *OpenFromOwnSearchPath(const char *name)
{
    void *self = dlopen(nullptr, RTLD_NOW);
    if (!self)
        return nullptr;
    void *library = nullptr;
    Dl_serinfo size;
    if (dlinfo(self, RTLD_DI_SERINFOSIZE, &size) == 0) {
        std::vector<size_t> storage(size.dls_size / sizeof(size_t) + 1);   // aligned for Dl_serinfo
        auto *info = reinterpret_cast<Dl_serinfo *>(storage.data());
        *info = size;
        if (dlinfo(self, RTLD_DI_SERINFO, info) == 0) {
            for (unsigned i = 0; i < info->dls_cnt && !library; ++i) {
                const std::string path = std::string(info->dls_serpath[i].dls_name) + "/" + name;
                library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
            }
        }
    }
    dlclose(self);
    return library;
}

} // namespace

const EngineLibrary *LoadEngine()
{
    static EngineLibrary engine;
    static bool loaded = false;
    if (loaded)
        return &engine;
    // Found through this program's run path (the engine's build folder, or
    // the private library folder relative to the installed program), then
    // the usual search.
    void *library = dlopen("libdvdconvert.so", RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const std::string why = dlerror();
        library = OpenFromOwnSearchPath("libdvdconvert.so");
        if (!library) {
            PrintError("cannot load the engine library: " + why);
            return nullptr;
        }
    }
    bool complete = true;
#define DVDCONVERT_RESOLVE(name)                                                            \
    engine.name = reinterpret_cast<decltype(&::name)>(dlsym(library, #name));              \
    if (!engine.name) {                                                                     \
        PrintError("the engine library lacks " #name);                                     \
        complete = false;                                                                   \
    }
    DVDCONVERT_OPERATIONS(DVDCONVERT_RESOLVE)
#undef DVDCONVERT_RESOLVE
    if (!complete)
        return nullptr;
    loaded = true;
    if (EngineLogShown())
        engine.DVDConvert_SetLogHandler(PrintEngineLog, nullptr);
    return &engine;
}

} // namespace dvdconvert

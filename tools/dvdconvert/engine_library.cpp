#include "engine_library.h"

#include "command.h"

#include <dlfcn.h>

namespace dvdconvert {

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
        PrintError(std::string("cannot load the engine library: ") + dlerror());
        return nullptr;
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

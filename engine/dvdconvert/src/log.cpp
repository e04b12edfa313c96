// The process-wide engine log.
#include "instance.h"

#include <cstdio>

namespace dvdc {

namespace {
std::mutex g_logMutex;
DCLogFn g_logFn = nullptr;
void *g_logContext = nullptr;
} // namespace

void VLog(int level, const char *format, va_list args)
{
    char text[1024];
    std::vsnprintf(text, sizeof text, format, args);
    std::lock_guard lock(g_logMutex);
    if (g_logFn)
        g_logFn(level, text, g_logContext);
}

void Log(int level, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    VLog(level, format, args);
    va_end(args);
}

} // namespace dvdc

extern "C" {

DVDCONVERT_API void DVDConvert_SetLogHandler(DCLogFn fn, void *context)
{
    std::lock_guard lock(dvdc::g_logMutex);
    dvdc::g_logFn = fn;
    dvdc::g_logContext = context;
}

} // extern "C"

// SPDX-License-Identifier: GPL-3.0-or-later
// The process-wide engine log.
#include "log.h"

#include "dvdconvert.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace dvdc {

namespace {
std::mutex g_logMutex;
DCLogFn g_logFn = nullptr;
void *g_logContext = nullptr;
} // namespace

void Log(int level, const char *format, ...)
{
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    std::lock_guard lock(g_logMutex);
    if (g_logFn)
        g_logFn(level, text, g_logContext);
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

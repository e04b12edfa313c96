// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert_log.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

#include <cstdarg>
#include <cstring>
#include <mutex>

namespace dvdc {

namespace {
void LibraryLog(void *avcl, int level, const char *format, va_list args)
{
    if (level > AV_LOG_WARNING)
        return;
    char line[1024];
    int prefix = 1;
    av_log_format_line2(avcl, level, format, args, line, sizeof line, &prefix);
    size_t n = std::strlen(line);
    while (n > 0 && (line[n - 1] == '\n' || line[n - 1] == '\r'))
        line[--n] = '\0';
    if (n > 0)
        Log(level <= AV_LOG_ERROR ? 1 : 3, "%s", line);
}
} // namespace

void RouteLibraryLog()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_callback(&LibraryLog); });
}

std::string AvError(int code)
{
    char msg[AV_ERROR_MAX_STRING_SIZE];
    av_strerror(code, msg, sizeof msg);
    return msg;
}

} // namespace dvdc

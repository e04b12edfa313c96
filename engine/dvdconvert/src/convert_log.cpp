#include "convert_log.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

#include <atomic>
#include <cstring>
#include <mutex>
#include <cstdarg>
#include <cstdio>

namespace dvdc {

namespace {
std::atomic<ConvertLogSink> g_sink{nullptr};
}

void SetConvertLogSink(ConvertLogSink sink) { g_sink = sink; }

namespace {
void LibraryLog(void *avcl, int level, const char *format, va_list args)
{
    if (level > AV_LOG_WARNING)
        return;
    ConvertLogSink sink = g_sink.load();
    if (!sink)
        return;
    char line[1024];
    int prefix = 1;
    av_log_format_line2(avcl, level, format, args, line, sizeof line, &prefix);
    size_t n = std::strlen(line);
    while (n > 0 && (line[n - 1] == '\n' || line[n - 1] == '\r'))
        line[--n] = '\0';
    if (n > 0)
        sink(level <= AV_LOG_ERROR ? 1 : 3, line);
}
} // namespace

void RouteLibraryLog()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_callback(&LibraryLog); });
}

void ConvertLog(int level, const char *format, ...)
{
    ConvertLogSink sink = g_sink.load();
    if (!sink)
        return;
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    sink(level, text);
}

std::string AvError(int code)
{
    char msg[AV_ERROR_MAX_STRING_SIZE];
    av_strerror(code, msg, sizeof msg);
    return msg;
}

} // namespace dvdc

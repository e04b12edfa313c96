// Engine log for the conversion side: forwards to the sink the host side
// installs (the engine's process-wide log), so this code needs nothing else.
#pragma once

#include <string>

namespace dvdc {

using ConvertLogSink = void (*)(int level, const char *message);
void SetConvertLogSink(ConvertLogSink sink);

// Routes the codec library's own messages into this log (once per process):
// its errors become warnings (the engine reports failures itself), its
// warnings debug lines.
void RouteLibraryLog();

// level 0 = error, 1 = warning, 2 = information, 3 = debug.
void ConvertLog(int level, const char *format, ...) __attribute__((format(printf, 2, 3)));

// The codec library's text for an error code.
std::string AvError(int code);

} // namespace dvdc

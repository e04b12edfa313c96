// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's one log, process-wide and thread-safe: every message goes to
// the handler the host set with DVDConvert_SetLogHandler.  Needs no codec
// library, so the catalogue-only build carries it too.
#pragma once

namespace dvdc {

// level 0 = error, 1 = warning, 2 = information, 3 = debug.
void Log(int level, const char *format, ...) __attribute__((format(printf, 2, 3)));

} // namespace dvdc

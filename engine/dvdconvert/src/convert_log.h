// SPDX-License-Identifier: GPL-3.0-or-later
// The codec library's side of the engine log (see log.h).
#pragma once

#include "log.h"

#include <string>

namespace dvdc {

// Routes the codec library's own messages into the engine log (once per
// process): its errors become warnings (the engine reports failures itself),
// its warnings debug lines.
void RouteLibraryLog();

// The codec library's text for an error code.
std::string AvError(int code);

} // namespace dvdc

// SPDX-License-Identifier: GPL-3.0-or-later
// The texts an output file's tags carry.
#pragma once

#include <string>

namespace dvdc {

// Text a tag can hold: valid UTF-8 (a byte that is not read as Latin-1),
// without control characters, at most `limit` bytes.
std::string TagText(const std::string &raw, size_t limit = 255);
// The file's name without its folder and extension, as a tag holds it.
std::string FileTitle(const std::string &path);

} // namespace dvdc

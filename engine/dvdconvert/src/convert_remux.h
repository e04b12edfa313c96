// SPDX-License-Identifier: GPL-3.0-or-later
// A finished file copied with other chapters: what an ASF header written
// with one layout of markers cannot take in place.
#pragma once

#include "convert_chapters.h"

#include <string>
#include <vector>

namespace dvdc {

// Copies the finished file at `path` (of the muxer `container`) into a new
// one with `chapters` in its header, its picture and sound streams, title and
// languages as they are, and puts it in its place.  On failure the file at
// `path` is left as it was.
bool RewriteWithChapters(const std::string &path, const char *container, const std::vector<ChapterEntry> &chapters,
                         AVRational frameBase, int64_t endFrame, int64_t shiftUs, std::string &error);

} // namespace dvdc

// SPDX-License-Identifier: GPL-3.0-or-later
// How a job's own output file is named, without folder or extension: the
// one rule the program's file names, the engine's chapter names in a merged
// file and the command line share.
#pragma once

#include <cstdio>
#include <string>

namespace dvdconvert {

// "DISC_Title02" for a title job, "DISC_Title01_03" for a chapter job
// beginning at the title's chapter 3 (`title` and `firstChapter` 0-based).
inline std::string JobFileStem(const std::string &disc, int title, int firstChapter, bool chapterJob)
{
    char tail[48];
    if (chapterJob)
        std::snprintf(tail, sizeof tail, "_Title%.2d_%.2d", title + 1, firstChapter + 1);
    else
        std::snprintf(tail, sizeof tail, "_Title%.2d", title + 1);
    return disc + tail;
}

} // namespace dvdconvert

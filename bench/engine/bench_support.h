// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the engine benchmarks: a test disc to measure on, and timing.
#pragma once

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace enginebench {

// A folder of discs made by the authoring script under the build folder:
// "tests" (the test discs: ntsc, pal, ntsc.iso, pal.iso) or "long" (long, a
// 60 s 720x480 title).  Authored on first use; empty when that fails.
inline std::string AuthoredDiscs(const std::string &kind)
{
    std::string dir = std::string(ENGINE_BENCH_DISCS) + "/" + kind;
    bool longTitle = kind == "long";
    if (longTitle && std::filesystem::exists(dir + "/long/VIDEO_TS"))
        return dir;
    std::string command = std::string("'") + ENGINE_DISC_SCRIPT + "' " + (longTitle ? "--long " : "") + "'" + dir +
                          "' >/dev/null";
    return std::system(command.c_str()) == 0 ? dir : std::string();
}

inline double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace enginebench

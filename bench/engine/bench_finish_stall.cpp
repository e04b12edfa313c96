// SPDX-License-Identifier: GPL-3.0-or-later
// The host's event loop while a large merged file is finished: merged jobs
// of DISC's first title (640x480 MPEG-4 at 6 Mbit/s, or WMV, whose merged
// file is copied once more for its markers) until the file holds MEGABYTES
// (2048 unless given), then Converter_CloseFile on a loop that
// ticks every 5 ms and dispatches reports, as the window's does.  Prints the
// file's size, how long closing and finishing took, and the loop's longest
// stall against its goal.
//
// DISC: a DVD folder with a long title, such as bench/author_title.sh makes
// (its 23-minute title twice is a 2 GB file).
//
// usage: bench_finish_stall DISC OUTPUT_DIR [MEGABYTES [wmv]]
#include "bench_support.h"

#include "dvdconvert.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

std::mutex g_mutex;
std::condition_variable g_wake;
bool g_woken = false;
int g_ends = 0;
bool g_fileDone = false;
std::string g_fileError;

void Wake(void *)
{
    std::lock_guard lock(g_mutex);
    g_woken = true;
    g_wake.notify_one();
}

uint8_t Report(int32_t progress, int32_t state)
{
    if (state == 1 || progress < 0)
        ++g_ends;
    return 1;
}

void FileDone(const char *, const char *error, void *)
{
    g_fileDone = true;
    g_fileError = error ? error : "";
}

// One turn of the host's loop: waits up to 5 ms for a wake-up, then dispatches.
void Turn(DCHandle h)
{
    std::unique_lock lock(g_mutex);
    g_wake.wait_for(lock, std::chrono::milliseconds(5), [] { return g_woken; });
    g_woken = false;
    lock.unlock();
    Converter_DispatchReports(h);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_finish_stall DISC OUTPUT_DIR [MEGABYTES [wmv]]\n");
        return 2;
    }
    const bool wmv = argc > 4 && std::string(argv[4]) == "wmv";
    const std::string path = std::string(argv[2]) + (wmv ? "/merged.wmv" : "/merged.mp4");
    const double goalBytes = (argc > 3 ? std::atof(argv[3]) : 2048) * 1024 * 1024;
    DCHandle h = CreateConverter();
    if (!Converter_OpenDVD(h, argv[1], 1)) {
        std::fprintf(stderr, "cannot open %s: %s\n", argv[1], Converter_GetLastError(h));
        return 1;
    }
    Converter_SetWakeup(h, &Wake, nullptr);
    Converter_SetFileDone(h, &FileDone, nullptr);
    const int last = Converter_GetChapterCount(h, 0) - 1;
    std::error_code ec;
    for (int job = 0; job == 0 || std::filesystem::file_size(path, ec) < goalBytes; ++job) {
        Converter_SetVideoCBRBitrate(h, 6000);
        Converter_SetAudioBitrate(h, 128);
        Converter_SetAudioSamplerate(h, 48000);
        if (!Converter_SetConvertInfo(h, 0, 0, last, 640, 480, 0x80, 0, -1, -1, 0, wmv ? DC_CODEC_WMV : DC_CODEC_MPEG4, 1, job == 0, 0,
                                      0) ||
            !Converter_Convert(h, path.c_str(), &Report)) {
            std::fprintf(stderr, "job %d refused: %s\n", job + 1, Converter_GetLastError(h));
            return 1;
        }
        while (g_ends <= job)
            Turn(h);
        std::fprintf(stderr, "\rjob %d: %.0f MB", job + 1, double(std::filesystem::file_size(path, ec)) / 1048576);
    }
    std::fprintf(stderr, "\n");
    const double megabytes = double(std::filesystem::file_size(path, ec)) / 1048576;

    // From the call on, each turn's gap is what the window would not answer for.
    const Clock::time_point start = Clock::now();
    Converter_CloseFile(h);
    const double closeMs = enginebench::SecondsSince(start) * 1000;
    double longestMs = closeMs;
    Clock::time_point last_turn = Clock::now();
    while (!g_fileDone) {
        Turn(h);
        const Clock::time_point now = Clock::now();
        longestMs = std::max(longestMs, std::chrono::duration<double, std::milli>(now - last_turn).count());
        last_turn = now;
    }
    const double finishS = enginebench::SecondsSince(start);
    CloseConverter(h);
    std::printf("merged file           %8.0f MB%s%s\n", megabytes, g_fileError.empty() ? "" : ", not finished: ",
                g_fileError.c_str());
    std::printf("Converter_CloseFile   %8.1f ms\n", closeMs);
    std::printf("finishing             %8.2f s\n", finishS);
    std::printf("longest loop stall    %8.1f ms (goal < 100: %s)\n", longestMs, longestMs < 100 ? "met" : "NOT met");
    std::filesystem::remove(path, ec);
    return 0;
}

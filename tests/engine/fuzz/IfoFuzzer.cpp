// SPDX-License-Identifier: GPL-3.0-or-later
// Coverage-guided fuzzing of the IFO path with libFuzzer.  An input is one
// IFO file: its first byte picks which of the test disc's three IFOs it
// replaces (IFO and BUP alike), the rest is the file.  The disc is opened
// through the engine and every query, a preview and every title's reader run.
#include "ExerciseDisc.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char *const kIfos[] = {"VIDEO_TS", "VTS_01_0", "VTS_02_0"};
fs::path g_root;       // the scratch disc
std::string g_original[3];

std::string ReadAll(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const fs::path &file, const char *data, size_t size)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(data, std::streamsize(size));
}

void LogNothing(int, const char *, void *) {}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    const fs::path source = fs::path(ENGINE_TEST_DISCS) / "ntsc" / "VIDEO_TS";
    g_root = fs::temp_directory_path() / ("ifo-fuzz-" + std::to_string(getpid()));
    std::error_code ec;
    fs::create_directories(g_root / "VIDEO_TS", ec);
    fs::copy(source, g_root / "VIDEO_TS", fs::copy_options::overwrite_existing, ec);
    if (ec) {
        std::fprintf(stderr, "cannot copy the test disc %s: %s\n", source.c_str(), ec.message().c_str());
        std::exit(1);
    }
    for (int i = 0; i < 3; ++i)
        g_original[i] = ReadAll(g_root / "VIDEO_TS" / (std::string(kIfos[i]) + ".IFO"));
    DVDConvert_SetLogHandler(LogNothing, nullptr);
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(g_root, ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const int which = data[0] % 3;
    const fs::path base = g_root / "VIDEO_TS" / kIfos[which];
    const char *bytes = reinterpret_cast<const char *>(data + 1);
    WriteAll(base.string() + ".IFO", bytes, size - 1);
    WriteAll(base.string() + ".BUP", bytes, size - 1);

    DCHandle h = CreateConverter();
    if (Converter_OpenDVD(h, g_root.c_str(), 1) && !enginetest::ExerciseDisc(h))
        std::abort();   // a record broke its contract
    CloseConverter(h);

    WriteAll(base.string() + ".IFO", g_original[which].data(), g_original[which].size());
    WriteAll(base.string() + ".BUP", g_original[which].data(), g_original[which].size());
    return 0;
}

// `dvdconvert info` against `lsdvd -x` on the same discs: wall time over
// repeated runs, and their ratio (below 1: ours is faster).
#include "bench_support.h"

#include <cstdio>

namespace {

double TimeCommand(const std::string &command, int runs)
{
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < runs; ++i)
        if (std::system((command + " >/dev/null 2>&1").c_str()) != 0)
            return -1;
    return enginebench::SecondsSince(start) / runs;
}

} // namespace

int main()
{
    std::string tests = enginebench::AuthoredDiscs("tests");
    std::string longDisc = enginebench::AuthoredDiscs("long");
    if (tests.empty() || longDisc.empty()) {
        std::fprintf(stderr, "no benchmark discs\n");
        return 1;
    }
    constexpr int kRuns = 30;
    for (const std::string &disc : {tests + "/ntsc", tests + "/ntsc.iso", tests + "/pal", tests + "/pal.iso",
                                    longDisc + "/long"}) {
        const char *name = disc.c_str() + disc.rfind('/') + 1;
        double ours = TimeCommand(std::string("'") + ENGINE_CLI + "' info '" + disc + "'", kRuns);
        double theirs = TimeCommand("lsdvd -x '" + disc + "'", kRuns);
        if (ours < 0 || theirs < 0) {
            std::fprintf(stderr, "%s: a command failed\n", name);
            return 1;
        }
        std::printf("%-14s dvdconvert info %6.2f ms   lsdvd -x %6.2f ms   ratio %.2f\n", name, ours * 1000,
                    theirs * 1000, ours / theirs);
    }
    return 0;
}

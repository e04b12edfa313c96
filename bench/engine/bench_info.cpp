// SPDX-License-Identifier: GPL-3.0-or-later
// `dvdconvert info` against `lsdvd -x` on the same discs: wall time of each
// run, the two commands taking turns in blocks of runs, so that a busy spell
// of the machine hits both alike while each runs warm as it would when used
// on its own; prints the medians and their ratio (below 1: ours is faster).
#include "bench_support.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// Seconds one run of argv takes, its output discarded; -1 when it fails.
double TimeRun(std::vector<std::string> args)
{
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (rc != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return enginebench::SecondsSince(start);
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
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
    constexpr int kBlocks = 10, kBlockRuns = 20;
    for (const std::string &disc : {tests + "/ntsc", tests + "/ntsc.iso", tests + "/pal", tests + "/pal.iso",
                                    longDisc + "/long"}) {
        const char *name = disc.c_str() + disc.rfind('/') + 1;
        std::vector<double> ours, theirs;
        for (int b = 0; b < kBlocks; ++b)
            for (auto *times : {&ours, &theirs})
                for (int i = 0; i < kBlockRuns; ++i) {
                    times->push_back(times == &ours ? TimeRun({ENGINE_CLI, "info", disc})
                                                    : TimeRun({"lsdvd", "-x", disc}));
                    if (times->back() < 0) {
                        std::fprintf(stderr, "%s: a command failed\n", name);
                        return 1;
                    }
                }
        const double o = Median(ours), t = Median(theirs);
        std::printf("%-14s dvdconvert info %6.2f ms   lsdvd -x %6.2f ms   ratio %.2f   (medians of %d)\n", name,
                    o * 1000, t * 1000, o / t, kBlocks * kBlockRuns);
    }
    return 0;
}

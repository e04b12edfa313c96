// SPDX-License-Identifier: GPL-3.0-or-later
// Random bytes in the IFO files, with a fixed seed and a bounded number of
// rounds (ENGINE_FUZZ_ROUNDS sets another): opening, every query, a preview
// and reading every title must survive each of them.  Run under the
// sanitizers as well; fuzz/ holds the coverage-guided fuzzer.
#include "EngineTestSupport.h"
#include "ExerciseDisc.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

using namespace enginetest;

namespace {

int Rounds()
{
    const char *env = std::getenv("ENGINE_FUZZ_ROUNDS");
    return env ? std::atoi(env) : 150;
}

void Fuzz(const char *disc, const std::vector<std::string> &ifos, uint32_t seed)
{
    DiscCopy copy(disc);
    std::vector<std::vector<uint8_t>> originals;
    for (const std::string &name : ifos)
        originals.push_back(copy.Read(name + ".IFO"));
    std::mt19937 random(seed);
    int opened = 0;
    int rounds = Rounds();
    for (int round = 0; round < rounds; ++round) {
        size_t which = random() % ifos.size();
        std::vector<uint8_t> bytes = originals[which];
        // Most rounds change a few bytes in the tables the reader uses (the
        // first sectors); some scatter them over the whole file.
        size_t span = random() % 4 ? std::min<size_t>(bytes.size(), 4096) : bytes.size();
        int changes = 1 + int(random() % 12);
        for (int i = 0; i < changes; ++i) {
            uint8_t value = random() % 3 == 0 ? 0xFF : uint8_t(random());
            bytes[random() % span] = value;
        }
        copy.Write(ifos[which] + ".IFO", bytes);
        copy.Write(ifos[which] + ".BUP", bytes);
        DCHandle h = CreateConverter();
        if (Converter_OpenDVD(h, copy.Root().c_str(), 1)) {
            ++opened;
            EXPECT_TRUE(ExerciseDisc(h)) << "round " << round;
        }
        CloseConverter(h);
        copy.Write(ifos[which] + ".IFO", originals[which]);
        copy.Write(ifos[which] + ".BUP", originals[which]);
    }
    // The mutations must leave some discs openable, or the catalogue code
    // was never reached.
    EXPECT_GT(opened, rounds / 4);
}

} // namespace

TEST(IfoFuzz, NtscDiscSurvivesRandomIfoBytes)
{
    LogCapture quiet;
    Fuzz("ntsc", {"VIDEO_TS", "VTS_01_0", "VTS_02_0"}, 20261208);
}

TEST(IfoFuzz, PalDiscSurvivesRandomIfoBytes)
{
    LogCapture quiet;
    Fuzz("pal", {"VIDEO_TS", "VTS_01_0", "VTS_02_0"}, 4242);
}

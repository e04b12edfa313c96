// SPDX-License-Identifier: GPL-3.0-or-later
// Loads a disc of 99 titles x 30 chapters x 8 audio x 8 subtitle streams
// through the scripted engine and times the load and one pointer-move
// refresh of the tree (a single pass over every node).
#include "catalogue/Catalogue.h"
#include "catalogue/TreeRules.h"
#include "ScriptedEngine.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

using namespace pellavan;
using namespace pellavan::testing;
using Clock = std::chrono::steady_clock;

static double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

int main()
{
    ScriptedEngine engine;
    for (int t = 0; t < 99; ++t) {
        std::vector<TAudioInfo> audios;
        std::vector<TSubInfo> subs;
        for (int s = 0; s < 8; ++s) {
            audios.push_back(MakeAudio(("lang" + std::to_string(s)).c_str(), s % 2 ? 6 : 0, 0x80 + s));
            subs.push_back(MakeSub(("lang" + std::to_string(s)).c_str(), 0x20 + s));
        }
        engine.script.titles.push_back(MakeTitle(std::vector<int32_t>(30, 61000), audios, subs));
    }

    DiscCatalogue disc;
    ConverterInstance instance{engine};
    const int rounds = 20;
    double loadBest = 1e9, moveBest = 1e9;
    for (int r = 0; r < rounds; ++r) {
        engine.ClearCalls();
        auto t0 = Clock::now();
        if (!LoadDisc(instance, disc, "/media/dvd", "BENCH"))
            return 1;
        loadBest = std::min(loadBest, Ms(Clock::now() - t0));

        // The pointer over the last chapter's check box of the last title.
        TreeNode *hot = disc.tree.NodeAt(disc.tree.Count() - 20);
        auto t1 = Clock::now();
        TreeMouseMove(disc.tree, TreeHit{hot, HitPart::CheckBox}, false);
        moveBest = std::min(moveBest, Ms(Clock::now() - t1));
    }
    std::printf("tree nodes: %zu\n", disc.tree.Count());
    std::printf("engine calls per load: %zu\n", engine.calls.size());
    std::printf("load (best of %d): %.3f ms\n", rounds, loadBest);
    std::printf("pointer-move refresh (best of %d): %.3f ms\n", rounds, moveBest);
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// "Next Image" of the crop dialog: 100 preview steps and one still on a
// 720x480 title, repeated along a 60-second title.
#include "bench_support.h"

#include "dvdconvert.h"

#include <algorithm>
#include <cstdio>
#include <vector>

int main()
{
    std::string discs = enginebench::AuthoredDiscs("long");
    std::string disc = discs + "/long";
    DCHandle h = CreateConverter();
    if (discs.empty() || !Converter_OpenDVD(h, disc.c_str(), 1)) {
        std::fprintf(stderr, "no benchmark disc\n");
        return 1;
    }
    TVideoInfo v{};
    Converter_GetVideoInfo(h, 0, &v);
    std::vector<double> times;
    for (int round = 0; round < 10; ++round) {
        Converter_BeginPreview(h, 0, 0);
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < 100; ++i)
            Converter_GetPreview2(h, nullptr, 0);
        DCPicture *p = Converter_GetPreview2(h, nullptr, 1);
        times.push_back(enginebench::SecondsSince(start));
        if (!p) {
            std::fprintf(stderr, "no still\n");
            return 1;
        }
        Converter_FreePicture(p);
        Converter_EndPreview(h);
    }
    // The first still of a preview also opens the VOB file: time a plain
    // still on its own too.
    Converter_BeginPreview(h, 0, 0);
    auto start = std::chrono::steady_clock::now();
    Converter_FreePicture(Converter_GetPreview2(h, nullptr, 1));
    double still = enginebench::SecondsSince(start);
    Converter_EndPreview(h);
    CloseConverter(h);

    std::sort(times.begin(), times.end());
    double sum = 0;
    for (double t : times)
        sum += t;
    std::printf("Next Image (100 steps + 1 still, %dx%d): median %.1f ms, mean %.1f ms, worst %.1f ms over %zu runs\n",
                v.width, v.height, times[times.size() / 2] * 1000, sum / double(times.size()) * 1000,
                times.back() * 1000, times.size());
    std::printf("still alone: %.1f ms\n", still * 1000);
    return 0;
}

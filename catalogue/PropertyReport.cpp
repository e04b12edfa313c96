// SPDX-License-Identifier: GPL-3.0-or-later
#include "PropertyReport.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace pellavan {

std::vector<std::string> PropertyReportLines(const DiscCatalogue &disc)
{
    std::vector<std::string> lines;
    const TreeNode *discNode = disc.tree.DiscNode();
    if (!discNode)
        return lines;
    const TDVDInfo &info = disc.info;
    size_t titleCount = std::min(size_t(std::max(info.listedTitleCount, 0)), info.titles.size());

    // Summed wide: 99 long titles overflow 32 bits; the total is shown capped.
    int64_t total = 0;
    for (size_t i = 0; i < titleCount; ++i)
        total += info.titles[i].playTime;
    total = std::min<int64_t>(total, std::numeric_limits<int32_t>::max());

    lines.push_back("DVD Volume:" + discNode->label);
    lines.push_back("Total Length:" + FormatPlayTime(int32_t(total)));
    lines.push_back(FormatText("Total Title Num:%d", info.listedTitleCount));
    for (size_t i = 0; i < titleCount; ++i) {
        const TTitleInfo &t = info.titles[i];
        lines.push_back(FormatText("--------Title%.2d------------", int(i) + 1));
        lines.push_back("Length:" + FormatPlayTime(t.playTime));
        lines.push_back(FormatText("Total Chapter Num:%d", t.listedChapterCount));
        lines.push_back(FormatText("Total Angle Num:%d", t.angleCount));
        lines.push_back(VideoLine(t.video));
        // The listed streams, the ones audio nodes are made from, numbered as
        // their nodes are.
        for (size_t a = 0; a < t.audios.size(); ++a) {
            const TAudioInfo &r = t.audios[a];
            if (r.listed == 0)
                continue;
            lines.push_back(FormatText("Audio%.2d:Language:%s Format:%s SamepleRate:%d Channel:%d", int(a) + 1,
                                   FieldText(r.language).c_str(), AudioFormatName(r.formatCode).c_str(),
                                   r.sampleRate, r.channels));
        }
    }
    return lines;
}

} // namespace pellavan

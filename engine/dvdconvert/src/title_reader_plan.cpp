// SPDX-License-Identifier: GPL-3.0-or-later
// Which sectors a chapter range reads, found in the catalogue the disc's
// IFOs gave when it was opened.
#include "title_reader.h"

#include "disc.h"
#include "ifo_catalogue.h"
#include "instance.h"
#include "log.h"

#include <algorithm>

namespace dvdc {

std::vector<ReadCell> ClipReadCells(std::vector<ReadCell> cells, uint32_t vobBlocks)
{
    std::vector<ReadCell> kept;
    for (size_t i = 0; i < cells.size(); ++i) {
        ReadCell cell = cells[i];
        if (cell.first >= vobBlocks) {
            Log(1, "cell %zu of the range lies outside the title set's VOB files", i + 1);
            continue;
        }
        if (cell.last >= vobBlocks) {
            Log(1, "cell %zu of the range ends beyond the VOB files; read up to their end", i + 1);
            cell.last = vobBlocks - 1;
        }
        kept.push_back(cell);
    }
    return kept;
}

namespace {

std::vector<ReadCell> RangeCells(const ifo_handle_t &vts, int vtsTitle, int firstChapter, int lastChapter, int angle)
{
    std::vector<ReadCell> cells;
    for (int c = firstChapter; c <= lastChapter; ++c) {
        ChapterCells found;
        std::string why;
        if (!FindChapterCells(vts, vtsTitle, c, angle, found, why)) {
            Log(1, "chapter %d: %s", c + 1, why.c_str());
            continue;
        }
        for (int i : found.cells) {
            const cell_playback_t &cp = found.pgc->cell_playback[i];
            if (cp.first_sector > cp.last_sector) {
                Log(1, "chapter %d: cell %d ends before it starts", c + 1, i + 1);
                continue;
            }
            cells.push_back(ReadCell{cp.first_sector, cp.last_sector, c});
        }
    }
    return cells;
}

// What a message calls the range: the whole title or its chapters (1-based).
std::string RangeName(int firstChapter, int lastChapter, int chapters)
{
    if (firstChapter == 0 && lastChapter == chapters - 1)
        return "the title";
    if (firstChapter == lastChapter)
        return "chapter " + std::to_string(firstChapter + 1);
    return "chapters " + std::to_string(firstChapter + 1) + " to " + std::to_string(lastChapter + 1);
}

} // namespace

std::vector<ReadCell> CollectReadCells(const ifo_handle_t &vts, int vtsTitle, int firstChapter,
                                       int lastChapter, int angle, uint32_t vobBlocks)
{
    return ClipReadCells(RangeCells(vts, vtsTitle, firstChapter, lastChapter, angle), vobBlocks);
}

bool PlanTitleRead(Instance &instance, int title, int firstChapter, int lastChapter, int angle,
                   TitleReadPlan &plan, std::string &error)
{
    const TitleCatalogue *found = instance.Range(title, firstChapter, lastChapter, angle, error);
    if (!found)
        return false;
    const TitleCatalogue &t = *found;
    const int chapters = static_cast<int>(t.chapterTimes.size());
    const ifo_handle_t *vts = instance.disc->Vts(t.titleSet);
    if (!vts) {
        error = "the title set cannot be read";
        return false;
    }
    plan.sourcePath = instance.disc->SourcePath();
    plan.titleSet = t.titleSet;
    plan.cells = RangeCells(*vts, t.vtsTitle, firstChapter, lastChapter, angle);
    if (plan.cells.empty()) {
        error = "the chapters hold nothing to read";
        return false;
    }
    plan.playMs = 0;
    for (int c = firstChapter; c <= lastChapter; ++c)
        plan.playMs += std::max(0, t.chapterTimes[size_t(c)]);
    plan.name = RangeName(firstChapter, lastChapter, chapters);
    return true;
}

std::unique_ptr<TitleReader> OpenTitleReader(Instance &instance, int title, int firstChapter,
                                             int lastChapter, int angle, std::string &error)
{
    TitleReadPlan plan;
    if (!PlanTitleRead(instance, title, firstChapter, lastChapter, angle, plan, error))
        return nullptr;
    return OpenTitleReader(plan, error);
}

} // namespace dvdc

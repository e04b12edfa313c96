// SPDX-License-Identifier: GPL-3.0-or-later
#include "title_film.h"

#include "disc.h"
#include "ifo_catalogue.h"
#include "instance.h"
#include "log.h"
#include "pack.h"

#include <algorithm>
#include <string>

namespace dvdc {

namespace {

constexpr int kChunk = 16;          // blocks read at a time
constexpr uint32_t kMaxBlocks = 64; // at one place: an I-picture and a few more
constexpr int kEnough = 4;          // pictures that settle a place
constexpr int kNtscRateCode = 4;    // 30000/1001

struct PlayedCell {
    uint32_t first, last;
    int64_t units;   // play time, 1/30000 s
};

// The title's cells (first angle) in play order.
std::vector<PlayedCell> TitleCells(Disc &disc, const TitleCatalogue &t)
{
    std::vector<PlayedCell> cells;
    const ifo_handle_t *vts = disc.Vts(t.titleSet);
    for (size_t c = 0; vts && c < t.chapterTimes.size(); ++c) {
        ChapterCells chapter;
        std::string why;
        if (!FindChapterCells(*vts, t.vtsTitle, int(c), 0, chapter, why))
            continue;
        for (int i : chapter.cells) {
            const cell_playback_t &cell = chapter.pgc->cell_playback[i];
            if (cell.first_sector <= cell.last_sector)
                cells.push_back({cell.first_sector, cell.last_sector, DvdTimeUnits(cell.playback_time)});
        }
    }
    return cells;
}

// The cell playing `share` of the way through the title.
size_t CellAt(const std::vector<PlayedCell> &cells, double share)
{
    int64_t total = 0;
    for (const PlayedCell &c : cells)
        total += c.units;
    int64_t before = 0;
    for (size_t i = 0; i < cells.size(); ++i) {
        before += cells[i].units;
        if (before > total * share)
            return i;
    }
    return 0;
}

bool Settled(const PictureFlags &f) { return f.pictures >= kEnough || f.progressive < f.pictures; }

// The picture flags from the start of a cell on.
PictureFlags FlagsAt(const Disc &disc, int titleSet, const PlayedCell &cell)
{
    PictureFlags flags;
    std::vector<uint8_t> blocks(size_t(kChunk) * kBlockSize), es;
    size_t parsed = 0;
    for (uint32_t s = cell.first; s <= cell.last && s - cell.first < kMaxBlocks && !Settled(flags); s += kChunk) {
        const int want = int(std::min<uint32_t>(kChunk, cell.last - s + 1));
        const int got = disc.ReadTitleBlocks(titleSet, s, want, blocks.data());
        for (int b = 0; b < got; ++b)
            ForEachPes(blocks.data() + size_t(b) * kBlockSize, [&](const PesPacket &p) {
                if (p.streamId == 0xE0 && !p.scrambled)
                    es.insert(es.end(), p.payload, p.payload + p.payloadSize);
            });
        parsed += ReadPictureFlags(es.data() + parsed, es.size() - parsed, flags);
        if (got < want)
            break;   // unreadable or the end of the VOBs: judge what came
    }
    return flags;
}

} // namespace

size_t ReadPictureFlags(const uint8_t *es, size_t size, PictureFlags &flags)
{
    size_t i = 0;
    for (; i + 9 <= size; ++i) {
        if (es[i] != 0 || es[i + 1] != 0 || es[i + 2] != 1)
            continue;
        const uint8_t code = es[i + 3];
        if (code == 0xB3) {   // sequence header: the rate code follows the sizes and aspect
            flags.frameRateCode = es[i + 7] & 0x0F;
        } else if (code == 0xB5 && (es[i + 4] >> 4) == 8) {   // picture coding extension
            ++flags.pictures;
            flags.repeating += (es[i + 7] >> 1) & 1;
            flags.progressive += es[i + 8] >> 7;
        }
        i += 3;
    }
    return i;
}

bool SoftPulldown(const PictureFlags &f)
{
    return f.pictures >= 2 && f.progressive == f.pictures && f.repeating > 0 &&
           (f.frameRateCode == 0 || f.frameRateCode == kNtscRateCode);
}

void MarkFilmTitles(Disc &disc, std::vector<TitleCatalogue> &titles)
{
    for (size_t t = 0; t < titles.size(); ++t) {
        TitleCatalogue &title = titles[t];
        if (title.video.videoStandard != 0)
            continue;   // PAL film runs at 25 without pulldown
        const std::vector<PlayedCell> cells = TitleCells(disc, title);
        if (cells.empty())
            continue;
        // Its start and its middle: a title that opens with video, or turns
        // to video by half-way, keeps the video rate, which loses no frame.
        const size_t places[] = {0, CellAt(cells, 0.5)};
        int film = 0, other = 0;
        for (size_t p = 0; p < 2 && other == 0; ++p) {
            if (p == 1 && places[1] == places[0])
                break;
            const PictureFlags flags = FlagsAt(disc, title.titleSet, cells[places[p]]);
            if (flags.pictures >= 2)
                ++(SoftPulldown(flags) ? film : other);
        }
        if (film > 0 && other == 0) {
            title.video.frameRateNum = 24000;
            title.video.frameRateDen = 1001;
            Log(2, "title %zu: film behind soft pulldown, 24000/1001 frames per second", t + 1);
        }
    }
}

} // namespace dvdc

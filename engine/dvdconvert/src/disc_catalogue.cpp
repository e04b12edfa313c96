// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a disc and reading its catalogue: what Converter_OpenDVD does,
// without FFmpeg, so light hosts can use it too.  Besides the IFOs it reads
// a few blocks at the start of the first title (encryption) and at the
// start and middle of each NTSC title (film, see title_film.h).
#include "disc.h"
#include "ifo_catalogue.h"
#include "pack.h"
#include "title_film.h"

#include <vector>

namespace dvdc {

namespace {

const ifo_handle_t *VtsOfDisc(void *disc, int titleSet) { return static_cast<Disc *>(disc)->Vts(titleSet); }

// Without libdvdcss an encrypted disc opens and its IFOs read fine, but every
// video pack stays scrambled: look at the start of the first title.
bool ScrambledWithoutKeys(Disc &disc, const std::vector<TitleCatalogue> &titles)
{
    for (const TitleCatalogue &t : titles) {
        const ifo_handle_t *vts = disc.Vts(t.titleSet);
        ChapterCells cells;
        std::string why;
        if (!vts || !FindChapterCells(*vts, t.vtsTitle, 0, 0, cells, why) || cells.cells.empty())
            continue;
        constexpr int kBlocks = 8;
        std::vector<uint8_t> buffer(kBlocks * kBlockSize);
        uint32_t start = cells.pgc->cell_playback[cells.cells.front()].first_sector;
        const int got = disc.ReadTitleBlocks(t.titleSet, start, kBlocks, buffer.data());
        if (got < 0)
            return false;
        bool scrambled = false;
        for (int b = 0; b < got; ++b)
            ForEachPes(buffer.data() + b * kBlockSize, [&](const PesPacket &p) { scrambled |= p.scrambled; });
        return scrambled;
    }
    return false;
}

} // namespace

bool OpenDiscCatalogue(const std::string &root, std::unique_ptr<Disc> &disc, std::vector<TitleCatalogue> &titles,
                       std::string &error)
{
    disc = Disc::Open(root, error);
    if (!disc)
        return false;
    titles = BuildCatalogue(*disc->Vmg(), VtsOfDisc, disc.get());
    if (ScrambledWithoutKeys(*disc, titles)) {
        error = "the disc is encrypted and cannot be read here (libdvdcss is not installed)";
        disc.reset();
        titles.clear();
        return false;
    }
    MarkFilmTitles(*disc, titles);
    return true;
}

} // namespace dvdc

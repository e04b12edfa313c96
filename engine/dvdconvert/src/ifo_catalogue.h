// SPDX-License-Identifier: GPL-3.0-or-later
// The catalogue and the cell lists of titles, computed from libdvdread's
// parsed IFO tables only (no I/O), so tests can run them on tables they
// build in memory.  Every count and index read from the tables is checked
// before it is used: IFO files may be damaged.
#pragma once

#include "instance.h"

#include <dvdread/ifo_types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace dvdc {

class Disc;

// Opens `root` and reads its catalogue; false with `error` set when it is
// no readable DVD, or an encrypted one that cannot be decrypted here.
bool OpenDiscCatalogue(const std::string &root, std::unique_ptr<Disc> &disc, std::vector<TitleCatalogue> &titles,
                       std::string &error);

// A playback time in 1/30000 s.  NTSC times count frames at a nominal 30
// per second (seconds included), each really 1001 units; PAL frames are
// 1200.  An invalid rate code drops the frame part; invalid BCD gives 0.
int64_t DvdTimeUnits(const dvd_time_t &time);
int32_t UnitsToMs(int64_t units);
inline int32_t DvdTimeToMs(const dvd_time_t &time) { return UnitsToMs(DvdTimeUnits(time)); }

struct ChapterCells {
    const pgc_t *pgc = nullptr;
    std::vector<int> cells;   // 0-based indexes into pgc->cell_playback, in play order
};

// The cells of chapter `chapter` (0-based) of VTS title `vtsTitle`
// (1-based), with the cell of `angle` (0-based) taken from each angle
// block.  A chapter ends where the next chapter of the same PGC begins, or
// at the end of its PGC.  false with `why` set when the tables do not hold
// the chapter.
bool FindChapterCells(const ifo_handle_t &vts, int vtsTitle, int chapter, int angle, ChapterCells &out,
                      std::string &why);

// Fills everything `title` (0-based entry of the title search table) has in
// the catalogue.  `vts` may be null (unreadable title set): the title then
// stays empty.
void BuildTitleCatalogue(const ifo_handle_t &vmg, int title, const ifo_handle_t *vts, TitleCatalogue &out);

// Every title of the title search table, in its order.
std::vector<TitleCatalogue> BuildCatalogue(const ifo_handle_t &vmg,
                                           const ifo_handle_t *(*vtsOf)(void *, int), void *context);

// The ISO 639-1 code of a language field ("" when absent or not letters).
std::string LanguageCode(uint16_t langCode, int langType);

// The English name of an ISO 639-1 code in lower case ("en" -> "English");
// the code itself when no name is known (and so "" for "").
std::string LanguageName(const std::string &code);

// The ISO 639-2/T code of an ISO 639-1 code ("de" -> "deu"); "" when unknown.
std::string LanguageCode3(const std::string &code);

} // namespace dvdc

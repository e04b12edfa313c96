// SPDX-License-Identifier: GPL-3.0-or-later
// A look at an IFO file's bytes before libdvdread parses it.  libdvdread
// 6.1 frees some tables twice when a table it is pointed at cannot be read
// (an IFO cut short, a sector pointer past the end), so such files must
// never reach ifoOpen.
#pragma once

#include <dvdread/dvd_reader.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace dvdc {

enum class IfoState {
    Sound,      // every table it points to lies inside the file
    Unusable,   // too short for its header or not an IFO: libdvdread gives up on it safely
    Unsafe,     // a header that points outside the file
};

// `bytes`: a whole VIDEO_TS (titleSet 0) or VTS_nn_0 IFO or BUP file.
IfoState CheckIfo(const std::vector<uint8_t> &bytes, int titleSet, std::string &why);

// No IFO is larger; a bigger file is not read.
inline constexpr size_t kMaxIfoBytes = 16u << 20;

// Reads the title set's IFO (backup false) or BUP whole, cut to whole
// 2048-byte sectors as libdvdread sees it; false when the file is missing.
using IfoFileReader = std::function<bool(int titleSet, bool backup, std::vector<uint8_t> &bytes)>;

// The files as libdvdread opens them.
IfoFileReader LibdvdreadIfoFiles(dvd_reader_t *dvd);

// Whether ifoOpen(dvd, titleSet) may be called: the IFO is sound, or it is
// unusable and its backup is sound (libdvdread then falls back to it).
bool IfoSafeToOpen(const IfoFileReader &read, int titleSet, std::string &why);

} // namespace dvdc

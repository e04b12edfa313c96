// SPDX-License-Identifier: GPL-3.0-or-later
// Still previews of a title for the crop dialog: a list of VOBU starts, a
// position in it, and an MPEG-2 decoder that turns one VOBU into a frame.
#pragma once

#include "disc.h"
#include "title_reader.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct AVCodecContext;
struct SwsContext;

namespace dvdc {

struct PreviewState {
    ~PreviewState();

    int title = 0;
    int32_t width = 0;                // the title's stored picture size
    int32_t height = 0;
    dvd_file_t *file = nullptr;       // the title set's VOBs, on the instance's reader
    std::vector<ReadCell> cells;      // the title's cells (first angle), in play order
    std::vector<uint32_t> vobus;      // VOBU start sectors inside those cells, in play order
    bool fromAddressMap = false;      // false: vobus grows by following the nav packs
    size_t current = 0;               // index into vobus
    AVCodecContext *decoder = nullptr;
    SwsContext *scaler = nullptr;
};

// VOBU starts (sorted sector list of the address map) that lie in `cells`,
// in the cells' order.
std::vector<uint32_t> VobusInCells(const std::vector<ReadCell> &cells, const uint32_t *starts, size_t count);

} // namespace dvdc

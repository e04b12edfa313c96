// SPDX-License-Identifier: GPL-3.0-or-later
// What the title reader makes of reads that fail: whether the disc has gone
// rather than being damaged, and the plain words that tell of a reading
// that ended before the end of its range.
#pragma once

#include "title_reader.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace dvdc {

// The read's own error says the medium or the device is gone.
bool GoneError(int error);
// A read of the disc at `source` failed with `error`: true when the disc is
// no longer there (the error says so, the folder, image or device node has
// gone, or the drive reports no disc), false when it is damage.
bool DiscGone(const std::string &source, int error);

// "the disc could not be read after 0:01:02; 21:58 of the title is missing":
// the reading of `name` (TitleReadPlan::name), `playMs` long, ended at
// `atMs`; `nothingRead` when it ended before anything was read.
std::string ReadEndText(ReadEnd end, int64_t atMs, int64_t playMs, const std::string &name, bool nothingRead);

// A reader for a disc that was gone when its job began: it reads nothing
// and tells why in its one region.
std::unique_ptr<TitleReader> GoneDiscReader(const TitleReadPlan &plan);

// A range's blocks counted through its cells in play order (0 is the first
// cell's first block), and the places worth a look past a long unreadable
// stretch.
class RangeBlocks {
public:
    explicit RangeBlocks(const std::vector<ReadCell> &cells);
    uint64_t Count() const { return m_count; }
    uint64_t StartOf(size_t cell) const { return cell < m_start.size() ? m_start[cell] : m_count; }
    size_t CellOf(uint64_t at) const;
    uint32_t SectorAt(uint64_t at) const;
    // Where to look next after the failed block `after` of a stretch that
    // began at `first`: a VOBU the last nav pack named `ahead` at least twice
    // as far into the stretch, the start of the cell after the stretch's
    // first one, of the next chapter, then halfway to the range's end, again
    // and again.  false once fewer than `last` blocks are left.
    bool NextLook(uint64_t first, uint64_t after, const std::vector<uint64_t> &ahead, uint64_t last,
                  uint64_t &next) const;

private:
    const std::vector<ReadCell> &m_cells;
    std::vector<uint64_t> m_start;   // each cell's first block
    uint64_t m_count = 0;
};

} // namespace dvdc

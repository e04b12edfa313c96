// SPDX-License-Identifier: GPL-3.0-or-later
// The sectors of a chapter range as one program stream.  The reader opens
// its own libdvdread handle, so it may run on any thread while the instance
// goes on answering queries and previews on the host's thread.
#include "title_reader.h"

#include "disc.h"
#include "log.h"
#include "pack.h"
#include "title_reader_damage.h"

#include <dvdread/nav_read.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <mutex>

namespace dvdc {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kChunkBlocks = 32;
constexpr uint32_t kMaxSkipStride = 1024;
// The first failed block of a stretch is tried this many times more: the
// failure may pass.
constexpr int kReadRetries = 2;
// Inside one unreadable stretch the reading steps on with a growing stride
// until this many reads have failed in it, or this long has passed: a
// scratched band can fail every read for hundreds of megabytes, each taking
// seconds.  Then it looks for readable data further ahead (LookAhead).
constexpr int kStretchReads = 16;
constexpr Clock::duration kStretchTime = std::chrono::seconds(30);
// Closer than this to the range's end (blocks), nothing more is looked for
// past a long stretch.
constexpr uint64_t kLastLook = 2048;
// Where reading works again after a step, the gap before it is halved at
// most this many times, down to this many blocks, for where it begins.
constexpr int kLookBackReads = 10;
constexpr uint64_t kLookBackBlocks = 16;

std::atomic<BlockReadFn> g_blockRead{&DVDReadBlocks};

class DvdTitleReader final : public TitleReader {
public:
    DvdTitleReader(dvd_reader_t *dvd, dvd_file_t *file, std::vector<ReadCell> cells, const TitleReadPlan &plan)
        : m_dvd(dvd), m_file(file), m_cells(std::move(cells)), m_buffer(kChunkBlocks * kBlockSize),
          m_range(m_cells), m_source(plan.sourcePath), m_playMs(plan.playMs), m_name(plan.name),
          m_stopAtDamage(plan.stopAtDamage)
    {
        m_total = int64_t(m_range.Count()) * kBlockSize;
        if (!m_cells.empty())
            m_pos = m_cells.front().first;
    }

    ~DvdTitleReader() override
    {
        DVDCloseFile(m_file);
        DVDClose(m_dvd);
    }

    int Read(uint8_t *buffer, int size) override
    {
        int copied = 0;
        while (copied < size) {
            if (m_bufferPos == m_bufferLength && !Fill())
                break;
            int n = std::min(size - copied, m_bufferLength - m_bufferPos);
            std::copy_n(m_buffer.data() + m_bufferPos, n, buffer + copied);
            m_bufferPos += n;
            copied += n;
        }
        return copied;
    }

    int64_t BytesRead() const override
    {
        std::lock_guard lock(m_mutex);
        return m_done;
    }
    int64_t TotalBytes() const override { return m_total; }

    std::vector<DamagedRegion> Damaged() const override
    {
        std::lock_guard lock(m_mutex);
        return m_damaged;
    }

    int64_t TimestampOffsetAt(int64_t position) const override
    {
        std::lock_guard lock(m_mutex);
        auto it = std::upper_bound(m_offsets.begin(), m_offsets.end(), position,
                                   [](int64_t p, const std::pair<int64_t, int64_t> &e) { return p < e.first; });
        return it == m_offsets.begin() ? 0 : std::prev(it)->second;
    }

    int ChapterAt(int64_t position) const override
    {
        std::lock_guard lock(m_mutex);
        auto it = std::upper_bound(m_chapters.begin(), m_chapters.end(), position,
                                   [](int64_t p, const std::pair<int64_t, int> &e) { return p < e.first; });
        return it == m_chapters.begin() ? -1 : std::prev(it)->second;
    }

private:
    // Reads the next blocks into m_buffer; false at the end of the range.
    bool Fill()
    {
        m_bufferPos = m_bufferLength = 0;
        while (m_cell < m_cells.size() && !Stopped()) {
            const ReadCell &cell = m_cells[m_cell];
            if (m_pos > cell.last || m_pos < cell.first) {
                NextCell();
                continue;
            }
            if (!m_inVobu) {
                if (!ReadBlocks(m_pos, 1))
                    continue;
                NoteChapter(cell);
                StartVobu(cell);
                Advance(m_pending);
                return true;
            }
            uint32_t n = std::min<uint32_t>(kChunkBlocks, m_vobuLast - m_pos + 1);
            if (!ReadBlocks(m_pos, n))
                continue;
            NoteChapter(cell);
            Advance(m_pending);
            return true;
        }
        return false;
    }

    ssize_t BlockRead(uint32_t sector, uint32_t count, int &error)
    {
        errno = 0;
        const ssize_t got = g_blockRead.load()(m_file, static_cast<int>(sector), count, m_buffer.data());
        error = got > 0 ? 0 : errno;
        return got;
    }

    bool ReadBlocks(uint32_t sector, uint32_t count)
    {
        if (sector < m_singleUntil)
            count = 1;
        const Clock::time_point began = Clock::now();
        int error = 0;
        ssize_t got = BlockRead(sector, count, error);
        if (got <= 0 && count > 1) {
            // A failed run of blocks may hold good ones: the rest of the run
            // is read block by block, so only unreadable blocks are skipped
            // (and a slow drive fails each run once, not once per good block).
            m_singleUntil = sector + count;
            got = BlockRead(sector, 1, error);
        }
        int failed = got <= 0 ? 1 : 0;
        while (got <= 0 && !m_stretch.on && failed <= kReadRetries && !Stopped() && !GoneError(error)) {
            got = BlockRead(sector, 1, error);
            failed += got <= 0 ? 1 : 0;
        }
        if (got > 0)
            return Resumed(sector, got);
        if (!Stopped())
            Unreadable(sector, error, failed, began);
        return false;
    }

    // The block at `sector` (of the current cell) was read: a stretch being
    // skipped ends there, or before it where the look back finds readable
    // blocks (the reading then goes on from those).
    bool Resumed(uint32_t sector, ssize_t got)
    {
        if (m_stretch.on) {
            const uint64_t at = Linear(sector);
            const uint64_t from = LookBack(m_stretch.lastFailed, at);
            EndStretch(from);
            if (from < at) {
                MoveTo(from);
                return false;
            }
        }
        m_stride = 1;
        m_bufferLength = static_cast<int>(got) * kBlockSize;
        m_pending = static_cast<uint32_t>(got);
        return true;
    }

    // The block at `sector` could not be read (`failed` tries from `began`,
    // the last with `error`): skip ahead, further each time in a row, and
    // look for the next nav pack there; past the stretch's budget look
    // further ahead; end the reading when the disc has gone.
    void Unreadable(uint32_t sector, int error, int failed, Clock::time_point began)
    {
        const uint64_t at = Linear(sector);
        m_inVobu = false;
        if (m_stopAtDamage) {
            m_cell = m_cells.size();
            return;
        }
        if (!m_stretch.on)
            BeginStretch(at, began);
        m_stretch.failures += failed;
        m_stretch.lastFailed = at;
        ShowProgressAt(at);
        if (DiscGone(m_source, error)) {
            EndReading(ReadEnd::DiscGone);
        } else if (m_stretch.failures < kStretchReads && Clock::now() - m_stretch.began < kStretchTime) {
            Log(1, "title reader: sector %u unreadable, skipping %u", sector, m_stride);
            // No further than the next cell's start: a cell may begin readable.
            const uint64_t next = std::min<uint64_t>(at + m_stride, m_range.StartOf(m_cell + 1));
            m_stride = std::min(m_stride * 2, kMaxSkipStride);
            MoveTo(next);
        } else {
            LookAhead(at);
        }
    }

    // Past the budget the stretch may run on for hundreds of megabytes:
    // one read at each place NextLook gives, until one reads or none is left.
    void LookAhead(uint64_t failed)
    {
        uint64_t next = 0;
        while (!Stopped() && m_range.NextLook(m_stretch.first, failed, m_ahead, kLastLook, next)) {
            int error = 0;
            if (Probe(next, error)) {
                Log(1, "title reader: readable again %llu blocks after the unreadable stretch began",
                    (unsigned long long)(next - m_stretch.first));
                const uint64_t from = LookBack(failed, next);
                EndStretch(from);
                MoveTo(from);
                return;
            }
            ++m_stretch.failures;
            if (DiscGone(m_source, error))
                return EndReading(ReadEnd::DiscGone);
            failed = m_stretch.lastFailed = next;
            ShowProgressAt(next);
        }
        if (!Stopped())
            EndReading(ReadEnd::Unreadable);
    }

    // Reading works at `found` after failing at `failed`: the gap between
    // them is halved a few times for where it starts working, so that little
    // of what can be read is lost.
    uint64_t LookBack(uint64_t failed, uint64_t found)
    {
        for (int i = 0; i < kLookBackReads && found - failed > kLookBackBlocks && !Stopped(); ++i) {
            const uint64_t middle = failed + (found - failed) / 2;
            int error = 0;
            if (Probe(middle, error)) {
                found = middle;
            } else {
                failed = m_stretch.lastFailed = middle;
                ++m_stretch.failures;
                ShowProgressAt(middle);
            }
        }
        return found;
    }

    // One block at `at` (of the range, in play order): whether it reads.
    bool Probe(uint64_t at, int &error) { return BlockRead(m_range.SectorAt(at), 1, error) > 0; }

    // Goes on reading at block `at` of the range; past its end, the reading
    // ends there.
    void MoveTo(uint64_t at)
    {
        if (at >= m_range.Count())
            return EndReading(ReadEnd::Unreadable);
        m_cell = m_range.CellOf(at);
        m_pos = m_range.SectorAt(at);
        m_finished = int64_t(m_range.StartOf(m_cell)) * kBlockSize;
        m_inVobu = false;
        SetDone();
    }

    // The place in the range, in play order, of a block of the current cell.
    uint64_t Linear(uint32_t sector) const { return m_range.StartOf(m_cell) + (sector - m_cells[m_cell].first); }

    // Blocks skipped in a row make one damaged region, placed at the time
    // the reading had reached, as long as the title's blocks from the first
    // unreadable one to where the reading went on.
    void BeginStretch(uint64_t at, Clock::time_point began)
    {
        m_stretch = Stretch{true, at, at, 0, began};
        m_stride = 1;
        std::lock_guard lock(m_mutex);
        DamagedRegion region;
        region.timeMs = ReadTimeMs();
        m_damaged.push_back(std::move(region));
    }
    void EndStretch(uint64_t resumed)
    {
        m_stretch.on = false;
        std::lock_guard lock(m_mutex);
        m_damaged.back().bytes = int64_t(resumed - m_stretch.first) * kBlockSize;
    }
    // Nothing more can be read: the region runs to the range's end and says so.
    void EndReading(ReadEnd end)
    {
        std::string told;
        {
            std::lock_guard lock(m_mutex);
            DamagedRegion &r = m_damaged.back();
            r.bytes = int64_t(m_range.Count() - m_stretch.first) * kBlockSize;
            r.end = end;
            r.told = told = ReadEndText(end, r.timeMs, m_playMs, m_name, m_out == 0);
        }
        Log(1, "title reader: %s", told.c_str());
        m_stretch.on = false;
        m_cell = m_cells.size();
        m_finished = m_total;
        SetDone();
    }
    int64_t ReadTimeMs() const   // m_mutex held
    {
        return m_haveClock ? std::max<int64_t>(0, (int64_t(m_lastEnd) + m_offset - int64_t(m_firstStart)) / 90) : 0;
    }

    // The first bytes handed out of a chapter start it, so a chapter whose
    // beginning could not be read starts where its readable data does.
    void NoteChapter(const ReadCell &cell)
    {
        if (cell.chapter < 0 || cell.chapter == m_chapter)
            return;
        m_chapter = cell.chapter;
        std::lock_guard lock(m_mutex);
        m_chapters.emplace_back(m_out, cell.chapter);
    }

    // The block at m_pos was read into the buffer: if it is a nav pack it
    // opens a VOBU whose extent and successor the DSI gives.
    void StartVobu(const ReadCell &cell)
    {
        const uint8_t *b = m_buffer.data();
        if (!IsNavPack(b)) {
            m_vobuLast = m_pos;   // no nav pack here: pass data on until one comes
            m_nextVobu = m_pos + 1;
            return;
        }
        pci_t pci;
        dsi_t dsi;
        navRead_PCI(&pci, const_cast<uint8_t *>(b) + kPciOffset);
        navRead_DSI(&dsi, const_cast<uint8_t *>(b) + kDsiOffset);
        NoteClock(pci.pci_gi.vobu_s_ptm, pci.pci_gi.vobu_e_ptm);
        // The VOBUs it names ahead in its cell: where to look past damage.
        m_ahead.clear();
        for (size_t i = 0; i < std::size(dsi.vobu_sri.fwda); ++i)
            NoteAhead(dsi.vobu_sri.fwda[i], cell);
        NoteAhead(dsi.vobu_sri.next_vobu, cell);
        m_vobuLast = std::min<uint64_t>(uint64_t(m_pos) + (dsi.dsi_gi.vobu_ea & 0x3fffffff), cell.last);
        uint32_t next = dsi.vobu_sri.next_vobu;
        if (next == SRI_END_OF_CELL) {
            m_nextVobu = cell.last + 1;
        } else {
            uint64_t target = uint64_t(m_pos) + (next & 0x3fffffff);
            // Never step backwards or stand still: a damaged DSI must not loop.
            m_nextVobu = target > m_vobuLast ? static_cast<uint32_t>(std::min<uint64_t>(target, cell.last + 1ull))
                                             : m_vobuLast + 1;
        }
        m_inVobu = m_vobuLast > m_pos;
    }

    void NoteAhead(uint32_t address, const ReadCell &cell)
    {
        const uint32_t offset = address & 0x3fffffff;
        if (offset != SRI_END_OF_CELL && offset != 0 && uint64_t(m_pos) + offset <= cell.last)
            m_ahead.push_back(Linear(m_pos + offset));
    }

    void Advance(uint32_t blocks)
    {
        m_pos += blocks;
        if (m_inVobu && m_pos > m_vobuLast)
            m_inVobu = false;
        if (!m_inVobu && m_pos > m_vobuLast)
            m_pos = std::max(m_pos, m_nextVobu);
        m_out += int64_t(blocks) * kBlockSize;
        SetDone();
    }

    void NextCell()
    {
        m_finished += int64_t(m_cells[m_cell].last - m_cells[m_cell].first + 1) * kBlockSize;
        ++m_cell;
        m_inVobu = false;
        m_vobuLast = 0;
        if (m_cell < m_cells.size())
            m_pos = m_cells[m_cell].first;
        SetDone();
    }

    void SetDone()
    {
        int64_t inCell = 0;
        if (m_cell < m_cells.size()) {
            const ReadCell &c = m_cells[m_cell];
            inCell = int64_t(std::min(m_pos, c.last + 1) - std::min(m_pos, c.first)) * kBlockSize;
        }
        std::lock_guard lock(m_mutex);
        m_done = std::max(m_done, std::min(m_total, m_finished + inCell));
    }
    // While skipping, the progress follows the place being tried.
    void ShowProgressAt(uint64_t at)
    {
        std::lock_guard lock(m_mutex);
        m_done = std::max(m_done, std::min(m_total, int64_t(at) * kBlockSize));
    }

    // A VOBU whose start time is not where the previous one ended restarts
    // the clock: keep the timeline running across it.
    void NoteClock(uint32_t start, uint32_t end)
    {
        std::lock_guard lock(m_mutex);
        if (!m_haveClock)
            m_firstStart = start;
        if (m_haveClock && start != m_lastEnd) {
            m_offset += int64_t(m_lastEnd) - int64_t(start);
            m_offsets.emplace_back(m_out, m_offset);
        }
        m_haveClock = true;
        m_lastEnd = end;
    }

    dvd_reader_t *m_dvd;
    dvd_file_t *m_file;
    std::vector<ReadCell> m_cells;
    std::vector<uint8_t> m_buffer;
    int m_bufferPos = 0;
    int m_bufferLength = 0;
    uint32_t m_pending = 0;

    size_t m_cell = 0;
    uint32_t m_pos = 0;        // next sector to read
    bool m_inVobu = false;
    uint32_t m_vobuLast = 0;   // last sector of the current VOBU
    uint32_t m_nextVobu = 0;   // where the next VOBU starts
    uint32_t m_stride = 1;
    uint32_t m_singleUntil = 0;   // blocks before this are read one at a time
    std::vector<uint64_t> m_ahead;   // VOBUs the last nav pack named ahead (blocks of the range)

    const RangeBlocks m_range;   // m_cells' blocks in play order
    const std::string m_source;
    const int64_t m_playMs;
    const std::string m_name;
    const bool m_stopAtDamage;
    // The unreadable stretch being skipped.
    struct Stretch {
        bool on = false;
        uint64_t first = 0;        // its first unreadable block
        uint64_t lastFailed = 0;   // the furthest block that failed
        int failures = 0;          // reads that failed in it
        Clock::time_point began{};
    } m_stretch;

    int64_t m_out = 0;         // stream bytes handed out so far
    int64_t m_total = 0;
    int64_t m_finished = 0;    // bytes of the cells already passed

    mutable std::mutex m_mutex;   // progress and clock may be asked from another thread
    int64_t m_done = 0;
    bool m_haveClock = false;
    uint32_t m_lastEnd = 0;
    uint32_t m_firstStart = 0;
    int64_t m_offset = 0;
    std::vector<DamagedRegion> m_damaged;
    std::vector<std::pair<int64_t, int64_t>> m_offsets;   // (stream position, offset)
    std::vector<std::pair<int64_t, int>> m_chapters;      // (stream position, chapter)
    int m_chapter = -1;        // the chapter of the data handed out last
};

} // namespace

std::unique_ptr<TitleReader> OpenTitleReader(const TitleReadPlan &plan, std::string &error)
{
    dvd_reader_t *dvd = OpenDvdReader(plan.sourcePath);
    dvd_file_t *file = dvd ? DVDOpenFile(dvd, plan.titleSet, DVD_READ_TITLE_VOBS) : nullptr;
    ssize_t blocks = file ? DVDFileSize(file) : -1;
    std::vector<ReadCell> cells = blocks > 0 ? ClipReadCells(plan.cells, static_cast<uint32_t>(blocks))
                                             : std::vector<ReadCell>{};
    if (cells.empty()) {
        if (file)
            DVDCloseFile(file);
        if (dvd)
            DVDClose(dvd);
        // A disc taken out between jobs: its job ends with the reason told.
        if (blocks <= 0 && DiscGone(plan.sourcePath, 0))
            return GoneDiscReader(plan);
        error = blocks > 0 ? "the chapters hold nothing to read" : "the title's VOB files cannot be opened";
        return nullptr;
    }
    return std::make_unique<DvdTitleReader>(dvd, file, std::move(cells), plan);
}

void SetBlockReadForTests(BlockReadFn read) { g_blockRead = read ? read : &DVDReadBlocks; }

} // namespace dvdc

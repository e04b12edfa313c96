// The sectors of a chapter range as one program stream.  The reader opens
// its own libdvdread handle, so it may run on any thread while the instance
// goes on answering queries and previews on the host's thread.
#include "title_reader.h"

#include "disc.h"
#include "ifo_catalogue.h"
#include "instance.h"
#include "log.h"
#include "pack.h"

#include <dvdread/nav_read.h>

#include <algorithm>
#include <atomic>
#include <mutex>

namespace dvdc {

namespace {

constexpr int kChunkBlocks = 32;
constexpr uint32_t kMaxSkipStride = 1024;
// A failed read is tried this many times more before its blocks are skipped.
constexpr int kReadRetries = 2;

std::atomic<BlockReadFn> g_blockRead{&DVDReadBlocks};

class DvdTitleReader final : public TitleReader {
public:
    DvdTitleReader(dvd_reader_t *dvd, dvd_file_t *file, std::vector<ReadCell> cells)
        : m_dvd(dvd), m_file(file), m_cells(std::move(cells)), m_buffer(kChunkBlocks * kBlockSize)
    {
        for (const ReadCell &c : m_cells)
            m_total += int64_t(c.last - c.first + 1) * kBlockSize;
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
        if (position < 0)
            position = m_lastAsked;
        m_lastAsked = position;
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

    bool ReadBlocks(uint32_t sector, uint32_t count)
    {
        // A failed run of blocks may hold good ones: the rest of the run is
        // read block by block, so only unreadable blocks are skipped (and a
        // slow drive fails each run once, not once per good block).
        if (sector < m_singleUntil)
            count = 1;
        ssize_t got = g_blockRead.load()(m_file, static_cast<int>(sector), count, m_buffer.data());
        if (got <= 0 && count > 1)
            m_singleUntil = sector + count;
        for (int attempt = 0; got <= 0 && attempt <= kReadRetries && !Stopped(); ++attempt)
            got = g_blockRead.load()(m_file, static_cast<int>(sector), 1, m_buffer.data());
        if (got > 0) {
            EndDamage();
            m_stride = 1;
            m_bufferLength = static_cast<int>(got) * kBlockSize;
            m_pending = static_cast<uint32_t>(got);
            return true;
        }
        if (Stopped())
            return false;
        // Unreadable: skip ahead, further each time in a row, and look for
        // the next nav pack there.
        Log(1, "title reader: sector %u unreadable, skipping %u", sector, m_stride);
        NoteDamage(sector, m_stride);
        m_inVobu = false;
        m_pos = sector + m_stride;
        m_stride = std::min(m_stride * 2, kMaxSkipStride);
        SetDone();
        return false;
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

    // Blocks skipped in a row make one damaged region, placed at the time
    // the reading had reached.
    void NoteDamage(uint32_t sector, uint32_t blocks)
    {
        const ReadCell &cell = m_cells[m_cell];
        const uint32_t skipped = std::min<uint32_t>(blocks, cell.last + 1 - std::min(sector, cell.last + 1));
        std::lock_guard lock(m_mutex);
        if (!m_inDamage) {
            int64_t ticks = 0;
            if (m_haveClock)
                ticks = int64_t(m_lastEnd) + m_offset - int64_t(m_firstStart);
            m_damaged.push_back({std::max<int64_t>(0, ticks / 90), 0});
            m_inDamage = true;
        }
        m_damaged.back().bytes += int64_t(std::max<uint32_t>(skipped, 1)) * kBlockSize;
    }
    void EndDamage()
    {
        std::lock_guard lock(m_mutex);
        m_inDamage = false;
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
        m_done = std::min(m_total, m_finished + inCell);
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
    bool m_inDamage = false;
    std::vector<std::pair<int64_t, int64_t>> m_offsets;   // (stream position, offset)
    std::vector<std::pair<int64_t, int>> m_chapters;      // (stream position, chapter)
    int m_chapter = -1;        // the chapter of the data handed out last
    mutable int64_t m_lastAsked = 0;
};

} // namespace

namespace {

// Cells outside the VOB files (vobBlocks long) dropped, cells running past
// their end cut short.
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

} // namespace

std::vector<ReadCell> CollectReadCells(const ifo_handle_t &vts, int vtsTitle, int firstChapter,
                                       int lastChapter, int angle, uint32_t vobBlocks)
{
    return ClipReadCells(RangeCells(vts, vtsTitle, firstChapter, lastChapter, angle), vobBlocks);
}

bool PlanTitleRead(Instance &instance, int title, int firstChapter, int lastChapter, int angle,
                   TitleReadPlan &plan, std::string &error)
{
    if (!instance.disc) {
        error = "no disc is open";
        return false;
    }
    if (title < 0 || static_cast<size_t>(title) >= instance.titles.size()) {
        error = "no such title";
        return false;
    }
    const TitleCatalogue &t = instance.titles[static_cast<size_t>(title)];
    int chapters = static_cast<int>(t.chapterTimes.size());
    if (firstChapter < 0 || lastChapter < firstChapter || lastChapter >= chapters) {
        error = "no such chapter range";
        return false;
    }
    if (angle < 0 || angle >= t.angleCount) {
        error = "no such angle";
        return false;
    }
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
    return true;
}

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
        error = blocks > 0 ? "the chapters hold nothing to read" : "the title's VOB files cannot be opened";
        return nullptr;
    }
    return std::make_unique<DvdTitleReader>(dvd, file, std::move(cells));
}

std::unique_ptr<TitleReader> OpenTitleReader(Instance &instance, int title, int firstChapter,
                                             int lastChapter, int angle, std::string &error)
{
    TitleReadPlan plan;
    if (!PlanTitleRead(instance, title, firstChapter, lastChapter, angle, plan, error))
        return nullptr;
    return OpenTitleReader(plan, error);
}

void SetBlockReadForTests(BlockReadFn read) { g_blockRead = read ? read : &DVDReadBlocks; }

} // namespace dvdc

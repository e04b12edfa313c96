// SPDX-License-Identifier: GPL-3.0-or-later
#include "title_reader_damage.h"

#include "pack.h"

#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace dvdc {

bool GoneError(int error) { return error == ENOMEDIUM || error == ENODEV || error == ENXIO; }

// libdvdread passes a failed read's errno on from the read itself, but not
// from every path (a logged seek error, or a descrambling library), so the
// source is looked at too.
bool DiscGone(const std::string &source, int error)
{
    if (GoneError(error))
        return true;
    struct stat st {};
    if (::stat(source.c_str(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR || GoneError(errno);
    if (!S_ISBLK(st.st_mode))
        return false;
    const int fd = ::open(source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return GoneError(errno);
    // Not a disc drive: the question fails and nothing is concluded.
    const int status = ::ioctl(fd, CDROM_DRIVE_STATUS, CDSL_CURRENT);
    ::close(fd);
    return status == CDS_NO_DISC || status == CDS_TRAY_OPEN;
}

namespace {

// "0:01:02"
std::string ClockText(int64_t seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", (long long)(seconds / 3600),
                  (long long)(seconds / 60 % 60), (long long)(seconds % 60));
    return text;
}

// "21:58", or "1:02:03" from an hour on.
std::string LengthText(int64_t seconds)
{
    if (seconds >= 3600)
        return ClockText(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", (long long)(seconds / 60), (long long)(seconds % 60));
    return text;
}

} // namespace

std::string ReadEndText(ReadEnd end, int64_t atMs, int64_t playMs, const std::string &name, bool nothingRead)
{
    const bool gone = end == ReadEnd::DiscGone;
    if (nothingRead)
        return gone ? "the disc is gone: it was taken out, or its drive was disconnected"
                    : "the disc could not be read: no part of " + name + " could be read";
    // Whole seconds, so that the two add up to the play time.
    const int64_t at = std::max<int64_t>(0, atMs) / 1000;
    const std::string missing =
        "; " + LengthText(std::max<int64_t>(0, (playMs + 500) / 1000 - at)) + " of " + name + " is missing";
    return gone ? "the disc went away after " + ClockText(at) + " (taken out, or its drive disconnected)" + missing
                : "the disc could not be read after " + ClockText(at) + missing;
}

namespace {

class GoneReader final : public TitleReader {
public:
    explicit GoneReader(const TitleReadPlan &plan)
    {
        for (const ReadCell &c : plan.cells)
            m_total += int64_t(c.last - c.first + 1) * kBlockSize;
        m_region.bytes = m_total;
        m_region.end = ReadEnd::DiscGone;
        m_region.told = ReadEndText(ReadEnd::DiscGone, 0, plan.playMs, plan.name, true);
    }
    int Read(uint8_t *, int) override { return 0; }
    int64_t BytesRead() const override { return 0; }
    int64_t TotalBytes() const override { return m_total; }
    int64_t TimestampOffsetAt(int64_t) const override { return 0; }
    std::vector<DamagedRegion> Damaged() const override { return {m_region}; }

private:
    int64_t m_total = 0;
    DamagedRegion m_region;
};

} // namespace

std::unique_ptr<TitleReader> GoneDiscReader(const TitleReadPlan &plan) { return std::make_unique<GoneReader>(plan); }

RangeBlocks::RangeBlocks(const std::vector<ReadCell> &cells) : m_cells(cells)
{
    for (const ReadCell &c : m_cells) {
        m_start.push_back(m_count);
        m_count += c.last - c.first + 1;
    }
}

size_t RangeBlocks::CellOf(uint64_t at) const
{
    return size_t(std::upper_bound(m_start.begin(), m_start.end(), at) - m_start.begin()) - 1;
}

uint32_t RangeBlocks::SectorAt(uint64_t at) const
{
    const size_t c = CellOf(at);
    return m_cells[c].first + static_cast<uint32_t>(at - m_start[c]);
}

bool RangeBlocks::NextLook(uint64_t first, uint64_t after, const std::vector<uint64_t> &ahead, uint64_t last,
                           uint64_t &next) const
{
    next = UINT64_MAX;
    for (uint64_t a : ahead)
        if (a > after && a - first >= 2 * (after - first))
            next = std::min(next, a);
    const size_t firstCell = CellOf(first);
    size_t c = firstCell + 1;
    if (c < m_cells.size() && m_start[c] > after)
        next = std::min(next, m_start[c]);
    while (c < m_cells.size() && m_cells[c].chapter == m_cells[firstCell].chapter)
        ++c;
    if (c < m_cells.size() && m_start[c] > after)
        next = std::min(next, m_start[c]);
    if (next != UINT64_MAX)
        return true;
    if (m_count - after <= last)
        return false;
    next = after + (m_count - after) / 2;
    return true;
}

} // namespace dvdc

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ifo_check.h"

#include <dvdread/ifo_types.h>

#include <cstddef>
#include <cstring>

namespace dvdc {

namespace {

constexpr size_t kSector = 2048;


uint32_t Be32(const std::vector<uint8_t> &b, size_t at)
{
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}
uint16_t Be16(const std::vector<uint8_t> &b, size_t at) { return uint16_t(b[at] << 8 | b[at + 1]); }

struct Table {
    size_t pointer;       // offset of its sector number in the header
    size_t lastByteAt;    // offset of its last-byte field within the table
    const char *name;
};

// The table at the sector the header names: inside the file, and its own
// last byte too.
bool TableInside(const std::vector<uint8_t> &b, const Table &t, std::string &why)
{
    uint32_t sector = Be32(b, t.pointer);
    if (sector == 0)
        return true;
    size_t start = size_t(sector) * kSector;
    if (start + t.lastByteAt + 4 > b.size()) {
        why = std::string(t.name) + " lies beyond the end of the file";
        return false;
    }
    uint32_t last = Be32(b, start + t.lastByteAt);
    if (start + size_t(last) >= b.size()) {
        why = std::string(t.name) + " runs beyond the end of the file";
        return false;
    }
    return true;
}

// The table's count of entries of `entrySize` bytes after an 8-byte header
// fits into its own length.
bool EntriesFit(const std::vector<uint8_t> &b, size_t pointer, size_t entrySize, const char *name, std::string &why)
{
    uint32_t sector = Be32(b, pointer);
    if (sector == 0)
        return true;
    size_t start = size_t(sector) * kSector;
    size_t count = Be16(b, start);
    size_t last = Be32(b, start + 4);
    if (8 + count * entrySize > last + 1) {
        why = std::string(name) + " counts more entries than it holds";
        return false;
    }
    return true;
}

// Every title set's attribute record lies inside the file: libdvdread leaks
// the table when one of them cannot be read.
bool AttributesInside(const std::vector<uint8_t> &b, std::string &why)
{
    uint32_t sector = Be32(b, offsetof(vmgi_mat_t, vts_atrt));
    if (sector == 0)
        return true;
    size_t start = size_t(sector) * kSector;
    size_t count = Be16(b, start);
    why = "the title set attributes lie beyond the end of the file";
    if (start + VTS_ATRT_SIZE + count * 4 > b.size())
        return false;
    for (size_t i = 0; i < count; ++i)
        if (start + Be32(b, start + VTS_ATRT_SIZE + i * 4) + VTS_ATTRIBUTES_SIZE > b.size())
            return false;
    why.clear();
    return true;
}

// Every part of a PGC that libdvdread reads lies inside the file.
bool PgcInside(const std::vector<uint8_t> &b, size_t at, std::string &why)
{
    why = "a PGC lies beyond the end of the file";
    if (at + PGC_SIZE > b.size())
        return false;
    size_t programs = b[at + offsetof(pgc_t, nr_of_programs)], cells = b[at + offsetof(pgc_t, nr_of_cells)];
    size_t commands = Be16(b, at + offsetof(pgc_t, command_tbl_offset)), programMap = Be16(b, at + offsetof(pgc_t, program_map_offset));
    size_t playback = Be16(b, at + offsetof(pgc_t, cell_playback_offset)), position = Be16(b, at + offsetof(pgc_t, cell_position_offset));
    if (commands) {
        size_t table = at + commands;
        if (table + 8 > b.size())
            return false;
        size_t count = size_t(Be16(b, table)) + Be16(b, table + 2) + Be16(b, table + 4);
        if (table + 8 + count * 8 > b.size())
            return false;
    }
    if (programMap && programs && at + programMap + programs > b.size())
        return false;
    if (playback && cells && at + playback + cells * 24 > b.size())
        return false;
    if (position && cells && at + position + cells * 4 > b.size())
        return false;
    why.clear();
    return true;
}

// A PGC information table at byte `at`: its entries and every PGC they name.
bool PgcTableInside(const std::vector<uint8_t> &b, size_t at, std::string &why)
{
    if (at + 8 > b.size()) {
        why = "a PGC table lies beyond the end of the file";
        return false;
    }
    size_t count = Be16(b, at);
    if (at + 8 + count * 8 > b.size()) {
        why = "a PGC table counts more entries than the file holds";
        return false;
    }
    for (size_t i = 0; i < count; ++i)
        if (!PgcInside(b, at + Be32(b, at + 8 + i * 8 + 4), why))
            return false;
    return true;
}

// The menu PGC tables of every language unit.
bool MenuTablesInside(const std::vector<uint8_t> &b, size_t pointer, std::string &why)
{
    uint32_t sector = Be32(b, pointer);
    if (sector == 0)
        return true;
    size_t at = size_t(sector) * kSector;
    if (at + 8 > b.size()) {
        why = "the menu table lies beyond the end of the file";
        return false;
    }
    size_t units = Be16(b, at);
    if (at + 8 + units * 8 > b.size()) {
        why = "the menu table counts more languages than the file holds";
        return false;
    }
    for (size_t i = 0; i < units; ++i)
        if (!PgcTableInside(b, at + Be32(b, at + 8 + i * 8 + 4), why))
            return false;
    return true;
}

} // namespace

IfoState CheckIfo(const std::vector<uint8_t> &b, int titleSet, std::string &why)
{
    const char *identifier = titleSet == 0 ? "DVDVIDEO-VMG" : "DVDVIDEO-VTS";
    size_t header = titleSet == 0 ? sizeof(vmgi_mat_t) : sizeof(vtsi_mat_t);
    if (b.size() < header || std::memcmp(b.data(), identifier, 12) != 0) {
        why = "not a readable IFO";
        return IfoState::Unusable;
    }
    if (titleSet == 0) {
        const Table tables[] = {
            {offsetof(vmgi_mat_t, tt_srpt), 4, "the title table"},
            {offsetof(vmgi_mat_t, vmgm_pgci_ut), 4, "the menu table"},
            {offsetof(vmgi_mat_t, ptl_mait), 4, "the parental table"},
            {offsetof(vmgi_mat_t, vts_atrt), 4, "the title set attributes"},
            {offsetof(vmgi_mat_t, txtdt_mgi), 12 + 2 + 2, "the text table"},
            {offsetof(vmgi_mat_t, vmgm_c_adt), 4, "the menu cell table"},
            {offsetof(vmgi_mat_t, vmgm_vobu_admap), 0, "the menu VOBU map"},
        };
        for (const Table &t : tables)
            if (!TableInside(b, t, why))
                return IfoState::Unsafe;
        if (Be32(b, offsetof(vmgi_mat_t, tt_srpt)) == 0) {
            why = "no title table";
            return IfoState::Unsafe;
        }
        uint32_t firstPlay = Be32(b, offsetof(vmgi_mat_t, first_play_pgc));
        if (firstPlay != 0 && size_t(firstPlay) + PGC_SIZE > b.size()) {
            why = "the first-play PGC lies beyond the end of the file";
            return IfoState::Unsafe;
        }
        if (!EntriesFit(b, offsetof(vmgi_mat_t, tt_srpt), 12, "the title table", why))
            return IfoState::Unsafe;
        if ((firstPlay != 0 && !PgcInside(b, firstPlay, why)) ||
            !MenuTablesInside(b, offsetof(vmgi_mat_t, vmgm_pgci_ut), why) || !AttributesInside(b, why))
            return IfoState::Unsafe;
    } else {
        const Table tables[] = {
            {offsetof(vtsi_mat_t, vts_ptt_srpt), 4, "the chapter table"},
            {offsetof(vtsi_mat_t, vts_pgcit), 4, "the PGC table"},
            {offsetof(vtsi_mat_t, vtsm_pgci_ut), 4, "the menu table"},
            {offsetof(vtsi_mat_t, vts_tmapt), 4, "the time map"},
            {offsetof(vtsi_mat_t, vtsm_c_adt), 4, "the menu cell table"},
            {offsetof(vtsi_mat_t, vtsm_vobu_admap), 0, "the menu VOBU map"},
            {offsetof(vtsi_mat_t, vts_c_adt), 4, "the cell table"},
            {offsetof(vtsi_mat_t, vts_vobu_admap), 0, "the VOBU map"},
        };
        for (const Table &t : tables)
            if (!TableInside(b, t, why))
                return IfoState::Unsafe;
        if (Be32(b, offsetof(vtsi_mat_t, vts_ptt_srpt)) == 0 || Be32(b, offsetof(vtsi_mat_t, vts_pgcit)) == 0) {
            why = "no chapter or PGC table";
            return IfoState::Unsafe;
        }
        if (!EntriesFit(b, offsetof(vtsi_mat_t, vts_ptt_srpt), 4, "the chapter table", why) ||
            !EntriesFit(b, offsetof(vtsi_mat_t, vts_pgcit), 8, "the PGC table", why))
            return IfoState::Unsafe;
        if (!PgcTableInside(b, size_t(Be32(b, offsetof(vtsi_mat_t, vts_pgcit))) * kSector, why) ||
            !MenuTablesInside(b, offsetof(vtsi_mat_t, vtsm_pgci_ut), why))
            return IfoState::Unsafe;
    }
    return IfoState::Sound;
}

IfoFileReader LibdvdreadIfoFiles(dvd_reader_t *dvd)
{
    return [dvd](int titleSet, bool backup, std::vector<uint8_t> &bytes) {
        dvd_file_t *file = DVDOpenFile(dvd, titleSet, backup ? DVD_READ_INFO_BACKUP_FILE : DVD_READ_INFO_FILE);
        if (!file)
            return false;
        ssize_t blocks = DVDFileSize(file);
        bytes.clear();
        if (blocks > 0 && size_t(blocks) * kSector <= kMaxIfoBytes) {
            bytes.resize(size_t(blocks) * kSector);
            ssize_t got = DVDReadBytes(file, bytes.data(), bytes.size());
            bytes.resize(got > 0 ? size_t(got) : 0);
        }
        DVDCloseFile(file);
        return true;
    };
}

namespace {

IfoState CheckFile(const IfoFileReader &read, int titleSet, bool backup, std::string &why)
{
    std::vector<uint8_t> bytes;
    if (!read(titleSet, backup, bytes)) {
        why = "missing";
        return IfoState::Unusable;
    }
    return CheckIfo(bytes, titleSet, why);
}

} // namespace

bool IfoSafeToOpen(const IfoFileReader &read, int titleSet, std::string &why)
{
    std::string ifoWhy, bupWhy;
    IfoState ifo = CheckFile(read, titleSet, false, ifoWhy);
    if (ifo == IfoState::Sound)
        return true;
    if (ifo == IfoState::Unusable && CheckFile(read, titleSet, true, bupWhy) == IfoState::Sound)
        return true;
    why = "IFO: " + ifoWhy + (bupWhy.empty() ? std::string() : "; backup: " + bupWhy);
    return false;
}

} // namespace dvdc

// SPDX-License-Identifier: GPL-3.0-or-later
// An opened DVD: the libdvdread reader and its IFO files.
#pragma once

#include "ifo_check.h"

#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace dvdc {

// libdvdread's messages, routed to the engine log instead of stderr.
const dvd_logger_cb *DvdLogger();

// The path libdvdread is given for `root`: a trailing VIDEO_TS folder is
// taken off.  Empty with `error` set when `root` is no disc source.
std::string DiscSourcePath(const std::string &root, std::string &error);

// dvd_reader_t with the engine's logger; nullptr when it cannot be opened.
dvd_reader_t *OpenDvdReader(const std::string &sourcePath);

struct IfoCloser {
    void operator()(ifo_handle_t *ifo) const
    {
        if (ifo)
            ifoClose(ifo);
    }
};
using IfoPtr = std::unique_ptr<ifo_handle_t, IfoCloser>;

class Disc {
public:
    // nullptr with `error` set when the source is missing or holds no readable
    // video manager IFO.
    static std::unique_ptr<Disc> Open(const std::string &root, std::string &error);
    ~Disc();
    Disc(const Disc &) = delete;
    Disc &operator=(const Disc &) = delete;

    const std::string &SourcePath() const { return m_path; }
    dvd_reader_t *Reader() const { return m_reader; }
    const ifo_handle_t *Vmg() const { return m_vmg.get(); }
    // The title set's IFO, read once; nullptr when unreadable.
    const ifo_handle_t *Vts(int titleSet);
    // Up to `count` blocks of the title set's title VOBs from `sector` into
    // `buffer`; how many were read, -1 when the VOBs cannot be opened.
    int ReadTitleBlocks(int titleSet, uint32_t sector, int count, uint8_t *buffer) const;

private:
    Disc() = default;
    // The path of a folder source's disc file, found by name in any case
    // where and as libdvdread finds it; empty when missing or no folder source.
    std::string FolderFile(const std::string &upperName) const;
    IfoFileReader IfoFiles() const;

    std::string m_path;
    // A folder source's files, upper-case name to path, listed once:
    // libdvdread lists the folders again for every file it opens.
    std::map<std::string, std::string> m_folderFiles;
    dvd_reader_t *m_reader = nullptr;
    IfoPtr m_vmg;
    std::map<int, IfoPtr> m_vts;   // null entries remember unreadable sets
};

} // namespace dvdc

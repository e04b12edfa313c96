// An opened DVD: the libdvdread reader and its IFO files.
#pragma once

#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>

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

private:
    Disc() = default;
    std::string m_path;
    dvd_reader_t *m_reader = nullptr;
    IfoPtr m_vmg;
    std::map<int, IfoPtr> m_vts;   // null entries remember unreadable sets
};

} // namespace dvdc

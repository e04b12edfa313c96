#include "disc.h"
#include "ifo_check.h"
#include "instance.h"

#include <dvdread/ifo_types.h>

#include <cctype>
#include <cstdio>
#include <filesystem>

namespace dvdc {

namespace {

void DvdLog(void *, dvd_logger_level_t level, const char *format, va_list args)
{
    int ours = 2;
    switch (level) {
    case DVD_LOGGER_LEVEL_ERROR: ours = 0; break;
    case DVD_LOGGER_LEVEL_WARN: ours = 1; break;
    case DVD_LOGGER_LEVEL_INFO: ours = 2; break;
    case DVD_LOGGER_LEVEL_DEBUG: ours = 3; break;
    }
    char text[900];
    std::vsnprintf(text, sizeof text, format, args);
    Log(ours, "libdvdread: %s", text);
}

const dvd_logger_cb g_logger = {DvdLog};

bool IsVideoTsName(const std::string &name)
{
    if (name.size() != 8)
        return false;
    std::string upper;
    for (char c : name)
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper == "VIDEO_TS";
}

bool HasVideoTs(const std::filesystem::path &dir)
{
    std::error_code ec;
    for (const auto &entry : std::filesystem::directory_iterator(dir, ec)) {
        if (IsVideoTsName(entry.path().filename().string()) && entry.is_directory(ec))
            return true;
    }
    return false;
}

} // namespace

const dvd_logger_cb *DvdLogger() { return &g_logger; }

std::string DiscSourcePath(const std::string &root, std::string &error)
{
    namespace fs = std::filesystem;
    if (root.empty()) {
        error = "no disc path given";
        return {};
    }
    std::string path = root;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    std::error_code ec;
    fs::file_status st = fs::status(path, ec);
    if (ec || !fs::exists(st)) {
        error = "disc path not found: " + root;
        return {};
    }
    if (fs::is_directory(st)) {
        fs::path p(path);
        if (IsVideoTsName(p.filename().string()))
            return p.has_parent_path() ? p.parent_path().string() : std::string(".");
        if (!HasVideoTs(p)) {
            error = "no VIDEO_TS folder in " + root;
            return {};
        }
        return path;
    }
    if (fs::is_regular_file(st) || fs::is_block_file(st))
        return path;
    error = "not a DVD folder, image or drive: " + root;
    return {};
}

dvd_reader_t *OpenDvdReader(const std::string &sourcePath)
{
    return DVDOpen2(nullptr, &g_logger, sourcePath.c_str());
}

std::unique_ptr<Disc> Disc::Open(const std::string &root, std::string &error)
{
    std::string path = DiscSourcePath(root, error);
    if (path.empty())
        return nullptr;
    std::unique_ptr<Disc> disc(new Disc);
    disc->m_path = path;
    disc->m_reader = OpenDvdReader(path);
    if (!disc->m_reader) {
        error = "cannot open the disc at " + root;
        return nullptr;
    }
    std::string why;
    if (!IfoSafeToOpen(disc->m_reader, 0, why)) {
        error = "the disc's VIDEO_TS.IFO is damaged (" + why + "): " + root;
        return nullptr;
    }
    disc->m_vmg.reset(ifoOpen(disc->m_reader, 0));
    if (!disc->m_vmg || !disc->m_vmg->vmgi_mat || !disc->m_vmg->tt_srpt) {
        error = "no readable DVD-Video information (VIDEO_TS.IFO) at " + root;
        return nullptr;
    }
    return disc;
}

Disc::~Disc()
{
    m_vts.clear();
    m_vmg.reset();
    if (m_reader)
        DVDClose(m_reader);
}

const ifo_handle_t *Disc::Vts(int titleSet)
{
    auto it = m_vts.find(titleSet);
    if (it != m_vts.end())
        return it->second.get();
    IfoPtr ifo;
    std::string why;
    if (titleSet >= 1 && titleSet <= 99 && !IfoSafeToOpen(m_reader, titleSet, why)) {
        Log(1, "title set %d: damaged IFO (%s)", titleSet, why.c_str());
    } else if (titleSet >= 1 && titleSet <= 99) {
        ifo.reset(ifoOpen(m_reader, titleSet));
        if (ifo && (!ifo->vtsi_mat || !ifo->vts_ptt_srpt || !ifo->vts_pgcit)) {
            Log(1, "title set %d: its IFO lacks the title tables", titleSet);
            ifo.reset();
        }
    }
    if (!ifo)
        Log(1, "title set %d cannot be read", titleSet);
    return m_vts.emplace(titleSet, std::move(ifo)).first->second.get();
}

} // namespace dvdc

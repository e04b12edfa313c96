// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc.h"
#include "ifo_check.h"
#include "instance.h"
#include "log.h"

#include <dvdread/ifo_types.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

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

bool HasVideoTs(const std::string &dir)
{
    DIR *d = opendir(dir.c_str());
    if (!d)
        return false;
    bool found = false;
    while (dirent *e = readdir(d)) {
        struct stat st;
        if (IsVideoTsName(e->d_name) && stat((dir + "/" + e->d_name).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            found = true;
            break;
        }
    }
    closedir(d);
    return found;
}

std::string Upper(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Adds the entries of `dir` by upper-case name; a name listed before keeps
// its place, as does the first of a name within `dir`.
void ListFiles(const std::string &dir, std::map<std::string, std::string> &files)
{
    DIR *d = opendir(dir.c_str());
    if (!d)
        return;
    while (dirent *e = readdir(d))
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, ".."))
            files.emplace(Upper(e->d_name), dir + "/" + e->d_name);
    closedir(d);
}

std::string IfoName(int titleSet, bool backup)
{
    char name[16];
    if (titleSet == 0)
        std::snprintf(name, sizeof name, "VIDEO_TS.%s", backup ? "BUP" : "IFO");
    else
        std::snprintf(name, sizeof name, "VTS_%02d_0.%s", titleSet, backup ? "BUP" : "IFO");
    return name;
}

} // namespace

const dvd_logger_cb *DvdLogger() { return &g_logger; }

std::string DiscSourcePath(const std::string &root, std::string &error)
{
    if (root.empty()) {
        error = "no disc path given";
        return {};
    }
    std::string path = root;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        error = "disc path not found: " + root;
        return {};
    }
    if (S_ISDIR(st.st_mode)) {
        size_t slash = path.rfind('/');
        std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        if (IsVideoTsName(name)) {
            if (slash == std::string::npos)
                return ".";
            return slash == 0 ? std::string("/") : path.substr(0, slash);
        }
        if (!HasVideoTs(path)) {
            error = "no VIDEO_TS folder in " + root;
            return {};
        }
        return path;
    }
    if (S_ISREG(st.st_mode) || S_ISBLK(st.st_mode))
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
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        // Where libdvdread looks for a disc file, in its order.
        ListFiles(path, disc->m_folderFiles);
        ListFiles(path + "/VIDEO_TS", disc->m_folderFiles);
        ListFiles(path + "/video_ts", disc->m_folderFiles);
    }
    std::string why;
    if (!IfoSafeToOpen(disc->IfoFiles(), 0, why)) {
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
    if (titleSet >= 1 && titleSet <= 99 && !IfoSafeToOpen(IfoFiles(), titleSet, why)) {
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

std::string Disc::FolderFile(const std::string &upperName) const
{
    auto it = m_folderFiles.find(upperName);
    return it == m_folderFiles.end() ? std::string() : it->second;
}

IfoFileReader Disc::IfoFiles() const
{
    if (m_folderFiles.empty())
        return LibdvdreadIfoFiles(m_reader);
    return [this](int titleSet, bool backup, std::vector<uint8_t> &bytes) {
        const std::string path = FolderFile(IfoName(titleSet, backup));
        FILE *f = path.empty() ? nullptr : std::fopen(path.c_str(), "rb");
        if (!f)
            return false;
        struct stat st;
        bytes.clear();
        if (fstat(fileno(f), &st) == 0 && st.st_size > 0 && size_t(st.st_size) <= kMaxIfoBytes) {
            bytes.resize(size_t(st.st_size) / 2048 * 2048);   // whole sectors, as libdvdread counts them
            bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
        }
        std::fclose(f);
        return true;
    };
}

int Disc::ReadTitleBlocks(int titleSet, uint32_t sector, int count, uint8_t *buffer) const
{
    if (m_folderFiles.empty()) {
        dvd_file_t *file = DVDOpenFile(m_reader, titleSet, DVD_READ_TITLE_VOBS);
        if (!file)
            return -1;
        ssize_t got = DVDReadBlocks(file, static_cast<int>(sector), size_t(count), buffer);
        DVDCloseFile(file);
        return int(got);
    }
    // The title VOBs VTS_nn_1 to VTS_nn_9 follow one another, each a whole
    // number of blocks, as libdvdread joins them.
    uint64_t first = 0;
    int read = 0;
    for (int part = 1; part <= 9 && read < count; ++part) {
        char name[16];
        std::snprintf(name, sizeof name, "VTS_%02d_%d.VOB", titleSet, part);
        const std::string path = FolderFile(name);
        struct stat st;
        if (path.empty() || stat(path.c_str(), &st) != 0)
            break;
        const uint64_t blocks = uint64_t(st.st_size) / 2048;
        const uint64_t want = uint64_t(sector) + uint64_t(read);
        if (want < first + blocks) {
            FILE *f = std::fopen(path.c_str(), "rb");
            if (!f)
                return read > 0 ? read : -1;
            const uint64_t n = std::min<uint64_t>(uint64_t(count - read), first + blocks - want);
            size_t got = 0;
            if (fseeko(f, off_t((want - first) * 2048), SEEK_SET) == 0)
                got = std::fread(buffer + size_t(read) * 2048, 2048, size_t(n), f);
            std::fclose(f);
            read += int(got);
            if (got < n)
                break;
        }
        first += blocks;
    }
    return first == 0 && read == 0 ? -1 : read;
}

} // namespace dvdc

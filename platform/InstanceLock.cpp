// SPDX-License-Identifier: GPL-3.0-or-later
#include "InstanceLock.h"

#include "platform/Paths.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellavan {

namespace {
bool UsableRuntimeDir(const char *dir)
{
    struct stat st {};
    return dir && dir[0] == '/' && ::stat(dir, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
}

// The per-user cache folder, "" when neither variable gives an absolute one.
std::string CacheFolder()
{
    const char *cache = std::getenv("XDG_CACHE_HOME");
    if (cache && cache[0] == '/')
        return cache;
    const char *home = std::getenv("HOME");
    if (home && home[0] == '/')
        return std::string(home) + "/.cache";
    return {};
}

std::string ParentFolder(const std::string &path) { return path.substr(0, path.find_last_of('/') + 1); }
} // namespace

std::vector<std::string> InstanceLock::LockFilePlaces(const std::string &name)
{
    std::vector<std::string> places;
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    if (UsableRuntimeDir(runtime))
        places.push_back(std::string(runtime) + "/" + name);
    const char *tmp = std::getenv("TMPDIR");
    const std::string base = (tmp && tmp[0] == '/') ? tmp : "/tmp";
    places.push_back(base + "/" + name + "-" + std::to_string(::getuid()));
    const std::string cache = CacheFolder();
    if (!cache.empty())
        places.push_back(cache + "/pellavan/" + name);
    return places;
}

std::string InstanceLock::LockFilePath(const std::string &name) { return LockFilePlaces(name).front(); }

InstanceLock::~InstanceLock() { Release(); }

InstanceLock::Try InstanceLock::TryPlace(const std::string &path)
{
    // The cache folder may not exist yet; the others do or are unusable.
    const std::string folder = ParentFolder(path);
    if (!DirectoryExists(folder) && !MakePath(folder))
        return Try::Unusable;
    // A shared folder may hold anything: never follow a planted link, and
    // only trust a file we own.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return Try::Unusable;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::getuid()) {
        ::close(fd);
        return Try::Unusable;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool busy = errno == EWOULDBLOCK;
        ::close(fd);
        return busy ? Try::Busy : Try::Unusable;   // e.g. ENOLCK on a network folder
    }
    m_fd = fd;
    m_path = path;
    return Try::Taken;
}

LockOutcome InstanceLock::Acquire(const std::string &name)
{
    Release();
    for (const std::string &path : LockFilePlaces(name)) {
        switch (TryPlace(path)) {
        case Try::Taken:
            return LockOutcome::Taken;
        case Try::Busy:
            return LockOutcome::HeldByAnother;
        case Try::Unusable:
            break;
        }
    }
    return LockOutcome::NoPlace;
}

void InstanceLock::Release()
{
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
        m_fd = -1;
    }
    m_path.clear();
}

std::string NoLockPlaceText(const std::vector<std::string> &places)
{
    std::string text = "Pellavan cannot tell whether it is already running, because none of these files "
                       "could be used to mark it as running:";
    for (const std::string &place : places)
        text += "\n" + place;
    text += "\n\nIt starts anyway. Do not start it a second time while this one runs.";
    return text;
}

} // namespace pellavan

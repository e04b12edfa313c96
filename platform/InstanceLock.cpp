#include "InstanceLock.h"

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
} // namespace

std::string InstanceLock::LockFilePath(const std::string &name)
{
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    if (UsableRuntimeDir(runtime))
        return std::string(runtime) + "/" + name;
    const char *tmp = std::getenv("TMPDIR");
    std::string base = (tmp && tmp[0] == '/') ? tmp : "/tmp";
    return base + "/" + name + "-" + std::to_string(::getuid());
}

InstanceLock::~InstanceLock() { Release(); }

bool InstanceLock::Acquire(const std::string &name)
{
    Release();
    const std::string path = LockFilePath(name);
    // The fallback lies in a shared folder: never follow a planted link, and
    // only trust a file we own.
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::getuid()) {
        ::close(fd);
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void InstanceLock::Release()
{
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
        m_fd = -1;
    }
}

} // namespace pellavan

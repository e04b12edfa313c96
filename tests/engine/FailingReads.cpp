// SPDX-License-Identifier: GPL-3.0-or-later
// A preloaded stand-in for a scratched disc: reads that touch a chosen byte
// range of a chosen file fail with EIO, after a delay if asked, the way a
// drive gives up on a damaged sector.
//   PELLAVAN_FAIL_FILE   the file's name (its last path component), or several
//                        names separated by commas: the range then counts
//                        through them in order, as through one title's VOBs
//   PELLAVAN_FAIL_FROM   first failing byte
//   PELLAVAN_FAIL_TO     first byte after the failing range
//   PELLAVAN_FAIL_DELAY_MS  how long each failing read takes (default 0)
//   PELLAVAN_FAIL_ERRNO  EIO (the default), ENOMEDIUM, ENODEV or ENXIO
//   PELLAVAN_FAIL_ODDS   N: of the reads touching the range, about one in N
//                        fails, at random (default 1: every one)
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kMaxFd = 4096;
std::atomic<bool> g_marked[kMaxFd];
std::atomic<long long> g_base[kMaxFd];   // where a marked file starts in the range's count

const char *Env(const char *name)
{
    const char *v = std::getenv(name);
    return v && *v ? v : nullptr;
}

// The place of `path` among the chosen files, with the bytes of the
// chosen files before it (found beside it); -1 when it is none of them.
int Chosen(const char *path, long long &base)
{
    const char *want = Env("PELLAVAN_FAIL_FILE");
    if (!want || !path)
        return -1;
    const char *slash = std::strrchr(path, '/');
    const std::string dir = slash ? std::string(path, size_t(slash - path) + 1) : std::string();
    const std::string name = slash ? slash + 1 : path;
    base = 0;
    int index = 0;
    for (const char *p = want;; ++index) {
        const char *comma = std::strchr(p, ',');
        const std::string each = comma ? std::string(p, size_t(comma - p)) : std::string(p);
        if (each == name)
            return index;
        struct stat st {};
        if (::stat((dir + each).c_str(), &st) == 0)
            base += st.st_size;
        if (!comma)
            return -1;
        p = comma + 1;
    }
}

void Mark(int fd, const char *path)
{
    long long base = 0;
    if (fd >= 0 && fd < kMaxFd) {
        g_marked[fd] = Chosen(path, base) >= 0;
        g_base[fd] = base;
    }
}

int FailErrno()
{
    const char *e = Env("PELLAVAN_FAIL_ERRNO");
    if (!e)
        return EIO;
    return !std::strcmp(e, "ENOMEDIUM") ? ENOMEDIUM
           : !std::strcmp(e, "ENODEV")  ? ENODEV
           : !std::strcmp(e, "ENXIO")   ? ENXIO
                                        : EIO;
}

// True (with errno set, after the delay) when [offset, offset + count) touches the range.
bool Fails(int fd, off_t offset, size_t count)
{
    if (fd < 0 || fd >= kMaxFd || !g_marked[fd].load() || count == 0)
        return false;
    const char *from = Env("PELLAVAN_FAIL_FROM"), *to = Env("PELLAVAN_FAIL_TO");
    if (!from || !to)
        return false;
    const long long a = std::atoll(from), b = std::atoll(to);
    offset += off_t(g_base[fd].load());
    if (offset >= b || offset + off_t(count) <= a)
        return false;
    // A fixed sequence (splitmix64), so that every run fails the same reads.
    static std::atomic<uint64_t> draws{0};
    if (const char *odds = Env("PELLAVAN_FAIL_ODDS")) {
        uint64_t x = (draws++ + 1) * 0x9E3779B97F4A7C15ull;
        x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
        x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
        if ((x ^ (x >> 31)) % uint64_t(std::max(1, std::atoi(odds))) != 0)
            return false;
    }
    if (const char *delay = Env("PELLAVAN_FAIL_DELAY_MS"))
        ::usleep(useconds_t(std::atoi(delay)) * 1000);
    errno = FailErrno();
    return true;
}

template <typename F>
F Next(const char *name)
{
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" {

int open(const char *path, int flags, ...)
{
    static auto real = Next<int (*)(const char *, int, ...)>("open");
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = (flags & O_CREAT) ? mode_t(va_arg(ap, int)) : 0;
    va_end(ap);
    const int fd = real(path, flags, mode);
    Mark(fd, path);
    return fd;
}

int open64(const char *path, int flags, ...)
{
    static auto real = Next<int (*)(const char *, int, ...)>("open64");
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = (flags & O_CREAT) ? mode_t(va_arg(ap, int)) : 0;
    va_end(ap);
    const int fd = real(path, flags, mode);
    Mark(fd, path);
    return fd;
}

ssize_t read(int fd, void *buffer, size_t count)
{
    static auto real = Next<ssize_t (*)(int, void *, size_t)>("read");
    if (fd >= 0 && fd < kMaxFd && g_marked[fd].load() && Fails(fd, ::lseek(fd, 0, SEEK_CUR), count))
        return -1;
    return real(fd, buffer, count);
}

ssize_t pread(int fd, void *buffer, size_t count, off_t offset)
{
    static auto real = Next<ssize_t (*)(int, void *, size_t, off_t)>("pread");
    if (Fails(fd, offset, count))
        return -1;
    return real(fd, buffer, count, offset);
}

ssize_t pread64(int fd, void *buffer, size_t count, off_t offset)
{
    static auto real = Next<ssize_t (*)(int, void *, size_t, off_t)>("pread64");
    if (Fails(fd, offset, count))
        return -1;
    return real(fd, buffer, count, offset);
}

int close(int fd)
{
    static auto real = Next<int (*)(int)>("close");
    if (fd >= 0 && fd < kMaxFd)
        g_marked[fd] = false;
    return real(fd);
}

} // extern "C"

// A preloaded stand-in for a scratched disc: reads that touch a chosen byte
// range of a chosen file fail with EIO, after a delay if asked, the way a
// drive gives up on a damaged sector.
//   PELLAVAN_FAIL_FILE   the file's name (its last path component)
//   PELLAVAN_FAIL_FROM   first failing byte
//   PELLAVAN_FAIL_TO     first byte after the failing range
//   PELLAVAN_FAIL_DELAY_MS  how long each failing read takes (default 0)
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kMaxFd = 4096;
std::atomic<bool> g_marked[kMaxFd];

const char *Env(const char *name)
{
    const char *v = std::getenv(name);
    return v && *v ? v : nullptr;
}

bool Chosen(const char *path)
{
    const char *want = Env("PELLAVAN_FAIL_FILE");
    if (!want || !path)
        return false;
    const char *slash = std::strrchr(path, '/');
    return std::strcmp(slash ? slash + 1 : path, want) == 0;
}

void Mark(int fd, const char *path)
{
    if (fd >= 0 && fd < kMaxFd)
        g_marked[fd] = Chosen(path);
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
    if (offset >= b || offset + off_t(count) <= a)
        return false;
    if (const char *delay = Env("PELLAVAN_FAIL_DELAY_MS"))
        ::usleep(useconds_t(std::atoi(delay)) * 1000);
    errno = EIO;
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

// SPDX-License-Identifier: GPL-3.0-or-later
#include "Paths.h"

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace pellavan {

std::string SetTrailingDelimiter(const std::string &path, bool add)
{
    if (path.empty())
        return path;
    if (add)
        return path.back() == '/' ? path : path + '/';
    return path.back() == '/' ? path.substr(0, path.size() - 1) : path;
}

std::string LeadingSegments(int n, const std::string &relative)
{
    if (n < 0)
        return {};
    size_t end = 0;
    for (int i = 0; i <= n; ++i) {
        size_t slash = relative.find('/', end);
        if (slash == std::string::npos)
            return {};
        end = slash + 1;
    }
    return relative.substr(0, end);
}

bool DirectoryExists(const std::string &path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateDir(const std::string &path)
{
    if (path.empty())
        return false;
    // Another process may make the same folder between the test and mkdir.
    return ::mkdir(path.c_str(), 0777) == 0 || (errno == EEXIST && DirectoryExists(path));
}

bool MakePath(const std::string &path)
{
    const std::string full = SetTrailingDelimiter(path, true);
    // The drive of a POSIX path is its root; a relative path has none.
    const std::string drive = (!full.empty() && full[0] == '/') ? "/" : "";
    const std::string rest = SetTrailingDelimiter(full.substr(drive.size()), true);
    if (drive.empty() || rest.empty())
        return false;
    for (int i = 0;; ++i) {
        const std::string part = LeadingSegments(i, rest);
        if (part.empty())
            return true;
        const std::string level = drive + part;
        if (!DirectoryExists(level) && !CreateDir(level))
            return false;
    }
}

std::string ExecutableFolder()
{
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return "./";
    std::string exe(buf, size_t(n));
    return exe.substr(0, exe.rfind('/') + 1);
}

} // namespace pellavan

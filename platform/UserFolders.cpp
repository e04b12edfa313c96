// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserFolders.h"

#include "Paths.h"

#include <cstdlib>
#include <fstream>
#include <pwd.h>
#include <sstream>
#include <unistd.h>

namespace pellavan {

namespace {
std::string HomeWithoutSlash()
{
    const char *home = std::getenv("HOME");
    if (home && home[0] == '/')
        return SetTrailingDelimiter(home, false);
    if (const passwd *pw = ::getpwuid(::getuid()); pw && pw->pw_dir && pw->pw_dir[0] == '/')
        return SetTrailingDelimiter(pw->pw_dir, false);
    return {};
}
} // namespace

std::string ParseDocumentsDir(const std::string &fileText, const std::string &home)
{
    std::istringstream in(fileText);
    std::string line;
    std::string found;
    while (std::getline(in, line)) {
        size_t p = line.find_first_not_of(" \t");
        if (p == std::string::npos || line[p] == '#')
            continue;
        const std::string key = "XDG_DOCUMENTS_DIR=";
        if (line.compare(p, key.size(), key) != 0)
            continue;
        std::string value = line.substr(p + key.size());
        // The format is one double-quoted value ("$HOME/..." or "/..."), in
        // which a backslash escapes the next character.
        if (value.size() < 2 || value.front() != '"')
            continue;
        std::string out;
        bool closed = false;
        for (size_t i = 1; i < value.size(); ++i) {
            if (value[i] == '\\' && i + 1 < value.size()) {
                out += value[++i];
            } else if (value[i] == '"') {
                closed = true;
                break;
            } else {
                out += value[i];
            }
        }
        if (!closed)
            continue;
        if (out.rfind("$HOME", 0) == 0 && (out.size() == 5 || out[5] == '/')) {
            if (home.empty())
                continue;
            out = home + out.substr(5);
        }
        if (out.empty() || out[0] != '/')
            continue;
        found = out;   // the last assignment wins, as in a shell
    }
    return found.size() > 1 ? SetTrailingDelimiter(found, false) : found;
}

std::string GetDocumentsFolder()
{
    const std::string home = HomeWithoutSlash();
    const char *config = std::getenv("XDG_CONFIG_HOME");
    std::string dir = (config && config[0] == '/') ? std::string(config) : (home.empty() ? "" : home + "/.config");
    if (dir.empty())
        return {};
    std::ifstream f(dir + "/user-dirs.dirs");
    if (!f)
        return {};
    std::stringstream text;
    text << f.rdbuf();
    return ParseDocumentsDir(text.str(), home);
}

std::string UserHomeFolder()
{
    const std::string home = HomeWithoutSlash();
    return home.empty() ? "/" : home + "/";
}

} // namespace pellavan

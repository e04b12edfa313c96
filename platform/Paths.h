// SPDX-License-Identifier: GPL-3.0-or-later
// Folder helpers on POSIX paths ("/" separates; "/" alone is the drive).
#pragma once

#include <string>

namespace pellavan {

// add: ensure one trailing "/"; !add: drop one trailing "/". "" stays "".
std::string SetTrailingDelimiter(const std::string &path, bool add);

// The first n + 1 "/"-terminated segments of a relative path, or "" when it
// has fewer.
std::string LeadingSegments(int n, const std::string &relative);

// Creates every missing folder of an absolute path, top down. false when the
// path is not absolute, is the root alone, or a level cannot be made.
bool MakePath(const std::string &path);

bool DirectoryExists(const std::string &path);

// Creates one folder (no parents); true when it exists afterwards.
bool CreateDir(const std::string &path);

// The folder of the running executable, ending in "/".
std::string ExecutableFolder();

} // namespace pellavan

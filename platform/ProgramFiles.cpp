// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgramFiles.h"

#include "Paths.h"

#include <filesystem>
#include <system_error>

// From the folder of the installed executables to the program's data folder;
// the install rules set it from their own folder layout.
#ifndef PELLAVAN_DATA_FROM_BIN
#define PELLAVAN_DATA_FROM_BIN "../share/pellavan"
#endif

namespace pellavan {

namespace {
bool IsFile(const std::string &path)
{
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error);
}
} // namespace

std::string ProgramFolder(const std::string &executableFolder)
{
    const std::string beside = SetTrailingDelimiter(executableFolder, true);
    if (beside.empty() || DirectoryExists(beside + "Skin"))
        return beside;
    // Normalised, so the paths shown to the user carry no "bin/../".
    const std::string data = SetTrailingDelimiter(
        std::filesystem::path(beside + PELLAVAN_DATA_FROM_BIN).lexically_normal().string(), true);
    return DirectoryExists(data + "Skin") ? data : beside;
}

std::string HelpGuideFor(const std::string &helpFile)
{
    const size_t slash = helpFile.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : helpFile.substr(0, slash + 1);
    return folder + "help/index.html";
}

std::string HelpDocumentToShow(const std::string &helpFile, bool helpViewer, bool browser)
{
    if (helpViewer && IsFile(helpFile))
        return helpFile;
    const std::string guide = HelpGuideFor(helpFile);
    if (browser && IsFile(guide))
        return guide;
    return {};
}

} // namespace pellavan

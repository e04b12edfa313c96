// SPDX-License-Identifier: GPL-3.0-or-later
// What the settings file "mervale.ini" holds, as plain data the windows copy
// to and from their controls, and the operations that read and write it.
// Each operation opens the file by its path and releases it; nothing is
// cached, so saves of different sections in one run never lose each other's keys.
#pragma once

#include "ColorSettings.h"
#include "IniFile.h"

#include <optional>
#include <string>

namespace pellavan {

struct MainSettings {
    int profile = 0;        // profilecom index
    bool twoPass = false;   // c2pass
    bool single = false;    // csingle
    bool preview = true;    // previewcheck
    std::string output;     // Efolder text
    bool operator==(const MainSettings &) const = default;
};

struct MiscSettings {
    bool open = true;       // copen
    bool disSaver = true;   // cdis
    bool shut = false;      // cshut
    bool operator==(const MiscSettings &) const = default;
};

// dataPath (ending in "/") + "mervale.ini".
std::string SettingsFilePath(const std::string &dataPath);
// The output folder of a first start: home + "Varnockoutput/".
std::string DefaultOutputFolder();
// The output folder the Misc dialog's "Default" sets: home + "Tessaryoutput/".
std::string MiscDefaultOutputFolder();
// A chosen folder as the output folder text: it ends with exactly one "/".
std::string OutputFolderText(std::string folder);

// Missing or unparsable values give the defaults; a stored profile outside
// 0..7 counts as unparsable, and an empty output folder as missing.
MainSettings LoadMainSettings(const std::string &path);
MiscSettings LoadMiscSettings(const std::string &path);
// Stored positions are brought into the sliders' ranges.
ColorSettings LoadColorSettings(const std::string &path);

// Each save replaces the file atomically.  On failure the old file is left
// as it was and the result is "Unable to write to <path>".
std::optional<std::string> SaveMainSettings(const std::string &path, const MainSettings &s,
                                            const WriteFunction &write = {});
std::optional<std::string> SaveMiscSettings(const std::string &path, const MiscSettings &s,
                                            const WriteFunction &write = {});
std::optional<std::string> SaveColorSettings(const std::string &path, const ColorSettings &s,
                                             const WriteFunction &write = {});

} // namespace pellavan

// SPDX-License-Identifier: GPL-3.0-or-later
// What the settings windows need from their surroundings, handed to them by
// the shell: where the settings file is, and the program's boxes, through
// which a failed save is shown and the output folder is chosen.
#pragma once

#include <optional>
#include <string>

class QWidget;

namespace pellavan {

class UserPrompts;

// The caption of the output folder's chooser, as the menu item names it.
inline constexpr const char *kOutputFolderCaption = "Set Output Folder";

struct SettingsEnvironment {
    // The settings file, set from DataPath when the main window starts;
    // empty when the data folder could not be made: nothing is read or stored.
    std::string path;
    UserPrompts &prompts;
};

// Shows "Unable to write to ..." the way the program shows its errors.
void ReportSettingsError(const SettingsEnvironment &settings, QWidget *parent, const std::string &text);
// The new output folder text after browsing from `current`; no value when cancelled.
std::optional<std::string> BrowseOutputFolder(const SettingsEnvironment &settings, QWidget *parent,
                                              const std::string &current);

} // namespace pellavan

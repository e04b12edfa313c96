// What the settings windows need from their surroundings: where the settings
// file is, how a save failure is shown, and the folder chooser.  Each has a
// seam so tests run without message boxes or file dialogs.
#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace pellavan {

// The settings file's path, set from DataPath when the main window starts.
// Empty when the data folder could not be made: nothing is read or stored.
void SetSettingsPath(const std::string &path);
const std::string &SettingsPath();

// Shows "Unable to write to ..." the way the program shows its errors.
using SettingsErrorHandler = std::function<void(QWidget *parent, const QString &text)>;
void SetSettingsErrorHandler(SettingsErrorHandler handler); // empty: the standard error box
void ReportSettingsError(QWidget *parent, const std::string &text);

// A directory chooser starting at `start`; no value when the user cancels.
using FolderChooser = std::function<std::optional<QString>(QWidget *parent, const QString &start)>;
void SetFolderChooser(FolderChooser chooser); // empty: the standard directory dialog
// The new output folder text after browsing from `current`; no value when cancelled.
std::optional<std::string> BrowseOutputFolder(QWidget *parent, const std::string &current);

} // namespace pellavan

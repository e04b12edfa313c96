// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsEnvironment.h"

#include "SettingsStore.h"
#include "widgets/Prompts.h"

namespace pellavan {

void ReportSettingsError(const SettingsEnvironment &settings, QWidget *parent, const std::string &text)
{
    ShowErrorBox(settings.prompts, parent, QString::fromStdString(text));
}

std::optional<std::string> BrowseOutputFolder(const SettingsEnvironment &settings, QWidget *parent,
                                              const std::string &current)
{
    const QString chosen = settings.prompts.ChooseOutputFolder(parent, QString::fromLatin1(kOutputFolderCaption),
                                                               QString::fromStdString(current));
    if (chosen.isEmpty())
        return std::nullopt;
    return OutputFolderText(chosen.toStdString());
}

} // namespace pellavan

#include "SettingsHost.h"

#include "SettingsStore.h"
#include "widgets/ErrorText.h"

#include <QFileDialog>
#include <QMessageBox>

namespace pellavan {

namespace {
std::string g_path;
SettingsErrorHandler g_errorHandler;
FolderChooser g_chooser;
} // namespace

void SetSettingsPath(const std::string &path) { g_path = path; }
const std::string &SettingsPath() { return g_path; }

void SetSettingsErrorHandler(SettingsErrorHandler handler) { g_errorHandler = std::move(handler); }

void ReportSettingsError(QWidget *parent, const std::string &text)
{
    const QString shown = QString::fromStdString(ErrorBoxText(text));
    if (g_errorHandler)
        g_errorHandler(parent, shown);
    else
        QMessageBox::critical(parent, QString::fromLatin1(kApplicationTitle), shown);
}

void SetFolderChooser(FolderChooser chooser) { g_chooser = std::move(chooser); }

std::optional<std::string> BrowseOutputFolder(QWidget *parent, const std::string &current)
{
    const QString start = QString::fromStdString(current);
    std::optional<QString> chosen;
    if (g_chooser) {
        chosen = g_chooser(parent, start);
    } else {
        const QString dir = QFileDialog::getExistingDirectory(parent, QString(), start);
        if (!dir.isEmpty())
            chosen = dir;
    }
    if (!chosen || chosen->isEmpty())
        return std::nullopt;
    return OutputFolderText(chosen->toStdString());
}

} // namespace pellavan

// SPDX-License-Identifier: GPL-3.0-or-later
#include "Desktop.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace pellavan {

namespace {
const QString kHelpMimeType = QStringLiteral("application/vnd.ms-htmlhelp");

bool HasDefaultApplication(const QString &mimeType)
{
    const QString mime = QStandardPaths::findExecutable("xdg-mime");
    if (mime.isEmpty())
        return false;
    QProcess query;
    query.start(mime, {"query", "default", mimeType});
    if (!query.waitForFinished(3000)) {
        query.kill();
        query.waitForFinished();
        return false;
    }
    return query.exitCode() == 0 && !query.readAllStandardOutput().trimmed().isEmpty();
}

class XdgDesktop final : public Desktop {
public:
    void OpenUrl(const QString &url) override { QDesktopServices::openUrl(QUrl(url)); }
    void OpenFolder(const QString &path) override { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }

    bool DocumentOpenerPresent() override { return !QStandardPaths::findExecutable("xdg-open").isEmpty(); }
    bool HelpViewerPresent() override { return HasDefaultApplication(kHelpMimeType); }
    bool BrowserPresent() override
    {
        // xdg-open falls back on $BROWSER and the system's browser when no
        // application is registered for HTML.
        return HasDefaultApplication(QStringLiteral("text/html")) || !qEnvironmentVariableIsEmpty("BROWSER") ||
               !QStandardPaths::findExecutable("x-www-browser").isEmpty();
    }
    bool OpenDocument(const QString &path) override { return QProcess::startDetached("xdg-open", {path}); }
};
} // namespace

Desktop &SystemDesktop()
{
    static XdgDesktop desktop;
    return desktop;
}

} // namespace pellavan

#include "Desktop.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace pellavan {

namespace {
const QString kHelpMimeType = QStringLiteral("application/vnd.ms-htmlhelp");

class XdgDesktop final : public Desktop {
public:
    void OpenUrl(const QString &url) override { QDesktopServices::openUrl(QUrl(url)); }
    void OpenFolder(const QString &path) override { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }

    bool DocumentOpenerPresent() override { return !QStandardPaths::findExecutable("xdg-open").isEmpty(); }
    bool HelpViewerPresent() override
    {
        const QString mime = QStandardPaths::findExecutable("xdg-mime");
        if (mime.isEmpty())
            return false;
        QProcess query;
        query.start(mime, {"query", "default", kHelpMimeType});
        if (!query.waitForFinished(3000)) {
            query.kill();
            query.waitForFinished();
            return false;
        }
        return query.exitCode() == 0 && !query.readAllStandardOutput().trimmed().isEmpty();
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

#include "HTMLHelp_Decl.h"

#include "platform/Desktop.h"
#include "shell/AppError.h"

#include <QFileInfo>

namespace pellavan {

int32_t HtmlHelpControl::HtmlHelp(QWidget *, const QString &file, int32_t command, uintptr_t)
{
    if (!m_loaded) {
        if (!m_desktop.DocumentOpenerPresent())
            throw AppError("HHCtrl.OCX not installed!\r HTMLHELP cannot displayed!");
        if (!m_desktop.HelpViewerPresent())
            throw AppError("Function HTMLHELP cannot loaded!");
        m_loaded = true;
    }
    if (command != HH_DISPLAY_TOPIC)
        return 0;
    // A viewer started on a missing file would fail without a word.
    if (!QFileInfo(file).isFile())
        throw AppError("Cannot find the help file " + file.toStdString());
    return m_desktop.OpenDocument(file) ? 1 : 0;
}

} // namespace pellavan

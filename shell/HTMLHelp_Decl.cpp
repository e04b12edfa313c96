// SPDX-License-Identifier: GPL-3.0-or-later
#include "HTMLHelp_Decl.h"

#include "platform/Desktop.h"
#include "platform/ProgramFiles.h"
#include "shell/AppError.h"

namespace pellavan {

int32_t HtmlHelpControl::HtmlHelp(QWidget *, const QString &file, int32_t command, uintptr_t)
{
    if (!m_loaded) {
        if (!m_desktop.DocumentOpenerPresent())
            throw AppError("HHCtrl.OCX not installed!\r HTMLHELP cannot displayed!");
        m_helpViewer = m_desktop.HelpViewerPresent();
        m_browser = m_desktop.BrowserPresent();
        if (!m_helpViewer && !m_browser)
            throw AppError("Function HTMLHELP cannot loaded!");
        m_loaded = true;
    }
    if (command != HH_DISPLAY_TOPIC)
        return 0;
    // A viewer started on a missing file would fail without a word.
    const std::string document = HelpDocumentToShow(file.toStdString(), m_helpViewer, m_browser);
    if (document.empty())
        throw AppError("Cannot find the help file " + file.toStdString());
    return m_desktop.OpenDocument(QString::fromStdString(document)) ? 1 : 0;
}

} // namespace pellavan

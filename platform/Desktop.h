// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's opener for addresses, folders and documents, behind a seam
// so tests never start a browser or a viewer.
#pragma once

#include <QString>

namespace pellavan {

class Desktop {
public:
    virtual ~Desktop() = default;
    // A web or "mailto:" address; the result is not looked at.
    virtual void OpenUrl(const QString &url) = 0;
    virtual void OpenFolder(const QString &path) = 0;

    // The help viewer: an opener for documents is installed...
    virtual bool DocumentOpenerPresent() = 0;
    // ...and some application takes compiled help files...
    virtual bool HelpViewerPresent() = 0;
    // ...or at least a web browser, for the HTML guide.  Desktops that never
    // show help need not say.
    virtual bool BrowserPresent() { return false; }
    virtual bool OpenDocument(const QString &path) = 0;
};

// xdg-open and the desktop's default applications.
Desktop &SystemDesktop();

} // namespace pellavan

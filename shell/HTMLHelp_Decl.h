// SPDX-License-Identifier: GPL-3.0-or-later
// The help viewer, found on the first request and then kept. Until one is
// found every request looks again and raises the same error.  The compiled
// help file goes to its viewer; without one the HTML guide beside it goes to
// the browser.
#pragma once

#include <QString>

#include <cstdint>

class QWidget;

namespace pellavan {

class Desktop;

inline constexpr const char *kHelpFileName = "norvdoc.chm";
inline constexpr int32_t HH_DISPLAY_TOPIC = 0;

class HtmlHelpControl {
public:
    explicit HtmlHelpControl(Desktop &desktop) : m_desktop(desktop) {}

    // Shows `file` for HH_DISPLAY_TOPIC; 1 when a viewer was started, else 0.
    // Throws AppError when no viewer can be found.
    int32_t HtmlHelp(QWidget *window, const QString &file, int32_t command, uintptr_t data);

private:
    Desktop &m_desktop;
    bool m_loaded = false;
    bool m_helpViewer = false, m_browser = false;
};

} // namespace pellavan

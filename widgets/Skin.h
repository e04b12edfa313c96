// SPDX-License-Identifier: GPL-3.0-or-later
// The built-in skin: one style sheet for every window, the main window's
// font, and the program's pictures.
#pragma once

#include <QFont>
#include <QImage>
#include <QString>

namespace pellavan {
QString SkinStyleSheet();
// The main window's one font: its fixed places were drawn for a small font,
// and this one is on every Debian desktop and keeps each caption whole.
QFont WindowFont();
// A picture drawn for the program ("tool-open", "convert-up", "icon", ...);
// a null image when there is none of that name.
QImage SkinPicture(const QString &name);
}

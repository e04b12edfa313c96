// The built-in skin: one style sheet for every window, and the program's
// pictures.
#pragma once

#include <QImage>
#include <QString>

namespace pellavan {
QString SkinStyleSheet();
// A picture drawn for the program ("tool-open", "convert-up", "icon", ...);
// a null image when there is none of that name.
QImage SkinPicture(const QString &name);
}

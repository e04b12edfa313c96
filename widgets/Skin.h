// The built-in skin: one style sheet for every window.
#pragma once

#include <QString>

namespace pellavan {
QString SkinStyleSheet();
}

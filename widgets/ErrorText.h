// SPDX-License-Identifier: GPL-3.0-or-later
// Texts of the standard error box.
#pragma once

#include <string>

namespace pellavan {

// Application title: the task-bar title and the error box's caption.
inline constexpr const char *kApplicationTitle = "Pellavan ";

// A "." is appended when the text's last character sorts after "."
// (letters, digits, a backslash); "!" and shorter punctuation stay as they are.
std::string ErrorBoxText(const std::string &text);

} // namespace pellavan

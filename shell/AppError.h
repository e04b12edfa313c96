// SPDX-License-Identifier: GPL-3.0-or-later
// An error raised inside a handler: the main window's command guard shows it
// in the standard error box and the program goes on.
#pragma once

#include <stdexcept>
#include <string>

namespace pellavan {

class AppError : public std::runtime_error {
public:
    explicit AppError(const std::string &text) : std::runtime_error(text) {}
};

} // namespace pellavan

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ErrorText.h"

namespace pellavan {

std::string ErrorBoxText(const std::string &text)
{
    if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.'))
        return text + ".";
    return text;
}

} // namespace pellavan

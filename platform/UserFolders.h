// SPDX-License-Identifier: GPL-3.0-or-later
// The user's folders as the desktop's XDG user-folder settings name them.
#pragma once

#include <string>

namespace pellavan {

// The documents folder from user-dirs.dirs ($XDG_CONFIG_HOME, else
// ~/.config), without a trailing "/"; "" when it cannot be resolved.
std::string GetDocumentsFolder();

// Reads XDG_DOCUMENTS_DIR out of the text of a user-dirs.dirs file; "" when
// absent or malformed. "$HOME" is replaced by `home`.
std::string ParseDocumentsDir(const std::string &fileText, const std::string &home);

// The home folder, ending in "/"; it stands where a drive root would.
std::string UserHomeFolder();

} // namespace pellavan

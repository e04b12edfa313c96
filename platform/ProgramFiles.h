// SPDX-License-Identifier: GPL-3.0-or-later
// Where the program finds the files it ships with: the Skin folder and the
// help document.  A build runs with them beside the executable; an installed
// program has them in its data folder under share/.
#pragma once

#include <string>

namespace pellavan {

// The folder that holds the program's "Skin/" folder and help files, ending
// in "/": `executableFolder` itself when "Skin/" lies there, else the data
// folder relative to it ("../share/pellavan/") when that holds one, else
// `executableFolder` unchanged (the missing files are then reported where
// they are used).
std::string ProgramFolder(const std::string &executableFolder);

// The HTML guide that stands in for the compiled help file `helpFile`:
// "help/index.html" in the same folder.
std::string HelpGuideFor(const std::string &helpFile);

// Which document a help request shows: the compiled help file where a
// viewer for it exists, else its HTML guide where a browser exists; "" when
// neither the file nor its viewer is there.
std::string HelpDocumentToShow(const std::string &helpFile, bool helpViewer, bool browser);

} // namespace pellavan

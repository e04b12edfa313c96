// SPDX-License-Identifier: GPL-3.0-or-later
// The plain-text report of the loaded disc shown by "DVD Property".
#pragma once

#include "Catalogue.h"

#include <string>
#include <vector>

namespace pellavan {

// One text per line; empty when no disc is in the tree.
std::vector<std::string> PropertyReportLines(const DiscCatalogue &disc);

} // namespace pellavan

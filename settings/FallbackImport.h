// SPDX-License-Identifier: MIT
#pragma once

#include "settings/TCustomSet.h"

#include <string>

// When the stored settings cannot be read at start-up, a settings export file
// beside the program stands in: the first "*.plne" file that a listing of
// programFolder (no trailing "/") returns is imported into set, which keeps
// what it holds where the file does not say. The import may show its
// messages; any other failure ends the fallback silently.
void ImportFirstExportFile(const std::string& programFolder, TCustomSet& set);

// SPDX-License-Identifier: MIT
#pragma once

#include "shared/PlainStringList.h"
#include "shared/SortedStringList.h"
#include "shared/StringList.h"

#include <string>

// Adds to list the regular files that match patterns, a comma-separated list
// of paths whose last component may hold "*" and "?" (see MatchesWildcard).
// Empty patterns (leading, doubled or trailing commas) are skipped; blanks are
// part of a pattern. Each name is added with its pattern's folder part (up to
// and including the last "/"), so a bare pattern, searched in the current
// folder, adds bare names. A link to a regular file counts as a file; folders
// are never added.
//
// With subFolders, each pattern's name part is also searched in every folder
// below its folder, depth first, in directory order, after the pattern's own
// folder; folders whose name begins with "." are not entered, and neither is a
// folder that the same pattern's search has already visited (so links never
// lead into a loop).
//
// Returns how much Count() grew: entries the list refused are not counted.
// Missing folders and unreadable entries add nothing and are not reported.
int FindFiles(const std::string& patterns, StringList& list, bool subFolders);

// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

// Whether a file name matches a directory-search pattern: "*" stands for any
// run of characters (dots and a leading dot included), "?" for exactly one
// character, everything else for itself, compared byte for byte, so letter
// case counts as it does in Linux file names. Characters are UTF-8 sequences,
// so "?" never matches half of one; a byte that is not valid UTF-8 counts as a
// character of its own. No other character is special.
bool MatchesWildcard(std::string_view name, std::string_view pattern);

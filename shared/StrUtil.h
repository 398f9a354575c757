// SPDX-License-Identifier: MIT
#pragma once

#include <string>

// Byte-position string helpers. Positions are 1-based byte positions in UTF-8
// text, as the command-line parser and the file dialogs count them.

// Position of the first occurrence of sub in s that begins at or after start,
// or 0. An empty sub is never found.
int PosFrom(const std::string& s, const std::string& sub, int start);

// Up to count bytes of s beginning at start (below 1 counts as 1).
std::string SubStr(const std::string& s, int start, int count);

// SPDX-License-Identifier: MIT
#include "shared/WildcardMatch.h"

#include <vector>

namespace {

// Length of the UTF-8 character that starts at text[at]; 1 for a byte that
// does not begin a complete, well-formed sequence.
size_t CharLength(std::string_view text, size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    size_t length = 1;
    if ((lead & 0xE0) == 0xC0)
        length = 2;
    else if ((lead & 0xF0) == 0xE0)
        length = 3;
    else if ((lead & 0xF8) == 0xF0)
        length = 4;
    if (at + length > text.size())
        return 1;
    for (size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80)
            return 1;
    }
    return length;
}

std::vector<std::string_view> SplitChars(std::string_view text)
{
    std::vector<std::string_view> chars;
    for (size_t at = 0; at < text.size();) {
        const size_t length = CharLength(text, at);
        chars.push_back(text.substr(at, length));
        at += length;
    }
    return chars;
}

} // namespace

bool MatchesWildcard(std::string_view name, std::string_view pattern)
{
    const std::vector<std::string_view> n = SplitChars(name);
    const std::vector<std::string_view> p = SplitChars(pattern);

    // Greedy matching that goes back to the last "*" on a mismatch: linear
    // space, and at most |name| x |pattern| steps whatever the pattern.
    size_t pi = 0;
    size_t ni = 0;
    bool haveStar = false;
    size_t starP = 0;
    size_t starN = 0;
    while (ni < n.size()) {
        if (pi < p.size() && p[pi] == "*") {
            haveStar = true;
            starP = pi++;
            starN = ni;
        } else if (pi < p.size() && (p[pi] == "?" || p[pi] == n[ni])) {
            ++pi;
            ++ni;
        } else if (haveStar) {
            pi = starP + 1;
            ni = ++starN;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == "*")
        ++pi;
    return pi == p.size();
}

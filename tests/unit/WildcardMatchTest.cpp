// SPDX-License-Identifier: MIT
#include "shared/WildcardMatch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct MatchCase {
    std::string name;
    std::string pattern;
    bool matches;
};

TEST(WildcardMatchTest, StarAndQuestionMarkAsInADirectorySearch)
{
    const std::vector<MatchCase> cases = {
        {"a.plne", "*.plne", true},
        {".plne", "*.plne", true},          // a leading dot is matched by "*"
        {".hidden.plne", "*.plne", true},
        {"a.plne.bak", "*.plne", false},
        {"A.PLNE", "*.plne", false},         // Linux names differ by case
        {"readme", "*", true},
        {"", "*", true},
        {"", "", true},
        {"a", "", false},
        {"readme", "*.*", false},
        {"a.b", "*.*", true},
        {"abc", "a?c", true},
        {"ac", "a?c", false},
        {"abbc", "a?c", false},
        {"日.txt", "?.txt", true},          // "?" takes a whole UTF-8 character
        {"日本.txt", "?.txt", false},
        {"日本.txt", "??.txt", true},
        {"aXbXc", "a*b*c", true},
        {"abcabd", "*abd", true},
        {"abcab", "*abd", false},
        {"a[1].txt", "a[1].txt", true},     // only "*" and "?" are special
        {"a1.txt", "a[1].txt", false},
        {"a\\b", "a\\b", true},
        {"x", "**?**", true},
        {"", "?", false},
        // A byte that is not UTF-8 is a character of its own.
        {"\xC3" "a", "\xC3?", true},
        {"\xC3" "a", "??", true},
    };
    for (const MatchCase& c : cases)
        EXPECT_EQ(MatchesWildcard(c.name, c.pattern), c.matches) << c.name << " ~ " << c.pattern;
}

TEST(WildcardMatchTest, ManyStarsStayFast)
{
    // Back-tracking to the last star keeps this quadratic at worst.
    const std::string name(3000, 'a');
    const std::string pattern = std::string(1000, '*') + std::string(1000, 'a') + "b";
    EXPECT_FALSE(MatchesWildcard(name, pattern));
}

} // namespace

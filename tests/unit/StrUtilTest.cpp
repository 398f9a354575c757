// SPDX-License-Identifier: MIT
#include "shared/StrUtil.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

struct PosFromCase {
    std::string s;
    std::string sub;
    int start;
    int expected;
};

TEST(PosFromTest, FindsFirstOccurrenceAtOrAfterStart)
{
    // "a.b.c": dots at bytes 2 and 4.
    const std::vector<PosFromCase> cases = {
        {"a.b.c", ".", 1, 2},
        {"a.b.c", ".", 2, 2},
        {"a.b.c", ".", 3, 4},
        {"a.b.c", ".", 5, 0},
        {"a.b.c", ".", 6, 0},
        {"a.b.c", ".", INT_MAX, 0},
        {"a.b.c", "", 1, 0},
        {"", "", 1, 0},
        {"", ".", 1, 0},
        {"a.b.c", "b.c", 1, 3},
        {"a.b.c", "b.c", 4, 0},
        {"a.b.c", "a.b.c.", 1, 0},
        {"a.b.c", "c", 5, 5},
        // Positions count bytes: each of these two characters is three bytes.
        {"日本.txt", ".", 1, 7},
        {"日本.txt", "本", 1, 4},
        // Below 1 the search starts at byte 1 but the offset stays.
        {"a.b.c", "a", 0, 0},
        {"a.b.c", ".", 0, 1},
        {"a.b.c", ".", -3, -2},
    };
    for (const PosFromCase& c : cases) {
        EXPECT_EQ(PosFrom(c.s, c.sub, c.start), c.expected)
            << "PosFrom(\"" << c.s << "\", \"" << c.sub << "\", " << c.start << ")";
    }
}

struct SubStrCase {
    std::string s;
    int start;
    int count;
    std::string expected;
};

TEST(SubStrTest, TakesBytesFromStartClampedToText)
{
    const std::vector<SubStrCase> cases = {
        {"abcdef", 0, 2, "ab"},
        {"abcdef", -7, 3, "abc"},
        {"abcdef", 1, 6, "abcdef"},
        {"abcdef", 5, 10, "ef"},
        {"abcdef", 6, 1, "f"},
        {"abcdef", 7, 1, ""},
        {"abcdef", INT_MAX, INT_MAX, ""},
        {"abcdef", 1, -1, ""},
        {"abcdef", 3, INT_MIN, ""},
        {"abcdef", 3, 0, ""},
        {"abcdef", 2, INT_MAX, "bcdef"},
        {"", 1, 5, ""},
        {"", 0, 0, ""},
        // Counts are bytes, not characters.
        {"日本", 1, 3, "日"},
        {"日本", 4, INT_MAX, "本"},
    };
    for (const SubStrCase& c : cases) {
        EXPECT_EQ(SubStr(c.s, c.start, c.count), c.expected)
            << "SubStr(\"" << c.s << "\", " << c.start << ", " << c.count << ")";
    }
}

} // namespace

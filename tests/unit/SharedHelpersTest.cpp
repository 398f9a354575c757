// SPDX-License-Identifier: MIT
// The small helpers every layer shares: the home folder, the saturating
// arithmetic of byte counts, and the call that lets no exception out.
#include "ScopedEnv.h"

#include "shared/GuardedCall.h"
#include "shared/HomeFolder.h"
#include "shared/Saturating.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <pwd.h>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {

constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();

std::string UserDatabaseHome()
{
    const passwd* entry = ::getpwuid(::getuid());
    return entry && entry->pw_dir && entry->pw_dir[0] == '/' ? entry->pw_dir : "";
}

TEST(HomeFolderTest, AbsoluteHomeOnlyElseTheUserDatabase)
{
    struct Case {
        const char* name;
        const char* home;
        bool fromHome;
    };
    for (const Case& c : {Case{"absolute", "/home/someone", true}, Case{"relative", "someone", false},
                          Case{"dot", ".", false}, Case{"empty", "", false}, Case{"unset", nullptr, false}}) {
        SCOPED_TRACE(c.name);
        ScopedEnv home("HOME", c.home);
        EXPECT_EQ(HomeFolder().string(), c.fromHome ? std::string(c.home) : UserDatabaseHome());
    }
}

TEST(SaturatingTest, StaysAtTheLargestCount)
{
    static_assert(SaturatingAdd(1, 2) == 3);
    static_assert(SaturatingAdd(kMax - 1, 1) == kMax);
    static_assert(SaturatingAdd(kMax - 1, 2) == kMax);
    static_assert(SaturatingAdd(kMax, kMax) == kMax);
    static_assert(SaturatingMul(1ull << 32, 1ull << 31) == 1ull << 63);
    static_assert(SaturatingMul(1ull << 32, 1ull << 32) == kMax);
    static_assert(SaturatingMul(0, kMax) == 0);
    static_assert(SaturatingSub(5, 3) == 2);
    static_assert(SaturatingSub(3, 5) == 0);
    SUCCEED();
}

TEST(GuardedCallTest, ReportsAndSwallowsEveryException)
{
    struct Case {
        const char* name;
        void (*call)();
        bool reported;
        std::string text;
    };
    for (const Case& c : {Case{"returns", [] {}, false, ""},
                          Case{"standard", [] { throw std::runtime_error("disk full"); }, true, "disk full"},
                          Case{"other", [] { throw 42; }, true, "(none)"}}) {
        SCOPED_TRACE(c.name);
        bool reported = false;
        std::string text;
        EXPECT_NO_THROW(GuardedCall(c.call, [&](const char* error) {
            reported = true;
            text = error ? error : "(none)";
        }));
        EXPECT_EQ(reported, c.reported);
        EXPECT_EQ(text, c.text);
    }
}

} // namespace

// SPDX-License-Identifier: MIT
#include "platform/InstanceLock.h"

#include "ScopedEnv.h"
#include "ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Whatever is wrong with the runtime folder, two copies must meet at one
// lock: the first runs, the second finds it held.
TEST(InstanceLockTest, ABrokenRuntimeFolderFallsBackToThePrivateFolder)
{
    const struct {
        const char* label;
        std::function<void(const ScratchDir&)> arrange;  // makes "run" what the case needs
    } cases[] = {
        {"sound", [](const ScratchDir& d) { fs::create_directory(d / "run"); fs::permissions(d / "run", fs::perms::owner_all); }},
        {"missing", [](const ScratchDir&) {}},
        {"a regular file", [](const ScratchDir& d) { d.Write("run", "x"); }},
        {"open to everyone",
         [](const ScratchDir& d) {
             fs::create_directory(d / "run");
             fs::permissions(d / "run", fs::perms::all);
         }},
        {"read-only",
         [](const ScratchDir& d) {
             fs::create_directory(d / "run");
             fs::permissions(d / "run", fs::perms::owner_read | fs::perms::owner_exec);
         }},
        {"the lock file is a folder",
         [](const ScratchDir& d) {
             fs::create_directory(d / "run");
             fs::permissions(d / "run", fs::perms::owner_all);
             fs::create_directory(d / "run/PelorinMutex");
         }},
        {"the lock file is a link",
         [](const ScratchDir& d) {
             fs::create_directory(d / "run");
             fs::permissions(d / "run", fs::perms::owner_all);
             d.Link("run/PelorinMutex", d / "elsewhere");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const ScratchDir dir;
        dir.MakeFolder("tmp");
        c.arrange(dir);
        const std::string run = dir / "run";
        const std::string tmp = dir / "tmp";
        const ScopedEnv runtime("XDG_RUNTIME_DIR", run.c_str());
        const ScopedEnv temporary("TMPDIR", tmp.c_str());

        InstanceLock first(InstanceLock::DefaultPath("PelorinMutex"));
        InstanceLock second(InstanceLock::DefaultPath("PelorinMutex"));
        EXPECT_TRUE(first.TryAcquire());
        EXPECT_FALSE(second.TryAcquire());
        EXPECT_TRUE(second.HeldByAnother());
        EXPECT_FALSE(fs::exists(dir / "elsewhere"));
        // The scratch folder must be removable again.
        std::error_code ignored;
        fs::permissions(dir / "run", fs::perms::owner_all, ignored);
    }
}

TEST(InstanceLockTest, TheLockIsFreeAgainOnceItsHolderEnds)
{
    const ScratchDir dir;
    const std::string file = dir / "PelorinMutex";
    {
        InstanceLock first(file);
        ASSERT_TRUE(first.TryAcquire());
    }
    InstanceLock second(file);
    EXPECT_TRUE(second.TryAcquire());
}

} // namespace

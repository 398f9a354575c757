// SPDX-License-Identifier: MIT
#include "ScopedEnv.h"
#include "ScratchDir.h"
#include "platform/LinuxProcessLauncher.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>

namespace {

std::string Script(const ScratchDir& dir, const std::string& name, const std::string& body)
{
    const std::string path = dir.Write(name, "#!/bin/sh\n" + body + "\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Polls for the file a started program writes, for at most ten seconds.
bool WaitForFile(const std::string& path)
{
    for (int i = 0; i < 1000; ++i) {
        if (std::filesystem::exists(path) && !ReadFile(path).empty())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(LinuxProcessLauncherTest, FindsExecutablesOnPathOnly)
{
    ScratchDir dir;
    const std::string first = Script(dir, "a/tool", "true");
    Script(dir, "b/tool", "true");
    dir.Write("a/plain", "not executable");
    Script(dir, "b/plain", "true");
    std::filesystem::create_directories(dir / "a/folder");
    // Empty and relative entries name the current folder, which is never searched.
    Script(dir, "rel/tool", "true");
    const std::string cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir / "rel");
    const ScopedEnv path("PATH", (":.:" + (dir / "a") + "::" + (dir / "b")).c_str());
    LinuxProcessLauncher launcher;
    EXPECT_EQ(launcher.FindOnPath("tool"), first);
    EXPECT_EQ(launcher.FindOnPath("plain"), dir / "b/plain");
    EXPECT_EQ(launcher.FindOnPath("folder"), "");
    EXPECT_EQ(launcher.FindOnPath("missing"), "");
    EXPECT_EQ(launcher.FindOnPath(""), "");
    EXPECT_EQ(launcher.FindOnPath(first), first);
    EXPECT_EQ(launcher.FindOnPath(dir / "a/plain"), "");
    std::filesystem::remove(first);
    std::filesystem::remove(dir / "b/tool");
    EXPECT_EQ(launcher.FindOnPath("tool"), "");
    std::filesystem::current_path(cwd);
}

TEST(LinuxProcessLauncherTest, DefaultBrowserComesFromBrowserThenMimeAppsThenTheAlternative)
{
    ScratchDir dir;
    Script(dir, "bin/env-browser", "true");
    Script(dir, "bin/desktop-browser", "true");
    Script(dir, "bin/x-www-browser", "true");
    const ScopedEnv path("PATH", (dir / "bin").c_str());
    const ScopedEnv home("HOME", dir.Path().c_str());
    const ScopedEnv config("XDG_CONFIG_HOME", (dir / "config").c_str());
    const ScopedEnv configDirs("XDG_CONFIG_DIRS", (dir / "etc").c_str());
    const ScopedEnv data("XDG_DATA_HOME", (dir / "data").c_str());
    const ScopedEnv dataDirs("XDG_DATA_DIRS", (dir / "share").c_str());
    const ScopedEnv desktop("XDG_CURRENT_DESKTOP", "Test:Other");
    LinuxProcessLauncher launcher;

    const ScopedEnv noBrowser("BROWSER", nullptr);
    EXPECT_EQ(launcher.DefaultWebBrowser(), dir / "bin/x-www-browser");

    dir.Write("share/applications/desk.desktop",
              "[Desktop Entry]\nType=Application\nExec=\"desktop-browser\" %u\n[Desktop Action new]\nExec=other\n");
    dir.Write("share/applications/gone.desktop", "[Desktop Entry]\nExec=not-installed %u\n");
    dir.Write("etc/mimeapps.list", "[Added Associations]\ntext/html=gone.desktop\n"
                                   "[Default Applications]\ntext/html=gone.desktop;desk.desktop;\n");
    EXPECT_EQ(LinuxProcessLauncher::DefaultApplications("text/html"),
              (std::vector<std::string>{"gone.desktop", "desk.desktop"}));
    EXPECT_EQ(LinuxProcessLauncher::DesktopEntryProgram("desk.desktop"), "desktop-browser");
    EXPECT_EQ(launcher.DefaultWebBrowser(), dir / "bin/desktop-browser");

    // The user's desktop-specific list comes before everything else.
    dir.Write("config/test-mimeapps.list", "[Default Applications]\ntext/html=mine.desktop\n");
    EXPECT_EQ(LinuxProcessLauncher::DefaultApplications("text/html").front(), "mine.desktop");

    const ScopedEnv browser("BROWSER", "not-there:env-browser %s");
    EXPECT_EQ(launcher.DefaultWebBrowser(), dir / "bin/env-browser");
}

TEST(LinuxProcessLauncherTest, StartsDetachedWithTheArgumentsAndNoExtraDescriptors)
{
    ScratchDir dir;
    const std::string out = dir / "out";
    const std::string program = Script(dir, "record", "ls /proc/$$/fd > \"" + out + ".fd\"; "
                                                      "printf '%s|' \"$@\" > \"" + out + ".tmp\"; mv \"" + out + ".tmp\" \"" + out + "\"");
    // A descriptor left inheritable by mistake, like a lock file's.
    const int leaked = open("/dev/null", O_RDONLY);
    ASSERT_GE(leaked, 3);
    LinuxProcessLauncher launcher;
    EXPECT_EQ(launcher.Start(program, {"file:///a b#c", "two"}, 0), LaunchOutcome::Running);
    close(leaked);
    ASSERT_TRUE(WaitForFile(out));
    EXPECT_EQ(ReadFile(out), "file:///a b#c|two|");
    std::istringstream fds(ReadFile(out + ".fd"));
    std::vector<int> open;
    for (int fd; fds >> fd;)
        open.push_back(fd);
    EXPECT_TRUE(std::find(open.begin(), open.end(), 0) != open.end());
    EXPECT_TRUE(std::find(open.begin(), open.end(), leaked) == open.end());
}

TEST(LinuxProcessLauncherTest, ReportsTheOutcomeWithinTheWait)
{
    ScratchDir dir;
    LinuxProcessLauncher launcher;
    EXPECT_EQ(launcher.Start(dir / "missing", {}, 0), LaunchOutcome::NotStarted);
    EXPECT_EQ(launcher.Start(dir.Write("plain", "x"), {}, 0), LaunchOutcome::NotStarted);
    EXPECT_EQ(launcher.Start(Script(dir, "ok", "exit 0"), {}, 10000), LaunchOutcome::Succeeded);
    EXPECT_EQ(launcher.Start(Script(dir, "bad", "exit 3"), {}, 10000), LaunchOutcome::Failed);
    const std::string slow = Script(dir, "slow", "sleep 2");
    EXPECT_EQ(launcher.Start(slow, {}, 50), LaunchOutcome::Running);
}

} // namespace

// SPDX-License-Identifier: MIT
#include "platform/DesktopEntry.h"
#include "settings/SDRLink.h"

#include "ScopedEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Entries(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A fresh folder per test, removed afterwards.
class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "pelorin-desktop-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data()) ? fs::path(pattern) : fs::path();
    }
    ~TempFolder()
    {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

struct QuoteCase {
    const char* name;
    std::string arg;
    std::string written;
};

class QuoteExecArgumentTest : public testing::TestWithParam<QuoteCase> {};

TEST_P(QuoteExecArgumentTest, WrittenForm)
{
    EXPECT_EQ(QuoteExecArgument(GetParam().arg), GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, QuoteExecArgumentTest,
    testing::Values(
        QuoteCase {"PlainPath", "/usr/bin/pelorin", "/usr/bin/pelorin"},
        QuoteCase {"Option", "/SDR", "/SDR"},
        QuoteCase {"Empty", "", R"("")"},
        QuoteCase {"Space", "/opt/my apps/pelorin", R"("/opt/my apps/pelorin")"},
        QuoteCase {"Tab", "/a\tb", R"("/a\tb")"},
        QuoteCase {"Newline", "/a\nb", R"("/a\nb")"},
        QuoteCase {"DoubleQuote", R"(/a"b)", R"("/a\\"b")"},
        QuoteCase {"SingleQuote", "/it's", R"("/it's")"},
        QuoteCase {"Backslash", R"(/a\b)", R"("/a\\\\b")"},
        QuoteCase {"Dollar", "/a$HOME", R"("/a\\$HOME")"},
        QuoteCase {"Backtick", "/a`b", R"("/a\\`b")"},
        QuoteCase {"ShellCharacters", "/a;b&c|d", R"("/a;b&c|d")"},
        QuoteCase {"Tilde", "~/pelorin", R"("~/pelorin")"},
        QuoteCase {"PercentUnquoted", "/a%b", "/a%%b"},
        QuoteCase {"PercentQuoted", "/a %u", R"("/a %%u")"},
        QuoteCase {"Japanese", "/home/利用者/ペロリン", "/home/利用者/ペロリン"},
        QuoteCase {"JapaneseWithSpace", "/home/利用者/ペロ リン", R"("/home/利用者/ペロ リン")"}),
    [](const testing::TestParamInfo<QuoteCase>& info) { return std::string(info.param.name); });

class DesktopEntryTest : public testing::Test {
protected:
    TempFolder temp_;
    fs::path Entry() const { return temp_.Path() / "autostart" / "ペロリンSDR.desktop"; }
};

struct ContentCase {
    const char* name;
    std::string arguments;
    std::string execTail;
};

class DesktopEntryContentTest : public DesktopEntryTest,
                                public testing::WithParamInterface<ContentCase> {};

TEST_P(DesktopEntryContentTest, WholeFile)
{
    const std::string program = "/home/user/my apps/pelorin";
    ASSERT_TRUE(WriteShortcut(Entry(), program, GetParam().arguments, "ペロリン",
                              program + "へのｼｮｰﾄｶｯﾄ"));

    EXPECT_EQ(ReadFile(Entry()),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=ペロリン\n"
              "Comment=/home/user/my apps/pelorinへのｼｮｰﾄｶｯﾄ\n"
              "Exec=\"/home/user/my apps/pelorin\""
                  + GetParam().execTail + "\n");
    struct stat st {};
    ASSERT_EQ(::stat(Entry().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
}

INSTANTIATE_TEST_SUITE_P(
    States, DesktopEntryContentTest,
    testing::Values(ContentCase {"Shown", " /SDR ", " /SDR"},
                    ContentCase {"Minimised", " /SDR /M ", " /SDR /M"},
                    ContentCase {"ExtraBlanks", "  /SDR \t /M", " /SDR /M"},
                    ContentCase {"NoArguments", "", ""}),
    [](const testing::TestParamInfo<ContentCase>& info) { return std::string(info.param.name); });

TEST_F(DesktopEntryTest, NameAndCommentUseStringEscapes)
{
    ASSERT_TRUE(WriteShortcut(Entry(), "/p", "", " a\tb", "c\nd\re\\f"));
    EXPECT_EQ(ReadFile(Entry()), "[Desktop Entry]\nType=Application\nName=\\sa\\tb\n"
                                 "Comment=c\\nd\\re\\\\f\nExec=/p\n");
}

TEST_F(DesktopEntryTest, OverwriteReplacesWholeEntryAndLeavesNoTemporaryFile)
{
    const std::string longName(4000, 'n');
    ASSERT_TRUE(WriteShortcut(Entry(), "/old/program/path", " /SDR /M ", longName, longName));
    ASSERT_TRUE(WriteShortcut(Entry(), "/p", " /SDR ", "ペロリン", "c"));

    EXPECT_EQ(ReadFile(Entry()),
              "[Desktop Entry]\nType=Application\nName=ペロリン\nComment=c\nExec=/p /SDR\n");
    EXPECT_EQ(Entries(Entry().parent_path()), std::vector<std::string> {"ペロリンSDR.desktop"});
}

TEST_F(DesktopEntryTest, CreatesMissingFoldersPrivateWhateverTheUmask)
{
    // Anyone who could write in the autostart folder could plant an entry
    // that runs at the next login.
    for (const mode_t mask : {0000u, 0022u, 0077u, 0277u}) {
        SCOPED_TRACE(mask);
        const fs::path config = temp_.Path() / "config";
        fs::remove_all(config);
        const fs::path entry = config / "autostart" / "x.desktop";

        const mode_t saved = ::umask(mask);
        const bool written = WriteShortcut(entry, "/p", " /SDR ", "n", "c");
        ::umask(saved);

        EXPECT_TRUE(written);
        EXPECT_TRUE(fs::is_regular_file(entry));
        for (const fs::path& folder : {config, entry.parent_path()}) {
            struct stat st {};
            ASSERT_EQ(::stat(folder.c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 07777, 0700u) << folder;
        }
    }
}

TEST_F(DesktopEntryTest, AnExistingFolderKeepsItsMode)
{
    fs::create_directories(Entry().parent_path());
    ASSERT_EQ(::chmod(Entry().parent_path().c_str(), 0755), 0);
    ASSERT_TRUE(WriteShortcut(Entry(), "/p", " /SDR ", "n", "c"));
    struct stat st {};
    ASSERT_EQ(::stat(Entry().parent_path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0755u);
}

TEST_F(DesktopEntryTest, FolderBlockedByRegularFileFails)
{
    const fs::path blocker = temp_.Path() / "config";
    std::ofstream(blocker) << "keep";

    EXPECT_FALSE(WriteShortcut(blocker / "autostart" / "x.desktop", "/p", " /SDR ", "n", "c"));
    EXPECT_EQ(Entries(temp_.Path()), std::vector<std::string> {"config"});
    EXPECT_EQ(ReadFile(blocker), "keep");
}

TEST_F(DesktopEntryTest, FailedRenameRemovesTemporaryFile)
{
    // A folder where the entry should be makes the final rename fail after
    // the temporary file was written.
    fs::create_directories(Entry());

    EXPECT_FALSE(WriteShortcut(Entry(), "/p", " /SDR ", "n", "c"));
    EXPECT_EQ(Entries(Entry().parent_path()), std::vector<std::string> {"ペロリンSDR.desktop"});
    EXPECT_TRUE(fs::is_directory(Entry()));
}

TEST_F(DesktopEntryTest, EntryIsAPlainFileEveryoneCanRead)
{
    // The launcher must be able to read the entry whatever the umask or the
    // bits of an old entry, and a link at the entry's path must not carry
    // the text into the file it points to.
    const fs::path elsewhere = temp_.Path() / "elsewhere.desktop";
    const struct {
        const char* label;
        mode_t umask;
        std::function<void()> arrange;
    } cases[] = {
        {"new entry, strict umask", 077, [] {}},
        {"old private entry",
         022,
         [this] {
             std::ofstream(Entry()) << "old";
             fs::permissions(Entry(), fs::perms::owner_read | fs::perms::owner_write);
         }},
        {"link to another file", 022, [&] { fs::create_symlink(elsewhere, Entry()); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        fs::remove_all(Entry().parent_path());
        fs::create_directories(Entry().parent_path());
        std::ofstream(elsewhere) << "keep";
        c.arrange();

        const mode_t saved = ::umask(c.umask);
        const bool written = WriteShortcut(Entry(), "/p", " /SDR ", "n", "c");
        ::umask(saved);

        EXPECT_TRUE(written);
        struct stat st {};
        ASSERT_EQ(::lstat(Entry().c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(st.st_mode & 07777, 0644u);
        EXPECT_EQ(ReadFile(Entry()), "[Desktop Entry]\nType=Application\nName=n\nComment=c\nExec=/p /SDR\n");
        EXPECT_EQ(ReadFile(elsewhere), "keep");
        EXPECT_EQ(Entries(Entry().parent_path()), std::vector<std::string> {"ペロリンSDR.desktop"});
    }
}

// Runs a command line and gives its exit status and what it printed.
std::pair<int, std::string> RunCommand(const std::string& command)
{
    std::string output;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return {-1, output};
    char buffer[512];
    while (const size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, got);
    return {::pclose(pipe), output};
}

TEST_F(DesktopEntryTest, AProgramFolderNamedInAnotherEncodingStillGivesAValidEntryThatStartsIt)
{
    if (RunCommand("command -v desktop-file-validate && command -v gio").first != 0)
        GTEST_SKIP() << "desktop-file-validate or gio missing (scripts/deps.sh test)";
    // "é" in Latin-1, as a folder copied from an old disk may be named, plus
    // the characters the shell and the Exec quoting treat specially.
    const fs::path folder = temp_.Path() / "caf\xe9 'a' \"b\" $x %u \\ 100%";
    fs::create_directories(folder);
    const fs::path program = folder / "pelorin";
    const fs::path out = temp_.Path() / "started";
    std::ofstream(program) << "#!/bin/sh\nprintf '%s|' \"$0\" \"$@\" > '" << out.string() << "'\n";
    fs::permissions(program, fs::perms::owner_all);

    ASSERT_TRUE(WriteShortcut(Entry(), program.string(), " /SDR /M ", "ペロ\xffリン",
                              program.string() + "へのｼｮｰﾄｶｯﾄ"));
    const auto [status, report] = RunCommand("desktop-file-validate '" + Entry().string() + "'");
    EXPECT_EQ(status, 0) << report;
    EXPECT_EQ(report, "");

    // GLib's launcher reads the Exec line as a desktop would at login.
    ASSERT_EQ(RunCommand("gio launch '" + Entry().string() + "'").first, 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (ReadFile(out).empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(ReadFile(out), program.string() + "|/SDR|/M|");
}

TEST_F(DesktopEntryTest, DeleteRemovesEntryAndIgnoresMissingOrBadPaths)
{
    ASSERT_TRUE(WriteShortcut(Entry(), "/p", " /SDR ", "n", "c"));
    DeleteShortcut(Entry());
    EXPECT_FALSE(fs::exists(Entry()));

    EXPECT_NO_THROW(DeleteShortcut(Entry()));
    std::ofstream(temp_.Path() / "file") << "x";
    EXPECT_NO_THROW(DeleteShortcut(temp_.Path() / "file" / "below.desktop"));
    EXPECT_NO_THROW(DeleteShortcut(fs::path()));
    EXPECT_TRUE(fs::exists(temp_.Path() / "file"));
}

struct EnvCase {
    const char* name;
    const char* xdgConfigHome;
    const char* home;
    fs::path expected;
};

class SDRLinkPathTest : public testing::TestWithParam<EnvCase> {};

TEST_P(SDRLinkPathTest, FollowsEnvironment)
{
    ScopedEnv xdg("XDG_CONFIG_HOME", GetParam().xdgConfigHome);
    ScopedEnv home("HOME", GetParam().home);

    EXPECT_EQ(AutostartFolder(), GetParam().expected);
    EXPECT_EQ(SDRLinkPath(), GetParam().expected / "ペロリンSDR.desktop");
}

INSTANTIATE_TEST_SUITE_P(
    Environment, SDRLinkPathTest,
    testing::Values(
        EnvCase {"ConfigHomeSet", "/tmp/cfg", "/home/u", "/tmp/cfg/autostart"},
        EnvCase {"ConfigHomeUnset", nullptr, "/home/u", "/home/u/.config/autostart"},
        EnvCase {"ConfigHomeEmpty", "", "/home/u", "/home/u/.config/autostart"},
        EnvCase {"ConfigHomeRelative", "cfg", "/home/u", "/home/u/.config/autostart"}),
    [](const testing::TestParamInfo<EnvCase>& info) { return std::string(info.param.name); });

} // namespace

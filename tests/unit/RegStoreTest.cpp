// SPDX-License-Identifier: MIT
#include "platform/RegStore.h"

#include "ScopedEnv.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <future>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <stdexcept>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPref = "\\Software\\KORVAL\\Pelorin\\Pref";

std::string ReadText(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteText(const fs::path& file, std::string_view text)
{
    std::ofstream(file, std::ios::binary) << text;
}

std::set<std::string> FolderEntries(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

class RegStoreTest : public testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/regstore-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root_ = pattern;
        file_ = root_ / "KORVAL" / "Pelorin.reg";
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    fs::path root_;
    fs::path file_;
};

TEST_F(RegStoreTest, MissingFileLoadsEmptyAndCreatesNothing)
{
    const RegTree tree = RegStore(file_).Load();
    EXPECT_FALSE(tree.KeyExists("\\Software"));
    EXPECT_EQ(tree.ReadInteger(kPref, "Unit"), std::nullopt);
    EXPECT_FALSE(fs::exists(file_.parent_path()));
}

TEST_F(RegStoreTest, UpdateWritesAFileThatLoadsBack)
{
    RegStore store(file_);
    ASSERT_TRUE(store.Update([](RegTree& tree) {
        tree.SetDword(kPref, "Unit", 0xffffffffu);
        tree.SetString(kPref, "EHFolder", "/home/ユーザー/\"x\"\\");
    }));
    ASSERT_TRUE(store.Update([](RegTree& tree) { tree.SetDword(kPref, "UpdateInterval", 60); }));

    const RegTree tree = RegStore(file_).Load();
    EXPECT_EQ(tree.ReadInteger(kPref, "Unit"), -1);
    EXPECT_EQ(tree.ReadString(kPref, "EHFolder"), "/home/ユーザー/\"x\"\\");
    EXPECT_EQ(tree.ReadInteger(kPref, "UpdateInterval"), 60);
    EXPECT_EQ(ReadText(file_).rfind("REGEDIT4\r\n\r\n", 0), 0u);
    // No temporary file is left behind beside the file and its lock.
    EXPECT_EQ(FolderEntries(file_.parent_path()), (std::set<std::string>{"Pelorin.reg", "Pelorin.reg.lock"}));
    EXPECT_EQ(fs::status(file_.parent_path()).permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST_F(RegStoreTest, FileIsPrivateAndPlainWhateverWasThere)
{
    // The settings are the user's own: no umask and no old file's bits make
    // them readable by others, and a link at the path is replaced rather
    // than written through.
    const fs::path elsewhere = root_ / "elsewhere.reg";
    const struct {
        const char* label;
        mode_t umask;
        std::function<void()> arrange;
    } cases[] = {
        {"new file, no umask", 0, [] {}},
        {"old file readable by all",
         022,
         [this] {
             WriteText(file_, "REGEDIT4\r\n\r\n");
             fs::permissions(file_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read
                                        | fs::perms::others_read);
         }},
        {"link to another file", 022, [&] { fs::create_symlink(elsewhere, file_); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        fs::remove_all(file_.parent_path());
        fs::create_directories(file_.parent_path());
        const std::string keep = "REGEDIT4\r\n\r\n; elsewhere\r\n";
        WriteText(elsewhere, keep);
        c.arrange();

        const mode_t saved = ::umask(c.umask);
        const bool written = RegStore(file_).Update([](RegTree& tree) { tree.SetDword(kPref, "Unit", 2); });
        ::umask(saved);

        EXPECT_TRUE(written);
        struct stat st {};
        ASSERT_EQ(::lstat(file_.c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(st.st_mode & 07777, 0600u);
        EXPECT_EQ(RegStore(file_).Load().ReadInteger(kPref, "Unit"), 2);
        EXPECT_EQ(ReadText(elsewhere), keep);
        EXPECT_EQ(FolderEntries(file_.parent_path()), (std::set<std::string>{"Pelorin.reg", "Pelorin.reg.lock"}));
    }
}

TEST_F(RegStoreTest, DamagedFileIsReplacedByASoundOne)
{
    fs::create_directories(file_.parent_path());
    std::string damaged = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\KORVAL\\Pelorin\\Pref]\n"
                          "\"Unit\"=dword:00000002\n\"Broken\"=hex:0,\xff";
    damaged += '\0';
    damaged += "zz\n\"Cut\"=\"abc";
    WriteText(file_, damaged);
    RegStore store(file_);
    EXPECT_EQ(store.Load().ReadInteger(kPref, "Unit"), 2);
    ASSERT_TRUE(store.Update([](RegTree& tree) { tree.SetDword(kPref, "SDR", 1); }));
    const std::string text = ReadText(file_);
    EXPECT_EQ(RegTree::Parse(text).Serialize(), text);
    const RegTree tree = store.Load();
    EXPECT_EQ(tree.ReadInteger(kPref, "Unit"), 2);
    EXPECT_EQ(tree.ReadInteger(kPref, "SDR"), 1);
    EXPECT_EQ(tree.Find(kPref, "Cut"), nullptr);
}

TEST_F(RegStoreTest, AFileThatCannotBeReadAtAllIsKeptAsideBeforeItIsReplaced)
{
    fs::create_directories(file_.parent_path());
    const fs::path aside = file_.native() + ".bad";
    const struct {
        const char* label;
        std::string text;
        bool readable;
    } cases[] = {
        {"another format", "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n", false},
        {"no header", "[HKEY_CURRENT_USER\\Software\\KORVAL\\Pelorin\\Pref]\r\n\"Unit\"=dword:00000002\r\n", false},
        {"byte-order mark", "\xEF\xBB\xBFREGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\KORVAL\\Pelorin\\Pref]\r\n\"Unit\"=dword:00000002\r\n", true},
        {"blank lines first", "\r\n\r\nREGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\KORVAL\\Pelorin\\Pref]\r\n\"Unit\"=dword:00000002\r\n", true},
        {"empty", "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        fs::remove(aside);
        WriteText(file_, c.text);
        RegStore store(file_);
        ASSERT_TRUE(store.Update([](RegTree& tree) { tree.SetDword(kPref, "SDR", 1); }));
        const RegTree tree = store.Load();
        EXPECT_EQ(tree.ReadInteger(kPref, "SDR"), 1);
        if (c.readable) {
            EXPECT_FALSE(fs::exists(aside));
            if (!c.text.empty()) {
                EXPECT_EQ(tree.ReadInteger(kPref, "Unit"), 2);
            }
        } else {
            EXPECT_EQ(ReadText(aside), c.text);
        }
    }
}

TEST_F(RegStoreTest, LinesNotUnderstoodAreWrittenBack)
{
    fs::create_directories(file_.parent_path());
    WriteText(file_, "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\KORVAL\\Pelorin\\Pref]\n"
                     "\"Path\"=hex(2):25,00,00,00\n\"Gone\"=-\n\"Single\"=\"C:\\Temp\"\n");
    ASSERT_TRUE(RegStore(file_).Update([](RegTree& tree) { tree.SetDword(kPref, "SDR", 1); }));
    EXPECT_EQ(ReadText(file_),
              "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\KORVAL\\Pelorin\\Pref]\r\n"
              "\"Path\"=hex(2):25,00,00,00\r\n\"Gone\"=-\r\n\"Single\"=\"C:\\Temp\"\r\n\"SDR\"=dword:00000001\r\n\r\n");
}

TEST_F(RegStoreTest, FailedUpdateLeavesTheOldFileAndReturnsFalse)
{
    // The tests may run as root, so the failures come from the shape of the
    // file system instead of from permissions.
    const std::string sound = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n\"Old\"=dword:00000001\r\n\r\n";
    const struct {
        const char* label;
        std::function<fs::path(const fs::path& folder)> arrange;  // gives the path to update
        std::function<void(RegTree&)> change;
    } cases[] = {
        {"the file is a folder",
         [](const fs::path& folder) {
             fs::create_directories(folder / "Pelorin.reg");
             return folder / "Pelorin.reg";
         },
         nullptr},
        {"the folder is a file",
         [&](const fs::path& folder) {
             WriteText(folder / "KORVAL", sound);
             return folder / "KORVAL" / "Pelorin.reg";
         },
         nullptr},
        {"the lock file is a folder",
         [&](const fs::path& folder) {
             WriteText(folder / "Pelorin.reg", sound);
             fs::create_directories(folder / "Pelorin.reg.lock");
             return folder / "Pelorin.reg";
         },
         nullptr},
        {"the change throws",
         [&](const fs::path& folder) {
             WriteText(folder / "Pelorin.reg", sound);
             return folder / "Pelorin.reg";
         },
         [](RegTree& tree) {
             tree.SetDword(kPref, "Unit", 1);
             throw std::runtime_error("out of memory, say");
         }},
    };
    int round = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const fs::path folder = root_ / std::to_string(++round);
        fs::create_directories(folder);
        const fs::path file = c.arrange(folder);
        const std::set<std::string> before = FolderEntries(folder);
        const std::string oldText = fs::is_regular_file(file) ? ReadText(file) : std::string();

        RegStore store(file);
        const auto change = c.change ? c.change : [](RegTree& tree) { tree.SetDword(kPref, "Unit", 1); };
        EXPECT_FALSE(store.Update(change));
        if (fs::is_regular_file(file)) {
            EXPECT_EQ(ReadText(file), oldText);
        }
        std::set<std::string> after = FolderEntries(folder);
        after.erase("Pelorin.reg.lock");
        std::set<std::string> expected = before;
        expected.erase("Pelorin.reg.lock");
        EXPECT_EQ(after, expected);
        EXPECT_EQ(store.Load().ReadInteger(kPref, "Unit"), std::nullopt);
    }
}

TEST_F(RegStoreTest, TwoWritersLoseNothing)
{
    constexpr int kUpdates = 200;
    auto writer = [this](const std::string& prefix) {
        RegStore store(file_);  // one store each, as two running copies have
        for (int i = 0; i < kUpdates; ++i) {
            const std::string name = prefix + std::to_string(i);
            EXPECT_TRUE(store.Update([&](RegTree& tree) { tree.SetDword(kPref, name, static_cast<uint32_t>(i)); }));
        }
    };
    std::thread first(writer, "A");
    std::thread second(writer, "B");
    first.join();
    second.join();

    const std::string text = ReadText(file_);
    const RegTree tree = RegTree::Parse(text);
    EXPECT_EQ(tree.Serialize(), text);
    for (const char* prefix : {"A", "B"})
        for (int i = 0; i < kUpdates; ++i)
            EXPECT_EQ(tree.ReadInteger(kPref, prefix + std::to_string(i)), i) << prefix << i;
    EXPECT_EQ(FolderEntries(file_.parent_path()), (std::set<std::string>{"Pelorin.reg", "Pelorin.reg.lock"}));
}

// Runs work on its own thread and waits a bounded time for it; when it is
// still running then, unstick() is called so that the thread can end and the
// test fail instead of hanging. True when work finished in time.
bool FinishesInTime(const std::function<void()>& work, const std::function<void()>& unstick)
{
    auto done = std::async(std::launch::async, work);
    if (done.wait_for(std::chrono::seconds(10)) == std::future_status::ready)
        return true;
    unstick();
    done.wait();
    return false;
}

TEST_F(RegStoreTest, AStoreThatIsNotAPlainFileIsUnreadableAndNeverWaitedOn)
{
    // A FIFO would block the open until some writer came along.
    fs::create_directories(file_.parent_path());
    ASSERT_EQ(::mkfifo(file_.c_str(), 0600), 0);
    RegStore store(file_);
    RegTree loaded;
    bool updated = true;
    const bool inTime = FinishesInTime(
        [&] {
            loaded = store.Load();
            updated = store.Update([](RegTree& tree) { tree.SetDword(kPref, "Unit", 1); });
        },
        [&] {
            // Writers release the blocked open; each gets an empty text.
            for (int i = 0; i < 2; ++i) {
                const int fd = ::open(file_.c_str(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0)
                    ::close(fd);
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        });
    EXPECT_TRUE(inTime);
    EXPECT_FALSE(loaded.KeyExists("\\Software"));
    EXPECT_FALSE(updated);
    struct stat st {};
    ASSERT_EQ(::lstat(file_.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(RegStoreTest, ALockHeldElsewhereIsWaitedOnOnlyBriefly)
{
    fs::create_directories(file_.parent_path());
    WriteText(file_, "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\KORVAL\\Pelorin\\Pref]\r\n\"Unit\"=dword:00000002\r\n");
    const std::string before = ReadText(file_);
    // flock locks belong to the open file, so a second open of the lock file
    // in this process stands for another process holding it.
    const int holder = ::open((file_.native() + ".lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);

    RegStore store(file_);
    RegTree loaded;
    bool updated = true;
    const bool inTime = FinishesInTime(
        [&] {
            loaded = store.Load();
            updated = store.Update([](RegTree& tree) { tree.SetDword(kPref, "Unit", 1); });
        },
        [&] { ::flock(holder, LOCK_UN); });
    ::close(holder);
    EXPECT_TRUE(inTime);
    // Past the wait, loading is a failed read and saving a failed write.
    EXPECT_EQ(loaded.ReadInteger(kPref, "Unit"), std::nullopt);
    EXPECT_FALSE(updated);
    EXPECT_EQ(ReadText(file_), before);
    // Once the holder lets go, both work again, although the store no longer
    // waits for the lock after the first wait ran out.
    EXPECT_EQ(store.Load().ReadInteger(kPref, "Unit"), 2);
    EXPECT_TRUE(store.Update([](RegTree& tree) { tree.SetDword(kPref, "Unit", 1); }));
}

TEST_F(RegStoreTest, ALinkAtTheLockFileIsNotFollowed)
{
    fs::create_directories(file_.parent_path());
    const fs::path elsewhere = root_ / "elsewhere";
    fs::create_symlink(elsewhere, file_.native() + ".lock");
    RegStore store(file_);
    EXPECT_FALSE(store.Update([](RegTree& tree) { tree.SetDword(kPref, "Unit", 1); }));
    EXPECT_FALSE(fs::exists(elsewhere));
    EXPECT_FALSE(fs::exists(file_));
}

TEST_F(RegStoreTest, AStoreWithoutWriteBitsIsReadAndLeftAsItIs)
{
    // The rule is the permission bits, not what this user may do, so that
    // root leaves such a file alone as well.
    fs::create_directories(file_.parent_path());
    const std::string text = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\KORVAL\\Pelorin\\Pref]\n\"Unit\"=dword:00000002\n";
    for (const mode_t mode : {0444u, 0400u, 0000u}) {
        SCOPED_TRACE(mode);
        fs::remove(file_);
        WriteText(file_, text);
        ASSERT_EQ(::chmod(file_.c_str(), mode), 0);
        RegStore store(file_);
        if (mode != 0 || ::geteuid() == 0) {
            EXPECT_EQ(store.Load().ReadInteger(kPref, "Unit"), 2);
        }
        EXPECT_FALSE(store.Update([](RegTree& tree) { tree.SetDword(kPref, "Unit", 1); }));
        EXPECT_EQ(ReadText(file_), text);
        struct stat st {};
        ASSERT_EQ(::stat(file_.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode);
    }
}

TEST(RegStoreDefaultPathTest, FollowsTheConfigFolder)
{
    const struct {
        const char* xdg;
        const char* home;
        fs::path expected;
    } cases[] = {
        {"/cfg", "/home/u", "/cfg/KORVAL/Pelorin.reg"},
        {"/cfg/", "/home/u", "/cfg/KORVAL/Pelorin.reg"},
        {nullptr, "/home/u", "/home/u/.config/KORVAL/Pelorin.reg"},
        {"", "/home/u", "/home/u/.config/KORVAL/Pelorin.reg"},
        {"relative/cfg", "/home/u", "/home/u/.config/KORVAL/Pelorin.reg"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.xdg ? c.xdg : "(unset)");
        const ScopedEnv xdg("XDG_CONFIG_HOME", c.xdg);
        const ScopedEnv home("HOME", c.home);
        EXPECT_EQ(RegStore::DefaultPath().lexically_normal(), c.expected);
    }
}

TEST(RegStoreDefaultPathTest, WithoutAnAbsoluteHomeUsesThePasswordEntry)
{
    // A relative HOME would put the store wherever the program was started.
    for (const char* value : {static_cast<const char*>(nullptr), "", "relative/home"}) {
        SCOPED_TRACE(value ? value : "(unset)");
        const ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
        const ScopedEnv home("HOME", value);
        const fs::path path = RegStore::DefaultPath();
        EXPECT_TRUE(path.is_absolute()) << path;
        EXPECT_EQ(path.filename(), "Pelorin.reg");
        EXPECT_EQ(path.parent_path().parent_path().filename(), ".config");
    }
}

}  // namespace

// SPDX-License-Identifier: MIT
#include "platform/PosixFolderSource.h"
#include "platform/MountTable.h"

#include "ScratchDir.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::vector<std::string> Sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> Names(const std::vector<FolderSource::SubFolder>& folders)
{
    std::vector<std::string> names;
    for (const auto& folder : folders)
        names.push_back(folder.name + (folder.expandable ? "+" : ""));
    return Sorted(names);
}

class PosixFolderSourceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.MakeFolder("top/.hidden/inner");
        dir.MakeFolder("top/empty");
        dir.MakeFolder("top/表示/子");
        dir.MakeFolder("top/plain");
        dir.Write("top/plain/file.txt", "x");
        dir.Write("top/file.txt", "x");
        dir.Write("top/.dotfile", "x");
        dir.Link("top/loop", "."); // a link back to its own folder
        dir.Link("top/dangling", "nowhere");
        dir.Link("top/filelink.txt", "file.txt");
        dir.MakeFolder("onlylink");
        dir.Link("onlylink/up", "..");
    }
    ScratchDir dir;
    PosixFolderSource source;
};

TEST_F(PosixFolderSourceTest, ListsFoldersOnlyWithTheirLookAhead)
{
    const auto folders = source.ListSubFolders(dir / "top/");
    ASSERT_TRUE(folders.has_value());
    // A hidden folder is listed; files, a dangling link and a link to a
    // file are not; the link loop is a folder that holds folders.
    EXPECT_EQ(Names(*folders), (std::vector<std::string>{".hidden+", "empty", "loop+", "plain", "表示+"}));
}

TEST_F(PosixFolderSourceTest, LookAheadFindsAFolderBehindALink)
{
    EXPECT_TRUE(source.MayHaveSubFolders(dir / "onlylink"));
    EXPECT_TRUE(source.MayHaveSubFolders(dir / "top/"));
    EXPECT_FALSE(source.MayHaveSubFolders(dir / "top/empty/"));
    EXPECT_FALSE(source.MayHaveSubFolders(dir / "top/missing/"));
}

TEST_F(PosixFolderSourceTest, MissingOrNonFolderCannotBeListed)
{
    EXPECT_FALSE(source.ListSubFolders(dir / "missing/").has_value());
    EXPECT_FALSE(source.ListSubFolders(dir / "top/file.txt").has_value());
    EXPECT_TRUE(source.ListSubFolders(dir / "top/empty").value().empty());
}

TEST_F(PosixFolderSourceTest, UnreadableFolderCannotBeListed)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads a folder with mode 000; the tree tests cover the refusal with a double";
    const std::string folder = dir.MakeFolder("locked/sub");
    chmod((dir / "locked").c_str(), 0);
    EXPECT_FALSE(source.ListSubFolders(dir / "locked/").has_value());
    EXPECT_FALSE(source.MayHaveSubFolders(dir / "locked/"));
    chmod((dir / "locked").c_str(), 0700);
}

TEST_F(PosixFolderSourceTest, ListsMatchingFilesHiddenIncluded)
{
    struct Case {
        const char* pattern;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"*.txt", {"file.txt", "filelink.txt"}},
        {"*", {".dotfile", "file.txt", "filelink.txt"}},
        {"*.*", {".dotfile", "file.txt", "filelink.txt"}},
        {"file.???", {"file.txt"}},
        {" *.txt", {}},
        {"*.TXT", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        EXPECT_EQ(Sorted(source.ListFiles(dir / "top/", c.pattern)), c.names);
    }
    EXPECT_TRUE(source.ListFiles(dir / "missing/", "*").empty());
}

TEST_F(PosixFolderSourceTest, ExistenceProbeWantsAReadableRegularFile)
{
    mkfifo((dir / "top/fifo").c_str(), 0600);
    struct Case {
        std::string path;
        bool exists;
    };
    const Case cases[] = {
        {dir / "top/file.txt", true},
        {dir / "top/filelink.txt", true},
        {dir / "top/plain", false},
        {dir / "top/plain/", false},
        {dir / "top/dangling", false},
        {dir / "top/fifo", false}, // and it must not wait for a writer
        {dir / "top/nothing.txt", false},
        {"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(source.FileExists(c.path), c.exists);
    }
}

TEST_F(PosixFolderSourceTest, UnreadableFileDoesNotExist)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root opens a file with mode 000";
    const std::string file = dir.Write("secret.txt", "x");
    chmod(file.c_str(), 0);
    EXPECT_FALSE(source.FileExists(file));
}

} // namespace

namespace {

// Mounts that may hang are never touched: a folder that is such a mount gets
// its button unprobed, and a link into one is taken for a folder unstat'ed.
// The "network mount" here does not even exist, so any touch would show.
TEST(PosixFolderSourceMountTest, NetworkMountsAreNotTouched)
{
    ScratchDir dir;
    dir.MakeFolder("top/share"); // empty, but a mount point
    dir.MakeFolder("top/plain");
    dir.Link("top/tonet", dir / "net/server/folder");
    const std::string mountinfo = "40 22 0:40 / " + (dir / "net/server") + " rw - nfs4 server:/export rw\n"
                                  + "41 22 0:41 / " + (dir / "top/share") + " rw - cifs //nas/share rw\n";
    const PosixFolderSource source([&mountinfo] { return MountTable::Parse(mountinfo, nullptr); });

    const auto top = source.ListSubFolders(dir / "top/");
    ASSERT_TRUE(top.has_value());
    EXPECT_EQ(Names(*top), (std::vector<std::string>{"plain", "share+", "tonet+"}));
    EXPECT_TRUE(source.MayHaveSubFolders(dir / "top/share"));
    EXPECT_TRUE(source.MayHaveSubFolders(dir / "net/server"));

    // The real table does not know these mounts: the same folders are
    // probed, and the link leads nowhere.
    const PosixFolderSource real;
    EXPECT_EQ(Names(real.ListSubFolders(dir / "top/").value()), (std::vector<std::string>{"plain", "share"}));
    EXPECT_FALSE(real.MayHaveSubFolders(dir / "top/share"));
}

} // namespace

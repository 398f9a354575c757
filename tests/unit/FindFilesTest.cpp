// SPDX-License-Identifier: MIT
#include "shared/FindFiles.h"

#include "ScratchDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// "@" in a pattern or an expected entry stands for the scratch folder.
std::string Expand(std::string text, const std::string& root)
{
    for (size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at + root.size()))
        text.replace(at, 1, root);
    return text;
}

class FindFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* file : {"t/a.txt", "t/b.log", "t/c.TXT", "t/.dot.txt", "t/x.txt/inner.txt",
                                 "t/sub/d.txt", "t/sub/deep/e.txt", "t/.hidden/f.txt", "t/sub/.hid2/g.txt"})
            dir_.Write(file, "x");
    }

    std::vector<std::string> Sorted(std::vector<std::string> entries) const
    {
        std::sort(entries.begin(), entries.end());
        return entries;
    }

    ScratchDir dir_;
};

struct PatternCase {
    std::string patterns;
    bool subFolders;
    std::vector<std::string> expected;
};

TEST_F(FindFilesTest, PatternListsAddMatchingFilesWithTheirFolderPart)
{
    const std::vector<PatternCase> cases = {
        {"", false, {}},
        {",,,", true, {}},
        {"@/t/*.txt", false, {"@/t/.dot.txt", "@/t/a.txt"}},
        // Doubled and trailing commas yield no empty pattern.
        {"@/t/*.txt,,@/t/*.log,", false, {"@/t/.dot.txt", "@/t/a.txt", "@/t/b.log"}},
        {",@/t/*.log", false, {"@/t/b.log"}},
        // The blank belongs to the second pattern, whose folder does not exist.
        {"@/t/*.txt, @/t/*.log", false, {"@/t/.dot.txt", "@/t/a.txt"}},
        // A plain list keeps a file matched twice twice.
        {"@/t/a.txt,@/t/a.txt", false, {"@/t/a.txt", "@/t/a.txt"}},
        {"@/t/?.txt", false, {"@/t/a.txt"}},
        {"@/t/*", false, {"@/t/.dot.txt", "@/t/a.txt", "@/t/b.log", "@/t/c.TXT"}},
        // Folders are never added, whatever their name.
        {"@/t/sub", false, {}},
        {"@/t/x.txt", true, {}},
        {"@/t/", true, {}},
        {"@/t/nothere/*.txt", true, {}},
        {"@/t/*.txt", true,
         {"@/t/.dot.txt", "@/t/a.txt", "@/t/sub/d.txt", "@/t/sub/deep/e.txt", "@/t/x.txt/inner.txt"}},
        {"@/t/sub/*.txt", true, {"@/t/sub/d.txt", "@/t/sub/deep/e.txt"}},
        // Dot folders are only skipped on the way down, not when named.
        {"@/t/.hidden/*.txt", false, {"@/t/.hidden/f.txt"}},
        {"@/t//sub/d.txt", false, {"@/t//sub/d.txt"}},
    };
    for (const PatternCase& c : cases) {
        const std::string patterns = Expand(c.patterns, dir_.Path());
        std::vector<std::string> expected;
        for (const std::string& entry : c.expected)
            expected.push_back(Expand(entry, dir_.Path()));

        PlainStringList list;
        list.Add("before");
        const int added = FindFiles(patterns, list, c.subFolders);

        std::vector<std::string> entries(list.Items().begin() + 1, list.Items().end());
        EXPECT_EQ(Sorted(entries), Sorted(expected)) << c.patterns << (c.subFolders ? " (sub-folders)" : "");
        EXPECT_EQ(added, static_cast<int>(expected.size())) << c.patterns;
        EXPECT_EQ(list[0], "before") << c.patterns;
    }
}

TEST_F(FindFilesTest, CountsOnlyWhatASortedListAccepts)
{
    SortedStringList list;
    list.Add(dir_ / "t/a.txt");
    const int added = FindFiles(Expand("@/t/*.txt,@/t/*.txt,@/t/a.txt", dir_.Path()), list, false);
    EXPECT_EQ(added, 1);
    EXPECT_EQ(list.Items(), (std::vector<std::string>{dir_ / "t/.dot.txt", dir_ / "t/a.txt"}));
}

TEST_F(FindFilesTest, BarePatternSearchesTheCurrentFolderAndAddsBareNames)
{
    const std::string previous = std::filesystem::current_path().string();
    std::filesystem::current_path(dir_ / "t");
    PlainStringList list;
    const int added = FindFiles("*.log,sub/d*", list, true);
    std::filesystem::current_path(previous);

    EXPECT_EQ(added, 2);
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"b.log", "sub/d.txt"}));
}

TEST_F(FindFilesTest, FilesOfAFolderComeBeforeItsSubFoldersDepthFirst)
{
    for (const char* file : {"o/1.txt", "o/2.txt", "o/p/3.txt", "o/p/q/4.txt", "o/p/5.txt", "o/r/6.txt",
                             "o/r/s/7.txt"})
        dir_.Write(file, "x");
    PlainStringList list;
    ASSERT_EQ(FindFiles(dir_ / "o/*.txt", list, true), 7);

    // Directory order is the file system's own; what holds in any order is
    // that a folder's files come first and each sub-folder's tree is one run.
    const std::vector<std::string>& items = list.Items();
    const auto under = [&](const std::string& folder) {
        std::vector<size_t> at;
        for (size_t i = 0; i < items.size(); ++i) {
            if (items[i].starts_with(dir_ / folder))
                at.push_back(i);
        }
        return at;
    };
    EXPECT_EQ(Sorted({items[0], items[1]}), Sorted({dir_ / "o/1.txt", dir_ / "o/2.txt"}));
    for (const char* folder : {"o/p/", "o/r/", "o/p/q/", "o/r/s/"}) {
        const std::vector<size_t> at = under(folder);
        ASSERT_FALSE(at.empty()) << folder;
        EXPECT_EQ(at.back() - at.front() + 1, at.size()) << folder << " is not one run";
    }
    // Within o/p, its own files (3, 5) come before those of o/p/q.
    const std::vector<size_t> p = under("o/p/");
    EXPECT_EQ(items[p.back()], dir_ / "o/p/q/4.txt");
}

TEST_F(FindFilesTest, LinksAreFollowedButNeverIntoAFolderAlreadyVisited)
{
    dir_.Write("other/g.txt", "x");
    dir_.Link("t/loop", ".");
    dir_.Link("t/sub/up", "..");
    dir_.Link("t/sub/deep/top", dir_ / "t");
    dir_.Link("t/sublink", "sub");
    dir_.Link("t/ext", "../other");
    dir_.Link("t/link.txt", "a.txt");
    dir_.Link("t/dead.txt", "nowhere.txt");
    dir_.Link("t/loose", "nowhere");

    PlainStringList list;
    const int added = FindFiles(dir_ / "t/*.txt", list, true);

    // Every file once; d.txt and e.txt under whichever name for sub came first.
    std::vector<std::string> names;
    for (const std::string& entry : list.Items()) {
        std::string name = entry.substr(dir_.Path().size() + 1);
        if (name.starts_with("t/sublink/"))
            name.replace(0, 10, "t/sub/");
        names.push_back(name);
    }
    EXPECT_EQ(added, 7);
    EXPECT_EQ(Sorted(names), Sorted({"t/.dot.txt", "t/a.txt", "t/link.txt", "t/x.txt/inner.txt", "t/sub/d.txt",
                                     "t/sub/deep/e.txt", "t/ext/g.txt"}));
}

} // namespace

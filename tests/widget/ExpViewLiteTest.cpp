// SPDX-License-Identifier: MIT
#include "components/TExpViewLite.h"
#include "platform/PosixFolderSource.h"

#include "../unit/ScratchDir.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace {

// The real file system, counting what the tree asks of it and refusing to
// list the folders named in `refused` (root reads a mode-000 folder, so the
// refusal cannot come from the permission bits alone).
class CountingFolderSource : public PosixFolderSource {
public:
    std::optional<std::vector<SubFolder>> ListSubFolders(const std::string& folder) const override
    {
        ++listed[folder];
        if (refused.count(folder) != 0)
            return std::nullopt;
        return PosixFolderSource::ListSubFolders(folder);
    }
    mutable std::map<std::string, int> listed;
    std::set<std::string> refused;
};

QStringList ChildTexts(const QTreeWidgetItem* node)
{
    QStringList texts;
    for (int i = 0; i < node->childCount(); ++i)
        texts << node->child(i)->text(0);
    return texts;
}

QTreeWidgetItem* Child(const QTreeWidgetItem* node, const QString& text)
{
    for (int i = 0; i < node->childCount(); ++i)
        if (node->child(i)->text(0) == text)
            return node->child(i);
    return nullptr;
}

bool HasButton(const QTreeWidgetItem* node)
{
    return node->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator;
}

class ExpViewLiteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.MakeFolder("top/.hidden/inner");
        dir.MakeFolder("top/Zeta");
        dir.MakeFolder("top/alpha/beta");
        dir.MakeFolder("top/empty");
        dir.MakeFolder("top/表示/子");
        dir.MakeFolder("top/locked/inside");
        dir.MakeFolder("top/Case");
        dir.MakeFolder("top/case");
        dir.Write("top/file.txt", "x");
        dir.Link("top/loop", ".");
        source.refused.insert(dir / "top/locked/");
        tree.SetFolderSource(&source);
        tree.Loaded();
        tree.resize(300, 400);
    }
    QString Q(const std::string& path) const { return QString::fromStdString(path); }
    QTreeWidgetItem* Top()
    {
        tree.SetPathName(Q(dir / "top"));
        return tree.currentItem();
    }

    ScratchDir dir;
    CountingFolderSource source;
    TExpViewLite tree;
};

TEST_F(ExpViewLiteTest, StartsWithTheRootAndNothingSelected)
{
    ASSERT_EQ(tree.topLevelItemCount(), 1);
    EXPECT_EQ(tree.topLevelItem(0)->text(0), "/");
    EXPECT_TRUE(HasButton(tree.topLevelItem(0)));
    EXPECT_EQ(tree.topLevelItem(0)->childCount(), 0);
    EXPECT_TRUE(source.listed.empty());
    EXPECT_EQ(tree.PathName(), "");
    EXPECT_EQ(tree.FolderName(), "");
}

TEST_F(ExpViewLiteTest, FetchesChildrenOnFirstExpansionOnly)
{
    QTreeWidgetItem* top = Top();
    ASSERT_NE(top, nullptr);
    // Walking there listed each folder on the way once, and top not yet.
    EXPECT_EQ(source.listed.count(dir / "top/"), 0u);
    EXPECT_EQ(top->childCount(), 0);

    tree.setFocus();
    QTest::keyClick(&tree, Qt::Key_Right);
    EXPECT_TRUE(top->isExpanded());
    EXPECT_EQ(source.listed[dir / "top/"], 1);
    // Byte order: the dot, capitals, small letters, then UTF-8. Files are
    // never shown; hidden folders are.
    EXPECT_EQ(ChildTexts(top), (QStringList{".hidden", "Case", "Zeta", "alpha", "case", "empty", "locked", "loop",
                                            QStringLiteral("表示")}));
    // Children are fetched once.
    tree.collapseItem(top);
    tree.expandItem(top);
    EXPECT_EQ(source.listed[dir / "top/"], 1);
}

TEST_F(ExpViewLiteTest, LookAheadGivesButtonsToFoldersWithSubFolders)
{
    QTreeWidgetItem* top = Top();
    tree.expandItem(top);
    const std::map<QString, bool> buttons = {
        {".hidden", true}, {"Zeta", false}, {"alpha", true},  {"empty", false},
        {"locked", true},  {"loop", true},  {"表示", true},
    };
    for (const auto& [name, button] : buttons) {
        SCOPED_TRACE(name.toStdString());
        QTreeWidgetItem* child = Child(top, name);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(HasButton(child), button);
        EXPECT_EQ(child->childCount(), 0); // probed, not listed
    }
    // Only the expanded folder was listed: the look-ahead of its children
    // went through that one listing.
    EXPECT_EQ(source.listed.count(dir / "top/alpha/"), 0u);
}

TEST_F(ExpViewLiteTest, FolderThatCannotBeListedKeepsItsButtonAndShowsNothing)
{
    QTreeWidgetItem* top = Top();
    tree.expandItem(top);
    QTreeWidgetItem* locked = Child(top, "locked");
    ASSERT_NE(locked, nullptr);
    tree.expandItem(locked);
    EXPECT_FALSE(locked->isExpanded());
    EXPECT_TRUE(HasButton(locked));
    EXPECT_EQ(locked->childCount(), 0);
    // The user may try again.
    tree.expandItem(locked);
    EXPECT_EQ(source.listed[dir / "top/locked/"], 2);
}

TEST_F(ExpViewLiteTest, ExpandingAFolderWithoutSubFoldersRemovesItsButton)
{
    QTreeWidgetItem* top = Top();
    tree.expandItem(top);
    QTreeWidgetItem* empty = Child(top, "empty");
    // A folder whose look-ahead was skipped (a removable mount) shows a
    // button until it is opened.
    empty->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    tree.expandItem(empty);
    EXPECT_FALSE(HasButton(empty));
}

TEST_F(ExpViewLiteTest, LinkLoopOpensOneLevelAtATime)
{
    QTreeWidgetItem* top = Top();
    tree.expandItem(top);
    QTreeWidgetItem* loop = Child(top, "loop");
    tree.expandItem(loop);
    EXPECT_EQ(ChildTexts(loop), ChildTexts(top));
    EXPECT_EQ(Child(loop, "loop")->childCount(), 0);
    tree.SetPathName(Q(dir / "top/loop/loop/alpha"));
    EXPECT_EQ(tree.PathName(), Q(dir / "top/loop/loop/alpha/"));
}

TEST_F(ExpViewLiteTest, SetPathNameSelectsAsTheNodesSpellIt)
{
    struct Case {
        std::string set;
        std::string path; // "" = the selection stays on top
    };
    const Case cases[] = {
        {dir / "top/alpha", dir / "top/alpha/"},
        {dir / "top/alpha/", dir / "top/alpha/"},
        {dir / "top/ALPHA/BETA", dir / "top/alpha/beta/"},
        {dir / "top/表示/子", dir / "top/表示/子/"},
        {dir / "top/.hidden/inner/", dir / "top/.hidden/inner/"},
        // Folders that differ in case only: the exact name wins.
        {dir / "top/case", dir / "top/case/"},
        {dir / "top/Case", dir / "top/Case/"},
        {dir / "top/CASE", dir / "top/Case/"},
        {dir / "top/alpha/missing", ""},
        {dir / "top/file.txt", ""},
        {dir / "top//alpha", ""},
        {dir / "top/alpha//", ""},
        {"top/alpha", ""},
        {"", ""},
        {"/", "/"},
        {"//", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.set);
        Top();
        tree.SetPathName(Q(c.set));
        EXPECT_EQ(tree.PathName(), Q(c.path.empty() ? dir / "top/" : c.path));
    }
}

TEST_F(ExpViewLiteTest, FolderNameDropsTheFinalSlashButTheRootKeepsIt)
{
    tree.SetFolderName(Q(dir / "top/alpha"));
    EXPECT_EQ(tree.FolderName(), Q(dir / "top/alpha"));
    tree.SetFolderName("/");
    EXPECT_EQ(tree.PathName(), "/");
    EXPECT_EQ(tree.FolderName(), "/");
}

TEST_F(ExpViewLiteTest, MissingSegmentKeepsWhatWasExpanded)
{
    QTreeWidgetItem* top = Top();
    tree.SetPathName(Q(dir / "top/alpha/beta/nothing/more"));
    EXPECT_EQ(tree.currentItem(), top);
    QTreeWidgetItem* alpha = Child(top, "alpha");
    ASSERT_NE(alpha, nullptr);
    EXPECT_TRUE(top->isExpanded());
    EXPECT_TRUE(alpha->isExpanded());
    EXPECT_TRUE(Child(alpha, "beta")->isExpanded());
}

TEST_F(ExpViewLiteTest, OnChangeOncePerNewSelection)
{
    QSignalSpy changes(&tree, &TExpViewLite::OnChange);
    tree.SetPathName(Q(dir / "top/alpha"));
    EXPECT_EQ(changes.count(), 1);
    tree.SetPathName(Q(dir / "top/ALPHA/"));
    EXPECT_EQ(changes.count(), 1);
    tree.SetPathName(Q(dir / "top/missing"));
    EXPECT_EQ(changes.count(), 1);
    tree.SetPathName(Q(dir / "top/alpha/beta"));
    EXPECT_EQ(changes.count(), 2);
    tree.setFocus();
    QTest::keyClick(&tree, Qt::Key_Up);
    EXPECT_EQ(tree.PathName(), Q(dir / "top/alpha/"));
    EXPECT_EQ(changes.count(), 3);
}

TEST_F(ExpViewLiteTest, LockedTreeRefusesTheUserButNotSetPathName)
{
    TExpViewLite locked;
    locked.SetFolderSource(&source);
    QTreeWidgetItem* root = locked.topLevelItem(0);
    locked.expandItem(root);
    EXPECT_FALSE(root->isExpanded());
    EXPECT_EQ(root->childCount(), 0);

    locked.SetPathName(Q(dir / "top/alpha"));
    EXPECT_EQ(locked.PathName(), Q(dir / "top/alpha/"));
    EXPECT_TRUE(locked.ExpandLock);
}

TEST_F(ExpViewLiteTest, UpdateRebuildsAndClearsTheSelection)
{
    Top();
    dir.MakeFolder("top/new");
    tree.Update();
    EXPECT_EQ(tree.PathName(), "");
    tree.SetPathName(Q(dir / "top/new"));
    EXPECT_EQ(tree.PathName(), Q(dir / "top/new/"));
}

} // namespace

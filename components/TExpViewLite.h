// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QTreeWidget>
#include <string>

class FolderSource;

// A lazy tree of the file system's folders: one root, "/", whose folders are
// listed the first time a node is expanded, each probed one level ahead for
// its expand button. Files are never shown. The selected folder reads and
// writes as a path.
class TExpViewLite : public QTreeWidget {
    Q_OBJECT
public:
    // Uses the real file system; the tree is built at once, locked until
    // Loaded.
    explicit TExpViewLite(QWidget* parent = nullptr);

    // Ends loading from a form description: from here on the user may expand
    // nodes. A tree made in code and never loaded only opens through
    // SetPathName.
    void Loaded();
    bool IsLoaded() const { return loaded_; }

    // Replaces the file system (not owned; it must outlive the tree) and
    // rebuilds the tree.
    void SetFolderSource(const FolderSource* source);
    const FolderSource& Source() const { return *source_; }

    // Rebuilds the tree: removes every node and makes the root again, which
    // collapses everything and clears the selection.
    void Update();

    // Called before a node opens: makes its children on the first expansion.
    // Refused while ExpandLock is set or when the folder cannot be listed
    // (the node then keeps its expand button).
    bool CanExpand(QTreeWidgetItem* node);

    // Path of the selected node with a final "/", "" with none selected.
    QString PathName() const;
    // Selects the folder named by an absolute path, expanding the nodes on
    // the way; a segment that matches no folder leaves the selection where it
    // was (what was expanded stays expanded). Names match exactly, else with
    // ASCII letters folded.
    void SetPathName(const QString& path);
    // PathName without its final "/", except that the root stays "/".
    QString FolderName() const;
    void SetFolderName(const QString& path) { SetPathName(path); }

    // The node's path as bytes, with a final "/" ("" for no node).
    std::string GetPath(const QTreeWidgetItem* node) const;

    bool ExpandLock = true;

signals:
    // The selection moved to another node.
    void OnChange();

private:
    void ExpPlusIcon(QTreeWidgetItem* node);
    bool MakeSubNode(QTreeWidgetItem* node);
    QTreeWidgetItem* SerchChildNode(QTreeWidgetItem* node, const std::string& name);
    void ItemExpanded(QTreeWidgetItem* node);
    static bool HasChildrenFlag(const QTreeWidgetItem* node);
    static void SetChildrenFlag(QTreeWidgetItem* node, bool on);

    const FolderSource* source_;
    bool loaded_ = false;
};

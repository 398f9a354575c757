// SPDX-License-Identifier: MIT
#include "components/TExpViewLite.h"

#include "platform/PosixFolderSource.h"

#include <QFile>
#include <algorithm>

namespace {

// The folder's name as the file system holds it; the text shown may differ
// for a name that is not UTF-8.
constexpr int NameRole = Qt::UserRole;

const FolderSource& RealFileSystem()
{
    static const PosixFolderSource source;
    return source;
}

std::string NameOf(const QTreeWidgetItem* node)
{
    return node->data(0, NameRole).toByteArray().toStdString();
}

bool EqualFoldingAscii(const std::string& a, const std::string& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

} // namespace

TExpViewLite::TExpViewLite(QWidget* parent) : QTreeWidget(parent), source_(&RealFileSystem())
{
    setColumnCount(1);
    setHeaderHidden(true);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(this, &QTreeWidget::itemExpanded, this, &TExpViewLite::ItemExpanded);
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem* previous) {
                if (current != nullptr && current != previous)
                    emit OnChange();
            });
    Update();
}

void TExpViewLite::Loaded()
{
    loaded_ = true;
    ExpandLock = false;
}

void TExpViewLite::SetFolderSource(const FolderSource* source)
{
    source_ = source != nullptr ? source : &RealFileSystem();
    Update();
}

void TExpViewLite::Update()
{
    setCursor(Qt::WaitCursor);
    clear();
    auto* root = new QTreeWidgetItem(this, QStringList(QStringLiteral("/")));
    root->setData(0, NameRole, QByteArray());
    SetChildrenFlag(root, false);
    ExpPlusIcon(root);
    unsetCursor();
}

bool TExpViewLite::HasChildrenFlag(const QTreeWidgetItem* node)
{
    return node->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator;
}

void TExpViewLite::SetChildrenFlag(QTreeWidgetItem* node, bool on)
{
    node->setChildIndicatorPolicy(on ? QTreeWidgetItem::ShowIndicator : QTreeWidgetItem::DontShowIndicator);
}

void TExpViewLite::ExpPlusIcon(QTreeWidgetItem* node)
{
    if (source_->MayHaveSubFolders(GetPath(node)))
        SetChildrenFlag(node, true);
}

bool TExpViewLite::MakeSubNode(QTreeWidgetItem* node)
{
    auto folders = source_->ListSubFolders(GetPath(node));
    if (!folders)
        return false;
    // Byte order, as the names are stored: the same order whatever the
    // locale, and the order the file list beside the tree uses.
    std::sort(folders->begin(), folders->end(),
              [](const FolderSource::SubFolder& a, const FolderSource::SubFolder& b) { return a.name < b.name; });
    QList<QTreeWidgetItem*> children;
    children.reserve(static_cast<qsizetype>(folders->size()));
    for (const FolderSource::SubFolder& folder : *folders) {
        const QByteArray name = QByteArray::fromStdString(folder.name);
        auto* child = new QTreeWidgetItem(QStringList(QFile::decodeName(name)));
        child->setData(0, NameRole, name);
        SetChildrenFlag(child, folder.expandable);
        children.append(child);
    }
    node->addChildren(children);
    return true;
}

bool TExpViewLite::CanExpand(QTreeWidgetItem* node)
{
    if (ExpandLock)
        return false;
    if (node->childCount() > 0)
        return true;
    setCursor(Qt::WaitCursor);
    if (!MakeSubNode(node)) {
        unsetCursor();
        return false;
    }
    if (node->childCount() == 0)
        SetChildrenFlag(node, false);
    unsetCursor();
    return true;
}

void TExpViewLite::ItemExpanded(QTreeWidgetItem* node)
{
    // The view has opened the node already; a refused expansion closes it
    // again before anything is drawn.
    if (!CanExpand(node))
        node->setExpanded(false);
}

std::string TExpViewLite::GetPath(const QTreeWidgetItem* node) const
{
    std::string path;
    for (; node != nullptr; node = node->parent())
        path = NameOf(node) + "/" + path;
    return path;
}

QString TExpViewLite::PathName() const
{
    return QFile::decodeName(QByteArray::fromStdString(GetPath(currentItem())));
}

QString TExpViewLite::FolderName() const
{
    const QString path = PathName();
    // The root has no name of its own: without its "/" it would read as no
    // selection at all.
    return path.size() > 1 ? path.chopped(1) : path;
}

QTreeWidgetItem* TExpViewLite::SerchChildNode(QTreeWidgetItem* node, const std::string& name)
{
    CanExpand(node);
    if (!HasChildrenFlag(node))
        return nullptr;
    // Two folders may differ in letter case only: the exact one wins.
    QTreeWidgetItem* folded = nullptr;
    for (int i = 0; i < node->childCount(); ++i) {
        QTreeWidgetItem* child = node->child(i);
        const std::string childName = NameOf(child);
        if (childName == name)
            return child;
        if (folded == nullptr && EqualFoldingAscii(childName, name))
            folded = child;
    }
    return folded;
}

void TExpViewLite::SetPathName(const QString& value)
{
    std::string text = QFile::encodeName(value).toStdString();
    // Only an absolute path names a folder of the tree.
    if (text.empty() || text.front() != '/' || topLevelItemCount() == 0)
        return;
    if (text.back() != '/')
        text += '/';
    QTreeWidgetItem* current = topLevelItem(0);
    text.erase(0, 1);
    while (!text.empty()) {
        // "/" never occurs inside a UTF-8 sequence, so the first one found by
        // byte ends the segment.
        const size_t k = text.find('/');
        const std::string segment = text.substr(0, k);
        const bool lock = ExpandLock;
        ExpandLock = false;
        current->setExpanded(true);
        ExpandLock = lock;
        current = SerchChildNode(current, segment);
        if (current == nullptr)
            return;
        text.erase(0, k + 1);
    }
    setCurrentItem(current);
    scrollToItem(current);
}

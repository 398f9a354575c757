// SPDX-License-Identifier: MIT
#include "components/TFileSel.h"

#include "components/ApplicationForms.h"
#include "components/TExpViewLite.h"
#include "components/TFormFileSel.h"
#include "shared/ProgramPath.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <algorithm>
#include <climits>

namespace {

bool EqualFoldingAscii(const QString& a, const QString& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](QChar x, QChar y) {
        const auto lower = [](QChar c) { return c >= u'A' && c <= u'Z' ? QChar(c.unicode() - u'A' + u'a') : c; };
        return lower(x) == lower(y);
    });
}

QString NamePart(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

TFileSel::TFileSel(QObject* owner) : TKVLCustomDlg(owner)
{
    SetDialogSize(585, 433);
    CentreOnScreen();
    SetCaption(QStringLiteral("ファイルの選択"));
    AddFileType(QStringLiteral("すべてのファイル"), QStringLiteral("*.*"), INT_MAX);
    SetInitialFolder(QString());
}

TFileSel::~TFileSel() = default;

bool TFileSel::AddFileType(const QString& name, const QString& patterns, int index)
{
    const QString entry = name + QStringLiteral(" (") + patterns + QStringLiteral(")");
    if (std::any_of(FileTypes_.begin(), FileTypes_.end(),
                    [&entry](const QString& existing) { return EqualFoldingAscii(existing, entry); }))
        return false;
    FileTypes_.insert(std::clamp<qsizetype>(index, 0, FileTypes_.size()), entry);
    return true;
}

bool TFileSel::DeleteFileType(const QString& text)
{
    for (qsizetype i = 0; i < FileTypes_.size(); ++i) {
        if (FileTypes_[i].contains(text, Qt::CaseSensitive)) {
            FileTypes_.removeAt(i);
            return true;
        }
    }
    return false;
}

void TFileSel::ClearFileType()
{
    FileTypes_.clear();
}

void TFileSel::SetFileTypeIndex(int index)
{
    FileTypeIndex_ = index < FileTypes_.size() ? index : 0;
}

void TFileSel::SetInitialFolder(const QString& value)
{
    if (!value.isEmpty()) {
        InitialFolder_ = value;
        return;
    }
    // The program's folder; a program in "/" keeps the root as "/".
    const QString folder = QFile::decodeName(QByteArray::fromStdString(ProgramFolder()));
    InitialFolder_ = folder.isEmpty() ? QStringLiteral("/") : folder;
}

TFormFileSel* TFileSel::FileForm() const
{
    return static_cast<TFormFileSel*>(Form());
}

void TFileSel::CreateSelf()
{
    auto* form = new TFormFileSel();
    ApplicationForms::Adopt(form);
    form->Wrapper = this;
    SetForm(form);
}

void TFileSel::PropToDialog()
{
    TKVLCustomDlg::PropToDialog();
    TFormFileSel* form = FileForm();
    form->CBoxFileType->clear();
    form->CBoxFileType->addItems(FileTypes_);
    form->EditFileName->setText(NamePart(FileName_));
    form->EViewLite->SetFolderName(InitialFolder_);
    form->FileMustExist = FileMustExist_;
    form->OverwritePrompt = OverwritePrompt_;
    form->WildCardFree = WildCardFree_;
    form->FileTypeIndex = FileTypeIndex_;
    form->NotifyMessage = NotifyMessage_;
    form->NotifyControl = NotifyControl_;
    form->LBoxFiles->setSelectionMode(MultiSelect_ ? QAbstractItemView::ExtendedSelection
                                                   : QAbstractItemView::SingleSelection);
}

void TFileSel::DialogToProp()
{
    TKVLCustomDlg::DialogToProp();
    const TFormFileSel* form = FileForm();
    FileName_ = form->ResultName;
    InitialFolder_ = form->EViewLite->FolderName();
    FileTypeIndex_ = form->CBoxFileType->currentIndex();
    if (!MultiSelect_)
        return;
    // Names are compared exactly: two files may differ in case only.
    const QString folder = form->EViewLite->PathName();
    FileNames_.clear();
    for (int row = 0; row < form->LBoxFiles->count(); ++row) {
        const QListWidgetItem* item = form->LBoxFiles->item(row);
        if (item->isSelected())
            FileNames_.append(folder + item->text());
    }
    const QString typed = folder + form->EditFileName->text();
    if (!FileNames_.contains(typed))
        FileNames_.append(typed);
}

// SPDX-License-Identifier: MIT
#include "components/TFormFileSel.h"

#include "components/TExpViewLite.h"
#include "components/TFileSel.h"
#include "platform/FolderSource.h"
#include "shared/MsgBox.h"

#include "ui_FormFileSel.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <algorithm>
#include <unordered_set>

namespace {

// The name part of a path: what follows its last "/".
QString NamePart(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

TFormFileSel::TFormFileSel(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::FormFileSel>())
{
    ui->setupUi(this);
    Panel1 = ui->Panel1;
    EViewLite = ui->EViewLite;
    Splitter1 = ui->Splitter1;
    LBoxFiles = ui->LBoxFiles;
    Label1 = ui->Label1;
    EditFileName = ui->EditFileName;
    Label2 = ui->Label2;
    EditFileType = ui->EditFileType;
    CBoxFileType = ui->CBoxFileType;
    ButtonOk = ui->ButtonOk;
    ButtonCancel = ui->ButtonCancel;

    EViewLite->Loaded();
    Splitter1->setSizes({217, 324});
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);

    connect(EViewLite, &TExpViewLite::OnChange, this, &TFormFileSel::EViewLiteChange);
    connect(LBoxFiles, &QListWidget::itemSelectionChanged, this, &TFormFileSel::LBoxFilesClick);
    connect(LBoxFiles, &QListWidget::itemClicked, this, &TFormFileSel::LBoxFilesClick);
    connect(LBoxFiles, &QListWidget::itemDoubleClicked, this, &TFormFileSel::ButtonOkClick);
    connect(CBoxFileType, &QComboBox::activated, this, &TFormFileSel::CBoxFileTypeChange);
    connect(ButtonOk, &QPushButton::clicked, this, &TFormFileSel::ButtonOkClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &TFormFileSel::ButtonCancelClick);
    EditFileType->installEventFilter(this);
}

TFormFileSel::~TFormFileSel() = default;

void TFormFileSel::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

bool TFormFileSel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == EditFileType) {
        if (event->type() == QEvent::FocusIn)
            EditFileTypeEnter();
        else if (event->type() == QEvent::FocusOut)
            EditFileTypeExit();
        else if (event->type() == QEvent::KeyPress && EditFileTypeKeyPress(static_cast<QKeyEvent*>(event)->key()))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFormFileSel::FormShow()
{
    EditFileType->setReadOnly(!WildCardFree);
    CBoxFileType->setCurrentIndex(FileTypeIndex);
    CBoxFileTypeChange();
}

void TFormFileSel::CBoxFileTypeChange()
{
    if (CBoxFileType->currentIndex() < 0)
        return;
    // The entry is "name (patterns)": the patterns are what follows the first
    // "(" without the closing ")".
    const QString entry = CBoxFileType->currentText();
    const QString rest = entry.mid(entry.indexOf(QLatin1Char('(')) + 1);
    EditFileType->setText(rest.left(rest.size() - 1));
    RefreshFileList();
}

void TFormFileSel::EditFileTypeEnter()
{
    // Enter in the type edit applies the pattern instead of pressing OK.
    ButtonOk->setDefault(false);
}

void TFormFileSel::EditFileTypeExit()
{
    ButtonOk->setDefault(true);
    if (EditFileType->isModified())
        ApplyTypedPattern();
}

bool TFormFileSel::EditFileTypeKeyPress(int key)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    if (EditFileType->isModified())
        ApplyTypedPattern();
    return true;
}

void TFormFileSel::ApplyTypedPattern()
{
    EditFileType->setModified(false);
    CBoxFileType->setCurrentIndex(-1);
    RefreshFileList();
}

void TFormFileSel::EViewLiteChange()
{
    EViewLite->setToolTip(EViewLite->PathName());
    RefreshFileList();
}

void TFormFileSel::LBoxFilesClick()
{
    const QListWidgetItem* item = LBoxFiles->currentItem();
    if (item != nullptr && item->isSelected())
        EditFileName->setText(item->text());
}

void TFormFileSel::RefreshFileList()
{
    if (!EViewLite->IsLoaded() || EViewLite->PathName().isEmpty())
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    LBoxFiles->setUpdatesEnabled(false);
    if (EditFileType->text().isEmpty())
        EditFileType->setText(QStringLiteral("*.*"));
    std::string patterns = EditFileType->text().toStdString();
    LBoxFiles->clear();

    // Patterns are split at commas and taken as typed: a blank after a comma
    // is part of the next pattern. A file two patterns match is listed once;
    // names are compared exactly, since two files may differ in case only.
    const std::string folder = QFile::encodeName(EViewLite->PathName()).toStdString();
    std::vector<std::string> names;
    std::unordered_set<std::string> seen;
    while (!patterns.empty()) {
        const size_t comma = patterns.find(',');
        const std::string pattern = patterns.substr(0, comma);
        patterns = comma == std::string::npos ? std::string() : patterns.substr(comma + 1);
        for (std::string& name : EViewLite->Source().ListFiles(folder, pattern))
            if (seen.insert(name).second)
                names.push_back(std::move(name));
    }
    // Adding to a sorted list one by one sorts on every insert; a sorted
    // batch is inserted at once.
    std::sort(names.begin(), names.end());
    QStringList items;
    items.reserve(static_cast<qsizetype>(names.size()));
    for (const std::string& name : names)
        items.append(QFile::decodeName(QByteArray::fromStdString(name)));
    LBoxFiles->setSortingEnabled(false);
    LBoxFiles->addItems(items);
    LBoxFiles->setSortingEnabled(true);

    LBoxFiles->setUpdatesEnabled(true);
    QGuiApplication::restoreOverrideCursor();
}

void TFormFileSel::AddDefaultExt()
{
    if (NamePart(ResultName).contains(QLatin1Char('.')))
        return;
    const QString type = EditFileType->text();
    const qsizetype dot = type.indexOf(QLatin1Char('.'));
    if (dot < 0)
        return;
    const qsizetype comma = type.indexOf(QLatin1Char(','));
    const QString ext = comma < 0 ? type.mid(dot) : comma < dot ? QString() : type.mid(dot, comma - dot);
    if (ext.contains(QLatin1Char('*')) || ext.contains(QLatin1Char('?')))
        return;
    ResultName += ext;
}

void TFormFileSel::ButtonOkClick()
{
    if (EditFileName->text().isEmpty()) {
        MsgBox("ファイルを指定して下さい。", "", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    ResultName = EViewLite->PathName() + EditFileName->text();
    AddDefaultExt();
    EditFileName->setText(NamePart(ResultName));
    const bool exists = EViewLite->Source().FileExists(QFile::encodeName(ResultName).toStdString());
    if (FileMustExist && !exists) {
        MsgBox("ファイルが存在しません。", "", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (OverwritePrompt && exists
        && MsgBox("上書きしてよろしいですか？", "", MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;
    if (Wrapper)
        Wrapper->DialogToProp();
    done(QDialog::Accepted);
    // Only the user event range: a built-in event type would reach its
    // handler without the data that type carries.
    if (NotifyControl && NotifyMessage >= QEvent::User && NotifyMessage <= QEvent::MaxUser) {
        QEvent notice(static_cast<QEvent::Type>(NotifyMessage));
        QCoreApplication::sendEvent(NotifyControl, &notice);
    }
}

void TFormFileSel::ButtonCancelClick()
{
    done(QDialog::Rejected);
}

// SPDX-License-Identifier: MIT
#pragma once

#include "components/TKVLCustomDlg.h"

#include <QPointer>
#include <QString>
#include <QStringList>

class TFormFileSel;

// A dialog component for choosing a file to open or to save: a folder tree,
// the folder's files filtered by a file type, a name edit. ShowModal returns
// mrOk with FileName (and FileNames when MultiSelect) set, or mrCancel with
// every property left alone.
class TFileSel : public TKVLCustomDlg {
    Q_OBJECT
public:
    explicit TFileSel(QObject* owner = nullptr);
    ~TFileSel() override;

    // Adds the type "name (patterns)" at index (clamped into the list);
    // refused when the same entry, ignoring ASCII letter case, is there.
    // Patterns are separated by "," without blanks.
    bool AddFileType(const QString& name, const QString& patterns, int index);
    // Removes the first entry that contains text (case counts).
    bool DeleteFileType(const QString& text);
    void ClearFileType();
    const QStringList& FileTypes() const { return FileTypes_; }

    // The entry preselected when the dialog shows; an index past the list
    // becomes 0. After OK: the combo's selection, -1 for a typed pattern.
    int FileTypeIndex() const { return FileTypeIndex_; }
    void SetFileTypeIndex(int index);

    // The chosen file's full path; before showing, its name part is offered.
    QString GetFileName() const { return FileName_; }
    void SetFileName(const QString& value) { FileName_ = value; }
    // The folder the dialog opens on; empty means the program's folder.
    QString GetInitialFolder() const { return InitialFolder_; }
    void SetInitialFolder(const QString& value);

    bool FileMustExist() const { return FileMustExist_; }
    void SetFileMustExist(bool value) { FileMustExist_ = value; }
    bool MultiSelect() const { return MultiSelect_; }
    void SetMultiSelect(bool value) { MultiSelect_ = value; }
    bool OverwritePrompt() const { return OverwritePrompt_; }
    void SetOverwritePrompt(bool value) { OverwritePrompt_ = value; }
    bool WildCardFree() const { return WildCardFree_; }
    void SetWildCardFree(bool value) { WildCardFree_ = value; }

    // An event of type NotifyMessage is sent to NotifyControl after a
    // successful OK; 0, a type outside QEvent::User..QEvent::MaxUser or no
    // control sends nothing.
    unsigned int NotifyMessage() const { return NotifyMessage_; }
    void SetNotifyMessage(unsigned int value) { NotifyMessage_ = value; }
    QObject* NotifyControl() const { return NotifyControl_; }
    void SetNotifyControl(QObject* value) { NotifyControl_ = value; }

    // With MultiSelect, the full paths chosen at the last OK.
    const QStringList& FileNames() const { return FileNames_; }

    // The form, once made.
    TFormFileSel* FileForm() const;

    void PropToDialog() override;
    void DialogToProp() override;

protected:
    void CreateSelf() override;

private:
    QString FileName_;
    QString InitialFolder_;
    bool FileMustExist_ = false;
    bool MultiSelect_ = false;
    bool OverwritePrompt_ = false;
    bool WildCardFree_ = true;
    int FileTypeIndex_ = 0;
    unsigned int NotifyMessage_ = 0;
    QPointer<QObject> NotifyControl_;
    QStringList FileNames_;
    QStringList FileTypes_;
};

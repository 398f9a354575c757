// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <memory>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSplitter;
class TExpViewLite;
class TFileSel;
namespace Ui {
class FormFileSel;
}

// The file selection form: the folder tree on the left, the selected
// folder's files on the right, the name and type edits, the predefined types
// and OK / Cancel. TFileSel fills it before each show and takes the results.
class TFormFileSel : public QDialog {
    Q_OBJECT
public:
    explicit TFormFileSel(QWidget* parent = nullptr);
    ~TFormFileSel() override;

    // Adds the extension of the type edit's first pattern to ResultName when
    // the name has none and the extension holds no wildcard.
    void AddDefaultExt();
    // Lists the selected folder's files that match the type edit's patterns.
    void RefreshFileList();

    void FormShow();
    void CBoxFileTypeChange();
    void EditFileTypeEnter();
    void EditFileTypeExit();
    // Returns whether the key was used (Enter applies a typed pattern).
    bool EditFileTypeKeyPress(int key);
    void EViewLiteChange();
    void LBoxFilesClick();
    void ButtonOkClick();
    void ButtonCancelClick();

    QFrame* Panel1;
    TExpViewLite* EViewLite;
    QSplitter* Splitter1;
    QListWidget* LBoxFiles;
    QLabel* Label1;
    QLineEdit* EditFileName;
    QLabel* Label2;
    QLineEdit* EditFileType;
    QComboBox* CBoxFileType;
    QPushButton* ButtonOk;
    QPushButton* ButtonCancel;

    QString ResultName;
    bool FileMustExist = false;
    bool OverwritePrompt = false;
    bool WildCardFree = true;
    int FileTypeIndex = 0;
    // Sent as an event of this type to NotifyControl after a successful OK;
    // 0, or a type outside QEvent::User..QEvent::MaxUser, sends nothing.
    unsigned int NotifyMessage = 0;
    QPointer<QObject> NotifyControl;
    // The component that made the form; it may be gone before the form.
    QPointer<TFileSel> Wrapper;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The pattern typed into the type edit takes over from the combo.
    void ApplyTypedPattern();

    std::unique_ptr<Ui::FormFileSel> ui;
};

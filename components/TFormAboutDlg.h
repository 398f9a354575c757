// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <memory>

class QLabel;
class QPushButton;
class TImageControl;
namespace Ui {
class FormAboutDlg;
}

// The about box's form: the program's icon, name, version and copyright
// line, and an OK button. It is made once and hidden between showings.
class TFormAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit TFormAboutDlg(QWidget* parent = nullptr);
    ~TFormAboutDlg() override;

    TImageControl* ImgIcon() const;
    QLabel* LabelAppName() const;
    QLabel* LabelAppVer() const;
    QLabel* LabelCright() const;
    QPushButton* ButtonOK() const;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void FormCreate();
    void ButtonOKClick();

    std::unique_ptr<Ui::FormAboutDlg> ui;
};

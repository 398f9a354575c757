// SPDX-License-Identifier: MIT
#include "components/TFormAboutDlg.h"

#include "components/TKVLCustomDlg.h"
#include "platform/qt/FontChoice.h"
#include "platform/qt/TImageControl.h"

#include "ui_FormAboutDlg.h"

#include <QApplication>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>

TFormAboutDlg::TFormAboutDlg(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::FormAboutDlg>())
{
    ui->setupUi(this);
    QFont face = font();
    face.setPixelSize(13);
    setFont(WithInstalledGothic(face));
    connect(ui->ButtonOK, &QPushButton::clicked, this, &TFormAboutDlg::ButtonOKClick);
    FormCreate();
}

TFormAboutDlg::~TFormAboutDlg() = default;

TImageControl* TFormAboutDlg::ImgIcon() const
{
    return ui->ImgIcon;
}

QLabel* TFormAboutDlg::LabelAppName() const
{
    return ui->LabelAppName;
}

QLabel* TFormAboutDlg::LabelAppVer() const
{
    return ui->LabelAppVer;
}

QLabel* TFormAboutDlg::LabelCright() const
{
    return ui->LabelCright;
}

QPushButton* TFormAboutDlg::ButtonOK() const
{
    return ui->ButtonOK;
}

void TFormAboutDlg::FormCreate()
{
    // The program's own icon is the application's window icon. Its
    // transparent parts show the form's colour; without an icon the place
    // stays plain.
    TImageControl& image = *ui->ImgIcon;
    QImage& bitmap = image.Bitmap();
    QPainter painter(&bitmap);
    painter.fillRect(0, 0, image.width() + 1, image.height() + 1, palette().color(QPalette::Window));
    const QIcon icon = QApplication::windowIcon();
    if (!icon.isNull())
        icon.paint(&painter, 0, 0, image.width(), image.height());
    image.update();
}

void TFormAboutDlg::ButtonOKClick()
{
    // Shown without being modal this only hides the form; the form stays.
    done(mrOk);
}

void TFormAboutDlg::mouseReleaseEvent(QMouseEvent* event)
{
    // A right click on the background cancels a modal showing; a box shown
    // without being modal is left open.
    if (event->button() == Qt::RightButton) {
        if (isModal())
            done(mrCancel);
        else
            setResult(mrCancel);
    }
    QDialog::mouseReleaseEvent(event);
}

// SPDX-License-Identifier: MIT
#include "components/TAboutDialog.h"

#include "components/ApplicationForms.h"
#include "components/TFormAboutDlg.h"

#include <QLabel>

namespace {
const QString kCaptionSuffix = QStringLiteral("のバージョン情報");
}

TAboutDialog::TAboutDialog(QObject* owner) : TKVLCustomDlg(owner)
{
    SetDialogSize(kDialogWidth, kDialogHeight);
    CentreOnScreen();
    SetCaption(AppName_ + kCaptionSuffix);
}

void TAboutDialog::SetAppName(const QString& value)
{
    if (GetCaption() == AppName_ + kCaptionSuffix)
        SetCaption(value + kCaptionSuffix);
    AppName_ = value;
}

TFormAboutDlg* TAboutDialog::AboutForm() const
{
    return static_cast<TFormAboutDlg*>(Form());
}

void TAboutDialog::CreateSelf()
{
    auto* form = new TFormAboutDlg;
    ApplicationForms::Adopt(form);
    SetForm(form);
}

void TAboutDialog::PropToDialog()
{
    TKVLCustomDlg::PropToDialog();
    TFormAboutDlg& form = *AboutForm();
    form.LabelAppName()->setText(AppName_);
    form.LabelAppVer()->setText(AppVer_);
    form.LabelCright()->setText(Cright_);
}

void TAboutDialog::DialogToProp()
{
    TKVLCustomDlg::DialogToProp();
    const TFormAboutDlg& form = *AboutForm();
    AppName_ = form.LabelAppName()->text();
    AppVer_ = form.LabelAppVer()->text();
    Cright_ = form.LabelCright()->text();
}

// SPDX-License-Identifier: MIT
#pragma once

#include "components/TKVLCustomDlg.h"

#include <QString>

class TFormAboutDlg;

// The about box: the program's icon, name, version and copyright line in a
// small fixed window with an OK button. The caption follows the name while it
// is the name followed by "のバージョン情報".
class TAboutDialog : public TKVLCustomDlg {
    Q_OBJECT
public:
    static constexpr int kDialogWidth = 361;
    static constexpr int kDialogHeight = 249;

    explicit TAboutDialog(QObject* owner = nullptr);

    QString GetAppName() const { return AppName_; }
    // Stores the name; a caption that followed the old name follows the new
    // one. The form gets both at the next PropToDialog.
    void SetAppName(const QString& value);
    QString GetAppVer() const { return AppVer_; }
    void SetAppVer(const QString& value) { AppVer_ = value; }
    QString GetCright() const { return Cright_; }
    void SetCright(const QString& value) { Cright_ = value; }

    void PropToDialog() override;
    void DialogToProp() override;

    TFormAboutDlg* AboutForm() const;

protected:
    void CreateSelf() override;

private:
    QString AppName_;
    QString AppVer_;
    QString Cright_;
};

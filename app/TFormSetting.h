// SPDX-License-Identifier: MIT
#pragma once

#include "settings/HelpBrowser.h"
#include "settings/TCustomSet.h"

#include <QDialog>
#include <memory>
#include <optional>
#include <string>

class TFileSel;
class TSettingTarget;
namespace Ui {
class FormSetting;
}

// The modeless settings dialog. It edits a copy of the settings record of
// its own and tells NotifyForm when to take that copy (OK, Apply) and when to
// hand its own record back (a close with the cancel result). It is made once
// and only shown and hidden after that.
class TFormSetting : public QDialog {
    Q_OBJECT

public:
    // How the dialog was last dismissed. It starts as None; OK and Cancel
    // set it, a right click sets Cancel, and nothing sets None again, so a
    // later close box repeats the last Cancel.
    enum class TModalResult { None, Ok, Cancel };

    explicit TFormSetting(QWidget* parent = nullptr);
    ~TFormSetting() override;

    TCustomSet CustomSet;
    TSettingTarget* NotifyForm = nullptr;
    // The export and import file dialog, opening at 8, 8; made with the form.
    TFileSel* FileSel = nullptr;

    TModalResult ModalResult() const { return Dismissal; }
    bool IsRButtonDown() const { return RButtonDown; }
    const Ui::FormSetting& Controls() const { return *ui; }

    // The unit names go into the unit list; the monitor window supplies them.
    void AddUnitName(const QString& name);
    // The folder the file dialog opens in; after an export or import, the
    // folder the file was chosen in.
    std::string InitialFolder() const;
    void SetInitialFolder(const std::string& folder);
    // Where the help page is looked for and what opens it; the help button
    // is offered once it is known.
    void SetHelpEnvironment(const HelpEnvironment& env);

    void SetToControls(const TCustomSet& s);
    void ControlsToSet(TCustomSet& s) const;
    void UpdateIntervalEnabled();
    void UpdateMOExpDiffeEnabled();

    void ButtonOkClick();
    void ButtonApplyClick();
    void ButtonCancelClick();
    void ButtonDefaultClick();
    void ButtonHelpClick();
    void ButtonImportClick();
    void ButtonExportClick();
    void CBoxBaseWinStyleChange();
    void CBoxRegularUpdateClick();
    // Takes the character the edit is about to receive.
    void EditIntervalKeyPress(const QString& key);
    // While the bar is stroked, and after a click fixed or restored it.
    void SBarIntervalChanging();
    void SBarIntervalMouseDown();

public slots:
    // Esc: what the cancel button does.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();
    void FormMouseDown(Qt::MouseButton button);
    void FormMouseUp();
    bool SliderTracking() const;

    std::unique_ptr<Ui::FormSetting> ui;
    TModalResult Dismissal = TModalResult::None;
    // A right press was seen while the slider was not being stroked.
    bool RButtonDown = false;
    std::optional<HelpEnvironment> Help;
};

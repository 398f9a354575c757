// SPDX-License-Identifier: MIT
#pragma once

#include "app/MinimizeCycle.h"
#include "app/MouseOverTwin.h"
#include "app/TSettingTarget.h"
#include "app/WindowDrag.h"
#include "platform/SessionEndHandler.h"
#include "settings/TCustomSet.h"
#include "settings/TExitSnapshot.h"
#include "settings/TExitState.h"
#include "settings/TLayoutInfo.h"

#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

class QMenu;
class TAboutDialog;
class TFormSetting;
class TImageControl;
struct TFormServices;
namespace Ui {
class FormPLN;
}

// The monitor window: two bars with their difference rows, the popup menu,
// the refresh timers, and the program's single-copy start and its exit.
//
// Members that the form's design names (its controls, timers, records and
// state) keep those names; every other member ends in an underscore.
class TFormPLN : public QWidget, public SessionEndHandler, public TSettingTarget {
    Q_OBJECT

public:
    explicit TFormPLN(TFormServices& services, QWidget* parent = nullptr);
    ~TFormPLN() override;

    // Another copy was running at start: that copy was asked to come forward
    // and this one only has to end, without showing itself or saving.
    bool IsSecondCopy() const { return AnotherRunning; }
    bool Minimized() const { return minimize_.Minimized(); }
    // Shows the window the way the stored state asks: normally, or iconified
    // from the start without ever showing it normally first.
    void ShowAtStart();

    const TCustomSet& Settings() const { return CustomSet; }
    const std::string& EHFolder() const { return ExitState.EHFolder; }
    // Takes a whole record and the file dialog's folder, and applies them.
    void TakeSetting(const TCustomSet& set, const std::string& ehFolder);
    // The settings dialog, once the user has asked for it.
    TFormSetting* SettingDialog() const { return FormSetting.get(); }
    QMenu* PopupMenu() const { return PMenuPelorin; }
    TImageControl* Image(int index) const;  // ImageMem, ImageMemDiffe, ImageSwap, ImageSwapDiffe
    const QTimer& IntervalTimer() const { return TimerInterval; }
    const QTimer& CalcWinStyleTimer() const { return twin_.Timer(); }
    int32_t CurrentWinStyle() const { return CurWinStyle; }
    const TLayoutTable& Layouts() const { return LayoutInfo; }

    // What ending now would write, kept current for a last-chance save from
    // outside the event loop.
    std::shared_ptr<TExitSnapshotHolder> SnapshotHolder() const { return snapshot_; }

    // The end of the user's session: asked, then ended or cancelled.
    void QueryEndSession() override { WMQueryEndSession(); }
    void EndSession(bool ending) override { WMEndSession(ending); }
    void WMQueryEndSession();
    void WMEndSession(bool ending);

    void ApplySetting();
    void UpdateInfo();
    void ShowInfoInTitle();
    void ApplyUnitLabel();
    void ApplyInterval();

    void PmUpdateClick();
    void PmSettingClick();
    void UMApplySetting() override;
    void UMRevertSetting() override;
    void PmMinimizeClick();
    void PmExitClick();
    void PmHelpClick();
    void CmHomePageClick();
    void PmAboutClick();
    TAboutDialog* About() const { return AboutDialog; }
    void ButtonVrietyClick();

    void ApplyWinStyle();
    bool CalcMOWinStyle() { return twin_.CalcStyle(); }
    void TimerCalcWinStyleTimer() { twin_.CheckCursor(); }
    void KeepInsideDesktop();
    void ApplyStayOnTop();
    void ApplyTaskBar();
    void TimerUnTaskBarTimer();
    void ResyncPosition();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();
    void LoadSetting();
    void SaveOnExit();
    TExitSnapshot CurrentSnapshot() const;
    void KeepSnapshot();
    void MinimizeWindow();
    // What follows the minimise and the restore of the window.
    void WentMinimized();
    void RestoreWindow();
    void PublishWindowHandle();
    uint32_t NativeId();
    void WindowShown();
    void BuildMenu();
    void SetAppTitle(const std::string& title);

    void DrawMeter(int index, uint64_t value, uint64_t maximum);
    void DrawDifferences(int index, int64_t left, int64_t right);
    // False when the image shows these two figures already: a reading that
    // changes nothing there draws nothing and sends nothing to the X server.
    bool ShowsOtherFigures(int index, int64_t left, int64_t right);

    void TimerIntervalTimer();
    void BuildLayoutInfo();
    std::array<QWidget*, TLayoutInfo::ControlCount> LayoutControls() const;
    void PanelPelorinMouseDown(Qt::MouseButton button, QPoint cursor);
    void PanelPelorinMouseMove(QPoint cursor);
    void PanelPelorinMouseUp(Qt::MouseButton button, QPoint cursor);
    void SetWindowFlagsInPlace(Qt::WindowFlags flags);
    void HoldCorner();

    TFormServices& services_;
    std::unique_ptr<Ui::FormPLN> ui_;
    QMenu* PMenuPelorin = nullptr;
    TAboutDialog* AboutDialog = nullptr;
    QTimer TimerInterval;
    QTimer TimerUnTaskBar;

    bool AnotherRunning = false;
    int32_t CurWinStyle = 0;
    TLayoutTable LayoutInfo{};
    uint64_t PrevTotalPhys = 0;
    uint64_t PrevAvailPhys = 0;
    uint64_t PrevSwapTotal = 0;
    uint64_t PrevSwapFree = 0;
    TCustomSet CustomSet;
    TExitState ExitState;
    std::unique_ptr<TFormSetting> FormSetting;

    WindowDrag drag_{*this};
    MinimizeCycle minimize_{*this, [this] { WentMinimized(); }, [this] { RestoreWindow(); }};
    MouseOverTwin twin_{*this, CustomSet, CurWinStyle, [this] { ApplyWinStyle(); }};
    bool created_ = false;
    bool closing_ = false;
    bool sessionEnded_ = false;
    uint32_t publishedId_ = 0;
    // The outer corner held while the window manager re-frames the window.
    std::optional<QPoint> heldCorner_;
    int holdTicks_ = 0;
    QTimer holdCornerTimer_;
    std::array<std::optional<std::pair<int64_t, int64_t>>, 4> shown_;  // by Image index
    std::shared_ptr<TExitSnapshotHolder> snapshot_ = std::make_shared<TExitSnapshotHolder>();
};

// SPDX-License-Identifier: MIT
#include "app/TFormPLN.h"

#include "app/MeterPainter.h"
#include "app/TFormServices.h"
#include "components/TAboutDialog.h"
#include "app/TFormSetting.h"
#include "platform/InstanceLock.h"
#include "platform/MemorySource.h"
#include "platform/RegStore.h"
#include "platform/WindowSystem.h"
#include "platform/qt/Canvas.h"
#include "platform/qt/FontChoice.h"
#include "platform/qt/TImageControl.h"
#include "settings/CmdLine.h"
#include "settings/FallbackImport.h"
#include "settings/Figures.h"
#include "settings/Literals.h"
#include "settings/RestoreShortcut.h"
#include "settings/SettingsRegistry.h"
#include "settings/TRunFlags.h"
#include "settings/HelpBrowser.h"

#include "ui_FormPLN.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QWindow>
#include <QWindowStateChangeEvent>
#include <climits>

namespace {
// Where the window stands when nothing is stored yet.
constexpr QPoint kDesignPosition(424, 104);
// The images as Image() numbers them.
constexpr int kImageMem = 0;
constexpr int kImageMemDiffe = 1;
constexpr int kImageSwap = 2;
constexpr int kImageSwapDiffe = 3;
} // namespace

TFormPLN::TFormPLN(TFormServices& services, QWidget* parent)
    : QWidget(parent), services_(services), ui_(std::make_unique<Ui::FormPLN>())
{
    ui_->setupUi(this);
    setFont(WithInstalledGothic(font()));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(size());
    // The name labels size themselves to their text, as the design has them.
    for (QLabel* label : {ui_->LabelMem, ui_->LabelMemDiffe, ui_->LabelSwap, ui_->LabelSwapDiffe})
        label->adjustSize();
    BuildMenu();
    // Its caption follows the name; it is always shown centred on the screen.
    AboutDialog = new TAboutDialog(this);
    AboutDialog->SetPosition(TPosition::poScreenCenter);

    TimerInterval.setSingleShot(false);
    connect(&TimerInterval, &QTimer::timeout, this, &TFormPLN::TimerIntervalTimer);
    TimerUnTaskBar.setSingleShot(true);
    TimerUnTaskBar.setInterval(1000);
    connect(&TimerUnTaskBar, &QTimer::timeout, this, &TFormPLN::TimerUnTaskBarTimer);
    // The body of the window drags it and opens the menu: the panel and
    // everything on it but the buttons.
    for (QWidget* body : std::initializer_list<QWidget*>{
             ui_->PanelPelorin, ui_->LabelMem, ui_->LabelMemDiffe, ui_->LabelSwap, ui_->LabelSwapDiffe,
             ui_->LabelMemUnit, ui_->LabelMemDiffeUnit, ui_->LabelSwapUnit, ui_->LabelSwapDiffeUnit,
             ui_->ImageMem, ui_->ImageMemDiffe, ui_->ImageSwap, ui_->ImageSwapDiffe})
        body->installEventFilter(this);
    connect(ui_->ButtonUpdate, &QPushButton::clicked, this, &TFormPLN::PmUpdateClick);
    connect(ui_->ButtonVriety, &QPushButton::clicked, this, &TFormPLN::ButtonVrietyClick);
    connect(ui_->ButtonSetting, &QPushButton::clicked, this, &TFormPLN::PmSettingClick);
    holdCornerTimer_.setInterval(50);
    connect(&holdCornerTimer_, &QTimer::timeout, this, &TFormPLN::HoldCorner);

    FormCreate();
}

TFormPLN::~TFormPLN() = default;

TImageControl* TFormPLN::Image(int index) const
{
    TImageControl* images[] = {ui_->ImageMem, ui_->ImageMemDiffe, ui_->ImageSwap, ui_->ImageSwapDiffe};
    return (index >= 0 && index < 4) ? images[index] : nullptr;
}

std::array<QWidget*, TLayoutInfo::ControlCount> TFormPLN::LayoutControls() const
{
    // In the order of the layout table's positions.
    return {ui_->LabelMem, ui_->LabelMemDiffe, ui_->LabelSwap, ui_->LabelSwapDiffe,
            ui_->ImageMem, ui_->ImageMemDiffe, ui_->ImageSwap, ui_->ImageSwapDiffe};
}

void TFormPLN::BuildMenu()
{
    PMenuPelorin = new QMenu(this);
    PMenuPelorin->addAction(QStringLiteral("&R・更新"), this, &TFormPLN::PmUpdateClick);
    PMenuPelorin->addSeparator();
    PMenuPelorin->addAction(QStringLiteral("&S・設定"), this, &TFormPLN::PmSettingClick);
    PMenuPelorin->addAction(QStringLiteral("&M・最小化"), this, &TFormPLN::PmMinimizeClick);
    PMenuPelorin->addSeparator();
    PMenuPelorin->addAction(QStringLiteral("&H・ヘルプ"), this, &TFormPLN::PmHelpClick);
    PMenuPelorin->addAction(QStringLiteral("&J・作者のホームページ"), this, &TFormPLN::CmHomePageClick);
    PMenuPelorin->addAction(QStringLiteral("&A・バージョン情報"), this, &TFormPLN::PmAboutClick);
    PMenuPelorin->addSeparator();
    PMenuPelorin->addAction(QStringLiteral("&X・終了"), this, &TFormPLN::PmExitClick);
}

void TFormPLN::SetAppTitle(const std::string& title)
{
    setWindowTitle(QString::fromStdString(title));
}

void TFormPLN::FormCreate()
{
    SetAppTitle(std::string(lit::Title));

    if (!services_.lock.TryAcquire() && services_.lock.HeldByAnother()) {
        AnotherRunning = true;
        if (const std::optional<uint32_t> other = ReadWindowHandle(services_.store))
            services_.windows.ActivateWindow(*other);
        return;
    }

    TimerUnTaskBar.start();
    twin_.StartWatching();
    move(kDesignPosition);
    BuildLayoutInfo();
    PublishWindowHandle();
    LoadSetting();
    // The end of the session may come while a message below is open; what it
    // saves is what was loaded.
    snapshot_->Set(CurrentSnapshot());
    if (services_.settingsLoaded)
        services_.settingsLoaded(*this);

    const CmdLineResult options = AnalyzeCmdLine(services_.args);
    if (options.Minimize)
        minimize_.SetMinimized(true);
    RunFlags.QuitOnShow = RunFlags.QuitOnShow || options.QuitOnShow;
    RunFlags.ClearRegistry = RunFlags.ClearRegistry || options.ClearRegistry;
    // A session that ended during a message left the entry that brings the
    // program back; it is not the one that started this run.
    if (options.DeleteShortcut && !sessionEnded_)
        services_.shortcut.Remove();

    ApplySetting();
    created_ = true;
    KeepSnapshot();
}

uint32_t TFormPLN::NativeId()
{
    // The live id of the native window: Qt makes a new one when the window is
    // shown after its stay-on-top hint changed, and tells the widget late.
    winId();
    return static_cast<uint32_t>(windowHandle()->winId());
}

void TFormPLN::PublishWindowHandle()
{
    // The id a second copy activates, written again whenever it changes.
    const uint32_t id = NativeId();
    if (id == publishedId_)
        return;
    publishedId_ = id;
    WriteWindowHandle(services_.store, id);
}

void TFormPLN::LoadSetting()
{
    TWindowState window;
    const bool complete = ReadStoredSetting(services_.store, window, ExitState, CustomSet);
    if (window.Left)
        move(*window.Left, y());
    if (window.Top)
        move(x(), *window.Top);
    // The native window exists already, and for one that exists Qt places
    // the client at the point; the stored point is the frame's corner.
    windowHandle()->setFramePosition(pos());
    minimize_.SetMinimized(window.Minimized);
    if (!complete) {
        ImportFirstExportFile(services_.programFolder, CustomSet);
        BringIntoRange(CustomSet);
    }
}

void TFormPLN::ShowAtStart()
{
    if (!AnotherRunning)
        minimize_.ShowAtStart();
}

void TFormPLN::FormShow()
{
    RunFlags.Initializing = false;
    if (AnotherRunning || RunFlags.QuitOnShow)
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void TFormPLN::FormClose()
{
    // A second copy never loaded anything: saving would write its defaults
    // over what the running copy keeps.
    if (AnotherRunning || closing_)
        return;
    closing_ = true;
    ResyncPosition();
    SaveOnExit();
}

TExitSnapshot TFormPLN::CurrentSnapshot() const
{
    TExitSnapshot snapshot;
    snapshot.Left = x();
    snapshot.Top = y();
    snapshot.Minimized = minimize_.Minimized();
    snapshot.ClearRegistry = RunFlags.ClearRegistry;
    snapshot.ExitState = ExitState;
    snapshot.CustomSet = CustomSet;
    return snapshot;
}

void TFormPLN::KeepSnapshot()
{
    if (created_)
        snapshot_->Set(CurrentSnapshot());
}

void TFormPLN::SaveOnExit()
{
    WriteExitSnapshot(services_.store, CurrentSnapshot());
}

void TFormPLN::WMQueryEndSession()
{
    if (AnotherRunning)
        return;
    WriteRestoreShortcut(services_.shortcut, CurrentSnapshot());
}

void TFormPLN::WMEndSession(bool ending)
{
    // A signal arriving while a session manager's end is being carried out
    // finds everything written already.
    if (AnotherRunning || sessionEnded_)
        return;
    SaveOnExit();
    if (ending) {
        // The program ends with the session; closing must not save again.
        closing_ = true;
        sessionEnded_ = true;
    } else {
        // A shutdown that was called off leaves nothing in the autostart folder.
        services_.shortcut.Remove();
    }
}

void TFormPLN::ApplySetting()
{
    CurWinStyle = CustomSet.BaseWinStyle;
    ApplyWinStyle();
    ApplyStayOnTop();
    KeepInsideDesktop();
    ApplyTaskBar();
    ApplyUnitLabel();
    ApplyInterval();
    UpdateInfo();
    KeepSnapshot();
}

void TFormPLN::TakeSetting(const TCustomSet& set, const std::string& ehFolder)
{
    // A drop-down list with no selection hands over -1; the record in force
    // never indexes past the layouts or the unit names.
    CustomSet = set;
    BringIntoRange(CustomSet);
    ExitState.EHFolder = ehFolder;
    ApplySetting();
}

void TFormPLN::UMApplySetting()
{
    if (FormSetting)
        TakeSetting(FormSetting->CustomSet, FormSetting->InitialFolder());
}

void TFormPLN::UMRevertSetting()
{
    if (FormSetting)
        FormSetting->CustomSet = CustomSet;
}

void TFormPLN::PmSettingClick()
{
    if (!FormSetting) {
        FormSetting = std::make_unique<TFormSetting>();
        FormSetting->setWindowTitle(QString::fromUtf8(lit::Title.data(), lit::Title.size()) + QStringLiteral("の設定"));
        FormSetting->SetInitialFolder(ExitState.EHFolder);
        FormSetting->SetHelpEnvironment(ProgramHelpEnvironment(services_.launcher, services_.programFolder));
        for (const std::string_view name : lit::UnitName)
            FormSetting->AddUnitName(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
        FormSetting->CustomSet = CustomSet;
        FormSetting->NotifyForm = this;
    }
    if (FormSetting->isMinimized())
        FormSetting->showNormal();
    FormSetting->show();
    FormSetting->raise();
    FormSetting->activateWindow();
}

void TFormPLN::ApplyUnitLabel()
{
    const QString label = QString::fromStdString(UnitLabel(CustomSet.Unit));
    ui_->LabelMemUnit->setText(label);
    ui_->LabelMemDiffeUnit->setText(label);
    ui_->LabelSwapUnit->setText(label);
    ui_->LabelSwapDiffeUnit->setText(label);
}

void TFormPLN::ApplyInterval()
{
    // An interval of 0 or less never fires (a zero-interval timer would fire
    // continuously); one beyond the timer's range is held at its maximum.
    const int64_t ms = static_cast<int64_t>(CustomSet.UpdateInterval) * 1000;
    if (ms <= 0) {
        TimerInterval.stop();
        return;
    }
    TimerInterval.setInterval(static_cast<int>(std::min<int64_t>(ms, INT_MAX)));
    if (CustomSet.RegularUpdate)
        TimerInterval.start();
    else
        TimerInterval.stop();
}

void TFormPLN::TimerIntervalTimer()
{
    UpdateInfo();
}

void TFormPLN::UpdateInfo()
{
    if (minimize_.Minimized()) {
        ShowInfoInTitle();
        return;
    }
    const int64_t d = UnitDivisor(CustomSet.Unit);
    const uint64_t ud = static_cast<uint64_t>(d);
    const MemoryReading reading = services_.memory.Read();
    const MemoryStatus& mem = reading.Mem;

    DrawMeter(kImageMem, mem.AvailPhys / ud, mem.TotalPhys / ud);
    DrawDifferences(kImageMemDiffe, ScaledDifference(mem.AvailPhys, PrevAvailPhys, d),
                    ScaledDifference(mem.TotalPhys, PrevTotalPhys, d));

    // A failed swap read leaves the swap images and figures as they were.
    if (reading.Swap) {
        const uint64_t total = reading.Swap->Total;
        const uint64_t free = total - reading.Swap->InUse;
        DrawMeter(kImageSwap, free / ud, total / ud);
        DrawDifferences(kImageSwapDiffe, ScaledDifference(free, PrevSwapFree, d),
                        ScaledDifference(total, PrevSwapTotal, d));
        PrevSwapFree = free;
        PrevSwapTotal = total;
    }
    PrevAvailPhys = mem.AvailPhys;
    PrevTotalPhys = mem.TotalPhys;
}

void TFormPLN::ShowInfoInTitle()
{
    const MemoryStatus mem = services_.memory.Read().Mem;
    SetAppTitle(TitleWithFigures(mem, CustomSet.Unit));
    PrevAvailPhys = mem.AvailPhys;
    PrevTotalPhys = mem.TotalPhys;
}

bool TFormPLN::ShowsOtherFigures(int index, int64_t left, int64_t right)
{
    auto& shown = shown_[static_cast<size_t>(index)];
    if (shown && *shown == std::make_pair(left, right))
        return false;
    shown = std::make_pair(left, right);
    return true;
}

void TFormPLN::DrawMeter(int index, uint64_t value, uint64_t maximum)
{
    if (!ShowsOtherFigures(index, static_cast<int64_t>(value), static_cast<int64_t>(maximum)))
        return;
    TImageControl* image = Image(index);
    QImage& bitmap = image->Bitmap();
    Canvas canvas(bitmap, font());
    meter::DrawMeter(canvas, bitmap.width(), bitmap.height(), value, maximum);
    image->update();
}

void TFormPLN::DrawDifferences(int index, int64_t left, int64_t right)
{
    if (!ShowsOtherFigures(index, left, right))
        return;
    TImageControl* image = Image(index);
    QImage& bitmap = image->Bitmap();
    Canvas canvas(bitmap, font());
    canvas.SetBrushColor(ui_->PanelPelorin->palette().color(QPalette::Window));
    canvas.FillRect(0, 0, bitmap.width(), bitmap.height());
    meter::DrawDiffeLeft(canvas, left);
    meter::DrawDiffeRight(canvas, bitmap.width(), right);
    image->update();
}

void TFormPLN::PmUpdateClick()
{
    UpdateInfo();
}

void TFormPLN::PmMinimizeClick()
{
    MinimizeWindow();
}

void TFormPLN::PmAboutClick()
{
    AboutDialog->SetAppName(QString::fromUtf8(lit::Title.data(), lit::Title.size()));
    AboutDialog->SetAppVer(QString::fromUtf8(lit::Version.data(), lit::Version.size()));
    AboutDialog->SetCright(QString::fromUtf8(lit::Copyright.data(), lit::Copyright.size()));
    try {
        AboutDialog->Show();
    } catch (const DialogCreateError&) {
        // The user has been told; the next click tries again.
    }
}

void TFormPLN::PmExitClick()
{
    close();
}

void TFormPLN::ButtonVrietyClick()
{
    // The button's place on the panel plus the window's outer corner: the menu
    // opens offset from the button by the frame and caption.
    PMenuPelorin->popup(ui_->ButtonVriety->pos() + pos());
}

void TFormPLN::MinimizeWindow()
{
    minimize_.Minimize();
}

void TFormPLN::WentMinimized()
{
    ShowInfoInTitle();
    ApplyTaskBar();
    KeepSnapshot();
}

void TFormPLN::RestoreWindow()
{
    FormShow();
    SetAppTitle(std::string(lit::Title));
    UpdateInfo();
    ApplyTaskBar();
    KeepSnapshot();
}

void TFormPLN::BuildLayoutInfo()
{
    // From the controls as they are now, so the table follows any scaling.
    // The window manager's frame does not exist yet: the outer size of the
    // framed style is its client size, and the frame is drawn around it.
    TDesignGeometry design;
    design.OuterHeight = height();
    design.OuterWidth = width();
    const auto controls = LayoutControls();
    for (size_t i = 0; i < TLayoutInfo::ControlCount; ++i)
        design.Pos[i] = {controls[i]->x(), controls[i]->y()};
    design.BevelSepTop = ui_->BevelSep->y();
    design.ImageMemDiffeHeight = ui_->ImageMemDiffe->height();
    design.ImageMemWidth = ui_->ImageMem->width();
    LayoutInfo = LayoutTableFromDesign(design);
}

void TFormPLN::SetWindowFlagsInPlace(Qt::WindowFlags flags)
{
    if (flags == windowFlags())
        return;
    // QWidget::setWindowFlags would make a new native window (a new id for a
    // second copy to find, and a hidden window); the native window takes the
    // change as it is.
    const QPoint corner = pos();
    overrideWindowFlags(flags);
    if (QWindow* native = windowHandle()) {
        native->setFlags(flags);
        native->setFramePosition(corner);
    }
    // A shown window gets or loses its frame some moments later, when the
    // window manager has re-framed it; Qt placed it with the old frame's
    // size, which shifts the corner by the frame. Watch it for a moment and
    // put the corner back.
    if (isVisible() && !isMinimized()) {
        heldCorner_ = corner;
        holdTicks_ = 0;
        holdCornerTimer_.start();
    }
}

void TFormPLN::HoldCorner()
{
    constexpr int kTicks = 30; // 1.5 s at 50 ms
    if (!heldCorner_ || ++holdTicks_ > kTicks || !isVisible() || isMinimized() || drag_.Dragging()) {
        heldCorner_.reset();
        holdCornerTimer_.stop();
        return;
    }
    const std::optional<std::pair<int, int>> real = services_.windows.FramePosition(NativeId());
    if (!real)
        return;
    // Qt's idea of the corner may be off by the old frame; moving by the
    // real error moves the real frame by the same amount.
    const QPoint error = QPoint(real->first, real->second) - *heldCorner_;
    if (!error.isNull())
        move(pos() - error);
}

void TFormPLN::ApplyWinStyle()
{
    ResyncPosition();
    const bool framed = CurWinStyle == 0;
    const TLayoutInfo& layout = LayoutInfo[static_cast<size_t>(CurWinStyle)];
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::FramelessWindowHint, !framed);
    SetWindowFlagsInPlace(flags);
    ui_->PanelPelorin->setFrameStyle(framed ? QFrame::NoFrame : (QFrame::Panel | QFrame::Raised));
    ui_->PanelPelorin->setLineWidth(1);
    setFixedSize(layout.Width, layout.Height);

    const auto controls = LayoutControls();
    for (size_t i = 0; i < TLayoutInfo::ControlCount; ++i)
        controls[i]->move(layout.Pos[i].x, layout.Pos[i].y);
    KeepInsideDesktop();
}

void TFormPLN::KeepInsideDesktop()
{
    drag_.KeepInside(RunFlags.Initializing, CustomSet.InsideDesktop);
}

void TFormPLN::ApplyStayOnTop()
{
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, CustomSet.StayOnTop);
    SetWindowFlagsInPlace(flags);
}

void TFormPLN::ApplyTaskBar()
{
    // Only a window the window manager has mapped keeps the state; showEvent
    // and the one-second timer apply it again after mapping.
    if (!isVisible())
        return;
    services_.windows.SetSkipTaskbar(NativeId(), !minimize_.Minimized() && CustomSet.UnTaskBar);
}

void TFormPLN::TimerUnTaskBarTimer()
{
    TimerUnTaskBar.stop();
    ApplyTaskBar();
    ResyncPosition();
}

void TFormPLN::ResyncPosition()
{
    // While mapping a window, some window managers show its frame at 0,0 for
    // a moment and never report where they then put it; Qt would go on
    // believing 0,0 and the next resize, drag or save would use it.
    if (!isVisible() || isMinimized())
        return;
    const std::optional<std::pair<int, int>> real = services_.windows.FramePosition(NativeId());
    if (real && (real->first != x() || real->second != y()))
        move(real->first, real->second);
}

void TFormPLN::PanelPelorinMouseDown(Qt::MouseButton button, QPoint cursor)
{
    if (button != Qt::LeftButton)
        return;
    ResyncPosition();
    heldCorner_.reset();
    drag_.Grip(cursor);
}

void TFormPLN::PanelPelorinMouseMove(QPoint cursor)
{
    if (!drag_.Carry(cursor))
        twin_.CursorOver();
}

void TFormPLN::PanelPelorinMouseUp(Qt::MouseButton button, QPoint cursor)
{
    if (button == Qt::LeftButton) {
        drag_.Drop();
        KeepInsideDesktop();
    } else if (button == Qt::RightButton) {
        PMenuPelorin->popup(cursor);
    }
}

bool TFormPLN::eventFilter(QObject* watched, QEvent* event)
{
    // The cursor's screen position as it was at each event: a busy moment
    // must not make the window jump by what the cursor travelled since.
    const auto mouse = [event] { return static_cast<QMouseEvent*>(event); };
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:  // the second press of a double click
        PanelPelorinMouseDown(mouse()->button(), mouse()->globalPosition().toPoint());
        return true;
    case QEvent::MouseMove:
        PanelPelorinMouseMove(mouse()->globalPosition().toPoint());
        return true;
    case QEvent::MouseButtonRelease:
        PanelPelorinMouseUp(mouse()->button(), mouse()->globalPosition().toPoint());
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void TFormPLN::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    KeepInsideDesktop();
    KeepSnapshot();
}

void TFormPLN::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!isMinimized())
        FormShow();
    // Showing may have made a new native window, and the window manager
    // forgets the task bar state of a window it unmapped.
    QMetaObject::invokeMethod(this, &TFormPLN::WindowShown, Qt::QueuedConnection);
}

void TFormPLN::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TFormPLN::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    minimize_.StateChanged(*static_cast<QWindowStateChangeEvent*>(event));
}

void TFormPLN::WindowShown()
{
    if (!created_ || AnotherRunning || closing_)
        return;
    PublishWindowHandle();
    ApplyTaskBar();
}

bool TFormPLN::event(QEvent* event)
{
    if (event->type() == QEvent::WinIdChange && internalWinId())
        QMetaObject::invokeMethod(this, &TFormPLN::WindowShown, Qt::QueuedConnection);
    return QWidget::event(event);
}

void TFormPLN::PmHelpClick()
{
    ShowHelp(ProgramHelpEnvironment(services_.launcher, services_.programFolder), std::string(lit::HelpFile), "",
             std::string(lit::HelpAnchor), CustomSet.UseNN);
}

void TFormPLN::CmHomePageClick()
{
    OpenHomePage(ProgramHelpEnvironment(services_.launcher, services_.programFolder), std::string(lit::HomePageUrl));
}

// SPDX-License-Identifier: MIT
#include "app/TFormPLN.h"

#include "app/MeterPainter.h"
#include "app/TFormServices.h"
#include "platform/InstanceLock.h"
#include "platform/MemorySource.h"
#include "platform/RegStore.h"
#include "platform/WindowSystem.h"
#include "platform/qt/Canvas.h"
#include "platform/qt/FontChoice.h"
#include "platform/qt/TImageControl.h"
#include "settings/CmdLine.h"
#include "settings/DesktopKeeper.h"
#include "settings/FallbackImport.h"
#include "settings/Literals.h"
#include "settings/SettingsRegistry.h"
#include "settings/TRunFlags.h"
#include "platform/DesktopEntry.h"
#include "settings/SDRLink.h"
#include "settings/Figures.h"
#include "settings/HelpBrowser.h"

#include "ui_FormPLN.h"

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>
#include <QTimer>
#include <QWindowStateChangeEvent>
#include <climits>

namespace {
// Where the window stands when nothing is stored yet.
constexpr QPoint kDesignPosition(424, 104);
} // namespace

TFormPLN::TFormPLN(TFormServices& services, QWidget* parent)
    : QWidget(parent), Services(services), ui(std::make_unique<Ui::FormPLN>())
{
    ui->setupUi(this);
    setFont(WithInstalledGothic(font()));
    setWindowIcon(QIcon(QStringLiteral(":/pelorin.png")));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(size());
    // The name labels size themselves to their text, as the design has them.
    for (QLabel* label : {ui->LabelMem, ui->LabelMemDiffe, ui->LabelSwap, ui->LabelSwapDiffe})
        label->adjustSize();
    BuildMenu();

    TimerInterval.setSingleShot(false);
    connect(&TimerInterval, &QTimer::timeout, this, &TFormPLN::TimerIntervalTimer);
    TimerUnTaskBar.setSingleShot(true);
    TimerUnTaskBar.setInterval(1000);
    connect(&TimerUnTaskBar, &QTimer::timeout, this, &TFormPLN::TimerUnTaskBarTimer);
    TimerCalcWinStyle.setInterval(200);
    connect(&TimerCalcWinStyle, &QTimer::timeout, this, &TFormPLN::TimerCalcWinStyleTimer);
    // The body of the window drags it and opens the menu: the panel and
    // everything on it but the buttons.
    for (QWidget* body : std::initializer_list<QWidget*>{
             ui->PanelPelorin, ui->LabelMem, ui->LabelMemDiffe, ui->LabelSwap, ui->LabelSwapDiffe,
             ui->LabelMemUnit, ui->LabelMemDiffeUnit, ui->LabelSwapUnit, ui->LabelSwapDiffeUnit,
             ui->ImageMem, ui->ImageMemDiffe, ui->ImageSwap, ui->ImageSwapDiffe})
        body->installEventFilter(this);
    connect(ui->ButtonUpdate, &QPushButton::clicked, this, &TFormPLN::PmUpdateClick);
    connect(ui->ButtonVriety, &QPushButton::clicked, this, &TFormPLN::ButtonVrietyClick);
    // The settings dialog is not part of this build yet.
    ui->ButtonSetting->setEnabled(false);

    FormCreate();
}

TFormPLN::~TFormPLN() = default;

TImageControl* TFormPLN::Image(int index) const
{
    TImageControl* images[] = {ui->ImageMem, ui->ImageMemDiffe, ui->ImageSwap, ui->ImageSwapDiffe};
    return (index >= 0 && index < 4) ? images[index] : nullptr;
}

std::array<QWidget*, TLayoutInfo::ControlCount> TFormPLN::LayoutControls() const
{
    // In the order of the layout table's positions.
    return {ui->LabelMem, ui->LabelMemDiffe, ui->LabelSwap, ui->LabelSwapDiffe,
            ui->ImageMem, ui->ImageMemDiffe, ui->ImageSwap, ui->ImageSwapDiffe};
}

void TFormPLN::BuildMenu()
{
    PMenuPelorin = new QMenu(this);
    PMenuPelorin->addAction(QStringLiteral("&R・更新"), this, &TFormPLN::PmUpdateClick);
    PMenuPelorin->addSeparator();
    // Settings and about come with their dialogs; until then
    // the items are there but cannot be chosen.
    PMenuPelorin->addAction(QStringLiteral("&S・設定"))->setEnabled(false);
    PMenuPelorin->addAction(QStringLiteral("&M・最小化"), this, &TFormPLN::PmMinimizeClick);
    PMenuPelorin->addSeparator();
    PMenuPelorin->addAction(QStringLiteral("&H・ヘルプ"), this, &TFormPLN::PmHelpClick);
    PMenuPelorin->addAction(QStringLiteral("&J・作者のホームページ"), this, &TFormPLN::CmHomePageClick);
    PMenuPelorin->addAction(QStringLiteral("&A・バージョン情報"))->setEnabled(false);
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
    Minimized_ = false;

    if (!Services.lock.TryAcquire() && Services.lock.HeldByAnother()) {
        AnotherRunning_ = true;
        if (const std::optional<uint32_t> other = ReadWindowHandle(Services.store))
            Services.windows.ActivateWindow(*other);
        return;
    }

    TimerUnTaskBar.start();
    TimerCalcWinStyle.start();
    move(kDesignPosition);
    BuildLayoutInfo();
    PublishWindowHandle();
    LoadSetting();

    const CmdLineResult options = AnalyzeCmdLine(Services.args);
    if (options.Minimize)
        Minimized_ = true;
    RunFlags.QuitOnShow = RunFlags.QuitOnShow || options.QuitOnShow;
    RunFlags.ClearRegistry = RunFlags.ClearRegistry || options.ClearRegistry;
    if (options.DeleteShortcut)
        DeleteShortcut(SDRLinkPath());

    ApplySetting();
    Created = true;
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
    if (id == PublishedId)
        return;
    PublishedId = id;
    WriteWindowHandle(Services.store, id);
}

void TFormPLN::LoadSetting()
{
    TWindowState window;
    const bool complete = ::LoadSetting(Services.store, window, ExitState, CustomSet_);
    if (window.Left)
        move(*window.Left, y());
    if (window.Top)
        move(x(), *window.Top);
    // The native window exists already, and for one that exists Qt places
    // the client at the point; the stored point is the frame's corner.
    windowHandle()->setFramePosition(pos());
    Minimized_ = window.Minimized;
    if (!complete) {
        ImportFirstExportFile(Services.programFolder, CustomSet_);
        BringIntoRange(CustomSet_);
    }
}

void TFormPLN::ShowAtStart()
{
    if (AnotherRunning_)
        return;
    if (Minimized_)
        showMinimized();
    else
        show();
}

void TFormPLN::FormShow()
{
    RunFlags.Initializing = false;
    if (AnotherRunning_ || RunFlags.QuitOnShow)
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void TFormPLN::FormClose()
{
    // A second copy never loaded anything: saving would write its defaults
    // over what the running copy keeps.
    if (AnotherRunning_ || Closing)
        return;
    Closing = true;
    ResyncPosition();
    SaveOnExit();
}

TExitSnapshot TFormPLN::CurrentSnapshot() const
{
    TExitSnapshot snapshot;
    snapshot.Left = x();
    snapshot.Top = y();
    snapshot.Minimized = Minimized_;
    snapshot.ClearRegistry = RunFlags.ClearRegistry;
    snapshot.ExitState = ExitState;
    snapshot.CustomSet = CustomSet_;
    return snapshot;
}

void TFormPLN::KeepSnapshot()
{
    if (Created)
        Snapshot->Set(CurrentSnapshot());
}

void TFormPLN::SaveOnExit()
{
    ::SaveOnExit(Services.store, CurrentSnapshot());
}

void TFormPLN::WMQueryEndSession()
{
    if (AnotherRunning_)
        return;
    WriteRestoreShortcut(CurrentSnapshot());
}

void TFormPLN::WMEndSession(bool ending)
{
    // A signal arriving while a session manager's end is being carried out
    // finds everything written already.
    if (AnotherRunning_ || SessionEnded)
        return;
    SaveOnExit();
    if (ending) {
        // The program ends with the session; closing must not save again.
        Closing = true;
        SessionEnded = true;
    } else {
        // A shutdown that was called off leaves nothing in the autostart folder.
        DeleteShortcut(SDRLinkPath());
    }
}

void TFormPLN::ApplySetting()
{
    CurWinStyle = CustomSet_.BaseWinStyle;
    ApplyWinStyle();
    ApplyStayOnTop();
    KeepInsideDesktop();
    ApplyTaskBar();
    ApplyUnitLabel();
    ApplyInterval();
    UpdateInfo();
    KeepSnapshot();
}

void TFormPLN::ApplyUnitLabel()
{
    const QString label = QString::fromStdString(UnitLabel(CustomSet_.Unit));
    ui->LabelMemUnit->setText(label);
    ui->LabelMemDiffeUnit->setText(label);
    ui->LabelSwapUnit->setText(label);
    ui->LabelSwapDiffeUnit->setText(label);
}

void TFormPLN::ApplyInterval()
{
    // An interval of 0 or less never fires (a zero-interval timer would fire
    // continuously); one beyond the timer's range is held at its maximum.
    const int64_t ms = static_cast<int64_t>(CustomSet_.UpdateInterval) * 1000;
    if (ms <= 0) {
        TimerInterval.stop();
        return;
    }
    TimerInterval.setInterval(static_cast<int>(std::min<int64_t>(ms, INT_MAX)));
    if (CustomSet_.RegularUpdate)
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
    if (Minimized_) {
        ShowInfoInTitle();
        return;
    }
    const int64_t d = UnitDivisor(CustomSet_.Unit);
    const uint64_t ud = static_cast<uint64_t>(d);
    const MemoryReading reading = Services.memory.Read();
    const MemoryStatus& mem = reading.Mem;

    DrawMeter(ui->ImageMem, mem.AvailPhys / ud, mem.TotalPhys / ud);
    DrawDifferences(ui->ImageMemDiffe, ScaledDifference(mem.AvailPhys, PrevAvailPhys, d),
                    ScaledDifference(mem.TotalPhys, PrevTotalPhys, d));

    // A failed swap read leaves the swap images and figures as they were.
    if (reading.Swap) {
        const uint64_t total = reading.Swap->Total;
        const uint64_t free = total - reading.Swap->InUse;
        DrawMeter(ui->ImageSwap, free / ud, total / ud);
        DrawDifferences(ui->ImageSwapDiffe, ScaledDifference(free, PrevSwapFree, d),
                        ScaledDifference(total, PrevSwapTotal, d));
        PrevSwapFree = free;
        PrevSwapTotal = total;
    }
    PrevAvailPhys = mem.AvailPhys;
    PrevTotalPhys = mem.TotalPhys;
}

void TFormPLN::ShowInfoInTitle()
{
    const MemoryStatus mem = Services.memory.Read().Mem;
    SetAppTitle(TitleWithFigures(mem, CustomSet_.Unit));
    PrevAvailPhys = mem.AvailPhys;
    PrevTotalPhys = mem.TotalPhys;
}

void TFormPLN::DrawMeter(TImageControl* image, uint64_t value, uint64_t maximum)
{
    QImage& bitmap = image->Bitmap();
    Canvas canvas(bitmap, font());
    meter::DrawMeter(canvas, bitmap.width(), bitmap.height(), value, maximum);
    image->update();
}

void TFormPLN::DrawDifferences(TImageControl* image, int64_t left, int64_t right)
{
    QImage& bitmap = image->Bitmap();
    Canvas canvas(bitmap, font());
    canvas.SetBrushColor(ui->PanelPelorin->palette().color(QPalette::Window));
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

void TFormPLN::PmExitClick()
{
    close();
}

void TFormPLN::ButtonVrietyClick()
{
    // The button's place on the panel plus the window's outer corner: the menu
    // opens offset from the button by the frame and caption.
    PMenuPelorin->popup(ui->ButtonVriety->pos() + pos());
}

void TFormPLN::MinimizeWindow()
{
    // Set first: iconifying reports the state change back at once.
    Minimized_ = true;
    if (!isMinimized())
        showMinimized();
    ShowInfoInTitle();
    ApplyTaskBar();
    KeepSnapshot();
}

void TFormPLN::RestoreWindow()
{
    FormShow();
    SetAppTitle(std::string(lit::Title));
    Minimized_ = false;
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
    design.BevelSepTop = ui->BevelSep->y();
    design.ImageMemDiffeHeight = ui->ImageMemDiffe->height();
    design.ImageMemWidth = ui->ImageMem->width();
    LayoutInfo = ::BuildLayoutInfo(design);
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
}

void TFormPLN::ApplyWinStyle()
{
    ResyncPosition();
    const bool framed = CurWinStyle == 0;
    const TLayoutInfo& layout = LayoutInfo[static_cast<size_t>(CurWinStyle)];
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::FramelessWindowHint, !framed);
    SetWindowFlagsInPlace(flags);
    ui->PanelPelorin->setFrameStyle(framed ? QFrame::NoFrame : (QFrame::Panel | QFrame::Raised));
    ui->PanelPelorin->setLineWidth(1);
    setFixedSize(layout.Width, layout.Height);

    const auto controls = LayoutControls();
    for (size_t i = 0; i < TLayoutInfo::ControlCount; ++i)
        controls[i]->move(layout.Pos[i].x, layout.Pos[i].y);
    KeepInsideDesktop();
}

bool TFormPLN::CalcMOWinStyle()
{
    const int32_t style = MouseOverWinStyle(CustomSet_.BaseWinStyle, CustomSet_.MOExpDiffe);
    const bool changed = style != CurWinStyle;
    CurWinStyle = style;
    return changed;
}

void TFormPLN::TimerCalcWinStyleTimer()
{
    const QPoint cursor = QCursor::pos();
    const QRect outer = frameGeometry();
    if (CursorInsideWindow({cursor.x(), cursor.y()}, outer.x(), outer.y(), outer.width(), outer.height()))
        return;
    // Once the cursor is away nothing is left to watch: the timer rests until
    // the next mouse move over the window.
    TimerCalcWinStyle.stop();
    if (CustomSet_.BaseWinStyle != CurWinStyle) {
        CurWinStyle = CustomSet_.BaseWinStyle;
        ApplyWinStyle();
    }
}

void TFormPLN::KeepInsideDesktop()
{
    const QRect outer = frameGeometry();
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QSize size = screen->geometry().size();
    const bool active = KeepInsideDesktopActive(RunFlags.Initializing, Dragging, CustomSet_.InsideDesktop);
    const TPoint place = KeepInsideDesktopPos({outer.x(), outer.y(), outer.width(), outer.height()},
                                              size.width(), size.height(), active);
    if (place.x != outer.x() || place.y != outer.y())
        move(place.x, place.y);
}

void TFormPLN::ApplyStayOnTop()
{
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, CustomSet_.StayOnTop);
    SetWindowFlagsInPlace(flags);
}

void TFormPLN::ApplyTaskBar()
{
    // Only a window the window manager has mapped keeps the state; showEvent
    // and the one-second timer apply it again after mapping.
    if (!isVisible())
        return;
    Services.windows.SetSkipTaskbar(NativeId(), !Minimized_ && CustomSet_.UnTaskBar);
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
    const std::optional<std::pair<int, int>> real = Services.windows.FramePosition(NativeId());
    if (real && (real->first != x() || real->second != y()))
        move(real->first, real->second);
}

void TFormPLN::PanelPelorinMouseDown(Qt::MouseButton button, QPoint cursor)
{
    if (button != Qt::LeftButton)
        return;
    ResyncPosition();
    Dragging = true;
    DragOffset = cursor - pos();
}

void TFormPLN::PanelPelorinMouseMove(QPoint cursor)
{
    if (Dragging) {
        move(cursor - DragOffset);
        return;
    }
    if (CalcMOWinStyle())
        ApplyWinStyle();
    if (!TimerCalcWinStyle.isActive())
        TimerCalcWinStyle.start();
}

void TFormPLN::PanelPelorinMouseUp(Qt::MouseButton button, QPoint cursor)
{
    if (button == Qt::LeftButton) {
        Dragging = false;
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
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    if (isMinimized() && !Minimized_) {
        // Iconified by the window manager or the caption button: the same as
        // the menu item.
        MinimizeWindow();
    } else if ((change->oldState() & Qt::WindowMinimized) && !isMinimized() && Minimized_) {
        RestoreWindow();
    }
}

void TFormPLN::WindowShown()
{
    if (!Created || AnotherRunning_ || Closing)
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
    ShowHelp(ProgramHelpEnvironment(Services.launcher, Services.programFolder), std::string(lit::HelpFile), "",
             std::string(lit::HelpAnchor), CustomSet_.UseNN);
}

void TFormPLN::CmHomePageClick()
{
    OpenHomePage(ProgramHelpEnvironment(Services.launcher, Services.programFolder), std::string(lit::HomePageUrl));
}

// SPDX-License-Identifier: MIT
// How the monitor window sits and moves, on Qt's offscreen platform: the nine
// layouts at their stored corner, the mouse-over twin and its return once the
// cursor has left, drags by the window's body, the menu on a right release,
// the pull back inside the screen at a drop, and the task bar state through a
// minimise and restore.
#include "FormFixture.h"

#include "settings/SettingsRegistry.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <array>
#include <optional>
#include <string>
#include <utility>

namespace {

// The return timer ticks every 200 ms; this leaves room for a slow,
// sanitized build without letting a broken timer hang the run.
constexpr int kWaitMs = 3000;

// In the order of TLayoutInfo::Pos.
constexpr std::array<const char*, TLayoutInfo::ControlCount> kMovingControls = {
    "LabelMem", "LabelMemDiffe", "LabelSwap", "LabelSwapDiffe",
    "ImageMem", "ImageMemDiffe", "ImageSwap", "ImageSwapDiffe"};

QSize OuterSize(const TLayoutInfo& layout)
{
    return {layout.Width, layout.Height};
}

QRect Screen()
{
    return QGuiApplication::primaryScreen()->geometry();
}

// Whether the platform gives a framed window its frame before it is shown,
// as the offscreen platform does unless configured otherwise; X11 knows the
// frame only once the window manager has mapped the window.
bool FrameKnownBeforeShowing()
{
    QWidget probe;
    probe.winId();
    return !probe.windowHandle()->frameMargins().isNull();
}

std::string Str(QPoint p)
{
    return "(" + std::to_string(p.x()) + "," + std::to_string(p.y()) + ")";
}

// A window on its own store, shown where the store puts it.
class WindowBehaviour : public FormFixture {
protected:
    ~WindowBehaviour() override
    {
        if (form)
            form->PopupMenu()->close();
    }

    TFormPLN& Show(const TCustomSet& set, QPoint corner = {200, 150})
    {
        SaveSetting(store, corner.x(), corner.y(), false, TExitState{}, set);
        // A cursor resting where the window appears would hand it a mouse move.
        ParkCursorAwayFrom(QRect(corner, QSize(300, 200)));
        TFormPLN& w = Create();
        w.ShowAtStart();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
        return w;
    }

    QWidget* Control(const char* name) const
    {
        QWidget* control = form->findChild<QWidget*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }

    // Puts the cursor on a screen corner clear of the rectangle and of the
    // pixel around it, which still counts as over the window.
    static void ParkCursorAwayFrom(const QRect& area)
    {
        const QRect s = Screen();
        const QRect margin = area.adjusted(-2, -2, 2, 2);
        for (const QPoint corner : {s.bottomRight(), s.topLeft(), s.topRight(), s.bottomLeft()}) {
            if (!margin.contains(corner)) {
                QCursor::setPos(corner);
                QCoreApplication::processEvents();
                return;
            }
        }
        ADD_FAILURE() << "no screen corner outside the window";
    }

    // The return timer runs from creation until it has seen the cursor away;
    // once it rests, only a mouse move over the window starts it again.
    void WaitForTimerToRest()
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !form->CalcWinStyleTimer().isActive(); }, kWaitMs));
    }

    // Presses, moves and releases with global positions chosen by the test:
    // each local point is worked out from the wanted global one just before
    // the event, so the event carries exactly that global position however
    // far the window has moved meanwhile.
    void Press(QWidget* control, Qt::MouseButton button, QPoint global)
    {
        QTest::mousePress(control, button, {}, control->mapFromGlobal(global));
    }
    void MoveHeld(QWidget* control, QPoint global)
    {
        QTest::mouseMove(control, control->mapFromGlobal(global));
    }
    void Release(QWidget* control, Qt::MouseButton button, QPoint global)
    {
        QTest::mouseRelease(control, button, {}, control->mapFromGlobal(global));
    }

    void ExpectLayout(const TFormPLN& w, int32_t style)
    {
        const TLayoutInfo& layout = w.Layouts()[static_cast<size_t>(style)];
        EXPECT_EQ(w.CurrentWinStyle(), style);
        for (size_t i = 0; i < kMovingControls.size(); ++i) {
            const QWidget* control = Control(kMovingControls[i]);
            EXPECT_EQ(control->pos(), QPoint(layout.Pos[i].x, layout.Pos[i].y))
                << kMovingControls[i] << " in style " << style;
        }
    }
};

// ---------------------------------------------------------------------------
// The nine layouts as the window shows them from a fresh start.

struct StartCase {
    int32_t style;
    QSize client;  // what the window draws in; style 0 gets the window manager's frame around it
};

class StartLayout : public WindowBehaviour, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartLayout, SizeAndControlsAtTheStoredCorner)
{
    const StartCase c = GetParam();
    TCustomSet set;
    set.BaseWinStyle = c.style;
    const QPoint stored(120, 90);
    TFormPLN& w = Show(set, stored);

    ExpectLayout(w, c.style);
    EXPECT_EQ(w.size(), c.client);
    // The table is built from the real form: the client size of the design
    // stands for the framed style's size, the others are the window's size.
    EXPECT_EQ(OuterSize(w.Layouts()[static_cast<size_t>(c.style)]), c.client);
    const bool framed = c.style == 0;
    EXPECT_EQ(w.windowHandle()->flags().testFlag(Qt::FramelessWindowHint), !framed);
    if (!framed) {
        EXPECT_EQ(w.frameGeometry().size(), w.size()) << "no frame around a borderless style";
    }

    // The offscreen platform by default reports the frame before a window is
    // shown, and the in-place switch to borderless would then leave the
    // client inside the old frame (2 px off); X11 reports no frame before
    // mapping, and ctest runs these tests with tests/widget/offscreen.json to
    // match it. Without it the checks below cannot hold: fail, do not skip.
    ASSERT_TRUE(framed || !FrameKnownBeforeShowing())
        << "run with QT_QPA_PLATFORM=offscreen:configfile=tests/widget/offscreen.json";
    // The stored corner is the outer top-left, and it goes back to the store
    // unchanged.
    EXPECT_EQ(w.frameGeometry().topLeft(), stored);
    EXPECT_EQ(w.pos(), stored);
    w.close();
    const RegTree tree = store.Load();
    EXPECT_EQ(tree.ReadInteger("\\Software\\KORVAL\\Pelorin\\ExitState", "MWLeft"), stored.x());
    EXPECT_EQ(tree.ReadInteger("\\Software\\KORVAL\\Pelorin\\ExitState", "MWTop"), stored.y());
}

INSTANTIATE_TEST_SUITE_P(Styles, StartLayout,
    ::testing::Values(StartCase{0, {241, 150}}, StartCase{1, {241, 106}}, StartCase{2, {241, 52}},
                      StartCase{3, {153, 106}}, StartCase{4, {153, 52}}, StartCase{5, {241, 52}},
                      StartCase{6, {241, 29}}, StartCase{7, {153, 52}}, StartCase{8, {153, 29}}),
    [](const auto& info) { return "style" + std::to_string(info.param.style); });

struct StayOnTopCase {
    const char* name;
    int32_t style;
    bool stayOnTop;
};

class StayOnTopFlag : public WindowBehaviour, public ::testing::WithParamInterface<StayOnTopCase> {};

TEST_P(StayOnTopFlag, ReachesTheNativeWindowWithoutMakingANewOne)
{
    const StayOnTopCase c = GetParam();
    TCustomSet set;
    set.BaseWinStyle = c.style;
    set.StayOnTop = c.stayOnTop;
    TFormPLN& w = Show(set);
    EXPECT_EQ(w.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint), c.stayOnTop);
    EXPECT_EQ(w.windowHandle()->flags().testFlag(Qt::FramelessWindowHint), c.style != 0);
    // A second copy finds the window by the id published at start.
    const std::optional<uint32_t> published = ReadWindowHandle(store);
    ASSERT_TRUE(published.has_value());
    EXPECT_EQ(*published, static_cast<uint32_t>(w.windowHandle()->winId()));
}

INSTANTIATE_TEST_SUITE_P(Cases, StayOnTopFlag,
    ::testing::Values(StayOnTopCase{"framed_on_top", 0, true}, StayOnTopCase{"framed_normal", 0, false},
                      StayOnTopCase{"borderless_on_top", 4, true}, StayOnTopCase{"borderless_normal", 4, false}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Mouse-over: the no-difference styles show their twin while the cursor is
// over the window, and every other case keeps its style.

struct MouseOverCase {
    int32_t base;
    bool moExpDiffe;
    int32_t shown;  // the style while the cursor is over the window
};

class MouseOver : public WindowBehaviour, public ::testing::WithParamInterface<MouseOverCase> {};

TEST_P(MouseOver, TwinWhileOverAndBaseAfterLeaving)
{
    const MouseOverCase c = GetParam();
    TCustomSet set;
    set.BaseWinStyle = c.base;
    set.MOExpDiffe = c.moExpDiffe;
    TFormPLN& w = Show(set);
    WaitForTimerToRest();
    const QPoint corner = w.pos();

    QTest::mouseMove(Control("LabelMem"));
    ASSERT_TRUE(w.CalcWinStyleTimer().isActive()) << "the mouse move did not reach the window";
    ExpectLayout(w, c.shown);
    EXPECT_EQ(w.size(), OuterSize(w.Layouts()[static_cast<size_t>(c.shown)]));
    EXPECT_EQ(w.pos(), corner) << "the window grows and shrinks from its top-left";

    ParkCursorAwayFrom(w.frameGeometry());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.CalcWinStyleTimer().isActive(); }, kWaitMs))
        << "the timer must rest once the cursor is away";
    ExpectLayout(w, c.base);
    EXPECT_EQ(w.size(), OuterSize(w.Layouts()[static_cast<size_t>(c.base)]));
    EXPECT_EQ(w.pos(), corner);
}

INSTANTIATE_TEST_SUITE_P(Cases, MouseOver,
    ::testing::Values(MouseOverCase{0, true, 0}, MouseOverCase{1, true, 1}, MouseOverCase{2, true, 1},
                      MouseOverCase{3, true, 3}, MouseOverCase{4, true, 3}, MouseOverCase{5, true, 5},
                      MouseOverCase{6, true, 5}, MouseOverCase{7, true, 7}, MouseOverCase{8, true, 7},
                      MouseOverCase{2, false, 2}, MouseOverCase{4, false, 4}, MouseOverCase{6, false, 6},
                      MouseOverCase{8, false, 8}),
    [](const auto& info) {
        return "style" + std::to_string(info.param.base) + (info.param.moExpDiffe ? "_on" : "_off");
    });

// Where the cursor may rest for the twin to stay: the window's outer
// rectangle including the pixel row and column just beyond it.
struct EdgeCase {
    const char* name;
    QPoint (*cursor)(const QRect& outer);
    bool staysTwin;
};

class CursorNearTheEdge : public WindowBehaviour, public ::testing::WithParamInterface<EdgeCase> {};

TEST_P(CursorNearTheEdge, TwinStaysOnlyUpToOnePixelBeyond)
{
    const EdgeCase c = GetParam();
    TCustomSet set;
    set.BaseWinStyle = 2;
    TFormPLN& w = Show(set);
    WaitForTimerToRest();
    QTest::mouseMove(Control("LabelMem"));
    ASSERT_EQ(w.CurrentWinStyle(), 1);

    const QPoint cursor = c.cursor(w.frameGeometry());
    QCursor::setPos(cursor);
    QCoreApplication::processEvents();
    w.TimerCalcWinStyleTimer();
    EXPECT_EQ(w.CurrentWinStyle(), c.staysTwin ? 1 : 2) << "cursor at " << Str(cursor);
}

INSTANTIATE_TEST_SUITE_P(Cases, CursorNearTheEdge,
    ::testing::Values(
        EdgeCase{"just_right", [](const QRect& r) { return QPoint(r.x() + r.width(), r.y() + 10); }, true},
        EdgeCase{"two_right", [](const QRect& r) { return QPoint(r.x() + r.width() + 1, r.y() + 10); }, false},
        EdgeCase{"just_below", [](const QRect& r) { return QPoint(r.x() + 10, r.y() + r.height()); }, true},
        EdgeCase{"two_below", [](const QRect& r) { return QPoint(r.x() + 10, r.y() + r.height() + 1); }, false},
        EdgeCase{"corner_beyond", [](const QRect& r) { return QPoint(r.x() + r.width(), r.y() + r.height()); }, true},
        EdgeCase{"left_of", [](const QRect& r) { return QPoint(r.x() - 1, r.y() + 10); }, false},
        EdgeCase{"above", [](const QRect& r) { return QPoint(r.x() + 10, r.y() - 1); }, false}),
    [](const auto& info) { return std::string(info.param.name); });

// A twin taller than the room below the window pushes it up with
// InsideDesktop on; shrinking back never moves it down again.
class GrowingAtTheBottom : public WindowBehaviour, public ::testing::WithParamInterface<bool> {};

TEST_P(GrowingAtTheBottom, MovedUpOnlyWithInsideDesktop)
{
    const bool inside = GetParam();
    TCustomSet set;
    set.BaseWinStyle = 2;  // 52 high, its twin 106
    set.InsideDesktop = inside;
    TFormPLN& w = Show(set, QPoint(200, Screen().height() - 60));
    WaitForTimerToRest();
    const QPoint corner = w.pos();
    ASSERT_LE(corner.y() + 52, Screen().height()) << "the base style fits";

    QTest::mouseMove(Control("LabelMem"));
    ASSERT_EQ(w.CurrentWinStyle(), 1);
    const QPoint whileTwin = inside ? QPoint(corner.x(), Screen().height() - 106) : corner;
    EXPECT_EQ(w.pos(), whileTwin);

    ParkCursorAwayFrom(w.frameGeometry());
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.CurrentWinStyle() == 2; }, kWaitMs));
    EXPECT_EQ(w.height(), 52);
    EXPECT_EQ(w.pos(), whileTwin);
}

INSTANTIATE_TEST_SUITE_P(Cases, GrowingAtTheBottom, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "inside_desktop" : "free"; });

// ---------------------------------------------------------------------------
// Drags by the window's body.

struct DragCase {
    const char* name;
    const char* control;
    int32_t style;
};

class DragByBody : public WindowBehaviour, public ::testing::WithParamInterface<DragCase> {};

TEST_P(DragByBody, WindowFollowsTheCursorAndKeepsItsStyle)
{
    const DragCase c = GetParam();
    TCustomSet set;
    set.BaseWinStyle = c.style;
    set.InsideDesktop = true;  // a drop well inside the screen stays where it is
    TFormPLN& w = Show(set);
    QWidget* control = Control(c.control);
    const QPoint start = w.pos();
    const QPoint grip = control->mapToGlobal(control->rect().center());

    Press(control, Qt::LeftButton, grip);
    EXPECT_EQ(w.pos(), start) << "a press alone does not move the window";
    for (const QPoint travel : {QPoint(10, 5), QPoint(-60, 40), QPoint(35, 27)}) {
        MoveHeld(control, grip + travel);
        EXPECT_EQ(w.pos(), start + travel) << "travel " << Str(travel);
        EXPECT_EQ(w.CurrentWinStyle(), c.style) << "a drag never shows the twin";
    }
    Release(control, Qt::LeftButton, grip + QPoint(35, 27));
    QCoreApplication::processEvents();
    EXPECT_EQ(w.pos(), start + QPoint(35, 27));
    EXPECT_EQ(w.frameGeometry().topLeft(), start + QPoint(35, 27));
    EXPECT_EQ(w.CurrentWinStyle(), c.style);
    EXPECT_FALSE(w.PopupMenu()->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Cases, DragByBody,
    ::testing::Values(DragCase{"name_label", "LabelMem", 1}, DragCase{"difference_label", "LabelSwapDiffe", 1},
                      DragCase{"unit_label", "LabelMemUnit", 1}, DragCase{"bar_image", "ImageMem", 1},
                      DragCase{"difference_image", "ImageSwapDiffe", 1}, DragCase{"panel", "PanelPelorin", 1},
                      DragCase{"framed_by_image", "ImageSwap", 0},
                      DragCase{"no_difference_style_by_image", "ImageMem", 2},
                      DragCase{"moved_image", "ImageSwap", 4}),
    [](const auto& info) { return std::string(info.param.name); });

// Where a drop near the screen's edges leaves the window (style 1,
// 241 x 106, borderless, on a screen of whatever size the platform has).
struct DropCase {
    const char* name;
    bool insideDesktop;
    QPoint (*drop)(QSize screen, QSize window);
    QPoint (*landing)(QSize screen, QSize window);
};

class DropNearTheEdge : public WindowBehaviour, public ::testing::WithParamInterface<DropCase> {};

TEST_P(DropNearTheEdge, PulledInsideOnlyAtTheDropWithInsideDesktop)
{
    const DropCase c = GetParam();
    TCustomSet set;
    set.BaseWinStyle = 1;
    set.InsideDesktop = c.insideDesktop;
    TFormPLN& w = Show(set);
    QWidget* label = Control("LabelMem");
    const QSize screen = Screen().size();
    const QPoint drop = c.drop(screen, w.size());
    const QPoint grip = label->mapToGlobal(label->rect().center());
    const QPoint travel = drop - w.pos();

    Press(label, Qt::LeftButton, grip);
    MoveHeld(label, grip + travel);
    EXPECT_EQ(w.pos(), drop) << "during the drag the window may leave the screen";
    Release(label, Qt::LeftButton, grip + travel);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.pos(), c.landing(screen, w.size()));
}

INSTANTIATE_TEST_SUITE_P(Cases, DropNearTheEdge,
    ::testing::Values(
        DropCase{"past_left", true, [](QSize, QSize) { return QPoint(-40, 150); },
                 [](QSize, QSize) { return QPoint(0, 150); }},
        DropCase{"past_left_free", false, [](QSize, QSize) { return QPoint(-40, 150); },
                 [](QSize, QSize) { return QPoint(-40, 150); }},
        DropCase{"past_top", true, [](QSize, QSize) { return QPoint(200, -25); },
                 [](QSize, QSize) { return QPoint(200, 0); }},
        DropCase{"past_top_left", true, [](QSize, QSize) { return QPoint(-10, -10); },
                 [](QSize, QSize) { return QPoint(0, 0); }},
        DropCase{"past_right", true,
                 [](QSize s, QSize w) { return QPoint(s.width() - w.width() + 30, 150); },
                 [](QSize s, QSize w) { return QPoint(s.width() - w.width(), 150); }},
        DropCase{"past_bottom", true,
                 [](QSize s, QSize w) { return QPoint(200, s.height() - w.height() + 30); },
                 [](QSize s, QSize w) { return QPoint(200, s.height() - w.height()); }},
        DropCase{"past_bottom_right_free", false,
                 [](QSize s, QSize w) { return QPoint(s.width() - w.width() + 30, s.height() - w.height() + 30); },
                 [](QSize s, QSize w) { return QPoint(s.width() - w.width() + 30, s.height() - w.height() + 30); }},
        DropCase{"touching_the_corner", true,
                 [](QSize s, QSize w) { return QPoint(s.width() - w.width(), s.height() - w.height()); },
                 [](QSize s, QSize w) { return QPoint(s.width() - w.width(), s.height() - w.height()); }}),
    [](const auto& info) { return std::string(info.param.name); });

// A double click grips the window as a single press does: its second press
// reaches the window as a double-click event.
TEST_F(WindowBehaviour, SecondClickOfADoubleClickDrags)
{
    TCustomSet set;
    set.BaseWinStyle = 1;
    set.InsideDesktop = true;
    TFormPLN& w = Show(set);
    QWidget* label = Control("LabelMem");
    const QPoint start = w.pos();
    const QPoint grip = label->mapToGlobal(label->rect().center());

    Press(label, Qt::LeftButton, grip);
    Release(label, Qt::LeftButton, grip);
    QTest::mouseDClick(label, Qt::LeftButton, {}, label->mapFromGlobal(grip));
    // mouseDClick ends with its own release: grip again by the double-click
    // event alone, as the window system delivers the second press.
    QMouseEvent second(QEvent::MouseButtonDblClick, label->mapFromGlobal(grip), grip, Qt::LeftButton,
                       Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(label, &second);
    MoveHeld(label, grip + QPoint(30, 20));
    EXPECT_EQ(w.pos(), start + QPoint(30, 20));
    Release(label, Qt::LeftButton, grip + QPoint(30, 20));
    EXPECT_EQ(w.pos(), start + QPoint(30, 20));
}

// ---------------------------------------------------------------------------
// The other buttons.

TEST_F(WindowBehaviour, RightReleaseOpensTheMenuWhereTheButtonWasReleased)
{
    TCustomSet set;
    set.BaseWinStyle = 1;
    TFormPLN& w = Show(set);
    QWidget* image = Control("ImageSwap");
    const QPoint start = w.pos();
    const QPoint press = image->mapToGlobal(QPoint(5, 5));
    const QPoint release = image->mapToGlobal(QPoint(60, 10));

    Press(image, Qt::RightButton, press);
    EXPECT_FALSE(w.PopupMenu()->isVisible()) << "the menu opens on the release, not on the press";
    Release(image, Qt::RightButton, release);
    ASSERT_TRUE(w.PopupMenu()->isVisible());
    EXPECT_EQ(w.PopupMenu()->pos(), release);
    EXPECT_EQ(w.pos(), start) << "the right button does not drag";
}

TEST_F(WindowBehaviour, MiddleButtonNeitherDragsNorOpensTheMenu)
{
    TCustomSet set;
    set.BaseWinStyle = 1;
    TFormPLN& w = Show(set);
    QWidget* label = Control("LabelSwap");
    const QPoint start = w.pos();
    const QPoint grip = label->mapToGlobal(label->rect().center());

    Press(label, Qt::MiddleButton, grip);
    MoveHeld(label, grip + QPoint(40, 30));
    Release(label, Qt::MiddleButton, grip + QPoint(40, 30));
    QCoreApplication::processEvents();
    EXPECT_EQ(w.pos(), start);
    EXPECT_FALSE(w.PopupMenu()->isVisible());
}

// ---------------------------------------------------------------------------
// Minimise and restore: the title carries the figures while minimised, and
// the task bar entry is there exactly while minimised when UnTaskBar is on.

struct MinimizeCase {
    const char* name;
    bool fromMenu;  // else the window manager iconifies the window
    bool unTaskBar;
};

class MinimizeCycle : public WindowBehaviour, public ::testing::WithParamInterface<MinimizeCase> {};

TEST_P(MinimizeCycle, TitleAndTaskBarEntryFollowTheState)
{
    const MinimizeCase c = GetParam();
    TCustomSet set;
    set.BaseWinStyle = 2;
    set.UnTaskBar = c.unTaskBar;
    TFormPLN& w = Show(set);
    const uint32_t id = static_cast<uint32_t>(w.windowHandle()->winId());
    const auto lastSkip = [&] { return windows.skipTaskbar.back(); };
    const auto shownState = std::make_pair(id, c.unTaskBar);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !windows.skipTaskbar.empty() && lastSkip() == shownState; }, kWaitMs));

    if (c.fromMenu) {
        QAction* minimize = nullptr;
        for (QAction* action : w.PopupMenu()->actions())
            if (action->text() == QStringLiteral("&M・最小化"))
                minimize = action;
        ASSERT_NE(minimize, nullptr);
        minimize->trigger();
    } else {
        w.setWindowState(Qt::WindowMinimized);
    }
    EXPECT_TRUE(w.isMinimized());
    EXPECT_TRUE(w.Minimized());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("1953／7812[KB] - ペロリン"));
    EXPECT_EQ(lastSkip(), std::make_pair(id, false)) << "the entry carries the figures while minimised";

    w.showNormal();
    EXPECT_FALSE(w.Minimized());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("ペロリン"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return lastSkip() == shownState; }, kWaitMs));
    EXPECT_EQ(w.CurrentWinStyle(), 2);
    EXPECT_EQ(w.size(), QSize(241, 52));
}

INSTANTIATE_TEST_SUITE_P(Cases, MinimizeCycle,
    ::testing::Values(MinimizeCase{"menu_off_task_bar", true, true}, MinimizeCase{"menu_on_task_bar", true, false},
                      MinimizeCase{"window_manager_off_task_bar", false, true},
                      MinimizeCase{"window_manager_on_task_bar", false, false}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Beside a laptop panel: the primary screen lies right of it and lower, so
// its origin is not 0,0 (run with tests/widget/offscreen-two-screens.json).

class TwoScreens : public WindowBehaviour {
protected:
    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::screens().size(), 2) << "run with offscreen-two-screens.json";
        ASSERT_EQ(Screen(), QRect(1366, 100, 1920, 1080)) << "run with offscreen-two-screens.json";
    }
};

struct TwoScreenDrop {
    const char* name;
    QPoint drop;     // relative to the primary screen's corner
    QPoint landing;  // likewise
};

class TwoScreensDrop : public TwoScreens, public ::testing::WithParamInterface<TwoScreenDrop> {};

TEST_P(TwoScreensDrop, KeptInsideThePrimaryScreen)
{
    const TwoScreenDrop c = GetParam();
    TCustomSet set;
    set.BaseWinStyle = 1;  // 241 x 106
    set.InsideDesktop = true;
    const QPoint origin = Screen().topLeft();
    TFormPLN& w = Show(set, origin + QPoint(300, 200));
    ASSERT_EQ(w.pos(), origin + QPoint(300, 200));
    QWidget* label = Control("LabelMem");
    const QPoint grip = label->mapToGlobal(label->rect().center());
    const QPoint travel = origin + c.drop - w.pos();

    Press(label, Qt::LeftButton, grip);
    MoveHeld(label, grip + travel);
    Release(label, Qt::LeftButton, grip + travel);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.pos() - origin, c.landing);
}

INSTANTIATE_TEST_SUITE_P(Cases, TwoScreensDrop,
    ::testing::Values(TwoScreenDrop{"well_inside", {1600, 900}, {1600, 900}},
                      TwoScreenDrop{"onto_the_panel", {-200, 300}, {0, 300}},
                      TwoScreenDrop{"above", {500, -50}, {500, 0}},
                      TwoScreenDrop{"past_the_far_corner", {1900, 1000}, {1920 - 241, 1080 - 106}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

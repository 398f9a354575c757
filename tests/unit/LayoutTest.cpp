// SPDX-License-Identifier: MIT
#include "settings/DesktopKeeper.h"
#include "settings/TLayoutInfo.h"

#include "RecordingMessageBox.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using C = TLayoutInfo;
using Points = std::array<TPoint, C::ControlCount>;

// The monitor window as designed at 96 ppi: client 241 x 150 in a single
// frame with a caption, controls at their form positions.
TDesignGeometry DesignGeometry()
{
    TDesignGeometry g;
    g.OuterHeight = 176;
    g.OuterWidth = 247;
    g.Pos = Points{{{8, 8}, {8, 32}, {8, 64}, {8, 88}, {64, 6}, {64, 30}, {64, 62}, {64, 86}}};
    g.BevelSepTop = 104;
    g.ImageMemDiffeHeight = 17;
    g.ImageMemWidth = 137;
    return g;
}

struct LayoutRow {
    int style;
    int32_t height;
    int32_t width;
    Points pos; // LabelMem, LabelMemDiffe, LabelSwap, LabelSwapDiffe, ImageMem, ImageMemDiffe, ImageSwap, ImageSwapDiffe
};

std::string Describe(const Points& p)
{
    std::string s;
    for (const TPoint& pt : p)
        s += "(" + std::to_string(pt.x) + "," + std::to_string(pt.y) + ")";
    return s;
}

TEST(LayoutInfoTest, DesignGeometryGivesTheNineLayouts)
{
    const int32_t H0 = 176;
    const int32_t W0 = 247;
    const std::vector<LayoutRow> rows = {
        {0, H0, W0, {{{8, 8}, {8, 32}, {8, 64}, {8, 88}, {64, 6}, {64, 30}, {64, 62}, {64, 86}}}},
        {1, 106, W0, {{{8, 8}, {8, 32}, {8, 64}, {8, 88}, {64, 6}, {64, 30}, {64, 62}, {64, 86}}}},
        {2, 52, W0, {{{8, 8}, {8, 64}, {8, 32}, {8, 88}, {64, 6}, {64, 62}, {64, 30}, {64, 86}}}},
        {3, 106, 153, {{{8, 8}, {8, 32}, {8, 64}, {8, 88}, {8, 8}, {8, 32}, {8, 64}, {8, 88}}}},
        {4, 52, 153, {{{8, 8}, {8, 32}, {8, 64}, {8, 88}, {8, 8}, {64, 62}, {8, 32}, {64, 86}}}},
        {5, 52, W0, {{{8, 8}, {8, 32}, {8, 64}, {8, 88}, {64, 6}, {64, 30}, {64, 62}, {64, 86}}}},
        {6, 29, W0, {{{8, 8}, {8, 32}, {8, 64}, {8, 88}, {64, 6}, {64, 30}, {64, 62}, {64, 86}}}},
        {7, 52, 153, {{{8, 8}, {8, 32}, {8, 64}, {8, 88}, {8, 8}, {8, 32}, {64, 62}, {64, 86}}}},
        {8, 29, 153, {{{8, 8}, {8, 32}, {8, 64}, {8, 88}, {8, 8}, {64, 30}, {64, 62}, {64, 86}}}},
    };
    ASSERT_EQ(rows.size(), 9u);

    const TLayoutTable table = LayoutTableFromDesign(DesignGeometry());
    for (const LayoutRow& row : rows) {
        SCOPED_TRACE("style " + std::to_string(row.style));
        const TLayoutInfo& info = table[row.style];
        EXPECT_EQ(info.Height, row.height);
        EXPECT_EQ(info.Width, row.width);
        EXPECT_EQ(info.Pos, row.pos) << "got " << Describe(info.Pos);
    }
}

TEST(LayoutInfoTest, ScaledGeometryDerivesSizesFromTheControls)
{
    // The form at 144 ppi: everything 1.5 times the design, odd sizes rounded.
    TDesignGeometry g;
    g.OuterHeight = 264;
    g.OuterWidth = 370;
    g.Pos = Points{{{12, 12}, {12, 48}, {12, 96}, {12, 132}, {96, 9}, {96, 45}, {96, 93}, {96, 129}}};
    g.BevelSepTop = 156;
    g.ImageMemDiffeHeight = 26;
    g.ImageMemWidth = 206;

    const TLayoutTable t = LayoutTableFromDesign(g);

    struct Size {
        int style;
        int32_t height;
        int32_t width;
    };
    const std::vector<Size> sizes = {
        {0, 264, 370}, {1, 158, 370}, {2, 76, 370}, {3, 158, 222}, {4, 76, 222},
        {5, 76, 370},  {6, 44, 370},  {7, 76, 222}, {8, 44, 222},
    };
    for (const Size& s : sizes) {
        SCOPED_TRACE("style " + std::to_string(s.style));
        EXPECT_EQ(t[s.style].Height, s.height);
        EXPECT_EQ(t[s.style].Width, s.width);
    }

    // The moved controls take the scaled positions of the controls they
    // replace, not the design ones.
    EXPECT_EQ(t[2].Pos, (Points{{{12, 12}, {12, 96}, {12, 48}, {12, 132}, {96, 9}, {96, 93}, {96, 45}, {96, 129}}}));
    EXPECT_EQ(t[4].Pos, (Points{{{12, 12}, {12, 48}, {12, 96}, {12, 132}, {12, 12}, {96, 93}, {12, 48}, {96, 129}}}));
    EXPECT_EQ(t[0].Pos, g.Pos);
}

TEST(LayoutInfoTest, SwapPosExchangesBothCoordinates)
{
    TPoint a{1, 2};
    TPoint b{3, 4};
    SwapPos(a, b);
    EXPECT_EQ(a, (TPoint{3, 4}));
    EXPECT_EQ(b, (TPoint{1, 2}));
}

TEST(NoDiffeWinStyleTest, ClassifiesStylesAndReportsOutOfRange)
{
    struct Case {
        uint32_t style;
        bool expected;
        bool reported;
    };
    const std::vector<Case> cases = {
        {0, false, false}, {1, false, false}, {2, true, false}, {3, false, false},
        {4, true, false},  {5, false, false}, {6, true, false}, {7, false, false},
        {8, true, false},  {9, false, true},  {static_cast<uint32_t>(-1), false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("style " + std::to_string(c.style));
        RecordingMessageBox box;
        EXPECT_EQ(NoDiffeWinStyle(c.style), c.expected);
        if (!c.reported) {
            EXPECT_TRUE(box.shown.empty());
            continue;
        }
        ASSERT_EQ(box.shown.size(), 1u);
        EXPECT_EQ(box.shown[0].text, "内部エラー");
        EXPECT_EQ(box.shown[0].caption, "NoDiffeWinStyle()");
        EXPECT_EQ(box.shown[0].flags, MB_OK | MB_ICONEXCLAMATION);
    }
}

TEST(MouseOverWinStyleTest, NoDifferenceStylesTurnIntoTheirTwin)
{
    struct Case {
        int32_t base;
        bool moExpDiffe;
        int32_t expected;
        bool reported;
    };
    const std::vector<Case> cases = {
        {0, true, 0, false},  {1, true, 1, false},  {2, true, 1, false},  {3, true, 3, false},
        {4, true, 3, false},  {5, true, 5, false},  {6, true, 5, false},  {7, true, 7, false},
        {8, true, 7, false},  {0, false, 0, false}, {1, false, 1, false}, {2, false, 2, false},
        {3, false, 3, false}, {4, false, 4, false}, {5, false, 5, false}, {6, false, 6, false},
        {7, false, 7, false}, {8, false, 8, false},
        // An out-of-range style is reported only when the check runs, and
        // keeps its value.
        {9, true, 9, true},   {9, false, 9, false}, {-1, true, -1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("base " + std::to_string(c.base) + (c.moExpDiffe ? " on" : " off"));
        RecordingMessageBox box;
        EXPECT_EQ(MouseOverWinStyle(c.base, c.moExpDiffe), c.expected);
        EXPECT_EQ(box.shown.size(), c.reported ? 1u : 0u);
    }
}

TEST(CursorInsideWindowTest, BothFarEdgesCountAsInside)
{
    // Window at (100, 200), 50 x 30: inside means 100..150 and 200..230.
    struct Case {
        TPoint cursor;
        bool inside;
    };
    const std::vector<Case> cases = {
        {{120, 215}, true},  {{100, 200}, true},  {{150, 230}, true},  {{150, 200}, true},
        {{100, 230}, true},  {{99, 215}, false},  {{151, 215}, false}, {{120, 199}, false},
        {{120, 231}, false}, {{151, 231}, false}, {{99, 199}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("cursor " + std::to_string(c.cursor.x) + "," + std::to_string(c.cursor.y));
        EXPECT_EQ(CursorInsideWindow(c.cursor, 100, 200, 50, 30), c.inside);
    }
}

TEST(CursorInsideWindowTest, WindowNearTheIntegerLimitDoesNotOverflow)
{
    const int32_t big = INT32_MAX - 10;
    EXPECT_TRUE(CursorInsideWindow({INT32_MAX, INT32_MAX}, big, big, 50, 30));
    EXPECT_FALSE(CursorInsideWindow({big - 1, big}, big, big, 50, 30));
}

TEST(KeepInsideDesktopTest, PullsTheWindowInsideTheScreen)
{
    const int32_t sw = 1920;
    const int32_t sh = 1080;
    struct Case {
        const char* name;
        TWindowRect window;
        bool active;
        TPoint expected;
    };
    const std::vector<Case> cases = {
        {"inside", {100, 100, 247, 176}, true, {100, 100}},
        {"touching every edge", {0, 0, 1920, 1080}, true, {0, 0}},
        {"right edge on the screen edge", {1673, 904, 247, 176}, true, {1673, 904}},
        {"left beyond", {-10, 100, 247, 176}, true, {0, 100}},
        {"right beyond", {1800, 100, 247, 176}, true, {1673, 100}},
        {"top beyond", {100, -5, 247, 176}, true, {100, 0}},
        {"bottom beyond", {100, 1000, 247, 176}, true, {100, 904}},
        {"top-left corner beyond", {-30, -40, 247, 176}, true, {0, 0}},
        {"bottom-right corner beyond", {1900, 1050, 247, 176}, true, {1673, 904}},
        {"wider than the screen", {50, 100, 2000, 176}, true, {0, 100}},
        {"wider and beyond the left", {-100, 100, 2000, 176}, true, {0, 100}},
        {"taller than the screen", {100, 50, 247, 1200}, true, {100, 0}},
        {"taller and beyond the top", {100, -300, 247, 1200}, true, {100, 0}},
        {"far beyond the right", {INT32_MAX - 5, 100, 247, 176}, true, {1673, 100}},
        {"inactive", {-30, 2000, 247, 176}, false, {-30, 2000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TPoint first = KeepInsideDesktopPos(c.window, {0, 0, sw, sh}, c.active);
        EXPECT_EQ(first, c.expected) << "got " << first.x << "," << first.y;

        // The move made here runs the check again; it must find nothing to do.
        TWindowRect moved = c.window;
        moved.Left = first.x;
        moved.Top = first.y;
        EXPECT_EQ(KeepInsideDesktopPos(moved, {0, 0, sw, sh}, c.active), first);
    }
}

// A primary screen right of a laptop panel, and lower: its own edges count,
// not those of a screen at 0,0.
TEST(KeepInsideDesktopTest, PrimaryScreenAwayFromTheOrigin)
{
    const TWindowRect screen{1366, 100, 1920, 1080};
    struct Case {
        const char* name;
        TWindowRect window;
        TPoint expected;
    };
    const std::vector<Case> cases = {
        {"inside near its right edge", {3000, 900, 241, 106}, {3000, 900}},
        {"inside touching its far corner", {3045, 1074, 241, 106}, {3045, 1074}},
        {"on the panel to its left", {200, 300, 241, 106}, {1366, 300}},
        {"across its left edge", {1300, 300, 241, 106}, {1366, 300}},
        {"above its top", {2000, 50, 241, 106}, {2000, 100}},
        {"past its far corner", {3200, 1150, 241, 106}, {3045, 1074}},
        {"wider than it", {1000, 300, 2000, 106}, {1366, 300}},
        {"taller than it", {2000, 0, 241, 1200}, {2000, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TPoint first = KeepInsideDesktopPos(c.window, screen, true);
        EXPECT_EQ(first, c.expected) << "got " << first.x << "," << first.y;
        TWindowRect moved = c.window;
        moved.Left = first.x;
        moved.Top = first.y;
        EXPECT_EQ(KeepInsideDesktopPos(moved, screen, true), first);
    }
}

TEST(KeepInsideDesktopTest, ActiveOnlyAfterStartUpOutsideADragWithTheSettingOn)
{
    struct Case {
        bool initializing;
        bool dragging;
        bool insideDesktop;
        bool active;
    };
    const std::vector<Case> cases = {
        {false, false, true, true},   {true, false, true, false},  {false, true, true, false},
        {false, false, false, false}, {true, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.initializing) + std::to_string(c.dragging) +
                     std::to_string(c.insideDesktop));
        EXPECT_EQ(KeepInsideDesktopActive(c.initializing, c.dragging, c.insideDesktop), c.active);
    }
}

} // namespace

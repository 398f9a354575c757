// SPDX-License-Identifier: MIT
#pragma once

#include "settings/TCustomSet.h"

#include <array>
#include <cstddef>
#include <cstdint>

// A point in pixels: a control's Left/Top on the panel, or a screen position.
struct TPoint {
    int32_t x = 0;
    int32_t y = 0;

    bool operator==(const TPoint&) const = default;
};

// One window style: the window's outer size and where the eight controls that
// move between styles sit on the panel. Styles hide rows only through the
// window size and these positions; nothing is shown or hidden otherwise.
struct TLayoutInfo {
    // Index into Pos. Nested so that the window's members of the same names
    // (its labels and images) do not hide these constants.
    enum LayoutControl : std::size_t {
        LabelMem = 0,
        LabelMemDiffe,
        LabelSwap,
        LabelSwapDiffe,
        ImageMem,
        ImageMemDiffe,
        ImageSwap,
        ImageSwapDiffe,
        ControlCount
    };

    int32_t Height = 0; // outer height, frame and caption included
    int32_t Width = 0;  // outer width
    std::array<TPoint, ControlCount> Pos{};

    bool operator==(const TLayoutInfo&) const = default;
};

using TLayoutTable = std::array<TLayoutInfo, kWinStyleCount>;

// What the layouts are derived from: the window's geometry as it is when
// created. The window fills this from its real widgets, so the table follows
// the form wherever it has been scaled for the screen.
struct TDesignGeometry {
    int32_t OuterHeight = 0;         // window height, frame and caption included
    int32_t OuterWidth = 0;          // window width, frame included
    std::array<TPoint, TLayoutInfo::ControlCount> Pos{}; // panel-relative Left/Top
    int32_t BevelSepTop = 0;         // the separator above the buttons
    int32_t ImageMemDiffeHeight = 0; // its Top is Pos[ImageMemDiffe].y
    int32_t ImageMemWidth = 0;
};

// Exchanges two points.
void SwapPos(TPoint& a, TPoint& b);

// True for the styles without difference rows (2, 4, 6, 8). Anything above 8,
// including -1 passed from a combo box with no selection, is an internal
// error: it is reported in a message box and counts as a style with rows.
bool NoDiffeWinStyle(uint32_t style);

// The nine layouts, indexed by window style, derived from the design geometry.
TLayoutTable LayoutTableFromDesign(const TDesignGeometry& design);

// The style to show while the mouse is over the window: a style without
// difference rows turns into its twin with them (one lower) when the
// mouse-over setting is on; every other style stays.
int32_t MouseOverWinStyle(int32_t baseWinStyle, bool moExpDiffe);

// Whether the cursor is over the window's rectangle. Both far edges count as
// inside (Left <= x <= Left + Width), so the pixel just beyond the window does
// too: the mouse-over style is kept until the cursor is clearly away.
bool CursorInsideWindow(TPoint cursor, int32_t left, int32_t top, int32_t width, int32_t height);

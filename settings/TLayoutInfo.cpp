// SPDX-License-Identifier: MIT
#include "settings/TLayoutInfo.h"

#include "shared/MsgBox.h"

#include <utility>

void SwapPos(TPoint& a, TPoint& b)
{
    std::swap(a, b);
}

bool NoDiffeWinStyle(uint32_t style)
{
    switch (style) {
    case 2:
    case 4:
    case 6:
    case 8:
        return true;
    case 0:
    case 1:
    case 3:
    case 5:
    case 7:
        return false;
    default:
        MsgBox("内部エラー", "NoDiffeWinStyle()", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
}

TLayoutTable LayoutTableFromDesign(const TDesignGeometry& design)
{
    using C = TLayoutInfo;

    // Style 0 is the window as designed; every other style starts from it.
    TLayoutInfo full;
    full.Height = design.OuterHeight;
    full.Width = design.OuterWidth;
    full.Pos = design.Pos;

    TLayoutTable t;
    t.fill(full);

    // Heights: down to the separator (four rows), to just under the second
    // row (two rows), or to just above it (one row).
    const int32_t diffeTop = design.Pos[C::ImageMemDiffe].y;
    t[1].Height = t[3].Height = design.BevelSepTop + 2;
    t[2].Height = t[4].Height = diffeTop + design.ImageMemDiffeHeight + 5;
    t[5].Height = t[7].Height = t[2].Height;
    t[6].Height = t[8].Height = diffeTop - 1;

    // Styles without name labels are one image wide plus its margins.
    for (int style : {3, 4, 7, 8})
        t[style].Width = design.ImageMemWidth + 16;

    // Style 2: the swap row moves up into the second row.
    SwapPos(t[2].Pos[C::LabelSwap], t[2].Pos[C::LabelMemDiffe]);
    SwapPos(t[2].Pos[C::ImageSwap], t[2].Pos[C::ImageMemDiffe]);

    // Style 3: each image moves onto its label, to the left edge.
    t[3].Pos[C::ImageMem] = t[3].Pos[C::LabelMem];
    t[3].Pos[C::ImageMemDiffe] = t[3].Pos[C::LabelMemDiffe];
    t[3].Pos[C::ImageSwap] = t[3].Pos[C::LabelSwap];
    t[3].Pos[C::ImageSwapDiffe] = t[3].Pos[C::LabelSwapDiffe];

    // Style 4: memory bar at the left edge, swap bar under it in the second
    // row; the memory difference image goes where the swap bar was.
    t[4].Pos[C::ImageMem] = t[4].Pos[C::LabelMem];
    SwapPos(t[4].Pos[C::ImageSwap], t[4].Pos[C::ImageMemDiffe]);
    t[4].Pos[C::ImageSwap] = t[4].Pos[C::LabelMemDiffe];

    // Style 7: memory bar and its difference image at the left edge.
    t[7].Pos[C::ImageMem] = t[7].Pos[C::LabelMem];
    t[7].Pos[C::ImageMemDiffe] = t[7].Pos[C::LabelMemDiffe];

    // Style 8: the memory bar alone at the left edge.
    t[8].Pos[C::ImageMem] = t[8].Pos[C::LabelMem];

    return t;
}

int32_t MouseOverWinStyle(int32_t baseWinStyle, bool moExpDiffe)
{
    // The style check runs only with the setting on, so an out-of-range style
    // is reported only when it would matter.
    if (moExpDiffe && NoDiffeWinStyle(static_cast<uint32_t>(baseWinStyle)))
        return baseWinStyle - 1;
    return baseWinStyle;
}

bool CursorInsideWindow(TPoint cursor, int32_t left, int32_t top, int32_t width, int32_t height)
{
    // 64-bit sums: a window placed near the limits of int32 must not overflow.
    const int64_t right = int64_t{left} + width;
    const int64_t bottom = int64_t{top} + height;
    return left <= cursor.x && cursor.x <= right && top <= cursor.y && cursor.y <= bottom;
}

// SPDX-License-Identifier: MIT
#include "settings/DesktopKeeper.h"

bool KeepInsideDesktopActive(bool initializing, bool dragging, bool insideDesktop)
{
    return !initializing && !dragging && insideDesktop;
}

TPoint KeepInsideDesktopPos(const TWindowRect& window, const TWindowRect& screen, bool active)
{
    if (!active)
        return {window.Left, window.Top};

    // 64-bit arithmetic: Left + Width of a window far off screen must not
    // overflow.
    const int64_t screenLeft = screen.Left;
    const int64_t screenTop = screen.Top;
    const int64_t screenRight = screenLeft + screen.Width;
    const int64_t screenBottom = screenTop + screen.Height;
    int64_t left = window.Left;
    int64_t top = window.Top;

    if (left < screenLeft)
        left = screenLeft;
    if (screenRight < left + window.Width)
        left = screenRight - window.Width;
    if (top < screenTop)
        top = screenTop;
    if (screenBottom < top + window.Height)
        top = screenBottom - window.Height;

    // A window larger than the screen cannot pass both tests of a dimension;
    // the left and top edges win. That keeps the top-left corner on screen,
    // where the caption of the framed style and the first bar are, so the
    // window can still be grabbed and moved; and a window already at the
    // screen's edge stays there, so the check run by the move never flips it
    // back and forth.
    if (left < screenLeft)
        left = screenLeft;
    if (top < screenTop)
        top = screenTop;

    // The result lies between the screen's edges and the original value, all
    // of which fit 32 bits.
    return {static_cast<int32_t>(left), static_cast<int32_t>(top)};
}

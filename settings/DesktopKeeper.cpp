// SPDX-License-Identifier: MIT
#include "settings/DesktopKeeper.h"

bool KeepInsideDesktopActive(bool initializing, bool dragging, bool insideDesktop)
{
    return !initializing && !dragging && insideDesktop;
}

TPoint KeepInsideDesktopPos(const TWindowRect& window, int32_t screenWidth, int32_t screenHeight,
                            bool active)
{
    if (!active)
        return {window.Left, window.Top};

    // 64-bit arithmetic: Left + Width of a window far off screen must not
    // overflow.
    int64_t left = window.Left;
    int64_t top = window.Top;

    if (left < 0)
        left = 0;
    if (screenWidth < left + window.Width)
        left = int64_t{screenWidth} - window.Width;
    if (top < 0)
        top = 0;
    if (screenHeight < top + window.Height)
        top = int64_t{screenHeight} - window.Height;

    // A window larger than the screen cannot pass both tests of a dimension;
    // the left and top edges win. That keeps the top-left corner on screen,
    // where the caption of the framed style and the first bar are, so the
    // window can still be grabbed and moved; and a window already at 0 stays
    // there, so the check run by the move never flips it back and forth.
    if (left < 0)
        left = 0;
    if (top < 0)
        top = 0;

    // The result lies between 0 and the original value or the screen size,
    // all of which fit 32 bits.
    return {static_cast<int32_t>(left), static_cast<int32_t>(top)};
}

// SPDX-License-Identifier: MIT
#pragma once

#include "settings/TLayoutInfo.h"

#include <cstdint>

// The window's outer frame in screen pixels, frame and caption included.
struct TWindowRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
};

// Whether the window is held inside the screen now: not while start-up is
// still placing it from the stored position, not in the middle of a drag
// (only the drop counts), and only with the setting on.
bool KeepInsideDesktopActive(bool initializing, bool dragging, bool insideDesktop);

// Where the window's top-left goes so that it lies inside the screen: the
// whole primary screen, which need not start at 0,0 (a primary output right
// of a laptop panel starts where the panel ends). Returns the position
// unchanged when the check is not active. Applying it to its own result gives
// the same result, so the move it causes, which runs the check again, ends
// there.
TPoint KeepInsideDesktopPos(const TWindowRect& window, const TWindowRect& screen, bool active);

// SPDX-License-Identifier: MIT
#pragma once

// Whether the X display named by DISPLAY answers. Qt's xcb platform plugin
// cannot report a display it fails to open: it ends the process with
// abort(). Asking first lets the program say so and end normally. Opens and
// closes a connection of its own.
bool CanOpenXDisplay();

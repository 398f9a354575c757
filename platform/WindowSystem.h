// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <utility>

// What the monitor asks of the window manager beyond what the toolkit offers.
// Window ids are X11 window ids.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    // Asks the window manager to raise and focus the window of another copy.
    virtual void ActivateWindow(uint32_t window) = 0;
    // Keeps the window's button off the task bar, or puts it back.
    virtual void SetSkipTaskbar(uint32_t window, bool skip) = 0;
    // Where the window's outer frame really is on the screen, asked of the X
    // server; empty when it cannot be told.
    virtual std::optional<std::pair<int, int>> FramePosition(uint32_t window) = 0;
};

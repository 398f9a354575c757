// SPDX-License-Identifier: MIT
#pragma once

#include "platform/WindowSystem.h"

#include <cstdint>
#include <string_view>

struct xcb_connection_t;

// EWMH requests sent through Qt's own X connection. Without an X connection
// (another platform plugin) the requests have no window manager to go to and
// do nothing.
class X11WindowSystem : public WindowSystem {
public:
    X11WindowSystem();
    void ActivateWindow(uint32_t window) override;
    void SetSkipTaskbar(uint32_t window, bool skip) override;
    std::optional<std::pair<int, int>> FramePosition(uint32_t window) override;

private:
    uint32_t Atom(std::string_view name) const;
    void SendToRoot(uint32_t window, uint32_t type, const uint32_t (&data)[5]) const;

    xcb_connection_t* connection_ = nullptr;
    uint32_t root_ = 0;
};

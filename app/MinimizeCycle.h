// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

class QWidget;
class QWindowStateChangeEvent;

// The window's own minimise and restore. The state is kept here rather than
// read from the window, because iconifying reports back at once and a window
// that starts minimised has never been shown: whichever way the window is
// iconified (menu item, caption button, window manager) takes the same road,
// and so does every restore.
class MinimizeCycle {
public:
    MinimizeCycle(QWidget& window, std::function<void()> minimized, std::function<void()> restored);

    bool Minimized() const { return minimized_; }
    // The state loaded or asked for at start, before the window is shown.
    void SetMinimized(bool minimized) { minimized_ = minimized; }
    // Shows the window normally, or iconified from the start without ever
    // showing it normally first.
    void ShowAtStart();
    void Minimize();
    // From the window's changeEvent.
    void StateChanged(const QWindowStateChangeEvent& change);

private:
    QWidget& window_;
    std::function<void()> minimizedSteps_;
    std::function<void()> restoredSteps_;
    bool minimized_ = false;
};

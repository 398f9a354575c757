// SPDX-License-Identifier: MIT
#include "app/MinimizeCycle.h"

#include <QWidget>
#include <QWindowStateChangeEvent>
#include <utility>

MinimizeCycle::MinimizeCycle(QWidget& window, std::function<void()> minimized, std::function<void()> restored)
    : window_(window), minimizedSteps_(std::move(minimized)), restoredSteps_(std::move(restored))
{
}

void MinimizeCycle::ShowAtStart()
{
    if (minimized_)
        window_.showMinimized();
    else
        window_.show();
}

void MinimizeCycle::Minimize()
{
    // Set first: iconifying reports the state change back at once.
    minimized_ = true;
    if (!window_.isMinimized())
        window_.showMinimized();
    minimizedSteps_();
}

void MinimizeCycle::StateChanged(const QWindowStateChangeEvent& change)
{
    if (window_.isMinimized() && !minimized_) {
        // Iconified by the window manager or the caption button: the same as
        // the menu item.
        Minimize();
    } else if ((change.oldState() & Qt::WindowMinimized) && !window_.isMinimized() && minimized_) {
        minimized_ = false;
        restoredSteps_();
    }
}

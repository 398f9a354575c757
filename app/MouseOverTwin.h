// SPDX-License-Identifier: MIT
#pragma once

#include <QTimer>
#include <cstdint>
#include <functional>

class QWidget;
struct TCustomSet;

// A style without difference rows shows its twin with them while the cursor
// is over the window. A 200 ms timer watches for the cursor to leave, then
// brings the base style back and rests until the next move over the window.
class MouseOverTwin {
public:
    // shownStyle is the window's style now displayed; applyStyle shows
    // whatever it holds.
    MouseOverTwin(QWidget& window, const TCustomSet& settings, int32_t& shownStyle,
                  std::function<void()> applyStyle);

    // The watch runs from creation until it has seen the cursor away.
    void StartWatching() { timer_.start(); }
    // A mouse move over the window, not in a drag.
    void CursorOver();
    // Sets the style for the cursor being over the window; true if it changed.
    bool CalcStyle();
    // One tick of the watch.
    void CheckCursor();
    const QTimer& Timer() const { return timer_; }

private:
    QWidget& window_;
    const TCustomSet& settings_;
    int32_t& shownStyle_;
    std::function<void()> applyStyle_;
    QTimer timer_;
};

// SPDX-License-Identifier: MIT
#pragma once

#include <QPoint>

class QWidget;

// Moves a top-level window by its body: a left press grips it, each move
// carries it with the cursor, the release drops it. Also holds the window
// inside the primary screen, which counts only at the drop, never while the
// window is being carried.
class WindowDrag {
public:
    explicit WindowDrag(QWidget& window);

    bool Dragging() const { return dragging_; }
    // The cursor's screen position at the press.
    void Grip(QPoint cursor);
    // Follows the cursor while gripped; false when no drag is on.
    bool Carry(QPoint cursor);
    void Drop();

    // Moves the window back inside the primary screen, unless start-up is
    // still placing it, a drag is on, or keeping inside is off.
    void KeepInside(bool initializing, bool insideDesktop);

private:
    QWidget& window_;
    bool dragging_ = false;
    QPoint offset_;  // cursor minus window corner at the press
};

// SPDX-License-Identifier: MIT
#include "app/MouseOverTwin.h"

#include "settings/TCustomSet.h"
#include "settings/TLayoutInfo.h"

#include <QCursor>
#include <QWidget>
#include <utility>

MouseOverTwin::MouseOverTwin(QWidget& window, const TCustomSet& settings, int32_t& shownStyle,
                             std::function<void()> applyStyle)
    : window_(window), settings_(settings), shownStyle_(shownStyle), applyStyle_(std::move(applyStyle))
{
    timer_.setInterval(200);
    QObject::connect(&timer_, &QTimer::timeout, &window_, [this] { CheckCursor(); });
}

bool MouseOverTwin::CalcStyle()
{
    const int32_t style = MouseOverWinStyle(settings_.BaseWinStyle, settings_.MOExpDiffe);
    const bool changed = style != shownStyle_;
    shownStyle_ = style;
    return changed;
}

void MouseOverTwin::CursorOver()
{
    if (CalcStyle())
        applyStyle_();
    if (!timer_.isActive())
        timer_.start();
}

void MouseOverTwin::CheckCursor()
{
    const QPoint cursor = QCursor::pos();
    const QRect outer = window_.frameGeometry();
    if (CursorInsideWindow({cursor.x(), cursor.y()}, outer.x(), outer.y(), outer.width(), outer.height()))
        return;
    // Once the cursor is away nothing is left to watch.
    timer_.stop();
    if (settings_.BaseWinStyle != shownStyle_) {
        shownStyle_ = settings_.BaseWinStyle;
        applyStyle_();
    }
}

// SPDX-License-Identifier: MIT
#include "app/WindowDrag.h"

#include "settings/DesktopKeeper.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

WindowDrag::WindowDrag(QWidget& window) : window_(window) {}

void WindowDrag::Grip(QPoint cursor)
{
    dragging_ = true;
    offset_ = cursor - window_.pos();
}

bool WindowDrag::Carry(QPoint cursor)
{
    if (!dragging_)
        return false;
    window_.move(cursor - offset_);
    return true;
}

void WindowDrag::Drop()
{
    dragging_ = false;
}

void WindowDrag::KeepInside(bool initializing, bool insideDesktop)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect outer = window_.frameGeometry();
    const QRect whole = screen->geometry();
    const bool active = KeepInsideDesktopActive(initializing, dragging_, insideDesktop);
    const TPoint place = KeepInsideDesktopPos({outer.x(), outer.y(), outer.width(), outer.height()},
                                              {whole.x(), whole.y(), whole.width(), whole.height()}, active);
    if (place.x != outer.x() || place.y != outer.y())
        window_.move(place.x, place.y);
}

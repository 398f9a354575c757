// SPDX-License-Identifier: MIT
#include "platform/qt/TBevel.h"

#include <QPainter>

TBevel::TBevel(QWidget* parent) : QWidget(parent)
{
    // Decoration only: the mouse goes to the panel below.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TBevel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int w = width();
    const int h = height();
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(0, h - 2, w - 1, h - 2);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(0, h - 1, w - 1, h - 1);
}

// SPDX-License-Identifier: MIT
#include "platform/qt/TImageControl.h"

#include <QPainter>

TImageControl::TImageControl(QWidget* parent) : QWidget(parent)
{
    // The bitmap covers the whole control: nothing beneath it need be
    // painted again when it changes.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QImage& TImageControl::Bitmap()
{
    // The bitmap follows the control's size; a new one starts white, as a
    // fresh image does before anything is drawn on it.
    if (bitmap_.size() != size()) {
        QImage fresh(size(), QImage::Format_RGB32);
        fresh.fill(Qt::white);
        bitmap_ = fresh;
    }
    return bitmap_;
}

void TImageControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, Bitmap());
}

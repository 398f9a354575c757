// SPDX-License-Identifier: MIT
#include "platform/qt/Canvas.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

Canvas::Canvas(QImage& image, const QFont& font) : image_(image), font_(font) {}

void Canvas::Rectangle(int l, int t, int r, int b)
{
    if (r <= l || b <= t)
        return;
    QPainter p(&image_);
    if (brushStyle_ == BrushStyle::Solid)
        p.fillRect(l, t, r - l, b - t, brushColor_);
    // A 1-pixel cosmetic pen on exact pixel centres: drawRect(x, y, w - 1,
    // h - 1) outlines columns l..r-1 and rows t..b-1 without antialiasing.
    p.setPen(QPen(Qt::black, 0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(l, t, r - l - 1, b - t - 1);
}

void Canvas::FillRect(int l, int t, int r, int b)
{
    if (r <= l || b <= t)
        return;
    QPainter p(&image_);
    p.fillRect(l, t, r - l, b - t, brushColor_);
}

void Canvas::TextOut(int x, int y, const QString& text)
{
    QPainter p(&image_);
    p.setFont(font_);
    const QFontMetrics metrics(font_, &image_);
    if (brushStyle_ == BrushStyle::Solid)
        p.fillRect(x, y, metrics.horizontalAdvance(text), metrics.height(), brushColor_);
    p.setPen(Qt::black);
    p.drawText(x, y + metrics.ascent(), text);
}

int Canvas::TextWidth(const QString& text) const
{
    return QFontMetrics(font_, &image_).horizontalAdvance(text);
}

int Canvas::TextHeight() const
{
    return QFontMetrics(font_, &image_).height();
}

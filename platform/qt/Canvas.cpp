// SPDX-License-Identifier: MIT
#include "platform/qt/Canvas.h"

#include "platform/qt/GlyphCache.h"

#include <QFontMetrics>
#include <QImage>

Canvas::Canvas(QImage& image, const QFont& font) : painter_(&image), glyphs_(GlyphCache::For(font))
{
    painter_.setFont(font);
}

void Canvas::Rectangle(int l, int t, int r, int b)
{
    if (r <= l || b <= t)
        return;
    if (brushStyle_ == BrushStyle::Solid)
        painter_.fillRect(l, t, r - l, b - t, brushColor_);
    // A 1-pixel cosmetic pen on exact pixel centres: drawRect(x, y, w - 1,
    // h - 1) outlines columns l..r-1 and rows t..b-1 without antialiasing.
    painter_.setPen(QPen(Qt::black, 0));
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRect(l, t, r - l - 1, b - t - 1);
}

void Canvas::FillRect(int l, int t, int r, int b)
{
    if (r <= l || b <= t)
        return;
    painter_.fillRect(l, t, r - l, b - t, brushColor_);
}

void Canvas::TextOut(int x, int y, const QString& text)
{
    if (brushStyle_ == BrushStyle::Solid)
        painter_.fillRect(x, y, TextWidth(text), TextHeight(), brushColor_);
    if (glyphs_.Covers(text)) {
        glyphs_.Draw(painter_, x, y, text);
        return;
    }
    painter_.setPen(Qt::black);
    painter_.drawText(x, y + painter_.fontMetrics().ascent(), text);
}

int Canvas::TextWidth(const QString& text) const
{
    if (glyphs_.Covers(text))
        return glyphs_.Width(text);
    return painter_.fontMetrics().horizontalAdvance(text);
}

int Canvas::TextHeight() const
{
    return glyphs_.Height();
}

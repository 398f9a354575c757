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
    // The black 1-pixel pen on columns l and r-1 and rows t and b-1, as four
    // fills: the same pixels as an outline, at a fraction of its cost.
    painter_.fillRect(l, t, r - l, 1, Qt::black);
    painter_.fillRect(l, b - 1, r - l, 1, Qt::black);
    painter_.fillRect(l, t, 1, b - t, Qt::black);
    painter_.fillRect(r - 1, t, 1, b - t, Qt::black);
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

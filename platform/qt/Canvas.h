// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QString>

class QImage;
class GlyphCache;

// Drawing on a bitmap with the classic canvas rules the meters are laid out
// for: a rectangle (l, t, r, b) covers columns l..r-1 and rows t..b-1 with its
// 1-pixel black pen inside that area; fills leave out the right and bottom
// edge; text is placed by the top-left of its cell; with a solid brush text is
// written on the brush colour, with a clear brush on what is there.
class Canvas {
public:
    enum class BrushStyle { Solid, Clear };

    // Paints on image for the canvas's lifetime.
    Canvas(QImage& image, const QFont& font);

    void SetBrushColor(const QColor& color) { brushColor_ = color; }
    QColor BrushColor() const { return brushColor_; }
    void SetBrushStyle(BrushStyle style) { brushStyle_ = style; }

    void Rectangle(int l, int t, int r, int b);
    void FillRect(int l, int t, int r, int b);
    void TextOut(int x, int y, const QString& text);
    int TextWidth(const QString& text) const;
    int TextHeight() const;

private:
    QPainter painter_;
    const GlyphCache& glyphs_;
    QColor brushColor_ = Qt::white;
    BrushStyle brushStyle_ = BrushStyle::Solid;
};

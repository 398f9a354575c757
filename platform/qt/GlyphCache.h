// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QImage>
#include <QString>
#include <array>

// The figures are drawn at every reading, and shaping text costs far more
// than reading the figures. The characters of a figure are drawn once per
// font and copied into place afterwards; any other text is drawn as usual.
class GlyphCache {
public:
    // The cache of a font, made on first use.
    static const GlyphCache& For(const QFont& font);

    explicit GlyphCache(const QFont& font);

    // True when every character of text is a cached one.
    bool Covers(const QString& text) const;
    int Width(const QString& text) const;   // only for covered text
    int Ascent() const { return ascent_; }
    int Height() const { return height_; }
    // Draws covered text with its cell's top-left at (x, y).
    void Draw(QPainter& painter, int x, int y, const QString& text) const;

private:
    static constexpr int kPad = 4;  // room for glyphs reaching past their cell
    int Index(QChar c) const;

    std::array<QImage, 12> images_;
    std::array<int, 12> advances_{};
    int ascent_ = 0;
    int height_ = 0;
};

// SPDX-License-Identifier: MIT
#include "platform/qt/GlyphCache.h"

#include <QFontMetrics>
#include <QHash>
#include <QPainter>
#include <memory>

namespace {
const QString kCharacters = QStringLiteral("0123456789+-");
} // namespace

const GlyphCache& GlyphCache::For(const QFont& font)
{
    // Every reading asks for the same font; comparing fonts is cheaper than
    // building a font's key.
    static QFont lastFont;
    static const GlyphCache* last = nullptr;
    if (last && font == lastFont)
        return *last;
    static QHash<QString, std::shared_ptr<GlyphCache>> caches;
    std::shared_ptr<GlyphCache>& cache = caches[font.key()];
    if (!cache)
        cache = std::make_shared<GlyphCache>(font);
    lastFont = font;
    last = cache.get();
    return *cache;
}

GlyphCache::GlyphCache(const QFont& font)
{
    QImage probe(1, 1, QImage::Format_ARGB32_Premultiplied);
    const QFontMetrics metrics(font, &probe);
    ascent_ = metrics.ascent();
    height_ = metrics.height();
    for (int i = 0; i < kCharacters.size(); ++i) {
        const QChar c = kCharacters.at(i);
        advances_[static_cast<size_t>(i)] = metrics.horizontalAdvance(c);
        QImage glyph(advances_[static_cast<size_t>(i)] + 2 * kPad, height_, QImage::Format_ARGB32_Premultiplied);
        glyph.fill(Qt::transparent);
        QPainter painter(&glyph);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(kPad, ascent_, QString(c));
        images_[static_cast<size_t>(i)] = glyph;
    }
}

int GlyphCache::Index(QChar c) const
{
    return static_cast<int>(kCharacters.indexOf(c));
}

bool GlyphCache::Covers(const QString& text) const
{
    for (QChar c : text)
        if (Index(c) < 0)
            return false;
    return true;
}

int GlyphCache::Width(const QString& text) const
{
    int width = 0;
    for (QChar c : text)
        width += advances_[static_cast<size_t>(Index(c))];
    return width;
}

void GlyphCache::Draw(QPainter& painter, int x, int y, const QString& text) const
{
    for (QChar c : text) {
        const auto i = static_cast<size_t>(Index(c));
        painter.drawImage(x - kPad, y, images_[i]);
        x += advances_[i];
    }
}

// SPDX-License-Identifier: MIT
// Checks of the drawn figures that share no code with the drawing: a pixel
// scan of each image the window drew for where its two figures begin and
// end, and the cached glyphs against Qt's own text drawing in the same face.
#include "FormFixture.h"

#include "platform/qt/Canvas.h"
#include "platform/qt/TImageControl.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cstdint>

#include <string>

namespace {

// The first and last columns holding text inside the image's frame (one
// pixel in from every edge); -1 when there is none. Rows 1 and 2 lie above
// the text, so a pixel of text is one that differs from row 1 of its column:
// the bar's red or green there, or the panel's colour.
std::pair<int, int> InkColumns(const QImage& image)
{
    int first = -1;
    int last = -1;
    for (int x = 1; x < image.width() - 1; ++x) {
        for (int y = 3; y < image.height() - 1; ++y) {
            if (image.pixel(x, y) != image.pixel(x, 1)) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
        }
    }
    return {first, last};
}

std::string Signed(int64_t value)
{
    return (value >= 0 ? "+" : "") + std::to_string(value);
}

struct Reading {
    const char* name;
    MemoryStatus first;
    MemoryStatus second;  // the reading whose drawing is checked
    SwapStatus swap;
};

class DrawnFigures : public FormFixture, public ::testing::WithParamInterface<Reading> {};

// The text starts 3 pixels in from the left and ends 3 pixels in from the
// right: the left figure's ink begins at x 3 and the right figure's ends in
// column W - 4, each moved in by the glyph's own side bearing in this face
// (a "1" stands a pixel in from its cell).
TEST_P(DrawnFigures, FiguresStandThreePixelsInFromEitherSide)
{
    const Reading& c = GetParam();
    memory.next.Mem = c.first;
    memory.next.Swap = c.swap;
    TFormPLN& w = Create();
    memory.next.Mem = c.second;
    w.PmUpdateClick();

    // The figures in kilobytes, worked out here rather than by the program.
    const auto kb = [](uint64_t bytes) { return static_cast<int64_t>(bytes / 1024); };
    const auto change = [](uint64_t now, uint64_t before) {
        return static_cast<int64_t>(now - before) / 1024;
    };
    const uint64_t swapFree = c.swap.Total - c.swap.InUse;
    struct Expected {
        const char* image;
        std::string left;
        std::string right;
    };
    const Expected images[] = {
        {"ImageMem", std::to_string(kb(c.second.AvailPhys)), std::to_string(kb(c.second.TotalPhys))},
        {"ImageMemDiffe", Signed(change(c.second.AvailPhys, c.first.AvailPhys)),
         Signed(change(c.second.TotalPhys, c.first.TotalPhys))},
        {"ImageSwap", std::to_string(kb(swapFree)), std::to_string(kb(c.swap.Total))},
        {"ImageSwapDiffe", "+0", "+0"},
    };
    const QFontMetrics metrics(w.font());
    for (int i = 0; i < 4; ++i) {
        const Expected& e = images[i];
        SCOPED_TRACE(std::string(e.image) + " " + e.left + " " + e.right);
        const QImage& image = w.Image(i)->Bitmap();
        const auto [first, last] = InkColumns(image);
        const int leftBearing = std::max(0, metrics.leftBearing(QLatin1Char(e.left.front())));
        const int rightBearing = std::max(0, metrics.rightBearing(QLatin1Char(e.right.back())));
        EXPECT_EQ(first, 3 + leftBearing);
        EXPECT_EQ(last, image.width() - 4 - rightBearing) << "width " << image.width();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Readings, DrawnFigures,
    ::testing::Values(
        Reading{"steady", {2'000'000, 8'000'000}, {2'000'000, 8'000'000}, {4'000'000, 1'000'000}},
        Reading{"falling", {3'000'000'000, 16'000'000'000}, {1'000'000'000, 16'000'000'000},
                {8'000'000'000, 7'000'000'000}},
        Reading{"rising_beyond_32_bits", {1ull << 30, 64ull << 30}, {48ull << 30, 64ull << 30},
                {64ull << 30, 0}},
        Reading{"ones_at_both_ends", {11'264'000, 1'025'024}, {11'264'000, 1'025'024}, {1'025'024, 0}},
        Reading{"nothing", {0, 0}, {0, 0}, {0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

// The figures are copied from glyphs drawn once; copied, they must look as
// Qt draws the same string in the same face.
TEST_F(DrawnFigures, CachedGlyphsMatchQtsTextDrawing)
{
    TFormPLN& w = Create();
    const QFont font = w.font();
    for (const char* text : {"0123456789", "+1234567", "-9876543210", "+0", "18446744073709551615"}) {
        SCOPED_TRACE(text);
        const QString string = QString::fromLatin1(text);
        QImage cached(240, 20, QImage::Format_RGB32);
        cached.fill(Qt::white);
        {
            Canvas canvas(cached, font);
            canvas.TextOut(3, 3, string);
        }
        QImage drawn(240, 20, QImage::Format_RGB32);
        drawn.fill(Qt::white);
        {
            QPainter painter(&drawn);
            painter.setFont(font);
            painter.setPen(Qt::black);
            painter.drawText(3, 3 + QFontMetrics(font, &drawn).ascent(), string);
        }
        EXPECT_EQ(cached, drawn);
    }
}

} // namespace

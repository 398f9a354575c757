// SPDX-License-Identifier: MIT
#include "app/MeterPainter.h"

#include "platform/qt/Canvas.h"
#include "settings/Figures.h"

#include <QColor>
#include <QString>

namespace {
const QColor kUsedColor(255, 153, 153);
const QColor kFreeColor(153, 255, 153);
constexpr int kTextInset = 3;
} // namespace

namespace meter {

int FreePartEnd(int width, uint64_t value, uint64_t maximum)
{
    // With nothing to measure against (no swap) there is no free part; a value
    // above the maximum never draws past the frame.
    if (maximum == 0)
        return 1;
    const double share = value >= maximum ? 1.0 : static_cast<double>(value) / static_cast<double>(maximum);
    return static_cast<int>((width - 2) * share + 1);
}

void DrawMeter(Canvas& canvas, int width, int height, uint64_t value, uint64_t maximum)
{
    canvas.SetBrushStyle(Canvas::BrushStyle::Solid);
    canvas.Rectangle(0, 0, width, height);
    canvas.SetBrushColor(kUsedColor);
    canvas.FillRect(1, 1, width - 1, height - 1);
    canvas.SetBrushColor(kFreeColor);
    canvas.FillRect(1, 1, FreePartEnd(width, value, maximum), height - 1);
    canvas.SetBrushStyle(Canvas::BrushStyle::Clear);
    canvas.TextOut(kTextInset, kTextInset, QString::fromStdString(FormatFigure(value)));
    const QString max = QString::fromStdString(FormatFigure(maximum));
    canvas.TextOut(width - kTextInset - canvas.TextWidth(max), kTextInset, max);
}

void DrawDiffeLeft(Canvas& canvas, int64_t difference)
{
    canvas.TextOut(kTextInset, kTextInset, QString::fromStdString(FormatDifference(difference)));
}

void DrawDiffeRight(Canvas& canvas, int width, int64_t difference)
{
    const QString text = QString::fromStdString(FormatDifference(difference));
    canvas.TextOut(width - kTextInset - canvas.TextWidth(text), kTextInset, text);
}

} // namespace meter


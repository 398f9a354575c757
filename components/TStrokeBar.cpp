// SPDX-License-Identifier: MIT
#include "components/TStrokeBar.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cstdlib>

namespace {
const QColor kDisabledBar(0x80, 0x80, 0x80);   // gray
const QColor kDisabledBack(0xC0, 0xC0, 0xC0);  // silver
const QColor kBevelDark(0x80, 0x80, 0x80);
const QColor kBevelLight(0xFF, 0xFF, 0xFF);

// The stored limits allow products and differences beyond 32 bits; they are
// worked out wider and wrapped as 32-bit arithmetic would leave them.
int32_t Wrap32(int64_t value)
{
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

// a * b / d in 32-bit signed arithmetic, the product first, the quotient
// truncated toward zero; d is not 0.
int32_t MulDiv32(int32_t a, int32_t b, int32_t d)
{
    const int32_t product = Wrap32(int64_t{a} * b);
    return Wrap32(int64_t{product} / d);
}

// A pen stroke from one point to the next on a row or a column: the start
// pixel is drawn, the end pixel is not.
void LineTo(QPainter& painter, QPoint& at, QPoint to, const QColor& color)
{
    if (at.y() == to.y() && at.x() != to.x()) {
        const int step = to.x() > at.x() ? 1 : -1;
        const int first = std::min(at.x(), to.x() - step);
        const int last = std::max(at.x(), to.x() - step);
        painter.fillRect(first, at.y(), last - first + 1, 1, color);
    } else if (at.x() == to.x() && at.y() != to.y()) {
        const int step = to.y() > at.y() ? 1 : -1;
        const int first = std::min(at.y(), to.y() - step);
        const int last = std::max(at.y(), to.y() - step);
        painter.fillRect(at.x(), first, 1, last - first + 1, color);
    }
    at = to;
}

void Fill(QPainter& painter, int l, int t, int r, int b, const QColor& color)
{
    if (r > l && b > t)
        painter.fillRect(l, t, r - l, b - t, color);
}
} // namespace

TStrokeBar::TStrokeBar(QWidget* parent)
    : QWidget(parent), BackGroundColor_(palette().color(QPalette::Base))
{
    // Moves without a button held must arrive: they start a stroke.
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(120, 48);
    Paint();
}

void TStrokeBar::Loaded()
{
    DrawStroke(BarColor_);
    SavedValue_ = Value_;
    SavedXPos_ = XPos_;
}

void TStrokeBar::SetCaption(const QString& value)
{
    Caption_ = value;
    DrawStroke(BarColor_);
}

void TStrokeBar::SetShowLimit(bool value)
{
    ShowLimit_ = value;
    DrawStroke(BarColor_);
}

void TStrokeBar::SetShowValue(bool value)
{
    ShowValue_ = value;
    DrawBar(BarColor_);
}

void TStrokeBar::SetMarginBottom(int value)
{
    MarginBottom_ = std::min(value, height() - MarginTop_);
    DrawStroke(BarColor_);
}

void TStrokeBar::SetMarginTop(int value)
{
    MarginTop_ = std::min(value, height() - MarginBottom_);
    DrawStroke(BarColor_);
}

void TStrokeBar::SetMax(int value)
{
    Max_ = std::max(value, Min_);
    if (Value_ > Max_)
        Value_ = Max_;
    CalcXPos();
    DrawStroke(BarColor_);
}

void TStrokeBar::SetMin(int value)
{
    Min_ = std::min(value, Max_);
    if (Value_ < Min_)
        Value_ = Min_;
    CalcXPos();
    DrawStroke(BarColor_);
}

void TStrokeBar::SetValue(int value)
{
    Value_ = std::min(std::max(value, Min_), Max_);
    SavedValue_ = Value_;
    CalcXPos();
    SavedXPos_ = XPos_;
    DrawBar(BarColor_);
}

void TStrokeBar::SetBackBarColor(const QColor& value)
{
    BackBarColor_ = value;
    DrawBar(BarColor_);
}

void TStrokeBar::SetBackGroundColor(const QColor& value)
{
    BackGroundColor_ = value;
    DrawStroke(BarColor_);
}

void TStrokeBar::SetBarColor(const QColor& value)
{
    BarColor_ = value;
    DrawBar(value);
}

void TStrokeBar::SetHighlightColor(const QColor& value)
{
    HighlightColor_ = value;
    DrawBar(BarColor_);
}

void TStrokeBar::SetBevelInner(TStrokeBarBevel value)
{
    BevelInner_ = value;
    DrawBar(BarColor_);
}

void TStrokeBar::SetBevelOuter(TStrokeBarBevel value)
{
    BevelOuter_ = value;
    DrawBar(BarColor_);
}

void TStrokeBar::SetWidth(int value)
{
    resize(value, height());
    CalcXPos();
    DrawStroke(BarColor_);
}

int TStrokeBar::CalcValue()
{
    const int w = width();
    if (w <= 0 || Max_ == Min_)
        Value_ = Min_;
    else
        Value_ = Wrap32(int64_t{Min_} + MulDiv32(Wrap32(int64_t{Max_} - Min_), XPos_, w));
    return Value_;
}

int TStrokeBar::CalcXPos()
{
    const int32_t range = Wrap32(int64_t{Max_} - Min_);
    if (range == 0)
        XPos_ = 0;
    else
        XPos_ = MulDiv32(Wrap32(int64_t{Value_} - Min_), width(), range);
    return XPos_;
}

void TStrokeBar::SetXPos(int value)
{
    XPos_ = std::clamp(value, 0, std::max(width(), 0));
}

int TStrokeBar::FontHeight() const
{
    return std::abs(QFontInfo(font()).pixelSize());
}

void TStrokeBar::WriteText(QPainter& painter, int x, int y, const QString& text, const QColor& textColor,
                           const QColor& background)
{
    const QFontMetrics metrics(painter.font());
    painter.fillRect(x, y, metrics.horizontalAdvance(text), metrics.height(), background);
    painter.setPen(textColor);
    painter.drawText(x, y + metrics.ascent(), text);
}

void TStrokeBar::SyncSurface()
{
    // Qt defers the resize event of a hidden widget; the picture follows the
    // size at once all the same.
    if (Surface_.size() == size())
        return;
    Surface_ = width() > 0 && height() > 0 ? QImage(size(), QImage::Format_RGB32) : QImage();
}

void TStrokeBar::DrawStroke(const QColor& color)
{
    SyncSurface();
    if (Surface_.isNull())
        return;
    const int w = width();
    const int h = height();
    {
        QPainter painter(&Surface_);
        QFont face = font();
        // Figures in plain pixels, so that each part of a split figure shows
        // exactly its side's colour.
        face.setStyleStrategy(QFont::NoAntialias);
        painter.setFont(face);
        const QColor text = palette().color(QPalette::WindowText);
        Fill(painter, 0, 0, w, h, BackGroundColor_);
        WriteText(painter, 0, 0, Caption_, text, BackGroundColor_);
        if (ShowLimit_) {
            const int fh = FontHeight();
            const QString max = QString::number(Max_);
            WriteText(painter, 0, h - fh, QString::number(Min_), text, BackGroundColor_);
            WriteText(painter, w - QFontMetrics(face).horizontalAdvance(max), h - fh, max, text, BackGroundColor_);
        }
    }
    DrawBar(color);
}

void TStrokeBar::DrawBar(const QColor& color)
{
    if (Surface_.size() != size()) {
        DrawStroke(color);
        return;
    }
    if (Surface_.isNull())
        return;
    const int w = width();
    const int h = height();
    const int t = MarginTop_;
    const int b = MarginBottom_;
    const QColor left = isEnabled() ? color : kDisabledBar;
    const QColor right = isEnabled() ? BackBarColor_ : kDisabledBack;
    {
        QPainter painter(&Surface_);
        QFont face = font();
        face.setStyleStrategy(QFont::NoAntialias);
        painter.setFont(face);
        Fill(painter, 0, t, XPos_, h - b, left);
        Fill(painter, XPos_, t, w, h - b, right);
        if (ShowValue_) {
            const QString s = QString::number(Value_);
            const QFontMetrics metrics(face);
            const int tw = metrics.horizontalAdvance(s);
            const int x = (w - tw) / 2;
            const int y = t + (h - t - b - FontHeight()) / 2;
            const int baseline = y + metrics.ascent();
            // Each part of the figure in the other side's colour.
            if (XPos_ > x && h - b > t) {
                painter.save();
                painter.setClipRect(x, t, XPos_ - x, h - b - t);
                painter.fillRect(x, t, XPos_ - x, h - b - t, left);
                painter.setPen(right);
                painter.drawText(x, baseline, s);
                painter.restore();
            }
            if (w > XPos_ && h - b > t) {
                painter.save();
                painter.setClipRect(XPos_, t, w - XPos_, h - b - t);
                painter.fillRect(XPos_, t, w - XPos_, h - b - t, right);
                painter.setPen(left);
                painter.drawText(x, baseline, s);
                painter.restore();
            }
        }
    }
    DrawBevel(0, BevelOuter_);
    DrawBevel(1, BevelInner_);
    update();
}

void TStrokeBar::DrawBevel(int inset, TStrokeBarBevel kind)
{
    if (kind == sbNone || Surface_.isNull() || Surface_.size() != size())
        return;
    const int w = width();
    const int bottom = height() - MarginBottom_ - inset - 1;
    const int top = MarginTop_ + inset;
    const int right = w - inset - 1;
    const QColor& first = kind == sbLowered ? kBevelDark : kBevelLight;
    const QColor& second = kind == sbLowered ? kBevelLight : kBevelDark;
    QPainter painter(&Surface_);
    QPoint at(inset, bottom);
    LineTo(painter, at, QPoint(inset, top), first);
    LineTo(painter, at, QPoint(right, top), first);
    LineTo(painter, at, QPoint(right, bottom), second);
    LineTo(painter, at, QPoint(inset - 1, bottom), second);
    update();
}

void TStrokeBar::Paint()
{
    DrawStroke(BarColor_);
}

void TStrokeBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!Surface_.isNull())
        painter.drawImage(0, 0, Surface_);
}

void TStrokeBar::resizeEvent(QResizeEvent* event)
{
    if (event->oldSize().width() != width())
        CalcXPos();
    Paint();
}

void TStrokeBar::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        DrawBar(BarColor_);
    else if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange)
        DrawStroke(BarColor_);
}

void TStrokeBar::EnterMouse()
{
    State_ = State::Stroking;
    grabMouse();
}

void TStrokeBar::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (!Entered() && MarginTop_ <= p.y() && p.y() < height() - MarginBottom_) {
        // The value follows from the next move on.
        EnterMouse();
    } else if (Tracking()) {
        SetXPos(p.x());
        CalcValue();
        DrawBar(HighlightColor_);
        emit OnChanging();
    }
    event->accept();
}

void TStrokeBar::MouseDown(Qt::MouseButton button, QPoint position)
{
    if (Tracking()) {
        if (button == Qt::LeftButton) {
            SetXPos(position.x());
            SavedXPos_ = XPos_;
            CalcValue();
            SavedValue_ = Value_;
        } else if (button == Qt::RightButton) {
            XPos_ = SavedXPos_;
            Value_ = SavedValue_;
        } else {
            // The middle button neither ends the stroke nor counts as a click.
            return;
        }
        DrawBar(BarColor_);
        State_ = State::Settled;
        releaseMouse();
        // The pointer is where it clicked. Outside, it left while the stroke
        // went on, and that notice was ignored then.
        if (!rect().contains(position))
            CMMouseLeave();
    }
    emit OnMouseDown(button, position);
}

void TStrokeBar::mousePressEvent(QMouseEvent* event)
{
    MouseDown(event->button(), event->position().toPoint());
    event->accept();
}

void TStrokeBar::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second click of a double click is a click like any other.
    MouseDown(event->button(), event->position().toPoint());
    event->accept();
}

void TStrokeBar::leaveEvent(QEvent* event)
{
    // Qt sends this when the pointer passes to another widget or window,
    // not for the grab's own crossings.
    QWidget::leaveEvent(event);
    CMMouseLeave();
}

void TStrokeBar::CMMouseLeave()
{
    if (!Tracking())
        State_ = State::Idle;
}

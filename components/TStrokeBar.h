// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>
#include <cstdint>

// A bar that shows an integer between two limits, with the value, the limits
// and a caption written on it. The value is changed by stroking: once the
// pointer moves into the bar band the control grabs the mouse and the bar end
// follows the pointer; a left click fixes the new value, a right click
// returns to the one fixed before.
//
// Every setter redraws the control's picture at once; painting only copies
// that picture to the screen, so a bar drawn in the highlight colour while
// stroking stays so until the stroke ends.
class TStrokeBar : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ GetCaption WRITE SetCaption)
    Q_PROPERTY(bool ShowLimit READ ShowLimit WRITE SetShowLimit)
    Q_PROPERTY(bool ShowValue READ ShowValue WRITE SetShowValue)
    Q_PROPERTY(int MarginBottom READ MarginBottom WRITE SetMarginBottom)
    Q_PROPERTY(int MarginTop READ MarginTop WRITE SetMarginTop)
    Q_PROPERTY(int Max READ Max WRITE SetMax)
    Q_PROPERTY(int Min READ Min WRITE SetMin)
    Q_PROPERTY(int Value READ Value WRITE SetValue)
    Q_PROPERTY(QColor BackBarColor READ BackBarColor WRITE SetBackBarColor)
    Q_PROPERTY(QColor BackGroundColor READ BackGroundColor WRITE SetBackGroundColor)
    Q_PROPERTY(QColor BarColor READ BarColor WRITE SetBarColor)
    Q_PROPERTY(QColor HighlightColor READ HighlightColor WRITE SetHighlightColor)
    Q_PROPERTY(TStrokeBarBevel BevelInner READ BevelInner WRITE SetBevelInner)
    Q_PROPERTY(TStrokeBarBevel BevelOuter READ BevelOuter WRITE SetBevelOuter)

public:
    enum TStrokeBarBevel : uint8_t { sbNone = 0, sbLowered = 1, sbRaised = 2 };
    Q_ENUM(TStrokeBarBevel)

    explicit TStrokeBar(QWidget* parent = nullptr);

    // Call once the properties of a form description have been set: the
    // value they left becomes the one a right click returns to.
    void Loaded();

    QString GetCaption() const { return Caption_; }
    void SetCaption(const QString& value);
    bool Tracking() const { return State_ == State::Stroking; }
    bool Entered() const { return State_ != State::Idle; }
    bool ShowLimit() const { return ShowLimit_; }
    void SetShowLimit(bool value);
    bool ShowValue() const { return ShowValue_; }
    void SetShowValue(bool value);
    int MarginBottom() const { return MarginBottom_; }
    void SetMarginBottom(int value);
    int MarginTop() const { return MarginTop_; }
    void SetMarginTop(int value);
    int Max() const { return Max_; }
    void SetMax(int value);
    int Min() const { return Min_; }
    void SetMin(int value);
    int Value() const { return Value_; }
    void SetValue(int value);
    QColor BackBarColor() const { return BackBarColor_; }
    void SetBackBarColor(const QColor& value);
    QColor BackGroundColor() const { return BackGroundColor_; }
    void SetBackGroundColor(const QColor& value);
    QColor BarColor() const { return BarColor_; }
    void SetBarColor(const QColor& value);
    QColor HighlightColor() const { return HighlightColor_; }
    void SetHighlightColor(const QColor& value);
    TStrokeBarBevel BevelInner() const { return BevelInner_; }
    void SetBevelInner(TStrokeBarBevel value);
    TStrokeBarBevel BevelOuter() const { return BevelOuter_; }
    void SetBevelOuter(TStrokeBarBevel value);
    int SavedValue() const { return SavedValue_; }
    int SavedXPos() const { return SavedXPos_; }
    int XPos() const { return XPos_; }
    // Width with the bar end recomputed for it; the height keeps Qt's own
    // setter and recomputes nothing.
    void SetWidth(int value);

    // Value from the bar end and the bar end from the value, in 32-bit
    // arithmetic, multiplying first and truncating the quotient. A bar without
    // length or range has its end at 0 and its value at Min.
    int CalcValue();
    int CalcXPos();
    // The bar end, kept within 0 ... Width.
    void SetXPos(int value);

    void DrawStroke(const QColor& color);
    void DrawBar(const QColor& color);
    void DrawBevel(int inset, TStrokeBarBevel kind);
    void Paint();

    // The control's picture as last drawn.
    const QImage& Surface() const { return Surface_; }

signals:
    // After each pointer move while stroking, changed value or not.
    void OnChanging();
    // A button went down over the control, or anywhere while stroking; a
    // value fixed or restored by this click is already in place.
    void OnMouseDown(Qt::MouseButton button, QPoint position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    // Idle: the pointer has not entered the band. Stroking: the mouse is
    // grabbed and the value follows the pointer. Settled: a click ended the
    // stroke; the pointer must leave the control before the next one.
    enum class State { Idle, Stroking, Settled };

    void EnterMouse();
    void MouseDown(Qt::MouseButton button, QPoint position);
    void CMMouseLeave();
    void SyncSurface();
    int FontHeight() const;
    void WriteText(QPainter& painter, int x, int y, const QString& text, const QColor& textColor,
                   const QColor& background);

    State State_ = State::Idle;
    QString Caption_;
    bool ShowLimit_ = true;
    bool ShowValue_ = true;
    int MarginBottom_ = 16;
    int MarginTop_ = 16;
    int Max_ = 100;
    int Min_ = 0;
    int Value_ = 0;
    QColor BackBarColor_ = QColor(0xFF, 0xFF, 0xFF);
    QColor BackGroundColor_;  // the system window colour, from the palette
    QColor BarColor_ = QColor(0x00, 0x00, 0x80);
    QColor HighlightColor_ = QColor(0x00, 0x00, 0xFF);
    TStrokeBarBevel BevelInner_ = sbNone;
    TStrokeBarBevel BevelOuter_ = sbNone;
    int SavedValue_ = 0;
    int SavedXPos_ = 0;
    int XPos_ = 0;
    QImage Surface_;
};

using TStrokeBarBevel = TStrokeBar::TStrokeBarBevel;

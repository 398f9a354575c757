// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QWidget>

// An image control: a widget showing a bitmap of its own size that the
// program draws on. The bitmap is kept when the widget is hidden or moved.
class TImageControl : public QWidget {
    Q_OBJECT
public:
    explicit TImageControl(QWidget* parent = nullptr);

    // The bitmap to draw on; call update() after drawing.
    QImage& Bitmap();
    const QImage& Bitmap() const { return bitmap_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage bitmap_;
};

// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

// A sunken separator line drawn along the bottom of its rectangle.
class TBevel : public QWidget {
    Q_OBJECT
public:
    explicit TBevel(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// SPDX-License-Identifier: MIT
// The smallest Widgets program with what the monitor needs at its simplest:
// one window with text and one timer. The start-up script measures it beside
// the monitor, so the monitor's start time and memory read against what Qt
// itself costs on the same machine.
#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("ペロリン"));
    label.setWindowTitle(QStringLiteral("bench_minimal_qt"));
    label.resize(240, 80);

    // The monitor's default refresh interval, so the timer costs the same;
    // an argument gives another in milliseconds (1000 to set the label every
    // second beside a monitor reading every second).
    const int interval = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 0;
    QTimer timer;
    timer.setInterval(interval > 0 ? interval : 60 * 1000);
    QObject::connect(&timer, &QTimer::timeout, &label, [&label] {
        label.setText(QDateTime::currentDateTime().toString(Qt::ISODate));
    });
    timer.start();

    label.show();
    return app.exec();
}

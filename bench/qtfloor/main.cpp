// SPDX-License-Identifier: GPL-3.0-or-later
// The floor any Qt clock stands on: a window with two labels (time and date)
// refreshed by a plain, free-running 1000 ms QTimer. Nothing else.
//
// With --least-repaint it is instead the least a Qt Widgets window can do to
// show a change each second: an opaque 20 x 30 px area of a small child marked
// for repaint, painted with its background and nothing drawn on it. What that
// costs idle is the cost of Qt's repaint and flush alone, below which no clock
// that paints through Qt Widgets can go. Run it with QT_XCB_NO_MITSHM=1 to send
// the pixels as Meridex sends them (through the socket, one wake-up a second).
#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <cstring>

int main(int argc, char* argv[])
{
    const bool leastRepaint = argc > 1 && std::strcmp(argv[1], "--least-repaint") == 0;
    QApplication app(argc, argv);

    QWidget window;
    window.setWindowTitle(QStringLiteral("qtfloor"));
    auto* time = new QLabel(&window);
    auto* date = new QLabel(&window);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(time);
    layout->addWidget(date);

    const auto refresh = [time, date] {
        const QDateTime now = QDateTime::currentDateTime();
        time->setText(now.toString(QStringLiteral("hh:mm:ss")));
        date->setText(now.toString(QStringLiteral("dddd d MMMM yyyy")));
    };
    refresh();

    QTimer timer;
    timer.setInterval(1000);
    if (leastRepaint) {
        auto* area = new QWidget(&window);
        area->setAutoFillBackground(true); // opaque: the window is not painted under it
        area->setFixedSize(100, 30);
        layout->addWidget(area);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, area, [area] { area->update(0, 0, 20, 30); });
    } else {
        QObject::connect(&timer, &QTimer::timeout, refresh);
    }
    timer.start();

    window.show();
    return QApplication::exec();
}

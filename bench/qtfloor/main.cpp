// SPDX-License-Identifier: GPL-3.0-or-later
// The floor any Qt clock stands on: a window with two labels (time and date)
// refreshed by a plain, free-running 1000 ms QTimer. Nothing else.
#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char* argv[])
{
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
    QObject::connect(&timer, &QTimer::timeout, refresh);
    timer.start();

    window.show();
    return QApplication::exec();
}

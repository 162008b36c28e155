// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <chrono>

class QTimer;

// A single-shot timer good to some tens of microseconds, for a tick that must change the display
// right at the wall-clock second. QTimer counts whole milliseconds and the glib event loop rounds
// its wait up to the next one, which kept the display milliseconds behind the second; this is a
// timerfd that the event loop watches like any file. It counts a delay on the monotonic clock,
// not a wall-clock deadline, so a wall clock moved for this process alone (faketime) still lines
// up with it.
class FineTimer : public QObject {
    Q_OBJECT

public:
    explicit FineTimer(QObject* parent = nullptr);
    ~FineTimer() override;

    void start(std::chrono::nanoseconds delay);
    void stop();
    bool isActive() const { return m_active; }
    std::chrono::nanoseconds interval() const { return m_interval; }

signals:
    void timeout();

private:
    void arm(std::chrono::nanoseconds delay);
    void fire();

    int m_fd = -1;
    QTimer* m_coarse = nullptr;
    std::chrono::nanoseconds m_interval{0};
    bool m_active = false;
};

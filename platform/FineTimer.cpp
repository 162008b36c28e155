// SPDX-License-Identifier: GPL-3.0-or-later
#include "FineTimer.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cstdint>
#include <sys/timerfd.h>
#include <unistd.h>

FineTimer::FineTimer(QObject* parent)
    : QObject(parent), m_fd(timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC)) {
    if (m_fd < 0) {
        // Out of file descriptors: whole milliseconds still make a clock.
        m_coarse = new QTimer(this);
        m_coarse->setSingleShot(true);
        m_coarse->setTimerType(Qt::PreciseTimer);
        connect(m_coarse, &QTimer::timeout, this, &FineTimer::fire);
        return;
    }
    auto* notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        std::uint64_t expirations = 0;
        if (read(m_fd, &expirations, sizeof expirations) == sizeof expirations)
            fire(); // else stopped or re-armed since it fired
    });
}

FineTimer::~FineTimer() {
    if (m_fd >= 0)
        close(m_fd);
}

void FineTimer::start(std::chrono::nanoseconds delay) {
    m_interval = delay;
    m_active = true;
    // A zero time would disarm it.
    arm(std::max(delay, std::chrono::nanoseconds(1)));
}

void FineTimer::stop() {
    m_active = false;
    arm(std::chrono::nanoseconds(0));
}

void FineTimer::fire() {
    m_active = false;
    emit timeout();
}

void FineTimer::arm(std::chrono::nanoseconds delay) {
    if (m_coarse) {
        if (delay.count() == 0)
            m_coarse->stop();
        else
            m_coarse->start(std::chrono::ceil<std::chrono::milliseconds>(delay));
        return;
    }
    itimerspec due{};
    due.it_value.tv_sec = static_cast<time_t>(delay.count() / 1'000'000'000);
    due.it_value.tv_nsec = static_cast<long>(delay.count() % 1'000'000'000);
    timerfd_settime(m_fd, 0, &due, nullptr);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QTimeZone>
#include <chrono>
#include <ctime>

// The machine's local wall-clock date and time. Everything that needs "now" asks a Clock, so
// tests can put the program at any instant.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    // The machine's own time zone; only a first start asks it, to preset the Local clock.
    virtual QTimeZone timeZone() const { return QTimeZone::systemTimeZone(); }
    // How far the wall clock is into its second, finer than now() tells: the tick is timed by it.
    virtual std::chrono::nanoseconds intoSecond() const {
        return std::chrono::milliseconds(now().time().msec());
    }
    // The time the machine has spent suspended since it started. It grows across a sleep, while
    // a clock set by hand moves the wall clock alone.
    virtual std::chrono::milliseconds suspended() const { return {}; }
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
    std::chrono::nanoseconds intoSecond() const override {
        return std::chrono::nanoseconds(read(CLOCK_REALTIME).tv_nsec);
    }
    // CLOCK_BOOTTIME counts the time suspended, CLOCK_MONOTONIC does not.
    std::chrono::milliseconds suspended() const override {
        const timespec boot = read(CLOCK_BOOTTIME), awake = read(CLOCK_MONOTONIC);
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::seconds(boot.tv_sec - awake.tv_sec) +
            std::chrono::nanoseconds(boot.tv_nsec - awake.tv_nsec));
    }

private:
    static timespec read(clockid_t id) {
        timespec t{};
        clock_gettime(id, &t);
        return t;
    }
};

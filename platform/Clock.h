#pragma once

#include <QDateTime>

// The machine's local wall-clock date and time. Everything that needs "now" asks a Clock, so
// tests can put the program at any instant.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

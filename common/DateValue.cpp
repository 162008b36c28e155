// SPDX-License-Identifier: GPL-3.0-or-later
#include "DateValue.h"

#include <cmath>
#include <optional>

namespace datevalue {

namespace {

constexpr qint64 kMsPerDay = 86'400'000;
constexpr qint64 kSecondsPerDay = 86'400;
// 1 January 100 and 31 December 9999: the dates the value type has always been able to hold.
constexpr qint64 kFirstDay = -657'434;
constexpr qint64 kLastDay = 2'958'465;

QDate epoch() {
    return QDate(1899, 12, 30);
}

// A value taken apart into its calendar day (counted from the epoch) and the second of that
// day, after rounding to the nearest second.
struct Split {
    qint64 days;
    qint64 seconds;
    bool negative;
};

std::optional<Split> split(DateValue v) {
    // The bound keeps the conversions below far from the limits of qint64.
    if (!std::isfinite(v) || std::fabs(v) > double(kLastDay) + 2.0)
        return std::nullopt;
    const double whole = std::trunc(v);
    const qint64 ms = std::llround(std::fabs(v - whole) * double(kMsPerDay));
    Split s{qint64(whole), (ms + 500) / 1000, v < 0};
    if (s.seconds >= kSecondsPerDay) {
        // The fraction runs forward from midnight also for negative values, so a carry always
        // moves to the next calendar day.
        s.days += 1;
        s.seconds = 0;
    }
    if (s.days < kFirstDay || s.days > kLastDay)
        return std::nullopt;
    return s;
}

DateValue compose(qint64 days, double fraction, bool negative) {
    const double d = double(days);
    return (days < 0 || (days == 0 && negative)) ? d - fraction : d + fraction;
}

} // namespace

DateValue fromDateAndTime(const QDate& d, const QTime& t) {
    const qint64 days = d.isValid() ? epoch().daysTo(d) : 0;
    const qint64 ms = t.isValid() ? t.msecsSinceStartOfDay() : 0;
    return compose(days, double(ms) / double(kMsPerDay), false);
}

DateValue fromQDateTime(const QDateTime& t) {
    return fromDateAndTime(t.date(), t.time());
}

DateValue fromDate(const QDate& d) {
    return fromDateAndTime(d, QTime(0, 0));
}

DateValue fromTime(const QTime& t) {
    return fromDateAndTime(epoch(), t);
}

QDateTime toQDateTime(DateValue v) {
    const QDate d = datePart(v);
    if (!d.isValid())
        return {};
    return QDateTime(d, timePart(v), Qt::LocalTime);
}

QDate datePart(DateValue v) {
    const auto s = split(v);
    return s ? epoch().addDays(s->days) : QDate();
}

QTime timePart(DateValue v) {
    const auto s = split(v);
    return s ? QTime::fromMSecsSinceStartOfDay(int(s->seconds * 1000)) : QTime();
}

DateValue timeOfDay(DateValue v) {
    const auto s = split(v);
    return s ? double(s->seconds) / double(kSecondsPerDay) : 0.0;
}

int hour(DateValue v) {
    const auto s = split(v);
    return s ? int(s->seconds / 3600) : 0;
}

int minute(DateValue v) {
    const auto s = split(v);
    return s ? int(s->seconds / 60 % 60) : 0;
}

int second(DateValue v) {
    const auto s = split(v);
    return s ? int(s->seconds % 60) : 0;
}

DateValue roundToSecond(DateValue v) {
    const auto s = split(v);
    return s ? compose(s->days, double(s->seconds) / double(kSecondsPerDay), s->negative) : v;
}

bool isRepresentable(DateValue v) {
    return split(v).has_value();
}

} // namespace datevalue

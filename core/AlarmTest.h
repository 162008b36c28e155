// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AlarmTable.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <array>
#include <chrono>
#include <limits>
#include <optional>
#include <set>
#include <vector>

// Entry j is the weekday name of day number j of the date scale (day 0, 30 December 1899, was
// a Saturday), so bit j of a when mask stands for dayName[j] in any language.
using DayNames = std::array<QString, 7>;
DayNames buildDayNames(const QLocale& locale = QLocale::system());

// The rows of the table that ring in the minute of the reference time (GMT), in table order.
// Every due alarm rings: a one-time alarm does not silence the entries after it.
std::vector<std::size_t> dueAlarms(const AlarmTable& table, DateValue reference,
                                   const DayNames& dayNames,
                                   const QLocale& locale = QLocale::system());

// A minute to run the alarm test for (the machine's wall-clock time at its start), and whether
// its alarms ring late: the minute went by while the machine slept, or in the hour a zone skips
// when it goes over to daylight saving.
struct AlarmMinute {
    DateValue time;
    bool late;
};

// Runs the alarm test once for each minute, on the first tick that falls in it. The minutes
// tested within the last kReplayGuardMinutes are remembered: a clock set back a little never
// tests one of them again (no alarm rings twice), while a minute it jumped over and then
// reaches is still tested. A larger step back is a deliberate clock change and starts afresh.
// Steps are told apart by the instant and the time spent suspended, so that a daily alarm rings
// once on each date: the hour a zone repeats when daylight saving ends is not tested again, and
// the minutes the machine slept through or the zone skipped are tested on the next tick, up to
// kLateLimitMinutes late. Minutes a clock set forward by hand jumped over are not.
// Only the machine's own zone going over to or from daylight saving counts as such a night: the
// machine moved into another zone sets its wall clock as a hand would, so the minutes jumped
// over do not ring and the minutes lived again do, unless they were tested just before.
class AlarmMinuteGate {
public:
    static constexpr qint64 kReplayGuardMinutes = 10;
    static constexpr qint64 kLateLimitMinutes = 60;

    // The minutes to test on the tick at `now`, `suspended` being the machine's time spent
    // suspended since it started. `now` carries the machine's zone as it is at this tick (the
    // local time of the system's C library reads a changed zone file anew): the gate asks it
    // for the offset that zone had at the last tick.
    std::vector<AlarmMinute> enter(const QDateTime& now, std::chrono::milliseconds suspended);

private:
    bool test(qint64 minute);
    void forgetAround(qint64 minute);

    struct Tick {
        qint64 utcMs, offsetMs, suspendedMs;
    };
    std::optional<Tick> m_last;
    std::set<qint64> m_tested; // minutes of the wall clock since 1970
    qint64 m_repeatedUpTo = std::numeric_limits<qint64>::min();
};

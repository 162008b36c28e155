#pragma once

#include "AlarmTable.h"

#include <QLocale>
#include <QString>
#include <array>
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

// Runs the alarm test once for each minute, on the first tick that falls in it. The minutes
// tested within the last kReplayGuardMinutes are remembered: a clock set back a little never
// tests one of them again (no alarm rings twice), while a minute it jumped over and then
// reaches is still tested. A larger step back is a deliberate clock change and starts afresh.
class AlarmMinuteGate {
public:
    static constexpr qint64 kReplayGuardMinutes = 10;
    // minute: whole minutes of the machine's local time since the start of the date scale.
    bool enter(qint64 minute);

private:
    std::set<qint64> m_tested;
};

// The minute number of a date/time value, after rounding to the second.
qint64 minuteNumber(DateValue v);

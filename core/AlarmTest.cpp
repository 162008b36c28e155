// SPDX-License-Identifier: GPL-3.0-or-later
#include "AlarmTest.h"

#include "DateFormat.h"

#include <algorithm>

std::int16_t whenMaskFor(std::int16_t when) {
    static constexpr std::array<std::int16_t, 5> kMasks = {whenmask::kNever, whenmask::kEveryDay,
                                                           whenmask::kWeekEnd, whenmask::kWeekDays,
                                                           whenmask::kOnce};
    if (when < 0 || when >= static_cast<std::int16_t>(kMasks.size()))
        return 0;
    return kMasks[static_cast<std::size_t>(when)];
}

DayNames buildDayNames(const QLocale& locale) {
    DayNames names;
    for (std::size_t j = 0; j < names.size(); ++j)
        names[j] = formatDate(static_cast<double>(j), QStringLiteral("dddd"), locale);
    return names;
}

std::vector<std::size_t> dueAlarms(const AlarmTable& table, DateValue reference,
                                   const DayNames& dayNames, const QLocale& locale) {
    std::vector<std::size_t> due;
    const int h = datevalue::hour(reference);
    const int m = datevalue::minute(reference);
    const QDate referenceDate = datevalue::datePart(reference);
    QString weekday; // formatted only when a repeating alarm matches the minute

    for (std::size_t i = 0; i < table.size(); ++i) {
        const AlarmEntry& entry = table[i];
        if (!entry.timeGMT || datevalue::hour(*entry.timeGMT) != h ||
            datevalue::minute(*entry.timeGMT) != m)
            continue;
        if (entry.whenMask == whenmask::kOnce) {
            if (datevalue::datePart(*entry.timeGMT) == referenceDate)
                due.push_back(i);
            continue;
        }
        if (weekday.isEmpty())
            weekday = formatDate(reference, QStringLiteral("dddd"), locale);
        for (std::size_t j = 0; j < dayNames.size(); ++j) {
            if (dayNames[j] == weekday && (entry.whenMask & (1 << j)) != 0) {
                due.push_back(i);
                break;
            }
        }
    }
    return due;
}

namespace {

constexpr qint64 kMinuteMs = 60'000;
// The date scale's day of 1 January 1970.
constexpr qint64 kEpochDay = 25'569;
// The awake part of a step over a sleep, before the machine went to sleep and until the first
// tick after it woke; a clock set forward by hand by less than a minute jumps over no minute.
constexpr qint64 kWakeSlackMs = 30'000;

qint64 floorDiv(qint64 a, qint64 b) {
    return a / b - (a % b < 0 ? 1 : 0);
}

} // namespace

std::vector<AlarmMinute> AlarmMinuteGate::enter(const QDateTime& now,
                                                std::chrono::milliseconds suspended) {
    const Tick tick{now.toMSecsSinceEpoch(), now.offsetFromUtc() * 1000LL, suspended.count()};
    const qint64 wallMs = tick.utcMs + tick.offsetMs;
    const qint64 minute = floorDiv(wallMs, kMinuteMs);
    std::vector<AlarmMinute> minutes;
    const auto add = [&](qint64 m, bool late) {
        if (test(m))
            minutes.push_back({static_cast<double>(m) / 1440.0 + kEpochDay, late});
    };
    if (m_last) {
        const qint64 stepMs = tick.utcMs - m_last->utcMs;
        const qint64 zoneMs = tick.offsetMs - m_last->offsetMs;
        if (stepMs < -kReplayGuardMinutes * kMinuteMs) {
            m_tested.clear();
            m_repeatedUpTo = std::numeric_limits<qint64>::min();
        } else if (zoneMs < 0 && !m_tested.empty()) {
            m_repeatedUpTo = std::max(m_repeatedUpTo, *m_tested.rbegin());
        }
        // How far the wall clock really went: a clock set forward by hand goes further than the
        // machine was awake and asleep, while a change of the zone's offset carries it along.
        const qint64 wentMs =
            std::min(stepMs, tick.suspendedMs - m_last->suspendedMs + kWakeSlackMs) + zoneMs;
        for (qint64 m =
                 std::max(minute - kLateLimitMinutes, floorDiv(wallMs - wentMs, kMinuteMs) + 1);
             m < minute; ++m)
            add(m, true);
    }
    m_last = tick;
    add(minute, false);
    return minutes;
}

bool AlarmMinuteGate::test(qint64 minute) {
    if (minute <= m_repeatedUpTo || !m_tested.insert(minute).second)
        return false;
    const qint64 oldestKept = *m_tested.rbegin() - kReplayGuardMinutes;
    while (*m_tested.begin() < oldestKept)
        m_tested.erase(m_tested.begin());
    return true;
}

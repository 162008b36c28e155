// SPDX-License-Identifier: GPL-3.0-or-later
#include "AlarmTest.h"

#include "DateFormat.h"

#include <algorithm>
#include <cstdlib>

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
        // The zone `now` is in tells its own offset at the last tick: when that is the offset
        // the last tick had, the zone went over to or from daylight saving; otherwise the
        // machine was moved into another zone, which sets the wall clock like a hand would.
        const bool ownTransition =
            now.addMSecs(-stepMs).offsetFromUtc() * 1000LL == m_last->offsetMs;
        const qint64 zoneMs = ownTransition ? tick.offsetMs - m_last->offsetMs : 0;
        if (stepMs < -kReplayGuardMinutes * kMinuteMs) {
            m_tested.clear();
            m_repeatedUpTo = std::numeric_limits<qint64>::min();
        } else if (!ownTransition) {
            // Minutes lived again in the new zone ring, unless they were tested just now.
            m_repeatedUpTo = std::numeric_limits<qint64>::min();
        } else if (zoneMs < 0 && !m_tested.empty()) {
            m_repeatedUpTo = std::max(m_repeatedUpTo, *m_tested.rbegin());
        }
        forgetAround(minute);
        // How far the wall clock really went: a clock set forward by hand goes further than the
        // machine was awake and asleep, while the zone's own change of offset carries it along.
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
    return minute > m_repeatedUpTo && m_tested.insert(minute).second;
}

void AlarmMinuteGate::forgetAround(qint64 minute) {
    // Kept on both sides: after a step back the minutes ahead are the ones not to test again,
    // and a zone hours away never shares a remembered minute with this one.
    std::erase_if(m_tested,
                  [minute](qint64 m) { return std::abs(m - minute) > kReplayGuardMinutes; });
}

#include "AlarmTest.h"

#include "DateFormat.h"

#include <cmath>

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

qint64 minuteNumber(DateValue v) {
    const double seconds = std::floor(v * 86400.0 + 0.5);
    return static_cast<qint64>(std::floor(seconds / 60.0));
}

bool AlarmMinuteGate::enter(qint64 minute)
{
    if (!m_tested.empty()) {
        if (minute < *m_tested.rbegin() - kReplayGuardMinutes)
            m_tested.clear();
        else if (m_tested.count(minute) != 0)
            return false;
    }
    m_tested.insert(minute);
    const qint64 oldestKept = *m_tested.rbegin() - kReplayGuardMinutes;
    while (*m_tested.begin() < oldestKept)
        m_tested.erase(m_tested.begin());
    return true;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "Snooze.h"

#include <algorithm>

int snoozeMinutes(int stored) {
    const auto& offered = snooze::kMinutes;
    return std::find(offered.begin(), offered.end(), stored) != offered.end()
               ? stored
               : snooze::kDefaultMinutes;
}

Snoozes snoozeSetups(Snoozes snoozes, const QStringList& setups, qint64 now, int minutes) {
    for (const QString& setup : setups) {
        std::erase_if(snoozes, [&](const Snooze& s) { return s.setup == setup; });
        snoozes.push_back({setup, now + qint64(minutes) * 60});
    }
    return snoozes;
}

SnoozeStep snoozesAt(const Snoozes& snoozes, qint64 now) {
    SnoozeStep step;
    for (const Snooze& s : snoozes) {
        if (now < s.due)
            step.left.push_back(s);
        else if (now - s.due <= snooze::kLateLimitSecs)
            step.ring.push_back({s.setup, s.due, now - s.due >= snooze::kLateMarkSecs});
    }
    return step;
}

Snoozes listedSnoozes(const Snoozes& snoozes, const AlarmTable& table) {
    Snoozes kept;
    std::copy_if(snoozes.begin(), snoozes.end(), std::back_inserter(kept), [&](const Snooze& s) {
        return std::any_of(table.begin(), table.end(),
                           [&](const AlarmEntry& entry) { return entry.name == s.setup; });
    });
    return kept;
}

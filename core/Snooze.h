// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AlarmTable.h"

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

// An alarm the person put off: its setup rings once more at `due`, in seconds since 1970 (UTC),
// so that a stored snooze keeps its instant across a restart, a sleep or a change of zone.
struct Snooze {
    QString setup;
    qint64 due = 0;
    friend bool operator==(const Snooze&, const Snooze&) = default;
};
using Snoozes = std::vector<Snooze>;

namespace snooze {
// The lengths offered, in minutes, and the one offered until the person picks another.
inline constexpr std::array<int, 5> kMinutes = {5, 10, 15, 30, 60};
inline constexpr int kDefaultMinutes = 10;
// A snooze that fell due while the clock was not running or the machine slept still rings up
// to an hour late, as an alarm does after a sleep; an older one is dropped without a sound.
inline constexpr qint64 kLateLimitSecs = 60 * 60;
// A ring this long after its time or longer is marked late in the notice.
inline constexpr qint64 kLateMarkSecs = 60;
} // namespace snooze

// The stored length when it is one of those offered, else the default.
int snoozeMinutes(int stored);

// The snoozes after the person puts off the alarms of `setups` at `now` for `minutes`: one per
// setup, a setup snoozed before moving to the new time.
Snoozes snoozeSetups(Snoozes snoozes, const QStringList& setups, qint64 now, int minutes);

struct SnoozeRing {
    QString setup;
    qint64 due;
    bool late;
};
// What `snoozes` do at `now`: each one due rings once (if at most kLateLimitSecs late) or is
// dropped unrung, and leaves the list; the others stay as they are.
struct SnoozeStep {
    std::vector<SnoozeRing> ring;
    Snoozes left;
};
SnoozeStep snoozesAt(const Snoozes& snoozes, qint64 now);

// The snoozes whose setup still has its entry in the alarm table: deleting a setup drops its
// snooze, and a "Default" or unlisted name never rings.
Snoozes listedSnoozes(const Snoozes& snoozes, const AlarmTable& table);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DateValue.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

// One setup's alarm as the alarm test sees it. Entry i belongs to the setup listed as
// "Setup" + i; entries for empty or "Default" names stay empty and never ring.
struct AlarmEntry {
    QString name;
    // nullopt when the stored time is missing or unreadable: such an entry never rings, while a
    // real 00:00 GMT alarm does.
    std::optional<DateValue> timeGMT;
    std::int16_t whenMask = 0;
    QString sound;
};

using AlarmTable = std::vector<AlarmEntry>;

namespace whenmask {
inline constexpr std::int16_t kNever = 256; // no weekday bit set
inline constexpr std::int16_t kEveryDay = 127;
inline constexpr std::int16_t kWeekEnd = 3;    // Saturday, Sunday
inline constexpr std::int16_t kWeekDays = 124; // Monday to Friday
inline constexpr std::int16_t kOnce = 512;
} // namespace whenmask

// The when mask for a stored repeat rule (0 "Never (off)" ... 4 "Once"); 0 for anything else.
std::int16_t whenMaskFor(std::int16_t when);

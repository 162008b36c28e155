// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DateValue.h"

#include <cstdint>

// The options of both clocks that move time: zone rows (-1 when no row is selected, which then
// counts like any other row) and the daylight-saving and half-hour boxes.
struct ZoneOptions {
    std::int16_t localIndex = 0;
    bool dstLocal = false;
    bool halfLocal = false;
    std::int16_t otherIndex = 0;
    bool dstOther = false;
    bool halfOther = false;
};

// The Other zone's date and time for the machine's local time T:
// Other = T - (11 - Local + DST_L + 0.5 Half_L) + (11 - Other + DST_O + 0.5 Half_O) hours.
DateValue otherTime(DateValue machineTime, const ZoneOptions& options);

// The machine time taken to GMT the way alarm times are stored: daylight saving plays no part,
// nor does anything of the Other zone, so an alarm entered in Local time rings when the Local
// clock shows it.
DateValue alarmReferenceTime(DateValue machineTime, std::int16_t localIndex, bool halfLocal);

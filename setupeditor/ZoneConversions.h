// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DateValue.h"

#include <QDate>

// Zone values are positions on the zone-index scale: 11 is GMT, and a zone at position p lies
// 11 - p hours east of GMT. A half-hour zone sits 0.5 below its whole-hour row. Daylight saving
// never enters a position: alarms are kept against standard time.
//
// The Other value is single precision on purpose: stored alarm times were always computed with
// it, so doing better here would move existing alarms by a rounding step.
struct ZoneValues {
    double local = 0.0;
    float other = 0.0F;
};

// The position of GMT itself on the zone-index scale.
inline constexpr float kGMTZone = 11.0F;

// Moves t from one zone to another: t + (fromZone - toZone) / 24 days, the shift worked out in
// single precision. A t below 1 is a time of day: it is placed on `today` for the arithmetic and
// comes back as a time of day again, in whole minutes. A full date/time keeps its date and moves
// into the previous or next day as the shift requires. Throws RuntimeError("Overflow") when the
// result leaves the range of the date/time type.
DateValue ConvertZoneTime(DateValue t, float fromZone, float toZone, const QDate& today);

DateValue LocalToGMT(DateValue t, const ZoneValues& zones, const QDate& today);
DateValue OtherToGMT(DateValue t, const ZoneValues& zones, const QDate& today);
DateValue GMTToLocal(DateValue t, const ZoneValues& zones, const QDate& today);
DateValue GMTToOther(DateValue t, const ZoneValues& zones, const QDate& today);
DateValue LocalToOther(DateValue t, const ZoneValues& zones, const QDate& today);
DateValue OtherToLocal(DateValue t, const ZoneValues& zones, const QDate& today);

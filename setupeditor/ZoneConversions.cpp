// SPDX-License-Identifier: GPL-3.0-or-later
#include "ZoneConversions.h"

#include "RuntimeError.h"

#include <QTime>

DateValue ConvertZoneTime(DateValue t, float fromZone, float toZone, const QDate& today) {
    const bool timeOnly = t < 1.0;
    if (timeOnly)
        t += datevalue::fromDate(today);

    const float shift = (fromZone - toZone) / 24.0F;
    const DateValue r = t + static_cast<double>(shift);
    // datePart is invalid exactly when the value leaves the type's range.
    if (!datevalue::datePart(r).isValid())
        throw RuntimeError(QStringLiteral("Overflow"));

    if (!timeOnly)
        return r;
    // Back to a time of day the way it is shown: to the nearest second, seconds then dropped.
    return datevalue::fromTime(QTime(datevalue::hour(r), datevalue::minute(r)));
}

DateValue LocalToGMT(DateValue t, const ZoneValues& zones, const QDate& today) {
    return ConvertZoneTime(t, static_cast<float>(zones.local), kGMTZone, today);
}

DateValue OtherToGMT(DateValue t, const ZoneValues& zones, const QDate& today) {
    return ConvertZoneTime(t, zones.other, kGMTZone, today);
}

DateValue GMTToLocal(DateValue t, const ZoneValues& zones, const QDate& today) {
    return ConvertZoneTime(t, kGMTZone, static_cast<float>(zones.local), today);
}

DateValue GMTToOther(DateValue t, const ZoneValues& zones, const QDate& today) {
    return ConvertZoneTime(t, kGMTZone, zones.other, today);
}

DateValue LocalToOther(DateValue t, const ZoneValues& zones, const QDate& today) {
    return ConvertZoneTime(t, static_cast<float>(zones.local), zones.other, today);
}

DateValue OtherToLocal(DateValue t, const ZoneValues& zones, const QDate& today) {
    return ConvertZoneTime(t, zones.other, static_cast<float>(zones.local), today);
}

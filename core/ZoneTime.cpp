// SPDX-License-Identifier: GPL-3.0-or-later
#include "ZoneTime.h"

#include "ZoneTable.h"

DateValue otherTime(DateValue t, const ZoneOptions& o) {
    if (o.dstLocal)
        t -= datevalue::kHour;
    if (o.halfLocal)
        t -= datevalue::kHalfHour;
    if (o.dstOther)
        t += datevalue::kHour;
    if (o.halfOther)
        t += datevalue::kHalfHour;
    const auto indexDifference = static_cast<std::int16_t>(o.localIndex - o.otherIndex);
    return t + static_cast<double>(indexDifference) / 24.0;
}

DateValue alarmReferenceTime(DateValue machineTime, std::int16_t localIndex, bool halfLocal) {
    DateValue reference = machineTime + static_cast<double>(localIndex - zones::kGmtIndex) / 24.0;
    if (halfLocal)
        reference -= datevalue::kHalfHour;
    return reference;
}

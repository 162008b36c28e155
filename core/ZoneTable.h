// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <optional>

// The 24 whole-hour zones the clock knows, in list order. A zone is identified by its row
// (zone index); the offset from GMT in hours is 11 - index, so row 11 is GMT. The names are
// shown to the user as they stand.
namespace zones {

inline constexpr std::array<const char*, 24> kNames = {
    "GMT+11 Auckland", "GMT+10 Melbourne", "GMT+9 (Tokyo)",   "GMT+8 (Bejin)",  "GMT+7 (Bankok)",
    "GMT+6 (Omsk)",    "GMT+5 Islamabad",  "GMT+4 Mauritius", "GMT+3 (Moscow)", "GMT+2 (Tel-Aviv)",
    "GMT+1 (Paris)",   "GMT (London)",     "GMT-1 Cap Verde", "GMT-2",          "GMT-3 (Rio)",
    "GMT-4 (Halifax)", "GMT-5 (EST)",      "GMT-6 (CST)",     "GMT-7 (MST)",    "GMT-8 (PST)",
    "GMT-9 Anchorage", "GMT-10",           "GMT-11",          "GMT-12",
};

inline constexpr int kCount = static_cast<int>(kNames.size());
inline constexpr std::int16_t kGmtIndex = 11;

constexpr int offsetHours(int index) {
    return kGmtIndex - index;
}
constexpr bool isValidIndex(int index) {
    return index >= 0 && index < kCount;
}

// A row and its half-hour box, as the Local clock shows a zone.
struct ZoneRow {
    std::int16_t index = 0;
    bool half = false;
};

// The row for a standard offset from UTC in seconds: a whole hour is its own row, a half hour
// is the row below it plus the half-hour box (UTC+5:30 is GMT+5 and +0.5, UTC-3:30 is GMT-4 and
// +0.5). Nothing when no row fits (UTC+5:45, UTC+13).
constexpr std::optional<ZoneRow> rowForUtcOffset(int offsetSeconds) {
    if (offsetSeconds % 1800 != 0)
        return std::nullopt;
    const int halfHours = offsetSeconds / 1800;
    const int hours = halfHours >= 0 ? halfHours / 2 : -((1 - halfHours) / 2);
    const int index = kGmtIndex - hours;
    if (!isValidIndex(index))
        return std::nullopt;
    return ZoneRow{static_cast<std::int16_t>(index), halfHours != 2 * hours};
}

} // namespace zones

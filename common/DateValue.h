// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

// The program's date/time value: days since 30 December 1899, the fraction being the time of
// day (one hour = 1/24). A value below 1 is a time of day without a date. Zone arithmetic adds
// and subtracts fractions of a day, so midnight crossings carry into the date by themselves.
// For negative values the date part counts backwards while the fraction still runs forward
// from midnight (-1.25 is 29 December 1899, 06:00).
using DateValue = double;

namespace datevalue {

inline constexpr double kHour = 1.0 / 24.0;
inline constexpr double kHalfHour = 0.5 / 24.0;

// Conversions into a value are exact to the millisecond. They read the wall-clock date and time
// the object carries, whatever its time zone setting; an invalid date counts as the zero date and an
// invalid time as midnight.
DateValue fromQDateTime(const QDateTime& t);
DateValue fromDate(const QDate& d);
DateValue fromTime(const QTime& t); // below 1
DateValue fromDateAndTime(const QDate& d, const QTime& t);

// Conversions out of a value all round to the nearest second first (half a second rounds up),
// so that a value's date, time and fields always agree with each other and with its formatted
// text. A value that is not finite or whose date lies outside the years 100 to 9999 gives an
// invalid QDateTime/QDate/QTime, and 0 from timeOfDay, hour, minute and second.
// toQDateTime gives local time (Qt::LocalTime); a wall time that the local zone skips at a
// daylight-saving change cannot be represented exactly there, so prefer datePart/timePart.
QDateTime toQDateTime(DateValue v);
QDate datePart(DateValue v);
QTime timePart(DateValue v);
DateValue timeOfDay(DateValue v); // the time of day alone (below 1), to the nearest second
int hour(DateValue v);
int minute(DateValue v);
int second(DateValue v);
// Keeps the sign convention: a negative value stays negative unless rounding carries it into
// a later day. A value that is not representable comes back unchanged.
DateValue roundToSecond(DateValue v);
bool isRepresentable(DateValue v);

} // namespace datevalue

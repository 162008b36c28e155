// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DateValue.h"

#include <QLocale>
#include <QString>
#include <optional>

// Formatting of date/time values with the program's patterns, in the user's locale
// (QLocale::system(), which honours LC_TIME), or an explicit one for tests. Every format first
// takes the value to the nearest second.
//
// Patterns: "hh:mm:ss", "hh:mm:ss AM/PM", "dddd, mmm d yyyy", "dddd", "hh:mm", "hh:mm AM/PM";
// named formats: "Short Date" (locale order, four-digit year), "Short Time" (24-hour HH:mm),
// "General Date" (short date and/or time with seconds; reads back unchanged).
//
// The fixed patterns use ASCII digits, hours 00-23, or 01-12 followed by one blank and the
// locale's AM/PM text ("01:05:09 PM", en_GB "01:05:09 pm", ja_JP "01:05:09 午後"); "dddd, mmm d
// yyyy" takes the locale's full weekday and abbreviated month name ("Montag, Dez. 7 2026").
// The named formats are written entirely by the locale, digits included.
// "General Date" writes the time alone for a value without a date part (-1 < v < 1), the
// date alone at midnight, otherwise date, one blank, time. The time is the locale's short time
// format with seconds added: en_US "12/7/2026 1:05:09 PM", en_GB "07/12/2026 13:05:09",
// de_DE "07.12.2026 13:05:09", ja_JP "2026/12/07 13:05:09", en_US time alone "12:00:00 AM".
// A value that is not representable (see datevalue::isRepresentable) gives "". An unknown
// pattern is a programming error and throws RuntimeError("Invalid procedure call or argument").
QString formatDate(DateValue v, const QString& pattern, const QLocale& locale = QLocale::system());

// Reads user or stored text as a date/time: the locale's short date optionally followed by a
// time, a time alone (h:mm, hh:mm, hh:mm:ss, with or without the locale's or the plain AM/PM
// text), and the locale-independent forms "yyyy-MM-dd HH:mm:ss" and "HH:mm:ss". A time alone
// gives a value below 1. Anything else gives nullopt.
//
// Details: blanks around the text are ignored and case does not matter. The short date is read
// field by field from the locale's format: day and month take one or two digits (or a month
// name where the format has one), the year exactly four digits, so "12/7/26" is refused rather
// than guessed into a century. A time may follow the date after blanks (and an optional comma),
// in any of the forms accepted alone; the locale's own time formats are accepted too, so every
// "General Date" text reads back in its locale. Also accepted: "yyyy-MM-dd" alone, the
// locale's hour/minute mark instead of ':' ("7.30" in Finnish), and the AM/PM text before the
// time ("午後1:05"). Refused: out-of-range fields ("25:00", "12:61", "2/30/2026"), an hour
// outside 1-12 with AM/PM ("13:00 PM", "0:30 AM"), a minute of one digit, an hour alone, and
// any text left over. A date of 30 December 1899 with a time gives a time-only value.
std::optional<DateValue> parseDate(const QString& text, const QLocale& locale = QLocale::system());

// As parseDate, but a text that is not a date/time throws RuntimeError("Type mismatch").
DateValue CDate(const QString& text, const QLocale& locale = QLocale::system());

// The locale-independent stored form, to the nearest second: "yyyy-MM-dd HH:mm:ss", or
// "HH:mm:ss" for a value without a date part (-1 < v < 1; for 0 <= v this is "below 1").
// A value that is not representable gives "".
QString storedDateText(DateValue v);

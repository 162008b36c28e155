// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>
#include <vector>

// Internal to the date routines: Qt date/time format strings taken apart into fields, so that
// the locale's formats can be adjusted (four-digit years, seconds) and read back field by field.
namespace localeformat {

enum class Field { Literal, Day, Month, Year, Hour, Minute, Second, Millisecond, AmPm, TimeZone };

struct Token {
    Field field = Field::Literal;
    int count = 0; // how many letters the field had ("dd" = 2); 0 for literals and AM/PM
    QString text;  // the literal text, or the field's letters as written in the format
};

std::vector<Token> tokenize(QStringView format);
QString serialize(const std::vector<Token>& tokens);

// The locale's short date format with its year written with four digits.
QString shortDateFormat(const QLocale& locale);
// The locale's short time format with seconds added after the minutes when it has none.
QString generalTimeFormat(const QLocale& locale);

// Text as the readers compare it: every decimal digit as ASCII, every kind of blank as a plain
// space, and invisible formatting marks (direction marks, joiners) dropped.
QString normalized(QStringView text);

} // namespace localeformat

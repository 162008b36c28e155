// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cstdint>

// Reads stored text as a number: leading blanks, an optional sign, digits with an optional
// decimal point and exponent; reading stops at the first other character. Empty or
// non-numeric text counts as 0. Never throws. Only ASCII digits and '.' count, whatever the
// locale. A magnitude beyond a double's range reads as the largest finite double of that
// sign (so that a 16-bit conversion reports Overflow), and one below it as 0.
double Val(const QString& text);

// Rounds half to even and converts to a 16-bit signed integer; throws RuntimeError("Overflow")
// when the value does not fit (or is not a number).
std::int16_t CInt16(double value);
// The same for 32 bits.
std::int32_t CInt32(double value);

// Val then CInt16: how stored zone indexes, counts and flags are read. Throws on overflow.
inline std::int16_t ValInt16(const QString& text) {
    return CInt16(Val(text));
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "Numeric.h"

#include "RuntimeError.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Reads a run of ASCII digits into `out` (when given) and returns how many there were.
qsizetype readDigits(const QString& text, qsizetype& i, std::string* out) {
    const qsizetype start = i;
    while (i < text.size() && isDigit(text[i])) {
        if (out)
            out->push_back(char(text[i].unicode()));
        ++i;
    }
    return i - start;
}

// The exponent's digits, saturated far beyond anything a double can use.
long long readExponent(const QString& text, qsizetype& i) {
    const qsizetype mark = i;
    ++i; // 'E' or 'e'
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    long long value = 0;
    const qsizetype digitsStart = i;
    while (i < text.size() && isDigit(text[i])) {
        value = std::min(value * 10 + text[i].digitValue(), 1'000'000'000'000LL);
        ++i;
    }
    if (i == digitsStart) {
        // "1e" or "1e+": the number ends before the letter.
        i = mark;
        return 0;
    }
    return negative ? -value : value;
}

[[noreturn]] void overflow() {
    throw RuntimeError(QStringLiteral("Overflow"));
}

template <typename Int> Int roundHalfEven(double value) {
    if (!std::isfinite(value))
        overflow();
    double r = std::floor(value);
    const double fraction = value - r;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(r, 2.0) != 0.0))
        r += 1.0;
    if (r < double(std::numeric_limits<Int>::min()) || r > double(std::numeric_limits<Int>::max()))
        overflow();
    return Int(r);
}

} // namespace

double Val(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';

    std::string integer;
    std::string fraction;
    readDigits(text, i, &integer);
    if (i < text.size() && text[i] == u'.') {
        ++i;
        readDigits(text, i, &fraction);
    }
    long long exponent = 0;
    if ((!integer.empty() || !fraction.empty()) && i < text.size() &&
        (text[i] == u'E' || text[i] == u'e'))
        exponent = readExponent(text, i);

    // Decide overflow and underflow from the decimal magnitude before converting, so that
    // neither a huge exponent nor a megabyte of digits reaches the converter out of range.
    const auto firstInteger = integer.find_first_not_of('0');
    const auto firstFraction = fraction.find_first_not_of('0');
    long long magnitude = 0; // the value lies in [10^(magnitude-1), 10^magnitude)
    if (firstInteger != std::string::npos)
        magnitude = (long long)(integer.size() - firstInteger);
    else if (firstFraction != std::string::npos)
        magnitude = -(long long)firstFraction;
    else
        return 0.0;
    magnitude += exponent;
    const double huge =
        negative ? -std::numeric_limits<double>::max() : std::numeric_limits<double>::max();
    if (magnitude > 400)
        return huge;
    if (magnitude < -400)
        return 0.0;

    std::string number = (integer.empty() ? std::string("0") : integer) + '.' + fraction + 'e' +
                         std::to_string(exponent);
    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range)
        return magnitude > 0 ? huge : 0.0;
    return negative ? -value : value;
}

std::int16_t CInt16(double value) {
    return roundHalfEven<std::int16_t>(value);
}

std::int32_t CInt32(double value) {
    return roundHalfEven<std::int32_t>(value);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "DateFormat.h"

#include "LocaleFormat.h"
#include "RuntimeError.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <utility>

namespace {

// A clock time, as "hh:mm", "hh:mm:ss" and either with " AM/PM" after it. Written straight into
// one string: both times on the screen are made every second.
QString clockTime(int hour, int minute, std::optional<int> second, QStringView amPm) {
    QString text(8 + (amPm.isEmpty() ? 0 : 1 + amPm.size()), Qt::Uninitialized);
    QChar* out = text.data();
    const auto twoDigits = [&out](int n) {
        *out++ = QChar(u'0' + n / 10 % 10);
        *out++ = QChar(u'0' + n % 10);
    };
    twoDigits(hour);
    *out++ = u':';
    twoDigits(minute);
    if (second) {
        *out++ = u':';
        twoDigits(*second);
    }
    if (!amPm.isEmpty()) {
        *out++ = u' ';
        out = std::copy(amPm.begin(), amPm.end(), out);
    }
    text.truncate(out - text.constData());
    return text;
}

QString amPmText(const QLocale& locale, int hour) {
    const QString text = hour < 12 ? locale.amText() : locale.pmText();
    if (!text.isEmpty())
        return text;
    return hour < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
}

int twelveHour(int hour) {
    return hour % 12 == 0 ? 12 : hour % 12;
}

QString shortDate(const QDate& d, const QLocale& locale) {
    return locale.toString(d, localeformat::shortDateFormat(locale));
}

QString generalDate(const QDate& d, const QTime& t, const QLocale& locale) {
    const QString time = locale.toString(t, localeformat::generalTimeFormat(locale));
    if (d == datevalue::datePart(0))
        return time;
    if (t == QTime(0, 0))
        return shortDate(d, locale);
    return shortDate(d, locale) + u' ' + time;
}

} // namespace

QString formatDate(DateValue v, const QString& pattern, const QLocale& locale) {
    enum class Kind { Hms, HmsAmPm, Hm, HmAmPm, Weekday, LongDate, ShortDate, GeneralDate };
    static const std::pair<QString, Kind> kPatterns[] = {
        {QStringLiteral("hh:mm:ss"), Kind::Hms},
        {QStringLiteral("hh:mm:ss AM/PM"), Kind::HmsAmPm},
        {QStringLiteral("hh:mm"), Kind::Hm},
        {QStringLiteral("Short Time"), Kind::Hm},
        {QStringLiteral("hh:mm AM/PM"), Kind::HmAmPm},
        {QStringLiteral("dddd"), Kind::Weekday},
        {QStringLiteral("dddd, mmm d yyyy"), Kind::LongDate},
        {QStringLiteral("Short Date"), Kind::ShortDate},
        {QStringLiteral("General Date"), Kind::GeneralDate},
    };
    const auto found = std::find_if(std::cbegin(kPatterns), std::cend(kPatterns),
                                    [&pattern](const auto& p) { return p.first == pattern; });
    // The patterns are the program's own constants, so another one is a programming error;
    // failing loudly beats showing a half-understood format.
    if (found == std::cend(kPatterns))
        throw RuntimeError(QStringLiteral("Invalid procedure call or argument"));

    const QDate d = datevalue::datePart(v);
    const QTime t = datevalue::timePart(v);
    if (!d.isValid())
        return {};
    const int h = t.hour();
    switch (found->second) {
    case Kind::Hms:
        return clockTime(h, t.minute(), t.second(), {});
    case Kind::HmsAmPm:
        return clockTime(twelveHour(h), t.minute(), t.second(), amPmText(locale, h));
    case Kind::Hm:
        return clockTime(h, t.minute(), std::nullopt, {});
    case Kind::HmAmPm:
        return clockTime(twelveHour(h), t.minute(), std::nullopt, amPmText(locale, h));
    case Kind::Weekday:
        return locale.dayName(d.dayOfWeek(), QLocale::LongFormat);
    case Kind::LongDate:
        return locale.dayName(d.dayOfWeek(), QLocale::LongFormat) + QStringLiteral(", ") +
               locale.monthName(d.month(), QLocale::ShortFormat) + u' ' + QString::number(d.day()) +
               u' ' + QStringLiteral("%1").arg(d.year(), 4, 10, QLatin1Char('0'));
    case Kind::ShortDate:
        return shortDate(d, locale);
    case Kind::GeneralDate:
        return generalDate(d, t, locale);
    }
    return {};
}

QString storedDateText(DateValue v) {
    const QDate d = datevalue::datePart(v);
    if (!d.isValid())
        return {};
    const QString time = datevalue::timePart(v).toString(QStringLiteral("HH:mm:ss"));
    if (d == datevalue::datePart(0))
        return time;
    return d.toString(QStringLiteral("yyyy-MM-dd")) + u' ' + time;
}

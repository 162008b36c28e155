// SPDX-License-Identifier: GPL-3.0-or-later
#include "DateFormat.h"

#include "LocaleFormat.h"
#include "RuntimeError.h"

#include <algorithm>
#include <vector>

using localeformat::Field;
using localeformat::Token;

namespace {

struct Name {
    QString text;
    int value;
};

// What a locale's texts can be read as. Names are compared in their normalized form and
// longest first, so that a full name wins over an abbreviation it starts with.
struct Vocabulary {
    explicit Vocabulary(const QLocale& locale);

    std::vector<Name> months;
    std::vector<Name> weekdays;
    std::vector<Name> amPm; // value 0 for AM, 1 for PM
    QString timeSeparators = QStringLiteral(":");
};

void sortNames(std::vector<Name>& names) {
    for (Name& n : names)
        n.text = localeformat::normalized(n.text).trimmed();
    std::erase_if(names, [](const Name& n) { return n.text.isEmpty(); });
    std::stable_sort(names.begin(), names.end(),
                     [](const Name& a, const Name& b) { return a.text.size() > b.text.size(); });
}

Vocabulary::Vocabulary(const QLocale& locale) {
    for (const auto form : {QLocale::LongFormat, QLocale::ShortFormat}) {
        for (int m = 1; m <= 12; ++m) {
            months.push_back({locale.monthName(m, form), m});
            months.push_back({locale.standaloneMonthName(m, form), m});
        }
        for (int d = 1; d <= 7; ++d) {
            weekdays.push_back({locale.dayName(d, form), d});
            weekdays.push_back({locale.standaloneDayName(d, form), d});
        }
    }
    amPm = {{locale.amText(), 0},
            {locale.pmText(), 1},
            {QStringLiteral("AM"), 0},
            {QStringLiteral("PM"), 1}};
    sortNames(months);
    sortNames(weekdays);
    sortNames(amPm);

    // Users type the locale's own mark between hours and minutes ("7.30" in Finnish).
    const std::vector<Token> time = localeformat::tokenize(locale.timeFormat(QLocale::ShortFormat));
    for (std::size_t i = 1; i + 1 < time.size(); ++i) {
        const QString mark = localeformat::normalized(time[i].text).trimmed();
        if (time[i].field == Field::Literal && time[i - 1].field == Field::Hour &&
            time[i + 1].field == Field::Minute && mark.size() == 1 && !mark[0].isLetterOrNumber())
            timeSeparators += mark;
    }
}

// Reads normalized text from left to right; every read either advances or leaves it unchanged.
class Cursor {
public:
    explicit Cursor(QStringView text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }
    QStringView rest() const { return m_text.mid(m_pos); }

    void skipBlanks() {
        while (!atEnd() && m_text[m_pos] == u' ')
            ++m_pos;
    }

    std::optional<int> number(int minDigits, int maxDigits) {
        int value = 0;
        int n = 0;
        while (n < maxDigits && m_pos + n < m_text.size() && m_text[m_pos + n].isDigit()) {
            value = value * 10 + m_text[m_pos + n].digitValue();
            ++n;
        }
        if (n < minDigits)
            return std::nullopt;
        m_pos += n;
        return value;
    }

    std::optional<int> name(const std::vector<Name>& names) {
        for (const Name& n : names) {
            if (rest().startsWith(n.text, Qt::CaseInsensitive)) {
                m_pos += n.text.size();
                return n.value;
            }
        }
        return std::nullopt;
    }

    // A blank in the literal matches any run of blanks, also none; other characters must match
    // up to case.
    bool literal(QStringView text) {
        qsizetype pos = m_pos;
        for (const QChar c : text) {
            if (c == u' ') {
                while (pos < m_text.size() && m_text[pos] == u' ')
                    ++pos;
            } else if (pos < m_text.size() && m_text[pos].toCaseFolded() == c.toCaseFolded()) {
                ++pos;
            } else {
                return false;
            }
        }
        m_pos = pos;
        return true;
    }

    bool oneOf(QStringView marks) {
        if (atEnd() || !marks.contains(m_text[m_pos]))
            return false;
        ++m_pos;
        return true;
    }

private:
    QStringView m_text;
    qsizetype m_pos = 0;
};

struct Reading {
    int day = 0;
    int month = 0;
    int year = 0;
    int hour = -1;
    int minute = -1;
    int second = 0;
    int amPm = -1;
};

bool store(int& field, std::optional<int> value) {
    if (value)
        field = *value;
    return value.has_value();
}

bool readToken(const Token& t, Cursor& c, Reading& r, const Vocabulary& v) {
    switch (t.field) {
    case Field::Literal:
        return c.literal(localeformat::normalized(t.text));
    case Field::Day:
        // Weekday names are accepted where the format has them but carry no information.
        return t.count <= 2 ? store(r.day, c.number(1, 2)) : c.name(v.weekdays).has_value();
    case Field::Month:
        return store(r.month, t.count <= 2 ? c.number(1, 2) : c.name(v.months));
    case Field::Year:
        // Exactly four digits: a guessed century would silently move a date.
        return store(r.year, c.number(4, 4));
    case Field::Hour:
        return store(r.hour, c.number(1, 2));
    case Field::Minute:
        return store(r.minute, c.number(t.count == 1 ? 1 : 2, 2));
    case Field::Second:
        return store(r.second, c.number(t.count == 1 ? 1 : 2, 2));
    case Field::Millisecond:
        return c.number(1, 3).has_value();
    case Field::AmPm:
        return store(r.amPm, c.name(v.amPm));
    case Field::TimeZone:
        return false;
    }
    return false;
}

// Reads the fields of a format; marks that close a format ("2026. 12. 7.") may be left out at
// the end of the text.
bool readFormat(const std::vector<Token>& tokens, Cursor& c, Reading& r, const Vocabulary& v) {
    for (auto it = tokens.cbegin(); it != tokens.cend(); ++it) {
        if (c.atEnd() && std::all_of(it, tokens.cend(),
                                     [](const Token& t) { return t.field == Field::Literal; }))
            return true;
        if (!readToken(*it, c, r, v))
            return false;
    }
    return true;
}

std::optional<int> secondsOfDay(const Reading& r) {
    if (r.hour < 0 || r.minute < 0 || r.minute > 59 || r.second > 59)
        return std::nullopt;
    int hour = r.hour;
    if (r.amPm >= 0) {
        // With AM/PM only 1 to 12 make sense: "13:00 PM" or "0:30 AM" is a typing error.
        if (hour < 1 || hour > 12)
            return std::nullopt;
        hour = hour % 12 + (r.amPm == 1 ? 12 : 0);
    } else if (hour > 23) {
        return std::nullopt;
    }
    return hour * 3600 + r.minute * 60 + r.second;
}

// h:mm, hh:mm, h:mm:ss or hh:mm:ss, with the AM/PM text before or after, or none (24-hour).
std::optional<int> readPlainTime(QStringView text, const Vocabulary& v) {
    Reading r;
    QStringView s = text.trimmed();
    for (const Name& n : v.amPm) {
        if (s.startsWith(n.text, Qt::CaseInsensitive)) {
            s = s.mid(n.text.size()).trimmed();
        } else if (s.endsWith(n.text, Qt::CaseInsensitive)) {
            s = s.chopped(n.text.size()).trimmed();
        } else {
            continue;
        }
        r.amPm = n.value;
        break;
    }
    Cursor c(s);
    if (!store(r.hour, c.number(1, 2)) || !c.oneOf(v.timeSeparators) ||
        !store(r.minute, c.number(2, 2)))
        return std::nullopt;
    if (!c.atEnd() && (!c.oneOf(v.timeSeparators) || !store(r.second, c.number(2, 2))))
        return std::nullopt;
    return c.atEnd() ? secondsOfDay(r) : std::nullopt;
}

std::optional<int> readTime(QStringView text, const QLocale& locale, const Vocabulary& v) {
    if (const auto plain = readPlainTime(text, v))
        return plain;
    // The locale's own forms ("13 h 05:09", "13:05:09 ч."), as General Date writes them.
    for (const QString& format :
         {localeformat::generalTimeFormat(locale), locale.timeFormat(QLocale::ShortFormat)}) {
        Cursor c(text);
        Reading r;
        if (readFormat(localeformat::tokenize(format), c, r, v) && c.atEnd()) {
            if (const auto seconds = secondsOfDay(r))
                return seconds;
        }
    }
    return std::nullopt;
}

QTime timeOf(int seconds) {
    return QTime::fromMSecsSinceStartOfDay(seconds * 1000);
}

// "yyyy-mm-dd" or "yyyy-mm-dd hh:mm:ss", read by hand: a regular expression would page the
// whole expression engine in for the alarms read at every start.
std::optional<DateValue> readStoredForm(const QString& text) {
    static constexpr char kShape[] = "dddd-dd-dd dd:dd:dd";
    const qsizetype length = text.size();
    if (length != 10 && length != 19)
        return std::nullopt;
    for (qsizetype i = 0; i < length; ++i) {
        const QChar c = text.at(i);
        if (kShape[i] == 'd' ? (c < u'0' || c > u'9') : c != QLatin1Char(kShape[i]))
            return std::nullopt;
    }
    const auto number = [&text](qsizetype from, qsizetype count) {
        return QStringView(text).mid(from, count).toInt();
    };
    const QDate d(number(0, 4), number(5, 2), number(8, 2));
    const QTime t = length == 19 ? QTime(number(11, 2), number(14, 2), number(17, 2)) : QTime(0, 0);
    if (!d.isValid() || !t.isValid())
        return std::nullopt;
    return datevalue::fromDateAndTime(d, t);
}

std::optional<DateValue> readLocaleForm(const QString& text, const QLocale& locale) {
    const Vocabulary vocabulary(locale);
    if (const auto seconds = readTime(text, locale, vocabulary))
        return datevalue::fromTime(timeOf(*seconds));

    Cursor c(text);
    Reading r;
    if (!readFormat(localeformat::tokenize(localeformat::shortDateFormat(locale)), c, r,
                    vocabulary))
        return std::nullopt;
    const QDate d(r.year, r.month, r.day);
    if (!d.isValid())
        return std::nullopt;
    QStringView rest = c.rest().trimmed();
    if (rest.startsWith(u','))
        rest = rest.mid(1).trimmed();
    if (rest.isEmpty())
        return datevalue::fromDate(d);
    const auto seconds = readTime(rest, locale, vocabulary);
    if (!seconds)
        return std::nullopt;
    return datevalue::fromDateAndTime(d, timeOf(*seconds));
}

} // namespace

std::optional<DateValue> parseDate(const QString& text, const QLocale& locale) {
    const QString s = localeformat::normalized(text).trimmed();
    if (s.isEmpty())
        return std::nullopt;
    auto value = readStoredForm(s);
    if (!value)
        value = readLocaleForm(s, locale);
    if (value && !datevalue::isRepresentable(*value))
        return std::nullopt;
    return value;
}

DateValue CDate(const QString& text, const QLocale& locale) {
    if (const auto value = parseDate(text, locale))
        return *value;
    throw RuntimeError(QStringLiteral("Type mismatch"));
}

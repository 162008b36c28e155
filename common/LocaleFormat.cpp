// SPDX-License-Identifier: GPL-3.0-or-later
#include "LocaleFormat.h"

#include <algorithm>

namespace localeformat {

namespace {

struct Letter {
    char16_t letter;
    Field field;
    int maxCount;
};

// Format letters as Qt reads them; every other letter is literal text.
constexpr Letter kLetters[] = {
    {u'd', Field::Day, 4},    {u'M', Field::Month, 4},       {u'y', Field::Year, 4},
    {u'h', Field::Hour, 2},   {u'H', Field::Hour, 2},        {u'm', Field::Minute, 2},
    {u's', Field::Second, 2}, {u'z', Field::Millisecond, 3}, {u't', Field::TimeZone, 1},
};

const Letter* letterOf(QChar c) {
    for (const Letter& l : kLetters) {
        if (c == l.letter)
            return &l;
    }
    return nullptr;
}

void appendLiteral(std::vector<Token>& tokens, const QString& text) {
    if (!tokens.empty() && tokens.back().field == Field::Literal)
        tokens.back().text += text;
    else
        tokens.push_back({Field::Literal, 0, text});
}

// Reads a quoted section starting after its opening quote; "''" inside stands for one quote.
qsizetype readQuoted(QStringView format, qsizetype i, QString& text) {
    while (i < format.size()) {
        if (format[i] == u'\'') {
            if (i + 1 < format.size() && format[i + 1] == u'\'') {
                text += u'\'';
                i += 2;
                continue;
            }
            return i + 1;
        }
        text += format[i++];
    }
    return i;
}

} // namespace

std::vector<Token> tokenize(QStringView format) {
    std::vector<Token> tokens;
    qsizetype i = 0;
    while (i < format.size()) {
        const QChar c = format[i];
        if (c == u'\'') {
            QString text;
            if (i + 1 < format.size() && format[i + 1] == u'\'') {
                text = QStringLiteral("'");
                i += 2;
            } else {
                i = readQuoted(format, i + 1, text);
            }
            appendLiteral(tokens, text);
        } else if (c == u'a' || c == u'A') {
            const bool withP =
                i + 1 < format.size() && (format[i + 1] == u'p' || format[i + 1] == u'P');
            const qsizetype n = withP ? 2 : 1;
            tokens.push_back({Field::AmPm, 0, format.mid(i, n).toString()});
            i += n;
        } else if (const Letter* l = letterOf(c)) {
            qsizetype run = 1;
            while (i + run < format.size() && format[i + run] == c && run < l->maxCount)
                ++run;
            // A lone 'y' is not a year field for Qt.
            if (l->field == Field::Year && run == 1)
                appendLiteral(tokens, QString(c));
            else
                tokens.push_back({l->field, int(run), format.mid(i, run).toString()});
            i += run;
        } else {
            appendLiteral(tokens, QString(c));
            ++i;
        }
    }
    return tokens;
}

QString serialize(const std::vector<Token>& tokens) {
    QString out;
    for (const Token& t : tokens) {
        if (t.field != Field::Literal) {
            out += t.text;
            continue;
        }
        const bool needsQuotes = std::any_of(t.text.cbegin(), t.text.cend(),
                                             [](QChar c) { return c.isLetter() || c == u'\''; });
        if (needsQuotes)
            out += u'\'' + QString(t.text).replace(u'\'', QStringLiteral("''")) + u'\'';
        else
            out += t.text;
    }
    return out;
}

QString shortDateFormat(const QLocale& locale) {
    // A two-digit year reads back as 1900-1999 and would move a stored date by a century.
    std::vector<Token> tokens = tokenize(locale.dateFormat(QLocale::ShortFormat));
    for (Token& t : tokens) {
        if (t.field == Field::Year) {
            t.count = 4;
            t.text = QStringLiteral("yyyy");
        }
    }
    return serialize(tokens);
}

QString generalTimeFormat(const QLocale& locale) {
    std::vector<Token> tokens = tokenize(locale.timeFormat(QLocale::ShortFormat));
    const auto has = [&tokens](Field f) {
        return std::any_of(tokens.cbegin(), tokens.cend(),
                           [f](const Token& t) { return t.field == f; });
    };
    if (has(Field::Second))
        return serialize(tokens);
    const auto minute = std::find_if(tokens.begin(), tokens.end(),
                                     [](const Token& t) { return t.field == Field::Minute; });
    if (minute == tokens.end() || !has(Field::Hour))
        return QStringLiteral("HH:mm:ss");
    // Repeat the locale's own hour/minute separator ("13.05" gives "13.05.09") when it is a
    // single mark; anything wordier ("13 h 05") takes a colon.
    QString separator = QStringLiteral(":");
    if (minute != tokens.begin()) {
        const Token& before = *(minute - 1);
        if (before.field == Field::Literal && before.text.size() == 1 &&
            !before.text[0].isLetter() && !before.text[0].isSpace())
            separator = before.text;
    }
    const auto at = tokens.insert(minute + 1, {Field::Literal, 0, separator});
    tokens.insert(at + 1, {Field::Second, 2, QStringLiteral("ss")});
    return serialize(tokens);
}

QString normalized(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const char32_t c = pair ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
        if (QChar::category(c) == QChar::Number_DecimalDigit && QChar::digitValue(c) >= 0)
            out += QChar(u'0' + QChar::digitValue(c));
        else if (QChar::isSpace(c))
            out += u' ';
        else if (QChar::category(c) != QChar::Other_Format)
            out += text.mid(i, pair ? 2 : 1);
        if (pair)
            ++i;
    }
    return out;
}

} // namespace localeformat

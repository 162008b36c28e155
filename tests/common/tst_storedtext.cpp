// SPDX-License-Identifier: GPL-3.0-or-later
// Stored text read back: numbers as every count, index and flag is read, and the date forms in
// the user's locale.

#include "DateFormat.h"
#include "Numeric.h"
#include "RuntimeError.h"

#include <QTest>
#include <limits>

class TestStoredText : public QObject {
    Q_OBJECT

private slots:
    void numbers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");  // Val
        QTest::addColumn<QString>("int16"); // ValInt16, or its error
        constexpr double max = std::numeric_limits<double>::max();
        // clang-format off
        const std::tuple<const char*, double, const char*> rows[] = {
            {"", 0, "0"}, {" \t17", 17, "17"}, {"+12abc", 12, "12"}, {"abc", 0, "0"}, {"٣", 0, "0"},
            {"2,5", 2, "2"}, {"2.5", 2.5, "2"}, {"-3.5", -3.5, "-4"}, {"1e3", 1e3, "1000"},
            {"32767.4", 32767.4, "32767"}, {"32767.5", 32767.5, "Overflow"},
            {"-32768.5", -32768.5, "-32768"}, {"-32769", -32769, "Overflow"},
            {"7e4", 7e4, "Overflow"}, {"2e308", max, "Overflow"}, {"-9e999", -max, "Overflow"}};
        // clang-format on
        for (const auto& [text, value, int16] : rows)
            QTest::addRow("'%s'", text) << QString::fromUtf8(text) << value << int16;
    }
    void numbers() {
        QFETCH(QString, text);
        QFETCH(QString, int16);
        QTEST(Val(text), "value");
        try {
            QCOMPARE(QString::number(ValInt16(text)), int16);
        } catch (const RuntimeError& e) {
            QCOMPARE(e.description(), int16);
        }
    }

    void dates_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("stored"); // as "AlarmTimeGMT" holds it
        for (const char* locale : {"en_US", "de_DE", "fr_FR", "fr_CA", "ja_JP", "ar_EG", "bg_BG"})
            for (const char* stored : {"2026-12-05 13:05:09", "18:00:00", "00:00:00",
                                       "1899-12-29 06:00:00", "9999-12-31 23:59:59"})
                QTest::addRow("%s %s", locale, stored) << QLocale(locale) << stored;
    }
    // The stored form and the "General Date" text read back in every locale, to the second.
    void dates() {
        QFETCH(QLocale, locale);
        QFETCH(QString, stored);
        const std::optional<DateValue> value = parseDate(stored, locale);
        QVERIFY(value);
        QCOMPARE(storedDateText(*value + 0.4 / 86400), stored);
        QCOMPARE(parseDate(formatDate(*value + 0.4 / 86400, "General Date", locale), locale),
                 value);
    }
};

QTEST_GUILESS_MAIN(TestStoredText)
#include "tst_storedtext.moc"

#include "DateFormat.h"
#include "RuntimeError.h"

#include <QProcess>
#include <QTest>
#include <QTextStream>

namespace {

DateValue at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return datevalue::fromQDateTime(QDateTime(QDate(y, mo, d), QTime(h, mi, s)));
}

const char* const kLocales[] = {"en_US", "en_GB", "de_DE", "ja_JP", "C"};

// Values an alarm can hold: times of day, days around the epoch, old dates, the range's ends.
QList<DateValue> sampleValues() {
    QList<DateValue> values{
        0.0, 1.0 / 86400, 0.5, -1.25, -700.3, 1.0, at(2026, 12, 7, 13, 5, 9) + 0.3 / 86400};
    const int dated[][6] = {
        {1899, 12, 30, 23, 59, 59}, {1900, 2, 28, 1, 2, 3}, {1912, 3, 4, 7, 8, 9},
        {1949, 12, 31, 23, 59, 59}, {1950, 1, 1, 0, 0, 0},  {1969, 7, 20, 20, 17, 40},
        {2000, 2, 29, 12, 0, 0},    {100, 1, 1, 0, 0, 1},   {9999, 12, 31, 23, 59, 59}};
    for (const auto& d : dated)
        values << at(d[0], d[1], d[2], d[3], d[4], d[5]);
    return values;
}

} // namespace

class TestDates : public QObject {
    Q_OBJECT

private slots:
    void formats_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        // A locale and a value, then patterns and their texts in turn.
        const auto rows = [](const char* locale, DateValue v,
                             std::initializer_list<const char*> l) {
            for (auto it = l.begin(); it != l.end(); it += 2)
                QTest::addRow("%s %s %s", locale, it[0], it[1])
                    << locale << v << it[0] << QString::fromUtf8(it[1]);
        };
        const DateValue pm = at(2026, 12, 7, 13, 5, 9);
        rows("en_US", pm,
             {"hh:mm:ss", "13:05:09", "hh:mm:ss AM/PM", "01:05:09 PM", "hh:mm", "13:05",
              "hh:mm AM/PM", "01:05 PM", "Short Time", "13:05", "dddd", "Monday",
              "dddd, mmm d yyyy", "Monday, Dec 7 2026", "Short Date", "12/7/2026", "General Date",
              "12/7/2026 1:05:09 PM"});
        rows("en_US", at(2026, 12, 7, 0, 30), {"hh:mm:ss AM/PM", "12:30:00 AM"});
        rows("en_US", at(2026, 12, 7), {"General Date", "12/7/2026"});
        rows("en_US", 0.5, {"General Date", "12:00:00 PM"});
        rows("en_US", 0.0, {"General Date", "12:00:00 AM"});
        rows("en_US", -1.25, {"General Date", "12/29/1899 6:00:00 AM"});
        rows("en_US", pm + 0.6 / 86400, {"hh:mm:ss", "13:05:10"});
        rows("en_GB", pm,
             {"hh:mm:ss AM/PM", "01:05:09 pm", "Short Date", "07/12/2026", "General Date",
              "07/12/2026 13:05:09"});
        rows("de_DE", pm,
             {"dddd, mmm d yyyy", "Montag, Dez. 7 2026", "Short Date", "07.12.2026", "General Date",
              "07.12.2026 13:05:09"});
        rows("de_DE", 0.0, {"General Date", "00:00:00"});
        rows("ja_JP", pm,
             {"hh:mm:ss AM/PM", "01:05:09 午後", "dddd, mmm d yyyy", "月曜日, 12月 7 2026",
              "Short Date", "2026/12/07", "General Date", "2026/12/07 13:05:09"});
        rows("ja_JP", 0.75, {"General Date", "18:00:00"});
    }
    void formats() {
        QFETCH(QString, locale);
        QFETCH(double, value);
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        QCOMPARE(formatDate(value, pattern, QLocale(locale)), expected);
    }

    void unknownPatternFails() {
        QVERIFY_THROWS_EXCEPTION(RuntimeError, formatDate(1.5, "yyyy-MM-dd"));
    }

    // Every "General Date" text reads back unchanged, and "Short Date" keeps the four-digit year.
    void readsBackInEveryLocale() {
        QStringList failures;
        const auto locales = QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript,
                                                      QLocale::AnyTerritory);
        QVERIFY(locales.size() > 100 && locales.contains(QLocale::c()));
        const DateValue dated = at(1912, 3, 4);
        for (const QLocale& locale : locales) {
            QLocale digits = locale; // the named formats write the locale's own digits
            digits.setNumberOptions(QLocale::OmitGroupSeparator);
            for (const DateValue v : sampleValues()) {
                const QString text = formatDate(v, "General Date", locale);
                if (parseDate(text, locale) != datevalue::roundToSecond(v))
                    failures << locale.name() + QStringLiteral(": ") + text;
            }
            const QString text = formatDate(dated, "Short Date", locale);
            if (!text.contains(digits.toString(1912)) || parseDate(text, locale) != dated)
                failures << locale.name() + QStringLiteral(": ") + text;
        }
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u'\n')));
    }

    void parse_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored"); // empty: the text must be rejected
        // A locale, then texts and the stored form they read as in turn.
        const auto rows = [](const char* locale, std::initializer_list<const char*> l) {
            for (auto it = l.begin(); it != l.end(); it += 2)
                QTest::addRow("%s '%s'", locale, it[0])
                    << locale << QString::fromUtf8(it[0]) << QString::fromUtf8(it[1]);
        };
        rows("en_US", {"7:30", "07:30:00", "07:30 PM", "19:30:00", "7:30 pm", "19:30:00",
                       "7:30:15 AM", "07:30:15", "12:00 AM", "00:00:00", "12:00 PM", "12:00:00"});
        rows("en_US", {"19:30", "19:30:00", " \t19:30\t ", "19:30:00", "19:30:00", "19:30:00"});
        rows("en_US", {"12/7/2026", "2026-12-07 00:00:00", "12/07/2026 7:30 PM",
                       "2026-12-07 19:30:00", "12/7/2026 19:30:05", "2026-12-07 19:30:05"});
        rows("en_US", {"12/30/1899 07:00 AM", "07:00:00", "2026-12-07 19:30:00",
                       "2026-12-07 19:30:00", "2026-12-07", "2026-12-07 00:00:00"});
        rows("en_GB",
             {"7/12/2026 7:30 pm", "2026-12-07 19:30:00", "13/12/2026", "2026-12-13 00:00:00"});
        rows("de_DE", {"7.12.2026", "2026-12-07 00:00:00", "07.12.2026 19:30",
                       "2026-12-07 19:30:00", "7:30 PM", "19:30:00", "12/7/2026", ""});
        rows("ja_JP", {"2026/12/07 13:05:09", "2026-12-07 13:05:09", "午後1:05", "13:05:00",
                       "1:05 午後", "13:05:00"});
        rows("C",
             {"7 Dec 2026 13:05:09", "2026-12-07 13:05:09", "7 dec 2026", "2026-12-07 00:00:00"});
        // Refused.
        for (const char* text :
             {"", "   ", "abc", "7", "7:5", "25:00", "12:61", "12:30:60", "13:00 PM", "0:30 AM",
              "12:30 XM", "12/7/26", "13/7/2026", "2/30/2026", "12/7/2026 abc", "2026-13-01"})
            QTest::addRow("en_US '%s' refused", text) << "en_US" << text << QString();
    }
    void parse() {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(QString, stored);
        const auto value = parseDate(text, QLocale(locale));
        QCOMPARE(value ? storedDateText(*value) : QString(), stored);
        if (value && !stored.contains(u'-'))
            QVERIFY(*value < 1);
    }

    void cdateRejectsGarbage() {
        QCOMPARE(CDate("19:30", QLocale("en_US")), 19.5 / 24);
        try {
            CDate("19:3O", QLocale("en_US"));
            QFAIL("no exception");
        } catch (const RuntimeError& e) {
            QCOMPARE(e.description(), QString("Type mismatch"));
        }
    }

    void storedFormIsLocaleIndependent_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("stored");
        QTest::newRow("date and time") << at(2026, 12, 5, 13, 5, 9) << "2026-12-05 13:05:09";
        QTest::newRow("time of day") << 0.75 << "18:00:00";
        QTest::newRow("midnight dated") << at(1912, 3, 4) << "1912-03-04 00:00:00";
        QTest::newRow("before epoch") << -1.25 << "1899-12-29 06:00:00";
    }
    void storedFormIsLocaleIndependent() {
        QFETCH(double, value);
        QFETCH(QString, stored);
        QCOMPARE(storedDateText(value), stored);
        for (const char* locale : kLocales)
            QCOMPARE(parseDate(stored, QLocale(locale)), value);
    }

    void systemLocaleFollowsLcTime_data() {
        QTest::addColumn<QString>("lcTime");
        QTest::addColumn<QString>("expected");
        QTest::newRow("de_DE") << "de_DE.UTF-8"
                               << "Montag, Dez. 7 2026|07.12.2026";
        QTest::newRow("en_US") << "en_US.UTF-8"
                               << "Monday, Dec 7 2026|12/7/2026";
    }

    // The system locale is read once per process, so a child run of this binary shows it.
    void systemLocaleFollowsLcTime() {
        QFETCH(QString, lcTime);
        QFETCH(QString, expected);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("LC_ALL");
        env.insert("LANG", "C.UTF-8");
        env.insert("LC_TIME", lcTime);
        env.insert("MERIDEX_PRINT_SYSTEM_DATE", "1");
        QProcess child;
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        if (!child.waitForFinished(10000) || child.exitStatus() != QProcess::NormalExit)
            QSKIP("cannot run the test binary as a child process here");
        QCOMPARE(QString::fromUtf8(child.readAllStandardOutput()).trimmed(), expected);
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("MERIDEX_PRINT_SYSTEM_DATE")) {
        const DateValue v = at(2026, 12, 7, 13, 5, 9);
        QTextStream(stdout) << formatDate(v, "dddd, mmm d yyyy") << u'|'
                            << formatDate(v, "Short Date") << Qt::endl;
        return 0;
    }
    TestDates test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_dates.moc"

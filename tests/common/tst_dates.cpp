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

// Values a stored alarm or a user's entry can hold: time-only values, the epoch and the days
// around it, dates long before 1950 and the ends of the range.
QList<DateValue> sampleValues() {
    return {0.0,
            1.0 / 86400,
            0.5,
            at(1899, 12, 30, 23, 59, 59),
            -1.25,
            -700.3,
            1.0,
            at(1900, 2, 28, 1, 2, 3),
            at(1912, 3, 4, 7, 8, 9),
            at(1949, 12, 31, 23, 59, 59),
            at(1950, 1, 1),
            at(1969, 7, 20, 20, 17, 40),
            at(2000, 2, 29, 12),
            at(2026, 12, 7, 13, 5, 9) + 0.3 / 86400,
            at(100, 1, 1, 0, 0, 1),
            at(9999, 12, 31, 23, 59, 59)};
}

} // namespace

class TestDates : public QObject {
    Q_OBJECT

private slots:
    void formats_data();
    void formats();
    void unknownPatternFails();
    void generalDateReadsBack_data();
    void generalDateReadsBack();
    void generalDateReadsBackInEveryLocale();
    void shortDateHasFourDigitYear_data();
    void shortDateHasFourDigitYear();
    void parse_data();
    void parse();
    void cdateRejectsGarbage();
    void storedFormIsLocaleIndependent_data();
    void storedFormIsLocaleIndependent();
    void systemLocaleFollowsLcTime_data();
    void systemLocaleFollowsLcTime();
};

void TestDates::formats_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");
    const DateValue pm = at(2026, 12, 7, 13, 5, 9);
    const struct {
        const char* locale;
        DateValue value;
        const char* pattern;
        const char* expected;
    } rows[] = {
        {"en_US", pm, "hh:mm:ss", "13:05:09"},
        {"en_US", pm, "hh:mm:ss AM/PM", "01:05:09 PM"},
        {"en_US", at(2026, 12, 7, 0, 30), "hh:mm:ss AM/PM", "12:30:00 AM"},
        {"en_US", pm, "hh:mm", "13:05"},
        {"en_US", pm, "hh:mm AM/PM", "01:05 PM"},
        {"en_US", pm, "Short Time", "13:05"},
        {"en_US", pm, "dddd", "Monday"},
        {"en_US", pm, "dddd, mmm d yyyy", "Monday, Dec 7 2026"},
        {"en_US", pm, "Short Date", "12/7/2026"},
        {"en_US", pm, "General Date", "12/7/2026 1:05:09 PM"},
        {"en_US", at(2026, 12, 7), "General Date", "12/7/2026"},
        {"en_US", 0.5, "General Date", "12:00:00 PM"},
        {"en_US", 0.0, "General Date", "12:00:00 AM"},
        {"en_US", -1.25, "General Date", "12/29/1899 6:00:00 AM"},
        {"en_US", pm + 0.6 / 86400, "hh:mm:ss", "13:05:10"},
        {"en_GB", pm, "hh:mm:ss AM/PM", "01:05:09 pm"},
        {"en_GB", pm, "Short Date", "07/12/2026"},
        {"en_GB", pm, "General Date", "07/12/2026 13:05:09"},
        {"de_DE", pm, "dddd, mmm d yyyy", "Montag, Dez. 7 2026"},
        {"de_DE", pm, "Short Date", "07.12.2026"},
        {"de_DE", pm, "General Date", "07.12.2026 13:05:09"},
        {"de_DE", 0.0, "General Date", "00:00:00"},
        {"ja_JP", pm, "hh:mm:ss AM/PM", "01:05:09 午後"},
        {"ja_JP", pm, "dddd, mmm d yyyy", "月曜日, 12月 7 2026"},
        {"ja_JP", pm, "Short Date", "2026/12/07"},
        {"ja_JP", pm, "General Date", "2026/12/07 13:05:09"},
        {"ja_JP", 0.75, "General Date", "18:00:00"},
    };
    for (const auto& r : rows) {
        QTest::addRow("%s %s %s", r.locale, r.pattern, r.expected)
            << r.locale << r.value << r.pattern << QString::fromUtf8(r.expected);
    }
}

void TestDates::formats() {
    QFETCH(QString, locale);
    QFETCH(double, value);
    QFETCH(QString, pattern);
    QFETCH(QString, expected);
    QCOMPARE(formatDate(value, pattern, QLocale(locale)), expected);
}

void TestDates::unknownPatternFails() {
    QVERIFY_THROWS_EXCEPTION(RuntimeError, formatDate(1.5, "yyyy-MM-dd"));
}

void TestDates::generalDateReadsBack_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<double>("value");
    for (const char* locale : kLocales) {
        for (const DateValue v : sampleValues())
            QTest::addRow("%s %.9f", locale, v) << locale << v;
    }
}

void TestDates::generalDateReadsBack() {
    QFETCH(QString, locale);
    QFETCH(double, value);
    const QString text = formatDate(value, "General Date", QLocale(locale));
    const auto read = parseDate(text, QLocale(locale));
    QVERIFY2(read.has_value(), qPrintable(text));
    // A value between -1 and 0 names the same instant as its positive twin and reads back as it.
    const DateValue expected = datevalue::roundToSecond(value > -1 && value < 0 ? -value : value);
    QCOMPARE(*read, expected);
}

void TestDates::generalDateReadsBackInEveryLocale() {
    QStringList failures;
    const auto locales =
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    for (const QLocale& locale : locales) {
        for (const DateValue v :
             {0.75, -1.25, at(1912, 3, 4, 7, 8, 9), at(2026, 12, 7, 13, 5, 9)}) {
            const QString text = formatDate(v, "General Date", locale);
            if (parseDate(text, locale) != v)
                failures << locale.name() + QStringLiteral(": ") + text;
        }
    }
    QVERIFY(locales.size() > 100);
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u'\n')));
}

void TestDates::shortDateHasFourDigitYear_data() {
    QTest::addColumn<QString>("locale");
    for (const char* locale : kLocales)
        QTest::newRow(locale) << locale;
}

void TestDates::shortDateHasFourDigitYear() {
    QFETCH(QString, locale);
    const DateValue v = at(1912, 3, 4);
    const QString text = formatDate(v, "Short Date", QLocale(locale));
    QVERIFY2(text.contains(u"1912"), qPrintable(text));
    QCOMPARE(parseDate(text, QLocale(locale)), v);
}

void TestDates::parse_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stored"); // empty: the text must be rejected
    const struct {
        const char* locale;
        const char* text;
        const char* stored;
    } rows[] = {
        {"en_US", "7:30", "07:30:00"},
        {"en_US", "07:30 PM", "19:30:00"},
        {"en_US", "7:30 pm", "19:30:00"},
        {"en_US", "7:30:15 AM", "07:30:15"},
        {"en_US", "12:00 AM", "00:00:00"},
        {"en_US", "12:00 PM", "12:00:00"},
        {"en_US", "19:30", "19:30:00"},
        {"en_US", " \t19:30\t ", "19:30:00"},
        {"en_US", "12/7/2026", "2026-12-07 00:00:00"},
        {"en_US", "12/07/2026 7:30 PM", "2026-12-07 19:30:00"},
        {"en_US", "12/7/2026 19:30:05", "2026-12-07 19:30:05"},
        {"en_US", "12/30/1899 07:00 AM", "07:00:00"},
        {"en_US", "2026-12-07 19:30:00", "2026-12-07 19:30:00"},
        {"en_US", "2026-12-07", "2026-12-07 00:00:00"},
        {"en_US", "19:30:00", "19:30:00"},
        {"en_GB", "7/12/2026 7:30 pm", "2026-12-07 19:30:00"},
        {"en_GB", "13/12/2026", "2026-12-13 00:00:00"},
        {"de_DE", "7.12.2026", "2026-12-07 00:00:00"},
        {"de_DE", "07.12.2026 19:30", "2026-12-07 19:30:00"},
        {"de_DE", "7:30 PM", "19:30:00"},
        {"ja_JP", "2026/12/07 13:05:09", "2026-12-07 13:05:09"},
        {"ja_JP", "午後1:05", "13:05:00"},
        {"ja_JP", "1:05 午後", "13:05:00"},
        {"C", "7 Dec 2026 13:05:09", "2026-12-07 13:05:09"},
        {"C", "7 dec 2026", "2026-12-07 00:00:00"},
        // rejected
        {"en_US", "", ""},
        {"en_US", "   ", ""},
        {"en_US", "abc", ""},
        {"en_US", "7", ""},
        {"en_US", "7:5", ""},
        {"en_US", "25:00", ""},
        {"en_US", "12:61", ""},
        {"en_US", "12:30:60", ""},
        {"en_US", "13:00 PM", ""},
        {"en_US", "0:30 AM", ""},
        {"en_US", "12:30 XM", ""},
        {"en_US", "12/7/26", ""},
        {"en_US", "13/7/2026", ""},
        {"en_US", "2/30/2026", ""},
        {"en_US", "12/7/2026 abc", ""},
        {"en_US", "2026-13-01", ""},
        {"de_DE", "12/7/2026", ""},
    };
    for (const auto& r : rows) {
        QTest::addRow("%s '%s'", r.locale, r.text)
            << r.locale << QString::fromUtf8(r.text) << QString::fromUtf8(r.stored);
    }
}

void TestDates::parse() {
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(QString, stored);
    const auto value = parseDate(text, QLocale(locale));
    QCOMPARE(value ? storedDateText(*value) : QString(), stored);
    if (value && !stored.contains(u'-'))
        QVERIFY(*value < 1);
}

void TestDates::cdateRejectsGarbage() {
    QCOMPARE(CDate("19:30", QLocale("en_US")), 19.5 / 24);
    try {
        CDate("19:3O", QLocale("en_US"));
        QFAIL("no exception");
    } catch (const RuntimeError& e) {
        QCOMPARE(e.description(), QString("Type mismatch"));
    }
}

void TestDates::storedFormIsLocaleIndependent_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("stored");
    QTest::newRow("date and time") << at(2026, 12, 5, 13, 5, 9) << "2026-12-05 13:05:09";
    QTest::newRow("time of day") << 0.75 << "18:00:00";
    QTest::newRow("midnight dated") << at(1912, 3, 4) << "1912-03-04 00:00:00";
    QTest::newRow("before epoch") << -1.25 << "1899-12-29 06:00:00";
}

void TestDates::storedFormIsLocaleIndependent() {
    QFETCH(double, value);
    QFETCH(QString, stored);
    QCOMPARE(storedDateText(value), stored);
    for (const char* locale : kLocales)
        QCOMPARE(parseDate(stored, QLocale(locale)), value);
}

void TestDates::systemLocaleFollowsLcTime_data() {
    QTest::addColumn<QString>("lcTime");
    QTest::addColumn<QString>("expected");
    QTest::newRow("de_DE") << "de_DE.UTF-8"
                           << "Montag, Dez. 7 2026|07.12.2026";
    QTest::newRow("en_US") << "en_US.UTF-8"
                           << "Monday, Dec 7 2026|12/7/2026";
}

// The system locale is read once per process, so a child run of this binary shows it.
void TestDates::systemLocaleFollowsLcTime() {
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

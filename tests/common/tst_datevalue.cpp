#include "DateFormat.h"
#include "DateValue.h"

#include <QTest>
#include <limits>

class TestDateValue : public QObject {
    Q_OBJECT

private slots:
    void fromWallClock_data() {
        QTest::addColumn<QDateTime>("wallClock");
        QTest::addColumn<double>("value");
        QTest::newRow("epoch") << QDateTime(QDate(1899, 12, 30), QTime(0, 0)) << 0.0;
        QTest::newRow("1900-01-01") << QDateTime(QDate(1900, 1, 1), QTime(0, 0)) << 2.0;
        QTest::newRow("2000-01-01 noon") << QDateTime(QDate(2000, 1, 1), QTime(12, 0)) << 36526.5;
        QTest::newRow("2026-12-07 18:00")
            << QDateTime(QDate(2026, 12, 7), QTime(18, 0)) << 46363.75;
        QTest::newRow("day before epoch 06:00")
            << QDateTime(QDate(1899, 12, 29), QTime(6, 0)) << -1.25;
        QTest::newRow("1899-12-28 18:00") << QDateTime(QDate(1899, 12, 28), QTime(18, 0)) << -2.75;
    }
    void fromWallClock() {
        QFETCH(QDateTime, wallClock);
        QFETCH(double, value);
        QCOMPARE(datevalue::fromQDateTime(wallClock), value);
        QCOMPARE(datevalue::toQDateTime(value), wallClock);
        QCOMPARE(datevalue::toQDateTime(value).timeSpec(), Qt::LocalTime);
    }

    void roundsToNearestSecond_data() {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("expected");
        QTest::newRow("just under half") << QTime(13, 5, 9, 499) << "2026-12-07 13:05:09";
        QTest::newRow("half rounds up") << QTime(13, 5, 9, 500) << "2026-12-07 13:05:10";
        QTest::newRow("carry into next day") << QTime(23, 59, 59, 500) << "2026-12-08 00:00:00";
    }
    void roundsToNearestSecond() {
        QFETCH(QTime, time);
        QFETCH(QString, expected);
        const DateValue v = datevalue::fromQDateTime(QDateTime(QDate(2026, 12, 7), time));
        QCOMPARE(storedDateText(v), expected);
        QCOMPARE(storedDateText(datevalue::roundToSecond(v)), expected);
        QCOMPARE(datevalue::toQDateTime(v).toString(Qt::ISODate).replace(u'T', u' '), expected);
        QCOMPARE(datevalue::second(v), expected.right(2).toInt());
    }

    void negativeValuesRunForwardFromMidnight() {
        QCOMPARE(datevalue::datePart(-1.25), QDate(1899, 12, 29));
        QCOMPARE(datevalue::timePart(-1.25), QTime(6, 0));
        QCOMPARE(datevalue::hour(-2.75), 18);
        QCOMPARE(datevalue::timeOfDay(-1.25), 0.25);
        QCOMPARE(datevalue::roundToSecond(-1.25), -1.25);
        // 29 December 23:59:59.9 rounds into the epoch day itself.
        QCOMPARE(datevalue::roundToSecond(-1.0 - 86399.9 / 86400), 0.0);
    }

    void unrepresentableValuesAreHarmless_data() {
        QTest::addColumn<double>("value");
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity();
        QTest::newRow("after 9999") << 2958466.0;
        QTest::newRow("before 100") << -657435.0;
        QTest::newRow("huge") << -1e300;
    }
    void unrepresentableValuesAreHarmless() {
        QFETCH(double, value);
        QVERIFY(!datevalue::toQDateTime(value).isValid());
        QCOMPARE(datevalue::hour(value), 0);
        QCOMPARE(formatDate(value, "General Date"), QString());
        QCOMPARE(storedDateText(value), QString());
    }
};

QTEST_GUILESS_MAIN(TestDateValue)
#include "tst_datevalue.moc"

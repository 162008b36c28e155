#include "AlarmTest.h"
#include "DateValue.h"
#include "ZoneTime.h"

#include <QTest>

namespace {

const QLocale kLocale(QLocale::English, QLocale::UnitedStates);

DateValue at(QDate d, QTime t) {
    return datevalue::fromQDateTime(QDateTime(d, t));
}

AlarmEntry alarm(const QString& name, QTime gmt, std::int16_t when, QDate date = {}) {
    AlarmEntry e;
    e.name = name;
    e.timeGMT = date.isValid() ? at(date, gmt) : datevalue::fromTime(gmt);
    e.whenMask = whenMaskFor(when);
    e.sound = name + QStringLiteral(".wav");
    return e;
}

std::vector<std::size_t> due(const AlarmTable& table, DateValue reference) {
    return dueAlarms(table, reference, buildDayNames(kLocale), kLocale);
}

} // namespace

class TestAlarmTest : public QObject {
    Q_OBJECT

private slots:
    void masks() {
        QCOMPARE(whenMaskFor(0), whenmask::kNever);
        QCOMPARE(whenMaskFor(1), std::int16_t(127));
        QCOMPARE(whenMaskFor(2), std::int16_t(3));
        QCOMPARE(whenMaskFor(3), std::int16_t(124));
        QCOMPARE(whenMaskFor(4), std::int16_t(512));
        QCOMPARE(whenMaskFor(5), std::int16_t(0));
        QCOMPARE(whenMaskFor(-1), std::int16_t(0));
    }

    void dayNamesStartOnSaturday() {
        const DayNames names = buildDayNames(kLocale);
        QCOMPARE(names[0], QStringLiteral("Saturday"));
        QCOMPARE(names[2], QStringLiteral("Monday"));
        QCOMPARE(names[6], QStringLiteral("Friday"));
    }

    // Week of Saturday 5 December 2026 to Friday 11 December 2026, alarm at 12:30 GMT.
    void weekdayRules_data() {
        QTest::addColumn<int>("when");
        QTest::addColumn<QList<int>>("ringingDays"); // 5..11 December
        QTest::newRow("Never (off)") << 0 << QList<int>{};
        QTest::newRow("Every Day") << 1 << QList<int>{5, 6, 7, 8, 9, 10, 11};
        QTest::newRow("Week-End") << 2 << QList<int>{5, 6};
        QTest::newRow("Week Days") << 3 << QList<int>{7, 8, 9, 10, 11};
        QTest::newRow("unknown rule") << 7 << QList<int>{};
    }
    void weekdayRules() {
        QFETCH(int, when);
        QFETCH(QList<int>, ringingDays);
        const AlarmTable table{
            alarm(QStringLiteral("A"), QTime(12, 30), static_cast<std::int16_t>(when))};
        for (int day = 5; day <= 11; ++day) {
            const bool rang = !due(table, at(QDate(2026, 12, day), QTime(12, 30))).empty();
            QVERIFY2(rang == ringingDays.contains(day), qPrintable(QString::number(day)));
            QVERIFY(due(table, at(QDate(2026, 12, day), QTime(12, 31))).empty());
        }
    }

    void onceOnlyOnItsDate() {
        const AlarmTable table{alarm(QStringLiteral("Once"), QTime(6, 0), 4, QDate(2026, 12, 24))};
        QCOMPARE(due(table, at(QDate(2026, 12, 24), QTime(6, 0))).size(), std::size_t(1));
        QVERIFY(due(table, at(QDate(2026, 12, 23), QTime(6, 0))).empty());
        QVERIFY(due(table, at(QDate(2027, 12, 24), QTime(6, 0))).empty());
        QVERIFY(due(table, at(QDate(2026, 12, 24), QTime(6, 1))).empty());
    }

    void midnightGmtRings() {
        const AlarmTable table{alarm(QStringLiteral("Midnight"), QTime(0, 0), 1)};
        QCOMPARE(due(table, at(QDate(2026, 12, 7), QTime(0, 0))).size(), std::size_t(1));
    }

    void unreadableTimeNeverRings() {
        AlarmEntry broken = alarm(QStringLiteral("Broken"), QTime(0, 0), 1);
        broken.timeGMT.reset();
        const AlarmTable table{broken, AlarmEntry{}};
        for (int minute = 0; minute < 24 * 60; minute += 7)
            QVERIFY(due(table, at(QDate(2026, 12, 7), QTime(minute / 60, minute % 60))).empty());
        QVERIFY(due(table, at(QDate(2026, 12, 7), QTime(0, 0))).empty());
    }

    void everyDueAlarmRingsInTableOrder() {
        const QDate day(2026, 12, 7);
        const AlarmTable table{
            alarm(QStringLiteral("Daily"), QTime(8, 15), 1),
            alarm(QStringLiteral("Once"), QTime(8, 15), 4, day),
            alarm(QStringLiteral("Other minute"), QTime(8, 16), 1),
            alarm(QStringLiteral("Week days"), QTime(8, 15), 3),
        };
        const auto rows = due(table, at(day, QTime(8, 15)));
        QCOMPARE(rows, (std::vector<std::size_t>{0, 1, 3}));
    }

    // The Local half hour moves the Local clock's alarm minute by half an hour.
    void localHalfHour() {
        const AlarmTable table{alarm(QStringLiteral("EST"), QTime(12, 30), 1)};
        const QDate day(2026, 12, 7);
        QCOMPARE(due(table, alarmReferenceTime(at(day, QTime(7, 30)), 16, false)).size(),
                 std::size_t(1));
        QVERIFY(due(table, alarmReferenceTime(at(day, QTime(7, 30)), 16, true)).empty());
        QCOMPARE(due(table, alarmReferenceTime(at(day, QTime(8, 0)), 16, true)).size(),
                 std::size_t(1));
    }

    void minuteGate() {
        AlarmMinuteGate gate;
        const qint64 m = 1000000;
        QVERIFY(gate.enter(m));
        QVERIFY(!gate.enter(m)); // later ticks of the same minute
        QVERIFY(gate.enter(m + 1));
        QVERIFY(!gate.enter(m));     // clock stepped back a few seconds across the boundary
        QVERIFY(!gate.enter(m + 1)); // ... and forward again: no second ring
        QVERIFY(gate.enter(m + 2));
        QVERIFY(gate.enter(m + 2 - 24 * 60)); // back a whole day: a deliberate change
        QVERIFY(gate.enter(m + 500));         // forward jump: the new minute is tested
    }

    void minuteNumberRoundsToTheSecond() {
        const QDate day(2026, 12, 7);
        const qint64 m = minuteNumber(at(day, QTime(10, 0)));
        QCOMPARE(minuteNumber(datevalue::fromQDateTime(QDateTime(day, QTime(10, 0, 59, 400)))), m);
        QCOMPARE(minuteNumber(datevalue::fromQDateTime(QDateTime(day, QTime(9, 59, 59, 700)))), m);
        QCOMPARE(minuteNumber(at(day, QTime(10, 1))), m + 1);
    }
};

QTEST_GUILESS_MAIN(TestAlarmTest)
#include "tst_alarmtest.moc"

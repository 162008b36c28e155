#include "AlarmTest.h"
#include "DateValue.h"

#include <QTest>

namespace {

const QLocale kLocale(QLocale::English, QLocale::UnitedStates);
const QDate kMonday(2026, 12, 7);

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

bool rings(const AlarmEntry& e, QDate d, QTime t) {
    return !due({e}, at(d, t)).empty();
}

} // namespace

class TestAlarmTest : public QObject {
    Q_OBJECT

private slots:
    // Week of Saturday 5 December 2026 to Friday 11 December 2026, alarm at 12:30 GMT.
    void weekdayRules_data() {
        QTest::addColumn<int>("when");
        QTest::addColumn<QList<int>>("ringingDays"); // 5..11 December
        QTest::newRow("Never (off)") << 0 << QList<int>{};
        QTest::newRow("Every Day") << 1 << QList<int>{5, 6, 7, 8, 9, 10, 11};
        QTest::newRow("Week-End") << 2 << QList<int>{5, 6};
        QTest::newRow("Week Days") << 3 << QList<int>{7, 8, 9, 10, 11};
        QTest::newRow("unknown rule") << 7 << QList<int>{};
        QTest::newRow("negative rule") << -1 << QList<int>{};
    }
    void weekdayRules() {
        QFETCH(int, when);
        QFETCH(QList<int>, ringingDays);
        const AlarmEntry a = alarm(QStringLiteral("A"), QTime(12, 30), std::int16_t(when));
        for (int day = 5; day <= 11; ++day) {
            QVERIFY2(rings(a, QDate(2026, 12, day), QTime(12, 30)) == ringingDays.contains(day),
                     qPrintable(QString::number(day)));
            QVERIFY(!rings(a, QDate(2026, 12, day), QTime(12, 31)));
        }
    }

    void onceOnlyOnItsDateAndMidnightGmt() {
        const AlarmEntry once = alarm(QStringLiteral("Once"), QTime(6, 0), 4, QDate(2026, 12, 24));
        QVERIFY(rings(once, QDate(2026, 12, 24), QTime(6, 0)));
        QVERIFY(!rings(once, QDate(2026, 12, 23), QTime(6, 0)));
        QVERIFY(!rings(once, QDate(2027, 12, 24), QTime(6, 0)));
        QVERIFY(!rings(once, QDate(2026, 12, 24), QTime(6, 1)));
        QVERIFY(rings(alarm(QStringLiteral("Midnight"), QTime(0, 0), 1), kMonday, QTime(0, 0)));
    }

    void unreadableTimeNeverRings() {
        AlarmEntry broken = alarm(QStringLiteral("Broken"), QTime(0, 0), 1);
        broken.timeGMT.reset();
        const AlarmTable table{broken, AlarmEntry{}};
        for (int minute = 0; minute < 24 * 60; minute += 7)
            QVERIFY(due(table, at(kMonday, QTime(minute / 60, minute % 60))).empty());
        QVERIFY(due(table, at(kMonday, QTime(0, 0))).empty());
    }

    void minuteNumberRoundsToTheSecond() {
        const qint64 m = minuteNumber(at(kMonday, QTime(10, 0)));
        QCOMPARE(minuteNumber(at(kMonday, QTime(10, 0, 59, 400))), m);
        QCOMPARE(minuteNumber(at(kMonday, QTime(9, 59, 59, 700))), m);
        QCOMPARE(minuteNumber(at(kMonday, QTime(10, 1))), m + 1);
    }
};

QTEST_GUILESS_MAIN(TestAlarmTest)
#include "tst_alarmtest.moc"

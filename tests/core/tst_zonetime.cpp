#include "DateValue.h"
#include "ZoneTable.h"
#include "ZoneTime.h"

#include <QTest>

Q_DECLARE_METATYPE(ZoneOptions)

namespace {
DateValue at(int y, int mo, int d, int h, int mi, int s = 0) {
    return datevalue::fromQDateTime(QDateTime(QDate(y, mo, d), QTime(h, mi, s)));
}
QDateTime shown(DateValue v) {
    return datevalue::toQDateTime(v);
}
} // namespace

class TestZoneTime : public QObject {
    Q_OBJECT

private slots:
    void zoneTable() {
        QCOMPARE(zones::kCount, 24);
        QCOMPARE(QString::fromLatin1(zones::kNames[0]), QStringLiteral("GMT+11 Auckland"));
        QCOMPARE(QString::fromLatin1(zones::kNames[11]), QStringLiteral("GMT (London)"));
        QCOMPARE(QString::fromLatin1(zones::kNames[23]), QStringLiteral("GMT-12"));
        QCOMPARE(zones::offsetHours(2), 9);
        QCOMPARE(zones::offsetHours(16), -5);
    }

    void otherTime_data() {
        QTest::addColumn<ZoneOptions>("options");
        QTest::addColumn<QDateTime>("machine");
        QTest::addColumn<QDateTime>("expected");
        const QDate day(2026, 12, 7);
        QTest::newRow("EST+DST to Paris+DST")
            << ZoneOptions{16, true, false, 10, true, false} << QDateTime(day, QTime(14, 0))
            << QDateTime(day, QTime(20, 0));
        QTest::newRow("same, crossing midnight")
            << ZoneOptions{16, true, false, 10, true, false} << QDateTime(day, QTime(22, 30))
            << QDateTime(day.addDays(1), QTime(4, 30));
        QTest::newRow("same row, same options")
            << ZoneOptions{5, true, true, 5, true, true} << QDateTime(day, QTime(9, 15, 42))
            << QDateTime(day, QTime(9, 15, 42));
        QTest::newRow("GMT-12 to Auckland")
            << ZoneOptions{23, false, false, 0, false, false} << QDateTime(day, QTime(0, 30))
            << QDateTime(day, QTime(23, 30));
        QTest::newRow("GMT-12 to Auckland, next day")
            << ZoneOptions{23, false, false, 0, false, false} << QDateTime(day, QTime(1, 0))
            << QDateTime(day.addDays(1), QTime(0, 0));
        QTest::newRow("local half hour only")
            << ZoneOptions{11, false, true, 11, false, false} << QDateTime(day, QTime(12, 0))
            << QDateTime(day, QTime(11, 30));
        QTest::newRow("no local row counts as -1")
            << ZoneOptions{-1, false, false, 11, false, false} << QDateTime(day, QTime(12, 0))
            << QDateTime(day, QTime(0, 0));
        QTest::newRow("back across a year") << ZoneOptions{0, false, false, 23, false, false}
                                            << QDateTime(QDate(2027, 1, 1), QTime(10, 0))
                                            << QDateTime(QDate(2026, 12, 31), QTime(11, 0));
    }
    void otherTime() {
        QFETCH(ZoneOptions, options);
        QFETCH(QDateTime, machine);
        QFETCH(QDateTime, expected);
        QCOMPARE(shown(::otherTime(datevalue::fromQDateTime(machine), options)), expected);
    }

    void alarmReference_data() {
        QTest::addColumn<int>("localIndex");
        QTest::addColumn<bool>("halfLocal");
        QTest::addColumn<QTime>("machine");
        QTest::addColumn<QTime>("reference");
        QTest::newRow("EST") << 16 << false << QTime(7, 30) << QTime(12, 30);
        QTest::newRow("EST, half hour") << 16 << true << QTime(8, 0) << QTime(12, 30);
        QTest::newRow("London") << 11 << false << QTime(9, 41, 7) << QTime(9, 41, 7);
        QTest::newRow("Tokyo") << 2 << false << QTime(21, 0) << QTime(12, 0);
    }
    void alarmReference() {
        QFETCH(int, localIndex);
        QFETCH(bool, halfLocal);
        QFETCH(QTime, machine);
        QFETCH(QTime, reference);
        const DateValue t = at(2026, 12, 7, machine.hour(), machine.minute(), machine.second());
        const DateValue r = alarmReferenceTime(t, static_cast<std::int16_t>(localIndex), halfLocal);
        QCOMPARE(shown(r).time(), reference);
    }
};

QTEST_GUILESS_MAIN(TestZoneTime)
#include "tst_zonetime.moc"

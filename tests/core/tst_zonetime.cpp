#include "DateValue.h"
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
    void otherTime_data() {
        QTest::addColumn<ZoneOptions>("options");
        QTest::addColumn<QDateTime>("machine");
        QTest::addColumn<QDateTime>("expected");
        const auto row = [](const char* name, ZoneOptions o, QTime machine, QTime shown,
                            int days = 0, QDate day = QDate(2026, 12, 7)) {
            QTest::newRow(name) << o << QDateTime(day, machine)
                                << QDateTime(day.addDays(days), shown);
        };
        const ZoneOptions estToParis{16, true, false, 10, true, false};
        const ZoneOptions toAuckland{23, false, false, 0, false, false};
        row("EST+DST to Paris+DST", estToParis, QTime(14, 0), QTime(20, 0));
        row("same, crossing midnight", estToParis, QTime(22, 30), QTime(4, 30), 1);
        row("same row, same options", {5, true, true, 5, true, true}, QTime(9, 15, 42),
            QTime(9, 15, 42));
        row("GMT-12 to Auckland", toAuckland, QTime(0, 30), QTime(23, 30));
        row("GMT-12 to Auckland, next day", toAuckland, QTime(1, 0), QTime(0, 0), 1);
        row("local half hour only", {11, false, true, 11, false, false}, QTime(12, 0),
            QTime(11, 30));
        row("no local row counts as -1", {-1, false, false, 11, false, false}, QTime(12, 0),
            QTime(0, 0));
        row("back across a year", {0, false, false, 23, false, false}, QTime(10, 0), QTime(11, 0),
            -1, QDate(2027, 1, 1));
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

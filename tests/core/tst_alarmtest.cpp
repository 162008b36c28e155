// The alarm test: which alarms of the table ring in a minute, which minutes get tested when the
// clock steps back or jumps, and when the next tick comes.

#include "AlarmTest.h"
#include "DateFormat.h"
#include "TickSchedule.h"

#include <QTest>

using Rows = std::vector<std::size_t>;
Q_DECLARE_METATYPE(Rows)
const DayNames kDays = buildDayNames(QLocale::c());

// An alarm at a GMT time in the stored form; repeat rules 0 never, 1 every day, 2 week-end,
// 3 week days, 4 once.
static AlarmEntry at(const char* gmt, std::int16_t when) {
    return {{}, parseDate(QString::fromLatin1(gmt), QLocale::c()), whenMaskFor(when), {}};
}

// clang-format off
const AlarmTable kTable{at("2026-12-24 06:00:00", 4), at("06:00:00", 1), at("06:00:00", 2),
                        at("06:00:00", 3), at("2026-12-24 06:00:00", 4), at("unreadable", 1),
                        at("00:00:00", 1), at("06:00:00", 0), at("06:01:00", 1)};
// clang-format on

class TestAlarmTest : public QObject {
    Q_OBJECT

private slots:
    void dueAlarms_data() {
        QTest::addColumn<QString>("gmt");
        QTest::addColumn<Rows>("rings");
        QTest::newRow("Thursday") << "2026-12-24 06:00:00" << Rows{0, 1, 3, 4};
        QTest::newRow("Saturday") << "2026-12-26 06:00:00" << Rows{1, 2};
        QTest::newRow("a year on") << "2027-12-24 06:00:00" << Rows{1, 3};
        QTest::newRow("next minute") << "2026-12-24 06:01:00" << Rows{8};
        QTest::newRow("midnight") << "2026-12-24 00:00:00" << Rows{6};
    }
    // Every due alarm rings, in table order: a one-time alarm silences none after it.
    void dueAlarms() {
        QFETCH(QString, gmt);
        QFETCH(Rows, rings);
        QCOMPARE(::dueAlarms(kTable, *parseDate(gmt, QLocale::c()), kDays, QLocale::c()), rings);
    }

    void minuteGate_data() {
        QTest::addColumn<QString>("ticks"); // each tick's minute: + tested, - not tested again
        QTest::newRow("set back a little") << "100+ 100- 101+ 102+ 100- 101- 103+";
        QTest::newRow("jumped, then reached") << "100+ 105+ 103+ 104+ 105-";
        QTest::newRow("set back an hour: a new start") << "100+ 160+ 100+";
    }
    void minuteGate() {
        QFETCH(QString, ticks);
        AlarmMinuteGate gate;
        for (const QString& tick : ticks.split(u' '))
            QVERIFY2(gate.enter(tick.chopped(1).toInt()) == tick.endsWith(u'+'), qPrintable(tick));
    }

    // Just after the next whole second: the display changes with it and no minute is skipped.
    void nextTick() {
        for (const int msec : {0, 1, 500, 998, 999}) {
            const int tick = msec + ticks::msUntilNextTick(QTime(12, 34, 59, msec)); // from :59
            QVERIFY2(tick > 1000 && tick < 1020, qPrintable(QString::number(msec)));
        }
    }
};

QTEST_GUILESS_MAIN(TestAlarmTest)
#include "tst_alarmtest.moc"

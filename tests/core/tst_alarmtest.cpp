// SPDX-License-Identifier: GPL-3.0-or-later
// The alarm test: which alarms of the table ring in a minute, which minutes get tested when the
// clock steps back or jumps, the zone changes or the machine sleeps, and when the real clock's
// next tick comes.

#include "AlarmTest.h"
#include "Clock.h"
#include "DateFormat.h"
#include "FineTimer.h"
#include "TickSchedule.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimeZone>

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
        // The zone, the date and the ticks: "t" one at a time, "..t" one a second up to it, "~t"
        // the first after a sleep until it, "@zone" the machine moved into that zone; then the
        // minutes tested in order ("a-b" each minute from a to b, "*" late).
        QTest::addColumn<QString>("ticks");
        QTest::addColumn<QString>("tested");
        const auto row = [](const char* name, const char* ticks, const char* tested) {
            QTest::newRow(name) << ticks << tested;
        };
        row("set back a little",
            "UTC 2026-12-07 14:00:59 14:01:00 14:00:58 ..14:01:05 13:55:00 ..14:02:00",
            "14:00-14:01 13:55-13:59 14:02");
        row("set back ten minutes: a new start", "UTC 2026-12-07 14:01:00 13:50:00 ..14:01:00",
            "14:01 13:50-14:01");
        row("jumped over, then reached", "UTC 2026-12-07 14:09:00 14:11:50 14:09:30 ..14:10:30",
            "14:09 14:11 14:10");
        row("set forward by hand", "UTC 2026-12-07 06:59:00 07:05:00", "06:59 07:05");
        row("slept 06:55-07:20", "UTC 2026-12-07 06:55:00 ~07:20:00", "06:55 06:56-07:19* 07:20");
        row("slept 05:00-07:30: an hour late at most", "UTC 2026-12-07 05:00:00 ~07:30:00",
            "05:00 06:30-07:29* 07:30");
        row("daylight saving ends: the hour comes twice",
            "America/New_York 2026-11-01 00:59:00 ..02:01:00", "00:59-02:01");
        row("daylight saving begins: the hour is skipped",
            "America/New_York 2026-03-08 01:59:00 ..03:01:00", "01:59 02:00-02:59* 03:00-03:01");
        row("moved west: the hours lived again ring",
            "Europe/London 2026-12-07 14:04:00 @America/New_York ..09:11:00", "14:04 09:04-09:11");
        row("moved east: the hours jumped over stay silent",
            "America/New_York 2026-12-07 09:04:00 @Europe/London ..14:06:00", "09:04 14:04-14:06");
        row("slept across a move west: the slept hour in the new zone",
            "Europe/London 2026-12-07 17:59:00 @America/New_York ~15:59:00 ..16:01:00",
            "17:59 14:59-15:58* 15:59-16:01");
    }
    void minuteGate() {
        QFETCH(QString, ticks);
        QFETCH(QString, tested);
        QStringList words = ticks.split(u' ');
        QTimeZone zone(words.takeFirst().toLatin1());
        const QDate date = QDate::fromString(words.takeFirst(), Qt::ISODate);
        AlarmMinuteGate gate;
        QDateTime now;
        std::chrono::milliseconds slept{0};
        QStringList got, want;
        for (const QString& word : words) {
            if (word.startsWith(u'@')) {
                zone = QTimeZone(word.mid(1).toLatin1());
                now = now.toTimeZone(zone);
                continue;
            }
            const bool each = word.startsWith(u'.'), sleep = word.startsWith(u'~');
            const QDateTime to(date, QTime::fromString(word.mid(each ? 2 : sleep), Qt::ISODate),
                               zone);
            slept += std::chrono::milliseconds(sleep ? now.msecsTo(to) : 0);
            do {
                now = each ? now.addSecs(1) : to;
                for (const AlarmMinute& m : gate.enter(now, slept))
                    got << datevalue::timePart(m.time).toString(u"HH:mm") + (m.late ? "*" : "");
            } while (now.time() < to.time());
        }
        for (const QString& run : tested.split(u' ')) {
            const QStringList ends = run.chopped(run.endsWith(u'*')).split(u'-');
            for (QTime t = QTime::fromString(ends.front(), Qt::ISODate);
                 t <= QTime::fromString(ends.back(), Qt::ISODate); t = t.addSecs(60))
                want << t.toString(u"HH:mm") + (run.endsWith(u'*') ? "*" : "");
        }
        QCOMPARE(got, want);
    }

    // The machine's own clock and timer: armed between two readings of the wall clock, the tick
    // is due where the next wall second begins, and it comes in that second, early in it (most
    // ticks: a busy machine may hold one back).
    void nextTick() {
        using namespace std::chrono;
        const SystemClock clock;
        FineTimer timer;
        QSignalSpy fired(&timer, &FineTimer::timeout);
        const auto wall = [] { return nanoseconds(system_clock::now().time_since_epoch()); };
        int early = 0;
        for (int tick = 0; tick < 3; ++tick) {
            nanoseconds before, after;
            do { // again when a second begins in between, or the machine stalls there
                before = wall();
                timer.start(ticks::untilNextTick(clock.intoSecond()));
                after = wall();
            } while (floor<seconds>(before) != floor<seconds>(after) || after - before > 100ms);
            const nanoseconds next = floor<seconds>(after) + 1s;
            const nanoseconds read = next + ticks::kMargin - timer.interval(); // when it looked
            QVERIFY2(read >= before && read <= after, qPrintable(QString::number(read.count())));
            QVERIFY(fired.wait(5000));
            const nanoseconds landed = wall() - next;
            early += landed >= 0ns && landed < 200ms;
        }
        QVERIFY2(early >= 2, qPrintable(QString::number(early)));
    }
};

QTEST_GUILESS_MAIN(TestAlarmTest)
#include "tst_alarmtest.moc"

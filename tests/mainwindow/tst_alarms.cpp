// SPDX-License-Identifier: GPL-3.0-or-later
// Alarms over a clock the test moves: what rings in which minute, whatever the ticks and jumps;
// the notice they ring into, by keys and clicks; snoozes over time and restarts.
#include "Fixture.h"
#include "frmAlarm.h"

#include <QComboBox>
#include <QFileInfo>
#include <QScreen>

namespace {

// Local = GMT. Three alarms share 14:01 (one of them once, on this Monday); D rings at 14:10.
Contents alarms() {
    Contents c{{"Settings", {{"LocalIndex", "11"}, {"chk24hLocal", "1"}, {"nbSetup", "4"}}}};
    const char* const rows[][3] = {{"First", "14:01:00", "1"},
                                   {"Once", "2026-12-07 14:01:00", " 4"},
                                   {"Second", "14:01:00", "3"},
                                   {"D", "14:10:00", "1"}};
    for (int i = 0; i < 4; ++i) {
        const QString name = QLatin1String(rows[i][0]);
        c["Settings"][QStringLiteral("Setup%1").arg(i)] = name;
        c[name] = {{"AlarmTimeGMT", rows[i][1]}, {"When", rows[i][2]}, {"Sound", name + ".wav"}};
    }
    return c;
}

// The notice once it rang at `time` and came up.
frmAlarm* ring(Desk& d, const QTime& time) {
    d.tickAt(time);
    frmAlarm* notice = d.window->alarmWindow();
    return notice && QTest::qWaitForWindowActive(notice) ? notice : nullptr;
}

QStringList noticeLines(const Desk& d) {
    const frmAlarm* notice = d.window->alarmWindow();
    return notice ? notice->text().split(u'\n') : QStringList();
}

} // namespace

class TestAlarms : public QObject {
    Q_OBJECT

private slots:
    // Moves from 14:00:50: the clock set to a time and one tick there, with ".." a tick every
    // second up to it, with "~" the first tick after a sleep until it; then the alarms that ring,
    // in the order they ring ("*" late, with the time they were due; "@" snoozed, due then).
    // "snooze N": a second on, Snooze on the notice for N minutes, chosen by keys. "delete X":
    // setup X leaves the stored list. "restart t": the clock ends without a close and starts
    // again from its store at t.
    void ringsOncePerMinute_data() {
        QTest::addColumn<QString>("moves");
        const auto row = [](const char* name, const char* moves) { QTest::newRow(name) << moves; };
        row("every due alarm in table order", "14:00:59, 14:01:00 First Once Second");
        row("due in the minute the clock starts in", "restart 14:01:30 First Once Second");
        row("a tick early in the second shows it, a late one still rings",
            "14:00:59.998, 14:01:01.003 First Once Second");
        row("set back a little never rings twice",
            "14:01:00 First Once Second, 14:00:58, ..14:01:05, 13:55:00, ..14:02:00");
        row("set back ten minutes or more rings again",
            "14:01:00 First Once Second, 13:50:00, ..14:01:00 First Once Second");
        row("a minute jumped over and then reached rings",
            "14:09:00, 14:11:50, 14:09:30, ..14:10:30 D");
        row("slept over the minute: late, once", "~14:05:00 First* Once* Second*, ..14:06:00");
        row("slept over an hour: the last hour's", "~15:02:00 D*");
        row("snoozed 5 minutes: once, at its time",
            "14:01:00 First Once Second, snooze 5, 14:06:00, "
            "14:06:01 First@14:06 Once@14:06 Second@14:06, ..14:07:30");
        row("snoozed 60 minutes", "14:10:00 D, snooze 60, 15:10:00, 15:10:01 D@15:10");
        row("a restart before due keeps it",
            "14:10:00 D, snooze 10, restart 14:15:00, 14:20:01 D@14:20");
        row("a restart an hour after due: late",
            "14:10:00 D, snooze 5, restart 15:15:00 D*@14:15, 15:15:01");
        row("more than an hour late: never",
            "14:10:00 D, snooze 5, restart 15:15:02, 15:15:03, ..15:16");
        row("rung, then a crash: not again",
            "14:10:00 D, snooze 5, 14:15:01 D@14:15, restart 14:15:30, ..14:16:00");
        row("a deleted setup: never",
            "14:10:00 D, snooze 5, delete D, restart 14:11:00, ..14:16:00");
    }
    void ringsOncePerMinute() {
        QFETCH(QString, moves);
        Desk d(alarms(), QStringLiteral("14:00:50"));
        d.load();
        QTime now = d.clock.now().time();
        for (const QString& move : moves.split(QStringLiteral(", "))) {
            QStringList names = move.split(u' ');
            if (names.front() == "snooze") {
                d.clock.set(QDateTime(d.clock.now().date(), now = now.addSecs(1)));
                auto* length = d.window->alarmWindow()->findChild<QComboBox*>("cmbSnooze");
                QTest::keyClick(length, Qt::Key_Home);
                while (length->currentData() != names[1].toInt())
                    QTest::keyClick(length, Qt::Key_Down);
                QTest::mouseClick(length->parentWidget()->findChild<QWidget*>("cmdSnooze"),
                                  Qt::LeftButton);
                QTRY_VERIFY(!d.window->alarmWindow());
                continue;
            }
            for (int i = 0; names.front() == "delete" && i < 4; ++i) {
                if (d.memory.read("Settings", QStringLiteral("Setup%1").arg(i)) == names[1])
                    d.memory.write("Settings", QStringLiteral("Setup%1").arg(i), "Gone");
            }
            if (names.front() == "delete")
                continue;
            const bool restart = names.front() == "restart";
            if (restart)
                names.removeFirst();
            const bool tickOn = names.front().startsWith(u'.'), slept = names.front()[0] == u'~';
            const QTime to =
                QTime::fromString(names.takeFirst().mid(tickOn ? 2 : slept), Qt::ISODateWithMs);
            d.clock.slept += std::chrono::milliseconds(slept ? now.msecsTo(to) : 0);
            const qsizetype before = d.sound.played().size();
            qsizetype shown = noticeLines(d).size();
            if (restart) {
                d.clock.set(QDateTime(d.clock.now().date(), now = to));
                d.load();
                shown = 0;
            }
            if (!restart) {
                do {
                    now = tickOn ? now.addSecs(1) : to;
                    d.tickAt(now);
                } while (now < to);
            }
            QStringList rang, notice, setups;
            for (const QString& sound : d.sound.played().mid(before))
                rang << QFileInfo(sound).baseName();
            for (const QString& name : names) {
                const QString setup = name.section(u'@', 0, 0).remove(u'*');
                const QString due = name.contains(u'@') ? name.section(u'@', 1)
                                    : setup == "D"      ? "14:10"
                                                        : "14:01";
                notice << (name.contains(u'*') ? setup + " (" + due + ", missed)"
                                               : setup + " \u2014 " + due) +
                              (name.contains(u'@') ? " (snoozed)" : "");
                setups << setup;
            }
            QCOMPARE(rang, setups);
            QCOMPARE(d.label("Label1"), now.toString(QStringLiteral("HH:mm:ss")));
            // An open notice gains the lines of each later ring.
            QCOMPARE(noticeLines(d).mid(shown), notice);
        }
    }

    void theTickIsReArmedJustAfterTheNextSecond() {
        Desk d;
        d.load();
        auto* timer = d.child<FineTimer>("Timer1");
        d.clock.set(monday(QStringLiteral("14:00:05.700")));
        timer->start(std::chrono::nanoseconds(0));
        QTRY_COMPARE(d.label("Label1"), QStringLiteral("02:00:05 PM"));
        QVERIFY(timer->isActive());
        QVERIFY2(timer->interval() > std::chrono::milliseconds(300) &&
                     timer->interval() < std::chrono::milliseconds(301),
                 qPrintable(QString::number(timer->interval().count())));
    }

    // A setup whose stored zone is out of range, chosen from the recent setups: the tick that
    // applies it raises a box, and behind the open box the clock and the alarms go on.
    void aBoxRaisedInTheTickStopsNoAlarm() {
        Contents c = alarms();
        c["Settings"]["MRU1"] = "Far";
        c["Far"] = {{"OtherIndex", "40000"}};
        Desk d(c, QStringLiteral("14:00:40"));
        d.load();
        QVERIFY(d.show());
        d.messages.whileOpen = [&d] {
            if (d.messages.texts().size() < 2) // the choice's own box, outside the tick
                return;
            d.clock.set(monday(QStringLiteral("14:01:00")));
            QTRY_COMPARE_WITH_TIMEOUT(d.sound.played().size(), 3, 10000);
            QCOMPARE(d.label("Label1"), QStringLiteral("14:01:00"));
        };
        d.child<FineTimer>("Timer1")->start(std::chrono::nanoseconds(0));
        d.choose("mnMRU1");
        QTRY_COMPARE_WITH_TIMEOUT(d.messages.texts().size(), 2, 10000);
        QCOMPARE(d.messages.texts(), QStringList(2, "Overflow in RefreshSettings()"));
    }

    // The notice as a person meets it: the four alarms have rung into it, and it ends with a key
    // on one of its controls or a click (`action`), its length chosen first with the arrow keys.
    // Snoozed, all four ring again then, once.
    void okAndSnooze_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<bool>("snoozes");
        const auto row = [](const char* name, const char* action, int minutes, bool snoozes) {
            QTest::newRow(name) << action << minutes << snoozes;
        };
        row("Enter on OK", "cmdOK Return", 10, false);
        row("Space on OK", "cmdOK Space", 10, false);
        row("Escape", "Text1 Escape", 10, false);
        row("Enter in the text", "Text1 Enter", 10, false);
        row("click OK", "cmdOK click", 10, false);
        row("Enter on Snooze", "cmdSnooze Return", 10, true);
        row("Enter on the length, 5", "cmbSnooze Return", 5, true);
        row("click Snooze, 15", "cmdSnooze click", 15, true);
        row("Space on Snooze, 30", "cmdSnooze Space", 30, true);
        row("click Snooze, 60", "cmdSnooze click", 60, true);
    }
    void okAndSnooze() {
        QFETCH(QString, action);
        QFETCH(int, minutes);
        QFETCH(bool, snoozes);
        Desk d(alarms());
        d.load();
        QVERIFY(d.show());
        frmAlarm* notice = ring(d, QTime(14, 1));
        QVERIFY(notice && notice->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        // Wholly on the clock's screen, in its middle.
        const QRect area = d.window->screen()->availableGeometry();
        QVERIFY(area.contains(notice->frameGeometry()));
        QVERIFY((notice->geometry().center() - area.center()).manhattanLength() < 60);
        // Standing open, it gains the next alarm's line.
        QCOMPARE(ring(d, QTime(14, 10)), notice);
        QCOMPARE(notice->text(), QStringLiteral("First \u2014 14:01\nOnce \u2014 14:01\n"
                                                "Second \u2014 14:01\nD \u2014 14:10"));

        auto* widget = notice->findChild<QWidget*>(action.section(u' ', 0, 0));
        const QString key = action.section(u' ', 1);
        const auto act = [&] {
            widget->setFocus();
            if (key == "click")
                QTest::mouseClick(widget, Qt::LeftButton);
            else
                QTest::keyClick(widget, Qt::Key(QKeySequence::fromString(key)[0].key()));
        };
        // Keys typed in the first second after lines came are ignored: nobody has read them.
        const QStringList rang{"First.wav", "Once.wav", "Second.wav", "D.wav"};
        d.clock.set(monday("14:10:00.999"));
        if (key != "click") {
            act();
            QVERIFY(notice->isVisible());
            QCOMPARE(d.sound.played(), rang);
        }
        d.clock.set(monday("14:10:01"));
        auto* length = notice->findChild<QComboBox*>("cmbSnooze");
        QCOMPARE(length->currentData(), 10);
        QTest::keyClick(length, Qt::Key_Home);
        while (length->currentData() != minutes)
            QTest::keyClick(length, Qt::Key_Down);
        act();
        QTRY_VERIFY(!d.window->alarmWindow());
        QCOMPARE(d.sound.played(), rang + QStringList{""}); // the sound stops

        const QTime due = QTime(14, 10, 1).addSecs(minutes * 60);
        d.tickAt(due.addSecs(-1));
        QVERIFY(!d.window->alarmWindow());
        d.tickAt(due);
        d.tickAt(due.addSecs(60));
        QCOMPARE(d.sound.played().mid(5), snoozes ? rang : QStringList());
        if (const frmAlarm* shown = d.window->alarmWindow()) {
            const QString line = QStringLiteral(" \u2014 %1 (snoozed)").arg(due.toString("HH:mm"));
            QCOMPARE(shown->text(),
                     QStringList({"First", "Once", "Second", "D"}).join(line + '\n') + line);
            // The length chosen last comes first.
            QCOMPARE(shown->findChild<QComboBox*>("cmbSnooze")->currentData(), minutes);
        }
    }
};

QTEST_MAIN(TestAlarms)
#include "tst_alarms.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// The alarm notice as a person meets it: what rang and when, later alarms added, OK and Snooze
// by keys and clicks, keys typed in its first second ignored, snoozes that outlive the clock.
#include "Fixture.h"
#include "frmAlarm.h"

#include <QComboBox>
#include <QScreen>

namespace {

// Tea rings at 14:01 and Cake at 14:10 each day; the Local clock shows GMT in 24-hour time.
// clang-format off
const Contents kTeaAndCake{
    {"Settings", {{"LocalIndex", "11"}, {"chk24hLocal", "1"}, {"nbSetup", "2"}, {"Setup0", "Tea"},
                  {"Setup1", "Cake"}}},
    {"Tea", {{"AlarmTimeGMT", "14:01:00"}, {"When", "1"}, {"Sound", "tea.wav"}}},
    {"Cake", {{"AlarmTimeGMT", "14:10:00"}, {"When", "1"}, {"Sound", "cake.wav"}}}};
// clang-format on

// The notice once it rang at `time` and came up.
frmAlarm* ring(Desk& d, const QTime& time) {
    d.tickAt(time);
    frmAlarm* notice = d.window->alarmWindow();
    return notice && QTest::qWaitForWindowActive(notice) ? notice : nullptr;
}

} // namespace

class TestNotice : public QObject {
    Q_OBJECT

private slots:
    // Tea and Cake have rung; the notice ends with a key on one of its controls or a click
    // (`action`), its length chosen first with the arrow keys. With "restart" the clock then
    // ends without a close and starts again from the stored settings (Tea's setup deleted with
    // "deleted"), a second before the snooze is due, or `late` seconds after that. A second
    // later the alarms of `rings` ring again, once, snoozed.
    void okAndSnooze_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QString>("restart");
        QTest::addColumn<int>("late");
        QTest::addColumn<QString>("rings");
        const auto row = [](const char* name, const char* action, int minutes, const char* restart,
                            int late, const char* rings) {
            QTest::newRow(name) << action << minutes << restart << late << rings;
        };
        row("Enter on OK", "cmdOK Return", 10, "", 0, "");
        row("Space on OK", "cmdOK Space", 10, "", 0, "");
        row("Escape", "Text1 Escape", 10, "", 0, "");
        row("Enter in the text", "Text1 Enter", 10, "", 0, "");
        row("click OK", "cmdOK click", 10, "", 0, "");
        row("Enter on Snooze", "cmdSnooze Return", 10, "", 0, "Tea Cake");
        row("Enter on the length, 5", "cmbSnooze Return", 5, "", 0, "Tea Cake");
        row("click Snooze, 15, restart", "cmdSnooze click", 15, "restart", 0, "Tea Cake");
        row("30, an hour late", "cmdSnooze click", 30, "restart", 3600, "Tea Cake");
        row("60, later", "cmdSnooze click", 60, "restart", 3601, "");
        row("10, Tea deleted", "cmdSnooze click", 10, "restart, deleted", 0, "Cake");
    }
    void okAndSnooze() {
        QFETCH(QString, action);
        QFETCH(int, minutes);
        QFETCH(QString, restart);
        QFETCH(int, late);
        QFETCH(QString, rings);
        Desk d(kTeaAndCake);
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
        QCOMPARE(notice->text(), QStringLiteral("Tea \u2014 14:01\nCake \u2014 14:10"));

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
        const QStringList rang{"tea.wav", "cake.wav"};
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

        const QDateTime due = monday("14:10:01").addSecs(minutes * 60 + late);
        Contents stored = d.memory.contents();
        if (restart.endsWith("deleted"))
            stored["Settings"]["Setup0"] = "Gone";
        Desk again(stored, due.addSecs(-1).time().toString(Qt::ISODate));
        Desk& r = restart.isEmpty() ? d : again;
        if (restart.isEmpty())
            r.tickAt(due.addSecs(-1).time());
        else
            r.load();
        QVERIFY(!r.window->alarmWindow());
        const qsizetype before = r.sound.played().size();
        r.tickAt(due.time());
        r.tickAt(due.time().addSecs(60));
        QStringList lines, sounds;
        const QString time = due.addSecs(-late).toString("HH:mm");
        for (const QString& name : rings.split(u' ', Qt::SkipEmptyParts)) {
            lines << name + (late ? " (" + time + ", missed)" : " \u2014 " + time) + " (snoozed)";
            sounds << name.toLower() + ".wav";
        }
        QCOMPARE(r.sound.played().mid(before), sounds);
        const frmAlarm* shown = r.window->alarmWindow();
        QCOMPARE(shown ? shown->text() : QString(), lines.join(u'\n'));
        QCOMPARE(r.memory.read("Settings", "nbSnooze").toInt(), 0); // rung or dropped, for good
        if (shown) // the length chosen last comes first
            QCOMPARE(shown->findChild<QComboBox*>("cmbSnooze")->currentData(), minutes);
    }
};

QTEST_MAIN(TestNotice)
#include "tst_notice.moc"

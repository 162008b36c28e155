// SPDX-License-Identifier: GPL-3.0-or-later
// The alarm notice as a person meets it: what rang and when, later alarms added, OK and Snooze
// by keys and clicks, keys typed in its first second ignored. The snooze rules over time and
// restarts are rows of tst_alarms.
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
    // (`action`), its length chosen first with the arrow keys. Snoozed, both ring again then,
    // once.
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

        const QTime due = QTime(14, 10, 1).addSecs(minutes * 60);
        d.tickAt(due.addSecs(-1));
        QVERIFY(!d.window->alarmWindow());
        d.tickAt(due);
        d.tickAt(due.addSecs(60));
        QCOMPARE(d.sound.played().mid(3), snoozes ? rang : QStringList());
        if (const frmAlarm* shown = d.window->alarmWindow()) {
            const QString line = QStringLiteral(" \u2014 %1 (snoozed)").arg(due.toString("HH:mm"));
            QCOMPARE(shown->text(), "Tea" + line + "\nCake" + line);
            // The length chosen last comes first.
            QCOMPARE(shown->findChild<QComboBox*>("cmbSnooze")->currentData(), minutes);
        }
    }
};

QTEST_MAIN(TestNotice)
#include "tst_notice.moc"

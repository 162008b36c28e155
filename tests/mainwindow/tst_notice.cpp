// SPDX-License-Identifier: GPL-3.0-or-later
// The alarm notice as a person meets it: what rang and when, OK and Snooze by keys and clicks,
// keys typed in its first second ignored, later alarms added, snoozes that outlive the clock.
#include "Fixture.h"
#include "frmAlarm.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

namespace {

// Tea rings at 14:01 and Cake at 14:10 each day; the Local clock shows GMT in 24-hour time.
Contents teaAndCake() {
    return {{"Settings",
             {{"LocalIndex", "11"},
              {"chk24hLocal", "1"},
              {"nbSetup", "2"},
              {"Setup0", "Tea"},
              {"Setup1", "Cake"}}},
            {"Tea", {{"AlarmTimeGMT", "14:01:00"}, {"When", "1"}, {"Sound", "tea.wav"}}},
            {"Cake", {{"AlarmTimeGMT", "14:10:00"}, {"When", "1"}, {"Sound", "cake.wav"}}}};
}

QTime at(const char* time) {
    return QTime::fromString(QLatin1String(time), Qt::ISODateWithMs);
}

// The notice once it rang at `time` and came up.
frmAlarm* ring(Desk& d, const char* time) {
    d.tickAt(at(time));
    frmAlarm* notice = d.window->alarmWindow();
    return notice && QTest::qWaitForWindowActive(notice) ? notice : nullptr;
}

} // namespace

class TestNotice : public QObject {
    Q_OBJECT

private slots:
    // A key on a control of the notice, or a click; whether it snoozes or closes the notice.
    void okAndSnooze_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("snoozes");
        const auto row = [](const char* name, const char* action, bool snoozes) {
            QTest::newRow(name) << action << snoozes;
        };
        row("Enter on OK", "cmdOK Return", false);
        row("Space on OK", "cmdOK Space", false);
        row("Escape", "Text1 Escape", false);
        row("Enter in the text", "Text1 Enter", false);
        row("click OK", "cmdOK click", false);
        row("Enter on Snooze", "cmdSnooze Return", true);
        row("Enter on the length", "cmbSnooze Return", true);
        row("click Snooze", "cmdSnooze click", true);
    }
    void okAndSnooze() {
        QFETCH(QString, action);
        QFETCH(bool, snoozes);
        Desk d(teaAndCake());
        d.load();
        QVERIFY(d.show());
        frmAlarm* notice = ring(d, "14:01:00");
        QVERIFY(notice && notice->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        // Wholly on the clock's screen, in its middle.
        const QRect area = d.window->screen()->availableGeometry();
        QVERIFY(area.contains(notice->frameGeometry()));
        QVERIFY((notice->geometry().center() - area.center()).manhattanLength() < 60);
        // Standing open, it gains the next alarm's line.
        QCOMPARE(ring(d, "14:10:00"), notice);
        QCOMPARE(notice->text(), QStringLiteral("Tea \u2014 14:01\nCake \u2014 14:10"));

        auto* widget = notice->findChild<QWidget*>(action.section(u' ', 0, 0));
        const QString key = action.section(u' ', 1);
        widget->setFocus();
        const auto act = [&] {
            if (key == "click")
                QTest::mouseClick(widget, Qt::LeftButton);
            else
                QTest::keyClick(widget, Qt::Key(QKeySequence::fromString(key)[0].key()));
        };
        // Keys typed in the first second after lines came are ignored: nobody has read them.
        const QStringList rang{"tea.wav", "cake.wav"};
        if (key != "click") {
            d.clock.set(monday("14:10:00.999"));
            act();
            QVERIFY(notice->isVisible());
            QCOMPARE(d.sound.played(), rang);
        }
        d.clock.set(monday("14:10:01"));
        act();
        QTRY_VERIFY(!d.window->alarmWindow());
        QCOMPARE(d.sound.played(), rang + QStringList{""}); // the sound stops
        d.tickAt(at("14:20:01"));                           // 10 minutes unless chosen otherwise
        QCOMPARE(d.sound.played().mid(3), snoozes ? rang : QStringList());
    }

    // Snoozed at 14:01:20 for a length chosen with the arrow keys; then, with "restart", the
    // clock ends without a close and starts again from the stored settings at `late` seconds
    // after the snooze is due less one; a second later the notice shows `line`, once.
    void snoozeLengths_data() {
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QString>("restart");
        QTest::addColumn<int>("late");
        QTest::addColumn<QString>("line");
        QTest::newRow("5") << 5 << "" << 0 << "Tea \u2014 14:06 (snoozed)";
        QTest::newRow("10, restart") << 10 << "restart" << 0 << "Tea \u2014 14:11 (snoozed)";
        QTest::newRow("15, restart an hour late")
            << 15 << "restart" << 3600 << "Tea (14:16, missed) (snoozed)";
        QTest::newRow("30, later") << 30 << "restart" << 3601 << "";
        QTest::newRow("60, deleted") << 60 << "restart, Tea deleted" << 0 << "";
    }
    void snoozeLengths() {
        QFETCH(int, minutes);
        QFETCH(QString, restart);
        QFETCH(int, late);
        QFETCH(QString, line);
        Desk d(teaAndCake());
        d.load();
        QVERIFY(d.show());
        frmAlarm* notice = ring(d, "14:01:00");
        QVERIFY(notice);
        d.clock.set(monday("14:01:20"));
        auto* length = notice->findChild<QComboBox*>("cmbSnooze");
        QCOMPARE(length->currentText(), QStringLiteral("10 minutes"));
        length->setFocus();
        QTest::keyClick(length, Qt::Key_Home);
        while (length->currentText() != QStringLiteral("%1 minutes").arg(minutes))
            QTest::keyClick(length, Qt::Key_Down);
        QTest::mouseClick(notice->findChild<QPushButton*>("cmdSnooze"), Qt::LeftButton);
        QTRY_VERIFY(!d.window->alarmWindow());

        const QTime due = at("14:01:20").addSecs(minutes * 60 + late);
        Contents stored = d.memory.contents();
        if (restart.endsWith("deleted"))
            stored["Settings"]["Setup0"] = "Gone";
        Desk again(stored, due.addSecs(-1).toString(Qt::ISODate));
        Desk& r = restart.isEmpty() ? d : again;
        if (restart.isEmpty())
            r.tickAt(due.addSecs(-1));
        else
            r.load();
        QVERIFY(!r.window->alarmWindow());
        const qsizetype before = r.sound.played().size();
        r.tickAt(due);
        r.tickAt(due.addSecs(60));
        QCOMPARE(r.sound.played().mid(before),
                 line.isEmpty() ? QStringList() : QStringList{"tea.wav"});
        QCOMPARE(r.memory.read("Settings", "nbSnooze"), "0"); // rung or dropped, for good
        const frmAlarm* shown = r.window->alarmWindow();
        QCOMPARE(shown ? shown->text() : QString(), line);
        if (shown) // the length chosen last comes first
            QCOMPARE(shown->findChild<QComboBox*>("cmbSnooze")->currentData(), minutes);
    }
};

QTEST_MAIN(TestNotice)
#include "tst_notice.moc"

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
    // A key on a control of the notice, or a click ("click"); whether it snoozes or closes.
    void okAndSnooze_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("snoozes");
        QTest::newRow("Enter on OK") << "cmdOK"
                                     << "Return" << false;
        QTest::newRow("Space on OK") << "cmdOK"
                                     << "Space" << false;
        QTest::newRow("Escape") << "Text1"
                                << "Escape" << false;
        QTest::newRow("Enter in the text") << "Text1"
                                           << "Enter" << false;
        QTest::newRow("click OK") << "cmdOK"
                                  << "click" << false;
        QTest::newRow("Enter on Snooze") << "cmdSnooze"
                                         << "Return" << true;
        QTest::newRow("Enter on the length") << "cmbSnooze"
                                             << "Return" << true;
        QTest::newRow("click Snooze") << "cmdSnooze"
                                      << "click" << true;
    }
    void okAndSnooze() {
        QFETCH(QString, control);
        QFETCH(QString, action);
        QFETCH(bool, snoozes);
        Desk d(teaAndCake());
        d.load();
        QVERIFY(d.show());
        frmAlarm* notice = ring(d, "14:01:00");
        QVERIFY(notice && notice->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(notice->windowTitle(), QStringLiteral("Alarm"));
        QCOMPARE(notice->text(), QStringLiteral("Tea \u2014 14:01"));
        // Wholly on the clock's screen, in its middle.
        const QRect area = d.window->screen()->availableGeometry();
        QVERIFY(area.contains(notice->frameGeometry()));
        QVERIFY((notice->geometry().center() - area.center()).manhattanLength() < 60);
        auto* widget = notice->findChild<QWidget*>(control);
        widget->setFocus();
        const auto act = [&] {
            if (action == "click")
                QTest::mouseClick(widget, Qt::LeftButton);
            else
                QTest::keyClick(widget, Qt::Key(QKeySequence::fromString(action)[0].key()));
        };
        // Typed in the first second, the key is ignored: the person has not seen the notice.
        if (action != "click") {
            d.clock.set(monday("14:01:00.999"));
            act();
            QVERIFY(notice->isVisible());
            QCOMPARE(d.sound.played(), QStringList{"tea.wav"});
        }
        d.clock.set(monday("14:01:01"));
        act();
        QTRY_VERIFY(!d.window->alarmWindow());
        QCOMPARE(d.sound.played(), (QStringList{"tea.wav", ""})); // the sound stops
        QCOMPARE(d.memory.read("Settings", "nbSnooze"), snoozes ? "1" : "");
        d.tickAt(at("14:11:01"));
        QCOMPARE(d.sound.played().size(), snoozes ? 3 : 2); // the default is 10 minutes
    }

    // Each length, chosen with the arrow keys, rings once after that time; the next notice
    // offers the same length first.
    void snoozeLengths_data() {
        QTest::addColumn<int>("minutes");
        for (const int minutes : snooze::kMinutes)
            QTest::addRow("%d minutes", minutes) << minutes;
    }
    void snoozeLengths() {
        QFETCH(int, minutes);
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
        QCOMPARE(d.memory.read("Settings", "SnoozeMinutes"), QString::number(minutes));

        const QTime due = at("14:01:20").addSecs(minutes * 60);
        d.tickAt(due.addSecs(-1));
        QCOMPARE(d.sound.played().size(), 2);
        QVERIFY(notice = ring(d, qPrintable(due.toString(Qt::ISODate))));
        QCOMPARE(d.sound.played().last(), "tea.wav");
        QVERIFY(notice->text().endsWith(due.toString("HH:mm") + " (snoozed)"));
        QCOMPARE(notice->findChild<QComboBox*>("cmbSnooze")->currentData(), minutes);
        d.tickAt(due.addSecs(60));
        QCOMPARE(d.sound.played().size(), 3); // once
    }

    // A notice standing open gains the lines of later alarms, and the first second after that
    // guards them too; Snooze then puts off all of them.
    void linesAdded() {
        Desk d(teaAndCake());
        d.load();
        QVERIFY(d.show());
        frmAlarm* notice = ring(d, "14:01:00");
        QVERIFY(notice && ring(d, "14:10:00") == notice);
        QCOMPARE(notice->text(), QStringLiteral("Tea \u2014 14:01\nCake \u2014 14:10"));
        auto* snooze = notice->findChild<QPushButton*>("cmdSnooze");
        snooze->setFocus();
        d.clock.set(monday("14:10:00.500"));
        QTest::keyClick(snooze, Qt::Key_Return);
        QVERIFY(notice->isVisible());
        d.clock.set(monday("14:10:01"));
        QTest::keyClick(snooze, Qt::Key_Return);
        QTRY_VERIFY(!d.window->alarmWindow());
        const qint64 due = monday("14:20:01").toSecsSinceEpoch();
        QCOMPARE(d.window->snoozes(), (Snoozes{{"Tea", due}, {"Cake", due}}));
    }

    // A snooze stored at 14:01:20 for 5 minutes (14:06:20), then the clock ends without a
    // close; it starts again at `start` and ticks a second later. The ring's line, if any.
    void snoozeOutlivesTheClock_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<bool>("deleted");
        QTest::addColumn<QString>("line");
        QTest::newRow("before due") << "14:06:00" << false << "";
        QTest::newRow("on time") << "14:06:19" << false << "Tea \u2014 14:06 (snoozed)";
        QTest::newRow("an hour late") << "15:06:19" << false << "Tea (14:06, missed) (snoozed)";
        QTest::newRow("over an hour late") << "15:06:20" << false << "";
        QTest::newRow("setup deleted") << "14:06:19" << true << "";
    }
    void snoozeOutlivesTheClock() {
        QFETCH(QString, start);
        QFETCH(bool, deleted);
        QFETCH(QString, line);
        Contents stored;
        {
            Desk d(teaAndCake());
            d.load();
            QVERIFY(d.show());
            frmAlarm* notice = ring(d, "14:01:00");
            QVERIFY(notice);
            d.clock.set(monday("14:01:20"));
            QTest::keyClick(notice->findChild<QComboBox*>("cmbSnooze"), Qt::Key_Up);
            QTest::mouseClick(notice->findChild<QPushButton*>("cmdSnooze"), Qt::LeftButton);
            stored = d.memory.contents();
        }
        if (deleted)
            stored["Settings"]["Setup0"] = "Gone";
        Desk d(stored, start);
        d.load();
        d.tickAt(d.clock.now().time().addSecs(1));
        const frmAlarm* notice = d.window->alarmWindow();
        QCOMPARE(notice ? notice->text() : QString(), line);
        QCOMPARE(d.sound.played(), line.isEmpty() ? QStringList() : QStringList{"tea.wav"});
        // Rung or dropped, it never rings again.
        QCOMPARE(d.memory.read("Settings", "nbSnooze"), start == "14:06:00" ? "1" : "0");
    }
};

QTEST_MAIN(TestNotice)
#include "tst_notice.moc"

#include "Fixture.h"
#include "frmAlarm.h"

#include <QDialog>
#include <QTest>
#include <QTimer>

namespace {

const QDate kMonday(2026, 12, 7);

MemorySettingsStore::Contents storeWith(const QString& localIndex, const QString& half,
                                        QList<QStringList> setups) {
    // Each setup: name, AlarmTimeGMT, When, Sound.
    MemorySettingsStore::Contents c;
    c["Settings"]["LocalIndex"] = localIndex;
    c["Settings"]["chk05Local"] = half;
    c["Settings"]["nbSetup"] = QString::number(setups.size());
    for (int i = 0; i < setups.size(); ++i) {
        const QStringList& s = setups[i];
        c["Settings"][QStringLiteral("Setup%1").arg(i)] = s[0];
        c[s[0]]["AlarmTimeGMT"] = s[1];
        c[s[0]]["When"] = s[2];
        c[s[0]]["Sound"] = s[3];
        c[s[0]]["OtherIndex"] = "2";
    }
    return c;
}

QString notice(const MainWindowFixture& f) {
    return f.window->alarmWindow() ? f.window->alarmWindow()->text() : QString();
}

} // namespace

class TestAlarms : public QObject {
    Q_OBJECT

private slots:
    void estAlarmRingsWhenTheLocalClockShowsIt_data() {
        QTest::addColumn<QString>("half");
        QTest::addColumn<QTime>("ringsAt");
        QTest::newRow("whole hour") << "0" << QTime(7, 30);
        QTest::newRow("half hour") << "1" << QTime(8, 0);
    }
    void estAlarmRingsWhenTheLocalClockShowsIt() {
        QFETCH(QString, half);
        QFETCH(QTime, ringsAt);
        MainWindowFixture f(storeWith("16", half, {{"EST", "12:30:00", "1", "/s/est.wav"}}),
                            QDateTime(kMonday, ringsAt.addSecs(-61)));
        f.load();
        for (int s = -60; s < 0; ++s)
            f.tickAt(QDateTime(kMonday, ringsAt.addSecs(s)));
        QVERIFY(f.sound.played().isEmpty());
        f.tickAt(QDateTime(kMonday, ringsAt));
        QCOMPARE(f.sound.played(), QStringList{"/s/est.wav"});
        QCOMPARE(notice(f), QStringLiteral("EST"));
        QCOMPARE(f.window->alarmWindow()->windowTitle(), QStringLiteral("Alarm"));
        for (int s = 1; s < 60; ++s)
            f.tickAt(QDateTime(kMonday, ringsAt.addSecs(s)));
        QCOMPARE(f.sound.played().size(), 1);
    }

    // Daylight saving and everything of the Other zone change what the Other clock shows, never
    // the minute an alarm rings in.
    void otherOptionsNeverMoveAnAlarm() {
        for (int variant = 0; variant < 4; ++variant) {
            MainWindowFixture f(storeWith("16", "0", {{"EST", "12:30:00", "1", "e.wav"}}),
                                QDateTime(kMonday, QTime(7, 0)));
            f.load();
            f.box("chkDSTOther")->setChecked(variant & 1);
            f.box("chk05Other")->setChecked(variant & 2);
            f.box("chkDSTLocal")->setChecked(variant & 1);
            f.list("lstTimeZoneOther")->setCurrentRow(variant * 5);
            f.tickAt(QDateTime(kMonday, QTime(7, 29, 59)));
            QVERIFY(f.sound.played().isEmpty());
            f.tickAt(QDateTime(kMonday, QTime(7, 30, 0)));
            QCOMPARE(f.sound.played().size(), 1);
        }
    }

    void twoAlarmsInOneMinuteFirstEntryFirst() {
        MainWindowFixture f(storeWith("11", "0",
                                      {{"First", "06:45:00", "3", "1.wav"},
                                       {"Off", "06:45:00", "0", "off.wav"},
                                       {"Once", "2026-12-07 06:45:00", " 4", "2.wav"},
                                       {"Second", "06:45:00", "1", "3.wav"}}),
                            QDateTime(kMonday, QTime(6, 44, 59)));
        f.load();
        f.tickAt(QDateTime(kMonday, QTime(6, 45, 0, 3)));
        QCOMPARE(f.sound.played(), (QStringList{"1.wav", "2.wav", "3.wav"}));
        QCOMPARE(notice(f), QStringLiteral("First\nOnce\nSecond"));
    }

    void aLaterMinuteReplacesTheNotice() {
        MainWindowFixture f(
            storeWith("11", "0", {{"A", "09:00:00", "1", ""}, {"B", "09:01:00", "1", ""}}),
            QDateTime(kMonday, QTime(8, 59, 59)));
        f.load();
        f.tickAt(QDateTime(kMonday, QTime(9, 0)));
        QCOMPARE(notice(f), QStringLiteral("A"));
        f.tickAt(QDateTime(kMonday, QTime(9, 1)));
        QCOMPARE(notice(f), QStringLiteral("B"));
    }

    // A late tick still tests its minute; a second tick in the minute does not ring again.
    void firstTickOfAMinuteRunsTheTest() {
        MainWindowFixture f(storeWith("11", "0", {{"Late", "10:00:00", "1", "l.wav"}}),
                            QDateTime(kMonday, QTime(9, 59, 58)));
        f.load();
        f.tickAt(QDateTime(kMonday, QTime(9, 59, 59, 10)));
        f.tickAt(QDateTime(kMonday, QTime(10, 0, 1, 400))); // second 0 skipped
        f.tickAt(QDateTime(kMonday, QTime(10, 0, 2, 10)));
        QCOMPARE(f.sound.played(), QStringList{"l.wav"});
    }

    // A tick that arrives late in the second before the minute shows that second, not the next.
    void aLateTickNeverRingsEarly() {
        MainWindowFixture f(storeWith("11", "0", {{"A", "09:00:00", "1", "a.wav"}}),
                            QDateTime(kMonday, QTime(8, 59, 58)));
        f.load();
        f.tickAt(QDateTime(kMonday, QTime(8, 59, 59, 950)));
        QCOMPARE(f.label("Label1"), QStringLiteral("08:59:59 AM"));
        QVERIFY(f.sound.played().isEmpty());
        f.tickAt(QDateTime(kMonday, QTime(9, 0, 0, 2)));
        QCOMPARE(f.label("Label1"), QStringLiteral("09:00:00 AM"));
        QCOMPARE(f.sound.played(), QStringList{"a.wav"});
    }

    void midnightGmtAndUnreadableTimes() {
        MainWindowFixture f(
            storeWith("11", "0",
                      {{"Midnight", "00:00:00", "1", "m.wav"}, {"Broken", "soon", "1", "b.wav"}}),
            QDateTime(kMonday, QTime(23, 59, 59)));
        f.load();
        f.tickAt(QDateTime(kMonday.addDays(1), QTime(0, 0)));
        QCOMPARE(f.sound.played(), QStringList{"m.wav"});
    }

    void clockSetBackDoesNotRingTwice() {
        MainWindowFixture f(storeWith("11", "0", {{"A", "09:00:00", "1", "a.wav"}}),
                            QDateTime(kMonday, QTime(8, 59, 59)));
        f.load();
        f.tickAt(QDateTime(kMonday, QTime(9, 0, 0)));
        f.tickAt(QDateTime(kMonday, QTime(9, 0, 1)));
        f.tickAt(QDateTime(kMonday, QTime(8, 59, 58))); // stepped back across the minute
        f.tickAt(QDateTime(kMonday, QTime(8, 59, 59)));
        f.tickAt(QDateTime(kMonday, QTime(9, 0, 0)));
        QCOMPARE(f.sound.played().size(), 1);
        f.tickAt(QDateTime(kMonday.addDays(1), QTime(9, 0, 0))); // and the next day it rings
        QCOMPARE(f.sound.played().size(), 2);
    }

    // With a modal window of the program open, the notice shows at once; it takes input once
    // the modal window has closed.
    void ringsWhileAModalWindowIsOpen() {
        MainWindowFixture f(storeWith("11", "0", {{"Standup", "09:30:00", "3", "s.wav"}}),
                            QDateTime(kMonday, QTime(9, 29, 59)));
        f.load();
        f.window->show();
        QDialog modal(f.window.get());
        bool shownWhileModal = false;
        QTimer::singleShot(0, &modal, [&] {
            f.tickAt(QDateTime(kMonday, QTime(9, 30)));
            shownWhileModal = f.window->alarmWindow() && f.window->alarmWindow()->isVisible();
            modal.reject();
        });
        modal.exec();
        QVERIFY(shownWhileModal);
        QCOMPARE(notice(f), QStringLiteral("Standup"));
        QCOMPARE(f.sound.played(), QStringList{"s.wav"});
    }

    void countBeyond16BitsIsReported() {
        MainWindowFixture f({{"Settings", {{"nbSetup", "40000"}}}});
        f.load();
        QCOMPARE(f.messages.texts(), QStringList{QStringLiteral("Overflow in ReadAlarms()")});
    }
};

QTEST_MAIN(TestAlarms)
#include "tst_alarms.moc"

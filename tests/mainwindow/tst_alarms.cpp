#include "Fixture.h"
#include "frmAlarm.h"

#include <QDialog>
#include <QTest>
#include <QTimer>

namespace {

const QDate kMonday(2026, 12, 7);

// Each alarm: name, AlarmTimeGMT, When, Sound.
MemorySettingsStore::Contents storeWith(const QString& localIndex, const QString& half,
                                        const QList<QStringList>& alarms) {
    MemorySettingsStore::Contents c{{"Settings",
                                     {{"LocalIndex", localIndex},
                                      {"chk05Local", half},
                                      {"nbSetup", QString::number(alarms.size())}}}};
    for (int i = 0; i < alarms.size(); ++i) {
        const QStringList& a = alarms[i];
        c["Settings"][QStringLiteral("Setup%1").arg(i)] = a[0];
        c[a[0]] = {{"AlarmTimeGMT", a[1]}, {"When", a[2]}, {"Sound", a[3]}, {"OtherIndex", "2"}};
    }
    return c;
}

// A time on Monday, or on Tuesday with a leading "+".
QDateTime monday(QString time) {
    const bool next = time.startsWith(u'+');
    return QDateTime(kMonday.addDays(next), QTime::fromString(time.mid(next), Qt::ISODateWithMs));
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

    // Nothing of the Other zone, nor daylight saving, moves the minute an alarm rings in.
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

    // Each row: the alarms (name, AlarmTimeGMT, When, Sound); the clock at load, then each
    // tick ("+": the next day); what was played; what the notice and the Local time show.
    void ringsOnceInEachDueMinute_data() {
        QTest::addColumn<QList<QStringList>>("alarms");
        QTest::addColumn<QStringList>("ticks");
        QTest::addColumn<QStringList>("played");
        QTest::addColumn<QString>("notice");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char* name, QList<QStringList> alarms, QStringList ticks,
                            QStringList played, QString notice, QString shown) {
            QTest::newRow(name) << alarms << ticks << played << notice << shown;
        };
        const QList<QStringList> nine{{"A", "09:00:00", "1", "a.wav"}};
        row("every due alarm, first entry first",
            {{"First", "06:45:00", "3", "1.wav"},
             {"Off", "06:45:00", "0", "off.wav"},
             {"Once", "2026-12-07 06:45:00", " 4", "2.wav"},
             {"Second", "06:45:00", "1", "3.wav"}},
            {"06:44:59", "06:45:00.003"}, {"1.wav", "2.wav", "3.wav"}, "First\nOnce\nSecond",
            "06:45:00 AM");
        row("a later minute replaces the notice",
            {{"A", "09:00:00", "1", "a.wav"}, {"B", "09:01:00", "1", "b.wav"}},
            {"08:59:59", "09:00:00", "09:01:00"}, {"a.wav", "b.wav"}, "B", "09:01:00 AM");
        // A tick late in the second before the minute shows that second, not the next.
        row("a late tick never rings early", nine, {"08:59:58", "08:59:59.950"}, {}, "",
            "08:59:59 AM");
        row("the tick after it rings", nine, {"08:59:58", "08:59:59.950", "09:00:00.002"},
            {"a.wav"}, "A", "09:00:00 AM");
        row("midnight GMT beside an unreadable time",
            {{"Midnight", "00:00:00", "1", "m.wav"}, {"Broken", "soon", "1", "b.wav"}},
            {"23:59:59", "+00:00:00"}, {"m.wav"}, "Midnight", "12:00:00 AM");
    }
    void ringsOnceInEachDueMinute() {
        QFETCH(QList<QStringList>, alarms);
        QFETCH(QStringList, ticks);
        QFETCH(QStringList, played);
        QFETCH(QString, notice);
        QFETCH(QString, shown);
        MainWindowFixture f(storeWith("11", "0", alarms), monday(ticks.takeFirst()));
        f.load();
        for (const QString& t : ticks)
            f.tickAt(monday(t));
        QCOMPARE(f.sound.played(), played);
        QCOMPARE(::notice(f), notice);
        QCOMPARE(f.label("Label1"), shown);
    }

    // With a modal window of the program open, the notice still shows at once.
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
};

QTEST_MAIN(TestAlarms)
#include "tst_alarms.moc"

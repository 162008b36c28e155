// SPDX-License-Identifier: GPL-3.0-or-later
// A first start takes the Local zone from the machine's own zone.
#include "Fixture.h"

#include "frmSetup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>

class TestFirstStart : public QObject {
    Q_OBJECT

private slots:
    // No Local zone stored: the machine's zone gives the row, +0.5 and DST, and they are in the
    // store within a second; a stored one stays. The editor takes a 07:00 alarm in the zone the
    // clock shows, also one chosen (keys Down) too shortly before for the store to have it.
    void firstStart_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<int>("down");
        QTest::addColumn<QList<int>>("shown"); // row, +0.5, DST
        QTest::addColumn<QString>("gmt");
        const QDate winter(2026, 12, 7), summer(2026, 7, 1);
        const auto row = [](const char* name, const char* stored, const char* zone, QDate date,
                            int down, QList<int> shown, const char* gmt) {
            QTest::newRow(name) << stored << QByteArray(zone) << date << down << shown << gmt;
        };
        row("India", "", "Asia/Kolkata", winter, 0, {6, 1, 0}, "01:30:00");
        row("New York, summer", "", "America/New_York", summer, 0, {16, 0, 1}, "12:00:00");
        row("Adelaide, summer", "", "Australia/Adelaide", winter, 0, {2, 1, 1}, "21:30:00");
        row("Newfoundland", "", "America/St_Johns", winter, 0, {15, 1, 0}, "10:30:00");
        row("Nepal: no row", "", "Asia/Kathmandu", winter, 0, {0, 0, 0}, "20:00:00");
        row("stored stays", "3", "Asia/Kolkata", winter, 0, {3, 0, 0}, "23:00:00");
        row("chosen just now", "3", "Asia/Kolkata", winter, 2, {5, 0, 0}, "01:00:00");
    }
    void firstStart() {
        QFETCH(QString, stored);
        QFETCH(QByteArray, zone);
        QFETCH(QDate, date);
        QFETCH(int, down);
        QFETCH(QList<int>, shown);
        QFETCH(QString, gmt);
        Desk d(stored.isEmpty() ? Contents() : Contents{{"Settings", {{"LocalIndex", stored}}}});
        d.clock.zone = QTimeZone(zone);
        d.clock.set(QDateTime(date, QTime(12, 0)));
        d.load();
        QVERIFY(d.show());
        auto* local = d.child<QListWidget>("lstTimeZoneLocal");
        local->setFocus();
        for (int i = 0; i < down; ++i)
            QTest::keyClick(local, Qt::Key_Down);
        const QList<int> got{local->currentRow(),
                             int(d.child<QCheckBox>("chk05Local")->isChecked()),
                             int(d.child<QCheckBox>("chkDSTLocal")->isChecked())};
        QCOMPARE(got, shown);
        if (stored.isEmpty()) {
            QTRY_COMPARE((QList{d.memory.read("Settings", "LocalIndex").toInt(),
                                d.memory.read("Settings", "chk05Local").toInt(),
                                d.memory.read("Settings", "chkDSTLocal").toInt()}),
                         shown);
        }
        frmSetup editor(d.services, *d.window);
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        retype(editor.findChild<QWidget*>("txtAlarmTime"), "07:00");
        QWidget* name = editor.findChild<QComboBox*>("cmbSetup")->lineEdit();
        retype(name, "Tea");
        QTest::keyClick(name, Qt::Key_Return); // Save
        QCOMPARE(d.memory.read("Tea", "AlarmTimeGMT"), gmt);
    }
};

QTEST_MAIN(TestFirstStart)
#include "tst_firststart.moc"

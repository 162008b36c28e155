// SPDX-License-Identifier: GPL-3.0-or-later
// A first start takes the Local zone from the machine's own zone.
#include "Fixture.h"

#include <QCheckBox>
#include <QListWidget>

class TestFirstStart : public QObject {
    Q_OBJECT

private slots:
    // No Local zone stored: the machine's zone gives the row, +0.5 and DST, and they are stored
    // within a second, as a zone the user chose; a stored one stays.
    void firstStart_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QList<int>>("shown"); // row, +0.5, DST
        const QDate winter(2026, 12, 7), summer(2026, 7, 1);
        using Z = QByteArray;
        row("India", "", Z("Asia/Kolkata"), winter, QList{6, 1, 0});
        row("New York, summer", "", Z("America/New_York"), summer, QList{16, 0, 1});
        row("Adelaide, summer", "", Z("Australia/Adelaide"), winter, QList{2, 1, 1});
        row("Newfoundland", "", Z("America/St_Johns"), winter, QList{15, 1, 0});
        row("Nepal: no row", "", Z("Asia/Kathmandu"), winter, QList{0, 0, 0});
        row("stored stays", "3", Z("Asia/Kolkata"), winter, QList{3, 0, 0});
    }
    void firstStart() {
        QFETCH(QString, stored);
        QFETCH(QByteArray, zone);
        QFETCH(QDate, date);
        QFETCH(QList<int>, shown);
        Desk d(stored.isEmpty() ? Contents() : Contents{{"Settings", {{"LocalIndex", stored}}}});
        d.clock.zone = QTimeZone(zone);
        d.clock.set(QDateTime(date, QTime(12, 0)));
        d.load();
        QCOMPARE((QList{d.child<QListWidget>("lstTimeZoneLocal")->currentRow(),
                        int(d.child<QCheckBox>("chk05Local")->isChecked()),
                        int(d.child<QCheckBox>("chkDSTLocal")->isChecked())}),
                 shown);
        if (stored.isEmpty())
            QTRY_COMPARE((QList{d.memory.read("Settings", "LocalIndex").toInt(),
                                d.memory.read("Settings", "chk05Local").toInt(),
                                d.memory.read("Settings", "chkDSTLocal").toInt()}),
                         shown);
    }
};

QTEST_MAIN(TestFirstStart)
#include "tst_firststart.moc"

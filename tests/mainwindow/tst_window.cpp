// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as a person meets it: its three sizes, and the option boxes with their twins
// in the popup menu.
#include "Fixture.h"
#include "Twips.h"

#include <QCheckBox>

class TestWindow : public QObject {
    Q_OBJECT

private slots:
    // Stored settings, the size items chosen, and the window's outer size in twips.
    void sizes_data() {
        QTest::addColumn<Contents>("stored");
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QSize>("twips");
        const Contents narrow{{"Settings", {{"chk24hLocal", "1"}, {"chk24hOther", "1"}}}};
        QTest::newRow("normal") << Contents() << QStringList() << QSize(6075, 2700);
        QTest::newRow("normal, both in 24 h") << narrow << QStringList() << QSize(5115, 2700);
        QTest::newRow("Small") << Contents() << QStringList{"mnSmall"} << QSize(3475, 1580);
        QTest::newRow("Small, both in 24 h")
            << narrow << QStringList{"mnSmall"} << QSize(3000, 1580);
        QTest::newRow("Mini from Small")
            << Contents() << QStringList{"mnSmall", "mnMini"} << QSize(1920, 1440);
        QTest::newRow("Mini, both in 24 h") << narrow << QStringList{"mnMini"} << QSize(1440, 1440);
        QTest::newRow("Small twice")
            << Contents() << QStringList{"mnSmall", "mnSmall"} << QSize(6075, 2700);
    }
    void sizes() {
        QFETCH(Contents, stored);
        QFETCH(QStringList, chosen);
        QFETCH(QSize, twips);
        Desk d(stored);
        frmMain& w = d.load();
        QVERIFY(d.show());
        for (const QString& item : chosen)
            d.choose(qPrintable(item));
        // The inside the outer size leaves under a caption of 20 px and borders of 2 px; a real
        // window manager's frame goes around that.
        const QSize pixels(twips::toPixels(twips.width()), twips::toPixels(twips.height()));
        QTRY_COMPARE(w.size(), pixels.shrunkBy({2, 22, 2, 2}));
    }

    // Each box carries its twin along and the twin its box; what is shown is stored.
    void optionsAndTheirTwins_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("twin");
        QTest::addColumn<QString>("section"); // where the box is kept
        for (const auto& [box, twin, section] :
             {std::tuple{"chkDSTLocal", "mnLocalDST", "Settings"},
              {"chk05Local", "mn05Local", "Settings"},
              {"chk24hLocal", "mnLocal24hrs", "Settings"},
              {"chkDSTOther", "mnOtherDST", "Default"},
              {"chk05Other", "mn05Other", "Default"},
              {"chk24hOther", "mnOther24hrs", "Settings"}})
            QTest::newRow(box) << box << twin << section;
    }
    void optionsAndTheirTwins() {
        QFETCH(QString, box);
        QFETCH(QString, twin);
        QFETCH(QString, section);
        Desk d;
        frmMain& w = d.load();
        QVERIFY(d.show());
        auto* check = d.child<QCheckBox>(qPrintable(box));
        QAction* item = w.menuItem(twin);
        for (const bool on : {true, false, true}) {
            if (on) {
                check->setFocus();
                QTest::keyClick(check, Qt::Key_Space);
            } else {
                d.choose(qPrintable(twin));
            }
            QCOMPARE(check->isChecked(), on);
            QCOMPARE(item->isChecked(), on);
        }
        w.close();
        QCOMPARE(d.memory.read(section, box), QStringLiteral("1"));
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as a person meets it: its three sizes, and the option boxes with their twins
// in the popup menu.
#include "Fixture.h"
#include "Twips.h"

#include <QCheckBox>
#include <QListWidget>
#include <QScrollBar>

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
        const QSize pixels(twips::toPixels(twips.width()), twips::toPixels(twips.height()));
        QTRY_COMPARE(w.frameGeometry().size(), pixels);
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

    // A one-row zone list steps through the zones with its arrows and the wheel; what the
    // size hides takes no focus.
    void keyboardAndWheel_data() {
        QTest::addColumn<QString>("size");
        QTest::newRow("normal") << QString();
        QTest::newRow("Small") << "mnSmall";
    }
    void keyboardAndWheel() {
        QFETCH(QString, size);
        Desk d({{"Settings", {{"LocalIndex", "11"}}}});
        d.load();
        QVERIFY(d.show());
        if (!size.isEmpty())
            d.choose(qPrintable(size));
        auto* list = d.child<QListWidget>("lstTimeZoneLocal");
        list->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(list->currentRow(), 12);
        QWheelEvent up(QPointF(5, 5), list->mapToGlobal(QPointF(5, 5)), {}, {0, 240},
                       Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QApplication::sendEvent(list->viewport(), &up);
        QCOMPARE(list->currentRow(), 10);
        QCOMPARE(d.child("chkDSTLocal")->focusPolicy() == Qt::NoFocus, !size.isEmpty());
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as a person meets it: both clocks' lines, the recently used setups at the
// foot of the popup menu, its three sizes, and the option boxes with their twins in the menu.
#include "Fixture.h"
#include "Twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

class TestWindow : public QObject {
    Q_OBJECT

private slots:
    // Each clock's zone row and boxes on ("16 DST 05 24h": chkDSTLocal, chk05Local, chk24hLocal
    // on the Local side), the machine time on Monday 7 December, and the four lines then shown:
    // the Local time and date, the Other time and date.
    void otherClock_data() {
        QTest::addColumn<QString>("local");
        QTest::addColumn<QString>("other");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("lines");
        // clang-format off
        row("same zone", "11", "11", "14:00:00", "02:00:00 PM|Monday, Dec 7 2026|02:00:00 PM|Monday, Dec 7 2026");
        row("Local DST alone", "11 DST 24h", "11", "14:00:00", "14:00:00|Monday, Dec 7 2026|01:00:00 PM|Monday, Dec 7 2026");
        row("Other DST alone, 24 h", "11", "11 DST 24h", "14:00:00", "02:00:00 PM|Monday, Dec 7 2026|15:00:00|Monday, Dec 7 2026");
        row("Local +0.5", "11 05", "11", "14:00:00", "02:00:00 PM|Monday, Dec 7 2026|01:30:00 PM|Monday, Dec 7 2026");
        row("Other +0.5, 24 h", "11", "6 05 24h", "14:00:00", "02:00:00 PM|Monday, Dec 7 2026|19:30:00|Monday, Dec 7 2026");
        row("EST+DST to Paris+DST", "16 DST", "10 DST", "22:30:00", "10:30:00 PM|Monday, Dec 7 2026|04:30:00 AM|Tuesday, Dec 8 2026");
        row("date line, east", "23", "0", "14:00:00", "02:00:00 PM|Monday, Dec 7 2026|01:00:00 PM|Tuesday, Dec 8 2026");
        row("date line, west", "0", "23", "10:00:00", "10:00:00 AM|Monday, Dec 7 2026|11:00:00 AM|Sunday, Dec 6 2026");
        // clang-format on
    }
    void otherClock() {
        QFETCH(QString, local);
        QFETCH(QString, other);
        QFETCH(QString, time);
        QFETCH(QString, lines);
        Contents stored{{"Settings", {{"currSetup", "Default"}}}};
        for (const auto& [words, section, index, side] :
             {std::tuple{local, "Settings", "LocalIndex", "Local"},
              {other, "Default", "OtherIndex", "Other"}}) {
            const QStringList boxes = words.split(u' ');
            stored[section][index] = boxes.first();
            for (const QString& box : boxes.mid(1))
                stored[box == u"24h" ? "Settings" : section][QString("chk") + box + side] = "1";
        }
        Desk d(stored, time);
        d.load();
        QVERIFY(d.show());
        const QStringList shown{d.label("Label1"), d.label("Label3"), d.label("Label2"),
                                d.label("Label4")};
        QCOMPARE(shown.join(u'|'), lines);
    }

    // MRU1..MRU5 as stored ("-" missing), the setup chosen (its entry, or a name new to the list
    // made in the setup editor; "" none), then the five entries shown ("-" hidden) and the five
    // keys stored after the close.
    void recentList_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("kept");
        row("the third to the top", "A B C - -", "C", "C A B - -", "C A B - -");
        row("the first stays", "A B C - -", "A", "A B C - -", "A B C - -");
        row("a new name drops the fifth", "A B C E F", "D", "D A B C E", "D A B C E");
        row("a gap stays hidden, its key kept", "A - C - -", "", "A - C - -", "A - C - -");
        row("Default is never listed", "Default A - - -", "", "- A - - -", "Default A - - -");
    }
    void recentList() {
        QFETCH(QString, stored);
        QFETCH(QString, chosen);
        QFETCH(QString, shown);
        QFETCH(QString, kept);
        const auto key = [](int n) { return QStringLiteral("MRU%1").arg(n); };
        Contents contents;
        for (int n = 1; n <= 5; ++n)
            if (const QString name = stored.section(u' ', n - 1, n - 1); name != u"-")
                contents["Settings"][key(n)] = name;
        Desk d(contents);
        frmMain& w = d.load();
        QVERIFY(d.show());
        // Five texts, "-" for each empty one.
        const auto five = [](auto text) {
            QStringList list;
            for (int n = 1; n <= 5; ++n)
                list << (text(n).isEmpty() ? QStringLiteral("-") : text(n));
            return list;
        };
        const auto caption = [&w](int n) {
            const QAction* item = w.menuItem(QStringLiteral("mnMRU%1").arg(n));
            return item->isVisible() ? item->text() : QString();
        };
        if (const qsizetype n = five(caption).indexOf(chosen); n >= 0) {
            d.choose(qPrintable(QStringLiteral("mnMRU%1").arg(n + 1)));
        } else if (!chosen.isEmpty()) {
            QTimer typeName; // runs in the editor's own event loop, once the editor is open
            connect(&typeName, &QTimer::timeout, [&typeName, &chosen] {
                QWidget* editor = QApplication::activeModalWidget();
                if (!editor)
                    return;
                typeName.stop();
                retype(editor->findChild<QComboBox*>("cmbSetup")->lineEdit(), chosen);
                QTest::mouseClick(editor->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
            });
            typeName.start(10);
            d.choose("mnSetup");
        }
        QCOMPARE(five(caption).join(u' '), shown);
        QVERIFY(w.close());
        QCOMPARE(five([&](int n) { return d.memory.read("Settings", key(n)); }).join(u' '), kept);
    }

    // Stored settings, the size items chosen, and the window's outer size in twips.
    void sizes_data() {
        QTest::addColumn<Contents>("stored");
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QSize>("twips");
        const Contents narrow{{"Settings", {{"chk24hLocal", "1"}, {"chk24hOther", "1"}}}};
        using L = QStringList;
        row("normal", Contents(), L(), QSize(6075, 2700));
        row("normal, both in 24 h", narrow, L(), QSize(5115, 2700));
        row("Small", Contents(), L{"mnSmall"}, QSize(3475, 1580));
        row("Small, both in 24 h", narrow, L{"mnSmall"}, QSize(3000, 1580));
        row("Mini from Small", Contents(), L{"mnSmall", "mnMini"}, QSize(1920, 1440));
        row("Mini, both in 24 h", narrow, L{"mnMini"}, QSize(1440, 1440));
        row("Small twice", Contents(), L{"mnSmall", "mnSmall"}, QSize(6075, 2700));
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

    // A one-row zone list steps through the zones with its arrows, the keys and the wheel; the
    // Local zone chosen reaches the store with no close, also after the write that showing the
    // window brings. What the size hides takes no focus.
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
        QTRY_COMPARE(d.memory.read("Settings", "LocalIndex"), "12");
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        QTRY_COMPARE(d.memory.read("Settings", "LocalIndex"), "13");
        QWheelEvent up(QPointF(5, 5), list->mapToGlobal(QPointF(5, 5)), {}, {0, 240}, Qt::NoButton,
                       {}, Qt::NoScrollPhase, false);
        QApplication::sendEvent(list->viewport(), &up);
        QCOMPARE(list->currentRow(), 11);
        QCOMPARE(d.child("chkDSTLocal")->focusPolicy() == Qt::NoFocus, !size.isEmpty());
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"

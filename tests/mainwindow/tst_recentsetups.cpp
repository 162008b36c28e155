// SPDX-License-Identifier: GPL-3.0-or-later
// The recently used setups at the foot of the popup menu: what a start shows, where a setup
// chosen from the menu or made in the setup editor goes, and what the close stores.
#include "Fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>

class TestRecentSetups : public QObject {
    Q_OBJECT

private slots:
    // MRU1..MRU5 as stored ("-" missing), the setup chosen (its entry, or a name new to the list
    // made in the setup editor; "" none), then the five entries shown ("-" hidden) and the five
    // keys stored after the close.
    void recentList_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("kept");
        const auto row = [](const char* name, const char* stored, const char* chosen,
                            const char* shown, const char* kept) {
            QTest::newRow(name) << stored << chosen << shown << kept;
        };
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
};

QTEST_MAIN(TestRecentSetups)
#include "tst_recentsetups.moc"

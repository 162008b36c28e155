// SPDX-License-Identifier: GPL-3.0-or-later
// The setup editor over the main window, driven by mouse and keyboard: names it refuses, the
// last setup deleted, an alarm saved, and the date picker.
#include "Fixture.h"
#include "frmSetup.h"

#include <QApplication>
#include <QComboBox>
#include <QTableView>

namespace {

// Local zone GMT+10; London rings at 21:00 GMT every day, 07:00 in the morning here.
Contents london() {
    return {
        {"Settings",
         {{"LocalIndex", "1"}, {"currSetup", "London"}, {"nbSetup", "1"}, {"Setup0", "London"}}},
        {"London", {{"OtherIndex", "11"}, {"AlarmTimeGMT", "21:00:00"}, {"When", " 1"}}}};
}

struct Editor : Desk {
    explicit Editor(Contents stored = london()) : Desk(std::move(stored)) {
        load();
        editor = std::make_unique<frmSetup>(services, *window);
        editor->setOpenFileDialog([](QWidget*, const QString&) { return QString("/s/bell.wav"); });
        editor->show();
        if (!QTest::qWaitForWindowExposed(editor.get()))
            qFatal("the setup editor does not show");
    }
    template <typename T = QWidget> T* field(const char* name) const {
        return editor->findChild<T*>(QLatin1String(name));
    }
    // Buttons and options are clicked on their left end, where the click always counts.
    void click(const char* name) const {
        QTest::mouseClick(field(name), Qt::LeftButton, {}, QPoint(6, field(name)->height() / 2));
    }
    QWidget* nameBox() const { return field<QComboBox>("cmbSetup")->lineEdit(); }

    std::unique_ptr<frmSetup> editor;
};

} // namespace

class TestSetupEditor : public QObject {
    Q_OBJECT

private slots:
    // A key on a time-base box (Local GMT+10, Other GMT): the time box shows the same moment on
    // the Other clock, then on the Local clock again.
    void timeBaseSwitch_data() {
        QTest::addColumn<QByteArray>("when");
        QTest::addColumn<QStringList>("shown"); // after "Other Time", then after "Local Time"
        QTest::newRow("every day") << QByteArray("optWhen1") << QStringList{"09:00 PM", "07:00 AM"};
        QTest::newRow("once: a day back")
            << QByteArray("optWhen4") << QStringList{"6 Dec 2026 09:00 PM", "7 Dec 2026 07:00 AM"};
    }
    void timeBaseSwitch() {
        QFETCH(QByteArray, when);
        QFETCH(QStringList, shown);
        Editor e;
        e.click(when);
        QStringList got;
        for (const char* box : {"chkOtherTime", "chkLocalTime"}) {
            e.field(box)->setFocus();
            QTest::keyClick(e.field(box), Qt::Key_Space);
            got << e.field<QLineEdit>("txtAlarmTime")->text();
        }
        QCOMPARE(got, shown);
    }

    void refusedNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QString>("message");
        const QString reserved("The name Settings is reserved for the clock's own settings. "
                               "Please choose another name for the setup.");
        const QString empty("Please type a name for the setup: an empty name cannot be stored.");
        QTest::newRow("Settings, Save") << "Settings" << QByteArray("cmdSave") << reserved;
        QTest::newRow("Settings, OK") << "Settings" << QByteArray("cmdOK") << reserved;
        QTest::newRow("Settings, Delete") << "Settings" << QByteArray("cmdDelete") << reserved;
        QTest::newRow("empty, Save") << "" << QByteArray("cmdSave") << empty;
        QTest::newRow("blanks, OK") << "   " << QByteArray("cmdOK") << empty;
    }
    void refusedNames() {
        QFETCH(QString, name);
        QFETCH(QByteArray, button);
        QFETCH(QString, message);
        Editor e;
        const Contents before = e.memory.contents();
        retype(e.nameBox(), name);
        e.click(button);
        QCOMPARE(e.messages.texts(), QStringList{message});
        QVERIFY(e.editor->isVisible());
        QCOMPARE(e.memory.contents(), before);
    }

    void deletingTheLastSetupLeavesDefault() {
        Editor e;
        e.click("cmdDelete");
        QCOMPARE(e.field<QComboBox>("cmbSetup")->count(), 0);
        QCOMPARE(e.memory.read("Settings", "currSetup"), QStringLiteral("Default"));
        QCOMPARE(e.memory.read("Settings", "nbSetup"), QStringLiteral("0"));
        QVERIFY(!e.memory.hasSection("London"));
        QCOMPARE(e.window->currSetup(), QStringLiteral("Default"));
    }

    // Name and time typed, a repeat rule and a sound chosen, then Save: the alarm in GMT.
    void saveStoresTheAlarm_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QByteArray>("option");
        QTest::addColumn<QStringList>("stored"); // AlarmTimeGMT, When
        QTest::newRow("new name, 24-hour time")
            << "Tokyo"
            << "06:30" << QByteArray("optWhen3") << QStringList{"20:30:00", " 3"};
        QTest::newRow("listed name, 12-hour time")
            << "London"
            << "7:15 PM" << QByteArray("optWhen2") << QStringList{"09:15:00", " 2"};
    }
    void saveStoresTheAlarm() {
        QFETCH(QString, name);
        QFETCH(QString, time);
        QFETCH(QByteArray, option);
        QFETCH(QStringList, stored);
        Editor e;
        retype(e.nameBox(), name);
        retype(e.field("txtAlarmTime"), time);
        e.click(option);
        QTest::mouseClick(e.field("txtAlarmSound"), Qt::LeftButton);
        e.click("cmdSave");
        QCOMPARE(e.messages.texts(), QStringList());
        QVERIFY(!e.editor->isVisible());
        QCOMPARE((QStringList{e.memory.read(name, "AlarmTimeGMT"), e.memory.read(name, "When")}),
                 stored);
        QCOMPARE(e.memory.read(name, "Sound"), QStringLiteral("/s/bell.wav"));
        QCOMPARE(e.memory.read("Settings", "currSetup"), name);
    }

    // A typed name that is also listed is a name for Save, not a choice from the list: leaving
    // the box keeps the edits on screen, and Save stores them under that name.
    void typedListedName_data() {
        QTest::addColumn<bool>("tabFirst");
        QTest::newRow("Tab, then Save") << true;
        QTest::newRow("Save at once") << false;
    }
    void typedListedName() {
        QFETCH(bool, tabFirst);
        Contents stored = london();
        stored["Settings"].insert({{"nbSetup", "2"}, {"Setup1", "Paris"}});
        stored["Paris"] = {{"OtherIndex", "10"}, {"AlarmTimeGMT", "05:00:00"}, {"When", " 1"}};
        Editor e(stored);
        retype(e.field("txtAlarmTime"), "06:30");
        retype(e.nameBox(), "Paris");
        if (tabFirst)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(e.field<QLineEdit>("txtAlarmTime")->text(), QStringLiteral("06:30"));
        e.click("cmdSave");
        QCOMPARE(e.memory.read("Paris", "AlarmTimeGMT"), QStringLiteral("20:30:00"));
    }

    // The keyboard opens what a click on the sound box and a one-time alarm's time box opens.
    void keysOpenChoosers_data() {
        QTest::addColumn<QByteArray>("box");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        for (const int key : {Qt::Key_Return, Qt::Key_Space, Qt::Key_F4})
            QTest::newRow(qPrintable(QKeySequence(key).toString()))
                << QByteArray("txtAlarmSound") << key << int(Qt::NoModifier);
        QTest::newRow("F4 on the time") << QByteArray("txtAlarmTime") << int(Qt::Key_F4) << 0;
        QTest::newRow("Alt+Down on the time")
            << QByteArray("txtAlarmTime") << int(Qt::Key_Down) << int(Qt::AltModifier);
    }
    void keysOpenChoosers() {
        QFETCH(QByteArray, box);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        Editor e;
        QString opened;
        e.editor->setOpenFileDialog(
            [&opened](QWidget*, const QString&) { return opened += "files", QString(); });
        e.click("optWhen4");
        QTimer::singleShot(0, e.editor.get(), [&opened] {
            if (QWidget* open = QApplication::activeModalWidget()) {
                opened += open->objectName();
                open->close();
            }
        });
        e.field(box)->setFocus();
        QTest::keyClick(e.field(box), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(opened, box == "txtAlarmSound" ? "files" : "frmMonthView");
    }

    // A click on the time box of a one-time alarm opens the picker; the day clicked there is
    // stored at once.
    void datePicker() {
        Editor e;
        e.click("optWhen4");
        QTimer::singleShot(0, [] {
            QWidget* picker = QApplication::activeModalWidget();
            if (!picker)
                return;
            auto* days = picker->findChild<QTableView*>();
            for (int row = 0; row < days->model()->rowCount(); ++row)
                for (int column = 0; column < days->model()->columnCount(); ++column)
                    if (days->model()->index(row, column).data() == 17)
                        QTest::mouseClick(
                            days->viewport(), Qt::LeftButton, {},
                            days->visualRect(days->model()->index(row, column)).center());
            QTest::keyClick(picker, Qt::Key_Escape);
        });
        QTest::mouseClick(e.field("txtAlarmTime"), Qt::LeftButton);
        QCOMPARE(e.memory.read("London", "AlarmTimeGMT"), QStringLiteral("2026-12-16 21:00:00"));
        QCOMPARE(e.memory.read("London", "When"), QStringLiteral(" 4"));
        QVERIFY(e.field<QLineEdit>("txtAlarmTime")->text().endsWith(QStringLiteral("07:00 AM")));
    }
};

QTEST_MAIN(TestSetupEditor)
#include "tst_setupeditor.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// The setup editor over the main window, driven by mouse and keyboard: names it refuses, the
// last setup deleted, an alarm saved, and the date picker.
#include "Fixture.h"
#include "frmSetup.h"

#include <QApplication>
#include <QComboBox>
#include <QTableView>
#include <QWheelEvent>

using namespace Qt::StringLiterals;

namespace {

// Local zone GMT+10; London rings at 21:00 GMT every day, 07:00 in the morning here.
Contents london() {
    return {
        {"Settings",
         {{"LocalIndex", "1"}, {"currSetup", "London"}, {"nbSetup", "1"}, {"Setup0", "London"}}},
        {"London", {{"OtherIndex", "11"}, {"AlarmTimeGMT", "21:00:00"}, {"When", " 1"}}}};
}

// London and Paris, London current; Paris rings at 05:00 GMT.
Contents twoSetups() {
    Contents stored = london();
    stored["Settings"].insert({{"nbSetup", "2"}, {"Setup1", "Paris"}});
    stored["Paris"] = {{"OtherIndex", "10"}, {"AlarmTimeGMT", "05:00:00"}, {"When", " 1"}};
    return stored;
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
        row("every day", QByteArray("optWhen1"), QStringList{"09:00 PM", "07:00 AM"});
        row("once: a day back", QByteArray("optWhen4"),
            QStringList{"6 Dec 2026 09:00 PM", "7 Dec 2026 07:00 AM"});
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
        QTest::addColumn<int>("setups"); // listed besides London
        const QString reserved("The name Settings is reserved for the clock's own settings. "
                               "Please choose another name for the setup.");
        const QString empty("Please type a name for the setup: an empty name cannot be stored.");
        for (const char* button : {"cmdSave", "cmdOK", "cmdDelete"})
            QTest::addRow("Settings, %s", button)
                << "Settings" << QByteArray(button) << reserved << 0;
        row("empty, Save", "", QByteArray("cmdSave"), empty, 0);
        row("blanks, OK", "   ", QByteArray("cmdOK"), empty, 0);
        // The count is stored in 16 bits.
        row("a new name with 32767 listed, Save", "One more", QByteArray("cmdSave"),
            "There are 32767 setups, the most the clock can keep. Please delete one before "
            "adding another.",
            32766);
    }
    void refusedNames() {
        QFETCH(QString, name);
        QFETCH(QByteArray, button);
        QFETCH(QString, message);
        QFETCH(int, setups);
        Contents stored = london();
        for (int i = 1; i <= setups; ++i)
            stored["Settings"].insert(u"Setup"_s + QString::number(i), u"S"_s + QString::number(i));
        stored["Settings"]["nbSetup"] = QString::number(setups + 1);
        Editor e(stored);
        const Contents before = e.memory.contents();
        retype(e.nameBox(), name);
        e.click(button);
        QCOMPARE(e.messages.texts(), QStringList{message});
        QVERIFY(e.editor->isVisible());
        QCOMPARE(e.memory.contents(), before);
    }

    // Deleting the clock's current setup moves the clock to the one the store now names; a
    // setup chosen (Down) and deleted leaves the clock where it was.
    void deleting_data() {
        QTest::addColumn<int>("down"); // -1: London alone
        QTest::addColumn<QString>("current");
        QTest::newRow("the last setup") << -1 << "Default";
        QTest::newRow("the clock's, another left") << 0 << "Paris";
        QTest::newRow("another") << 1 << "London";
    }
    void deleting() {
        QFETCH(int, down);
        QFETCH(QString, current);
        Editor e(down < 0 ? london() : twoSetups());
        e.nameBox()->setFocus();
        for (int i = 0; i < down; ++i)
            QTest::keyClick(e.nameBox(), Qt::Key_Down);
        e.click("cmdDelete");
        QVERIFY(!e.memory.hasSection(down == 1 ? "Paris" : "London"));
        QCOMPARE(e.window->currSetup(), current);
        QCOMPARE(e.memory.read("Settings", "currSetup"), current);
    }

    // Time typed, a repeat rule and a sound chosen, a name typed, then Save or OK: the alarm in
    // GMT goes to the setup named in the box, the others keep theirs. A typed listed name is a
    // name, not a choice that reloads; a wheel turned over the box chooses nothing.
    void saveStoresTheAlarm_data() {
        QTest::addColumn<QString>("name"); // typed; London (loaded) when empty
        QTest::addColumn<QByteArray>("then");
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QStringList>("stored"); // AlarmTimeGMT, When
        using B = QByteArray;
        using L = QStringList;
        // A first start's Local zone (GMT here) is not yet stored: the editor takes the zone the
        // clock shows.
        row("first start", "Rome", B(), B("cmdSave"), "06:30", L{"06:30:00", " 3"});
        row("new name, 24-hour time", "Tokyo", B(), B("cmdSave"), "06:30", L{"20:30:00", " 3"});
        row("listed name, 12-hour time", "London", B(), B("cmdSave"), "7:15 PM",
            L{"09:15:00", " 3"});
        row("another listed name, Tab, Save", "Paris", B("Tab"), B("cmdSave"), "06:30",
            L{"20:30:00", " 3"});
        row("another listed name, OK", "Paris", B(), B("cmdOK"), "06:30", L{"20:30:00", " 3"});
        row("a wheel turn, OK", "", B("wheel"), B("cmdOK"), "06:30", L{"20:30:00", " 3"});
    }
    void saveStoresTheAlarm() {
        QFETCH(QString, name);
        QFETCH(QByteArray, then);
        QFETCH(QByteArray, button);
        QFETCH(QString, time);
        QFETCH(QStringList, stored);
        Contents contents = twoSetups();
        if (name == "Rome")
            contents["Settings"].remove("LocalIndex");
        Editor e(contents);
        retype(e.field("txtAlarmTime"), time);
        e.click("optWhen3");
        QTest::mouseClick(e.field("txtAlarmSound"), Qt::LeftButton);
        if (!name.isEmpty())
            retype(e.nameBox(), name);
        if (then == "Tab")
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        auto* box = e.field<QComboBox>("cmbSetup");
        const QPointF at = box->rect().center();
        QWheelEvent turn(at, box->mapToGlobal(at), {}, {0, -120}, {}, {}, Qt::NoScrollPhase, 0);
        if (then == "wheel")
            QApplication::sendEvent(box, &turn);
        e.click(button);
        const QString saved = name.isEmpty() ? QStringLiteral("London") : name;
        // Paris's stored zone is not the one shown: Save asks before it replaces it.
        QCOMPARE(e.messages.texts().size(), saved == "Paris" ? 1 : 0);
        QVERIFY(!e.editor->isVisible());
        QCOMPARE((QStringList{e.memory.read(saved, "AlarmTimeGMT"), e.memory.read(saved, "When")}),
                 stored);
        QCOMPARE(e.memory.read(saved, "Sound"), QStringLiteral("/s/bell.wav"));
        QCOMPARE(e.memory.read("Settings", "currSetup"), saved);
        for (const QString other : {"London", "Paris"})
            if (other != saved)
                QCOMPARE(e.memory.contents()[other], twoSetups()[other]);
    }

    // The keyboard opens what a click on the sound box and a one-time alarm's time box opens.
    void keysOpenChoosers_data() {
        QTest::addColumn<QByteArray>("box");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        for (const int key : {Qt::Key_Return, Qt::Key_Space, Qt::Key_F4})
            QTest::newRow(qPrintable(QKeySequence(key).toString()))
                << QByteArray("txtAlarmSound") << key << int(Qt::NoModifier);
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

    // Enter presses the button that has the focus.
    void enterOnAButton_data() {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<bool>("londonKept");
        row("Cancel", QByteArray("cmdCancel"), true);
        row("Delete", QByteArray("cmdDelete"), false);
    }
    void enterOnAButton() {
        QFETCH(QByteArray, button);
        QFETCH(bool, londonKept);
        Editor e;
        e.field(button)->setFocus();
        QTest::keyClick(e.field(button), Qt::Key_Return);
        QCOMPARE(e.memory.hasSection("London"), londonKept);
        QCOMPARE(e.editor->isVisible(), !londonKept);
    }

    // The time box of a one-time alarm opens the picker, by a click or F4; the day chosen there
    // is stored at once. Closed (Escape) without a day chosen, it changes and stores nothing.
    void datePicker_data() {
        QTest::addColumn<QString>("actions");    // in the picker, before Escape
        QTest::addColumn<QStringList>("stored"); // AlarmTimeGMT, When
        using L = QStringList;
        row("a day clicked", "17", L{"2026-12-16 21:00:00", " 4"});
        row("Enter on the highlighted day", "Down Return", L{"2026-12-13 21:00:00", " 4"});
        row("Space on the highlighted day", "Down Space", L{"2026-12-13 21:00:00", " 4"});
        row("closed without a day", "Down", L{"21:00:00", " 1"});
    }
    void datePicker() {
        QFETCH(QString, actions);
        QFETCH(QStringList, stored);
        Editor e;
        e.click("optWhen4");
        QTimer::singleShot(0, [actions] {
            QWidget* picker = QApplication::activeModalWidget();
            auto* days = picker ? picker->findChild<QTableView*>() : nullptr;
            if (!days)
                return;
            days->setFocus();
            for (const QString& word : actions.split(u' ')) {
                if (!word[0].isDigit()) // a key; a number is the day clicked
                    QTest::keyClick(days, QKeySequence(word)[0].key());
                for (int row = 0; row < days->model()->rowCount() && word[0].isDigit(); ++row)
                    for (int column = 0; column < days->model()->columnCount(); ++column)
                        if (days->model()->index(row, column).data() == word.toInt())
                            QTest::mouseClick(
                                days->viewport(), Qt::LeftButton, {},
                                days->visualRect(days->model()->index(row, column)).center());
            }
            QTest::keyClick(picker, Qt::Key_Escape);
        });
        if (actions[0].isLetter()) {
            e.field("txtAlarmTime")->setFocus();
            QTest::keyClick(e.field("txtAlarmTime"), Qt::Key_F4);
        } else {
            QTest::mouseClick(e.field("txtAlarmTime"), Qt::LeftButton);
        }
        QCOMPARE(
            (QStringList{e.memory.read("London", "AlarmTimeGMT"), e.memory.read("London", "When")}),
            stored);
    }
};

QTEST_MAIN(TestSetupEditor)
#include "tst_setupeditor.moc"

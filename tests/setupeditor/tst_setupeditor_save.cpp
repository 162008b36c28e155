// Journeys through the setup editor that store, add or delete setups, each checked against the
// whole store afterwards.

#include "EditorFixture.h"
#include "RuntimeError.h"

namespace {

const QString kSettings = QStringLiteral("Settings");
const QString kSound = QStringLiteral("/home/me/sounds/chime.wav");

const QString kZoneQuestion = QStringLiteral("Do you really want to change the time zone?");
const QString kNewQuestion = QStringLiteral("This is a new Setup. Do you want to add it?");
const QString kDeleteQuestion =
    QStringLiteral("Are you sure you want to delete this setting from the registry?");

// Local zone GMT+10 (Melbourne). London rings at 21:00 GMT every day, entered as 07:00 AM Local
// time; New York (GMT-5 with daylight saving) rings on week days at 12:00 GMT, entered as 07:00
// AM New York time.
Contents twoSetups() {
    return {
        {kSettings,
         {{"LocalIndex", "1"},
          {"chk05Local", "0"},
          {"currSetup", "London"},
          {"nbSetup", "2"},
          {"Setup0", "London"},
          {"Setup1", "New York"}}},
        {"London",
         {{"OtherIndex", "11"},
          {"chkDSTOther", "0"},
          {"chk05Other", "0"},
          {"AlarmTimeGMT", "21:00:00"},
          {"When", " 1"},
          {"chkLocalTime", "1"},
          {"Sound", kSound}}},
        {"New York",
         {{"OtherIndex", "16"},
          {"chkDSTOther", "1"},
          {"chk05Other", "0"},
          {"AlarmTimeGMT", "12:00:00"},
          {"When", " 3"},
          {"chkLocalTime", "0"},
          {"Sound", ""}}},
    };
}

Contents threeSetups() {
    Contents c{{kSettings,
                {{"LocalIndex", "11"},
                 {"currSetup", "A"},
                 {"nbSetup", "3"},
                 {"Setup0", "A"},
                 {"Setup1", "B"},
                 {"Setup2", "C"}}}};
    for (const char* name : {"A", "B", "C"})
        c[QLatin1String(name)] = {
            {"OtherIndex", "11"}, {"AlarmTimeGMT", "08:00:00"}, {"When", " 1"}};
    return c;
}

// The editor was closed at the top left corner, where it opened.
void closedAtOrigin(Contents& c) {
    c[kSettings][QStringLiteral("sTop")] = QStringLiteral("0");
    c[kSettings][QStringLiteral("sLeft")] = QStringLiteral("0");
}

// A store that cannot take one section name, as a store with limits on names would behave.
class RefusingStore final : public SettingsStore {
public:
    RefusingStore(MemorySettingsStore& inner, QString refused)
        : m_inner(inner), m_refused(std::move(refused)) {}
    QString read(const QString& s, const QString& k) const override { return m_inner.read(s, k); }
    void write(const QString& s, const QString& k, const QString& v) override {
        if (s == m_refused)
            throw RuntimeError(QStringLiteral("Invalid section name"));
        m_inner.write(s, k, v);
    }
    void deleteSection(const QString& s) override { m_inner.deleteSection(s); }
    bool hasSection(const QString& s) const override { return m_inner.hasSection(s); }

private:
    MemorySettingsStore& m_inner;
    QString m_refused;
};

} // namespace

class TestSetupEditorSave : public QObject {
    Q_OBJECT

private slots:
    void newSetupIsTrimmedListedLastAndTakesTheShownZone() {
        EditorFixture f(twoSetups());
        f.host.current = QStringLiteral("London");
        f.host.other = 2; // GMT+9 (Tokyo)
        f.open();
        QCOMPARE(f.timeBox()->text(), clock12(7, 0));

        f.typeName(QStringLiteral("Tokyo "));
        f.typeTime(QStringLiteral("06:30"));
        f.press("cmdSave");

        QCOMPARE(f.messages.texts(), QStringList());
        QVERIFY(f.closedWith(QDialog::Accepted));
        QCOMPARE(f.listed(), QStringList({"London", "New York", "Tokyo"}));
        QCOMPARE(f.host.current, QStringLiteral("Tokyo"));

        Contents expected = twoSetups();
        expected[kSettings]["nbSetup"] = "3";
        expected[kSettings]["Setup2"] = "Tokyo";
        expected[kSettings]["currSetup"] = "Tokyo";
        closedAtOrigin(expected);
        expected["Tokyo"] = {
            {"OtherIndex", "2"}, {"chkDSTOther", "0"},         {"chk05Other", "0"},
            {"When", " 1"},      {"AlarmTimeGMT", "20:30:00"}, {"chkLocalTime", "1"},
            {"Sound", kSound}};
        COMPARE_STORE(f.store.contents(), expected);
    }

    void existingSetupWithAnotherZoneAsksFirst() {
        EditorFixture f(twoSetups());
        f.host.current = QStringLiteral("London");
        f.host.other = 2;
        f.open();

        f.messages.script({Answer::Cancel});
        f.press("cmdSave");
        QCOMPARE(f.messages.texts(), QStringList{kZoneQuestion});
        QVERIFY(f.editor->isVisible());
        COMPARE_STORE(f.store.contents(), twoSetups());

        f.messages.script({Answer::Ok});
        f.press("cmdSave");
        QVERIFY(f.closedWith(QDialog::Accepted));
        Contents expected = twoSetups();
        expected["London"]["OtherIndex"] = "2";
        closedAtOrigin(expected);
        COMPARE_STORE(f.store.contents(), expected);
    }

    void okForANewNameAnsweredNoStoresNothing() {
        EditorFixture f(twoSetups());
        f.host.current = QStringLiteral("London");
        f.open();
        f.typeName(QStringLiteral("Berlin"));
        f.messages.script({Answer::No});
        f.press("cmdOK");

        QCOMPARE(f.messages.texts(), QStringList{kNewQuestion});
        QVERIFY(f.editor->isVisible());
        QCOMPARE(f.host.current, QStringLiteral("London"));
        COMPARE_STORE(f.store.contents(), twoSetups());

        // Yes instead goes the whole way of Save.
        f.messages.script({Answer::Yes});
        f.press("cmdOK");
        QVERIFY(f.closedWith(QDialog::Accepted));
        QCOMPARE(f.store.read(kSettings, "Setup2"), QStringLiteral("Berlin"));
        QCOMPARE(f.store.read("Berlin", "OtherIndex"), QStringLiteral("11"));
    }

    void okForAListedSetupKeepsItsZone() {
        EditorFixture f(twoSetups());
        f.host.current = QStringLiteral("New York");
        f.host.other = 2;
        f.open();
        f.typeTime(QStringLiteral("06:45"));
        f.press("cmdOK");

        QCOMPARE(f.messages.texts(), QStringList());
        QVERIFY(f.closedWith(QDialog::Accepted));
        QCOMPARE(f.host.current, QStringLiteral("London"));
        Contents expected = twoSetups();
        expected["London"]["AlarmTimeGMT"] = "20:45:00";
        closedAtOrigin(expected);
        COMPARE_STORE(f.store.contents(), expected);
    }

    void onceWithoutADateIsRefused() {
        EditorFixture f(twoSetups());
        f.open();
        f.tick(f.option(4));
        f.typeTime(QStringLiteral("14:30"));
        f.press("cmdSave");

        const DateValue now = datevalue::fromQDateTime(f.clock.now());
        QCOMPARE(f.messages.texts(),
                 QStringList{QStringLiteral("When choosing to run the Alarm once, you must enter "
                                            "Date/Time,\nFormat as in ") +
                             EditorFixture::format(now, "Short Date") + u' ' +
                             EditorFixture::format(now, "Short Time")});
        QVERIFY(f.editor->isVisible());
        COMPARE_STORE(f.store.contents(), twoSetups());
    }

    void onceWithADateStoresTheDateInOneForm() {
        EditorFixture f(twoSetups());
        f.open();
        f.tick(f.option(4));
        const DateValue christmas =
            datevalue::fromQDateTime(QDateTime(QDate(2026, 12, 25), QTime(7, 0)));
        f.typeTime(EditorFixture::format(christmas, "Short Date") + u' ' + clock12(7, 0));
        f.press("cmdSave");

        QVERIFY(f.closedWith(QDialog::Accepted));
        QCOMPARE(f.store.read("London", "AlarmTimeGMT"), QStringLiteral("2026-12-24 21:00:00"));
        QCOMPARE(f.store.read("London", "When"), QStringLiteral(" 4"));
    }

    void timeTypedAs24HourClock() {
        EditorFixture f(twoSetups());
        f.open();
        f.typeTime(QStringLiteral("19:30"));
        f.tick(f.option(3));
        QCOMPARE(f.timeBox()->text(), clock12(19, 30));
        f.press("cmdSave");

        QVERIFY(f.closedWith(QDialog::Accepted));
        Contents expected = twoSetups();
        expected["London"]["AlarmTimeGMT"] = "09:30:00";
        expected["London"]["When"] = " 3";
        closedAtOrigin(expected);
        COMPARE_STORE(f.store.contents(), expected);
    }

    void switchingTheTimeBaseKeepsTheGMTTime_data() {
        QTest::addColumn<int>("switches");
        QTest::addColumn<QString>("chkLocalTime");
        QTest::newRow("back to Other time") << 4 << "0";
        QTest::newRow("ending in Local time") << 3 << "1";
    }

    void switchingTheTimeBaseKeepsTheGMTTime() {
        QFETCH(int, switches);
        QFETCH(QString, chkLocalTime);
        Contents start = twoSetups();
        start[kSettings]["currSetup"] = "New York";
        EditorFixture f(start);
        f.host.other = 16;
        f.host.dst = 1;
        f.open();
        QCOMPARE(f.timeBox()->text(), clock12(7, 0));
        QVERIFY(f.box("chkOtherTime")->isChecked());

        for (int i = 0; i < switches; ++i) {
            const bool toLocal = i % 2 == 0;
            f.tick(f.box(toLocal ? "chkLocalTime" : "chkOtherTime"));
            QCOMPARE(f.box("chkLocalTime")->isChecked(), toLocal);
            QCOMPARE(f.box("chkOtherTime")->isChecked(), !toLocal);
            QCOMPARE(f.timeBox()->text(), toLocal ? clock12(22, 0) : clock12(7, 0));
        }
        f.press("cmdSave");

        QCOMPARE(f.messages.texts(), QStringList());
        Contents expected = start;
        expected["New York"]["chkLocalTime"] = chkLocalTime;
        closedAtOrigin(expected);
        COMPARE_STORE(f.store.contents(), expected);
    }

    void deletingTheMiddleOfThree() {
        EditorFixture f(threeSetups());
        f.open();
        f.chooseEntry(1);
        QCOMPARE(f.store.read(kSettings, "currSetup"), QStringLiteral("B"));
        f.press("cmdDelete");

        QCOMPARE(f.messages.texts(), QStringList{kDeleteQuestion});
        QVERIFY(f.editor->isVisible());
        QCOMPARE(f.listed(), QStringList({"A", "C"}));
        QCOMPARE(f.names()->currentText(), QString());
        Contents expected = threeSetups();
        expected.remove("B");
        expected[kSettings]["Setup1"] = "C";
        expected[kSettings]["nbSetup"] = "2";
        COMPARE_STORE(f.store.contents(), expected);
    }

    void deletingAnsweredNoKeepsEverything() {
        EditorFixture f(threeSetups());
        f.open();
        f.messages.script({Answer::No});
        f.press("cmdDelete");
        COMPARE_STORE(f.store.contents(), threeSetups());
        QCOMPARE(f.listed(), QStringList({"A", "B", "C"}));
    }

    void deletingTheOnlySetupFallsBackToDefault() {
        const Contents start{
            {kSettings, {{"currSetup", "Solo"}, {"nbSetup", "1"}, {"Setup0", "Solo"}}},
            {"Solo", {{"OtherIndex", "3"}, {"When", " 2"}}}};
        EditorFixture f(start);
        f.host.current = QStringLiteral("Solo");
        f.open();
        f.press("cmdDelete");

        QCOMPARE(f.listed(), QStringList());
        QCOMPARE(f.host.current, QStringLiteral("Default"));
        const Contents expected{
            {kSettings, {{"currSetup", "Default"}, {"nbSetup", "0"}, {"Setup0", "Solo"}}}};
        COMPARE_STORE(f.store.contents(), expected);
    }

    void typedNameOfAListedSetupDeletesThatSetup() {
        EditorFixture f(threeSetups());
        f.open();
        f.typeName(QStringLiteral("C"));
        f.press("cmdDelete");
        QCOMPARE(f.listed(), QStringList({"A", "B"}));
        QVERIFY(!f.store.hasSection("C"));
        QCOMPARE(f.store.read(kSettings, "nbSetup"), QStringLiteral("2"));
    }

    void deletingAnUnknownNameReportsIt() {
        EditorFixture f(threeSetups());
        f.open();
        f.typeName(QStringLiteral("Nowhere"));
        f.press("cmdDelete");
        QCOMPARE(
            f.messages.texts(),
            QStringList({kDeleteQuestion, QStringLiteral("Cannot remove Nowhere from registry")}));
        COMPARE_STORE(f.store.contents(), threeSetups());
    }

    void theNameDefaultIsStoredButNeverListed() {
        EditorFixture f(twoSetups());
        f.host.other = 2;
        f.open();
        f.typeName(QStringLiteral("Default"));
        f.press("cmdSave");

        QCOMPARE(f.messages.texts(), QStringList());
        QVERIFY(f.closedWith(QDialog::Accepted));
        Contents expected = twoSetups();
        expected[kSettings]["nbSetup"] = "3";
        expected[kSettings]["Setup2"] = "Default";
        expected[kSettings]["currSetup"] = "Default";
        closedAtOrigin(expected);
        expected["Default"] = {
            {"OtherIndex", "2"}, {"chkDSTOther", "0"},         {"chk05Other", "0"},
            {"When", " 1"},      {"AlarmTimeGMT", "21:00:00"}, {"chkLocalTime", "1"},
            {"Sound", kSound}};
        COMPARE_STORE(f.store.contents(), expected);

        // The next opening lists only the named setups, and shows the Default alarm.
        f.open();
        QCOMPARE(f.listed(), QStringList({"London", "New York"}));
        QCOMPARE(f.names()->currentIndex(), 0);
        QCOMPARE(f.editor->editorSetupName(), QStringLiteral("Default"));
    }

    void reservedAndEmptyNamesAreRefused_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("message");
        const QString reserved = QStringLiteral(
            "The name Settings is reserved for the clock's own settings. Please choose another "
            "name for the setup.");
        const QString empty =
            QStringLiteral("Please type a name for the setup: an empty name cannot be stored.");
        QTest::newRow("Settings, Save") << "Settings"
                                        << "cmdSave" << reserved;
        QTest::newRow("Settings, OK") << "Settings"
                                      << "cmdOK" << reserved;
        QTest::newRow("Settings, Delete") << "Settings"
                                          << "cmdDelete" << reserved;
        QTest::newRow("empty, Save") << ""
                                     << "cmdSave" << empty;
        QTest::newRow("blanks, Save") << "   "
                                      << "cmdSave" << empty;
        QTest::newRow("empty, OK") << ""
                                   << "cmdOK" << empty;
    }

    void reservedAndEmptyNamesAreRefused() {
        QFETCH(QString, typed);
        QFETCH(QString, button);
        QFETCH(QString, message);
        EditorFixture f(twoSetups());
        f.host.current = QStringLiteral("London");
        f.open();
        f.typeName(typed);
        f.press(qPrintable(button));

        QCOMPARE(f.messages.texts(), QStringList{message});
        QVERIFY(f.editor->isVisible());
        QCOMPARE(f.host.current, QStringLiteral("London"));
        COMPARE_STORE(f.store.contents(), twoSetups());
    }

    void unreadableAlarmTimeKeepsTheTimeShownBefore() {
        Contents start = twoSetups();
        start[kSettings]["nbSetup"] = "3";
        start[kSettings]["Setup2"] = "Broken";
        start["Broken"] = {
            {"OtherIndex", "11"}, {"AlarmTimeGMT", "25:99 tomorrow"}, {"When", " 1"}};

        // Opened on it: the editor's own starting time, 00:00 GMT, shown in Local time.
        start[kSettings]["currSetup"] = "Broken";
        EditorFixture first(start);
        first.open();
        QCOMPARE(first.timeBox()->text(), clock12(10, 0));
        QVERIFY(first.option(1)->isChecked());
        QCOMPARE(first.messages.texts(), QStringList());

        // Reached from London: London's time stays, and saving stores it in the one form.
        start[kSettings]["currSetup"] = "London";
        EditorFixture f(start);
        f.open();
        f.chooseEntry(2);
        QCOMPARE(f.editor->editorSetupName(), QStringLiteral("Broken"));
        QCOMPARE(f.timeBox()->text(), clock12(7, 0));
        f.press("cmdSave");
        QVERIFY(f.closedWith(QDialog::Accepted));
        QCOMPARE(f.store.read("Broken", "AlarmTimeGMT"), QStringLiteral("21:00:00"));
    }

    void unreadableTimeTextSavesNoAlarm() {
        EditorFixture f(twoSetups());
        f.open();
        f.typeTime(QStringLiteral("soon"));
        f.press("cmdSave");
        QCOMPARE(f.messages.texts(), QStringList());
        QVERIFY(f.editor->isVisible());
        QCOMPARE(f.store.read("London", "AlarmTimeGMT"), QStringLiteral("21:00:00"));
        QCOMPARE(f.store.read("London", "When"), QStringLiteral("1"));
    }

    void failingStoreIsReportedAndTheEditorStaysOpen() {
        // "Stray" has a section of its own but is not listed.
        Contents start = twoSetups();
        start["Stray"] = {{"OtherIndex", "11"}};
        EditorFixture f(start);
        f.open();
        f.store.failWrites(QStringLiteral("No space left on device"));
        for (const char* name : {"London", "Tokyo", "Stray"}) {
            f.messages.clear();
            f.typeName(QLatin1String(name));
            f.press("cmdSave");
            QCOMPARE(f.messages.texts(),
                     QStringList{QStringLiteral("No space left on device in cmdSave_Click()")});
            QVERIFY(f.editor->isVisible());
            // The list on screen stays the stored one, and the name stays typed.
            QCOMPARE(f.listed(), QStringList({"London", "New York"}));
            QCOMPARE(f.names()->currentText(), QLatin1String(name));
            COMPARE_STORE(f.store.contents(), start);
        }

        f.store.failWrites({});
        f.press("cmdSave");
        QVERIFY(f.closedWith(QDialog::Accepted));
        QCOMPARE(f.store.read(kSettings, "Setup2"), QStringLiteral("Stray"));
    }

    void nameTheStoreRefusesLeavesTheListAlone() {
        EditorFixture f(twoSetups());
        RefusingStore refusing(f.store, QStringLiteral("Odd/Name"));
        Services services{f.clock, refusing, f.messages, f.stacking, f.sound};
        frmSetup editor(services, f.host);
        editor.show();
        auto* names = editor.findChild<QComboBox*>(QStringLiteral("cmbSetup"));
        EditorFixture::retype(names->lineEdit(), QStringLiteral("Odd/Name"));
        QTest::mouseClick(editor.findChild<QPushButton*>(QStringLiteral("cmdSave")),
                          Qt::LeftButton);

        QCOMPARE(f.messages.texts(),
                 QStringList{QStringLiteral("Invalid section name in cmdSave_Click()")});
        QVERIFY(editor.isVisible());
        QCOMPARE(names->count(), 2);
        QCOMPARE(names->currentText(), QStringLiteral("Odd/Name"));
        COMPARE_STORE(f.store.contents(), twoSetups());
    }

    // A crash can stop the program between any two changes of the store. Each state in between
    // must hold every setup as it was or as saved, and every listed setup must have its values.
    void everyStateBetweenChangesHoldsWholeSetups() {
        EditorFixture f(threeSetups());
        f.host.other = 2;
        const Contents before = f.store.contents();
        f.open();
        f.chooseEntry(0); // A: another zone and time, confirmed
        f.typeTime(QStringLiteral("06:15"));
        f.messages.script({Answer::Ok});
        f.press("cmdSave");
        f.open();
        f.typeName(QStringLiteral("Tokyo")); // a new setup
        f.press("cmdSave");
        f.open();
        f.chooseEntry(1); // B deleted
        f.press("cmdDelete");
        f.chooseEntry(1); // C: a new time
        f.typeTime(QStringLiteral("05:00"));
        f.press("cmdOK");
        QVERIFY(f.closedWith(QDialog::Accepted));

        const Contents after = f.store.contents();
        QCOMPARE(after.value("A").value("OtherIndex"), QStringLiteral("2"));
        QVERIFY(after.contains("Tokyo") && !after.contains("B"));
        QVERIFY(after.value("C") != before.value("C"));
        for (const Contents& state : f.journal.states) {
            for (const char* name : {"A", "B", "C", "Tokyo"}) {
                QVERIFY2(state.value(name) == before.value(name) ||
                             state.value(name) == after.value(name),
                         qPrintable(QLatin1String(name) + " half saved:\n" + dump(state)));
            }
            const auto settings = state.value(kSettings);
            for (int i = 0; i < settings.value("nbSetup").toInt(); ++i) {
                const QString listed = settings.value(QStringLiteral("Setup%1").arg(i));
                QVERIFY2(state.contains(listed), qPrintable(listed + " listed without values"));
            }
        }
    }

    void cancelStoresOnlyThePosition() {
        Contents start = twoSetups();
        start[kSettings]["sTop"] = "1500";
        start[kSettings]["sLeft"] = "3000";
        EditorFixture f(start);
        f.open();
        QCOMPARE(f.editor->pos(), QPoint(200, 100));
        f.typeTime(QStringLiteral("05:00"));
        f.chosenFile = QStringLiteral("/tmp/bell.wav");
        QTest::mouseClick(f.soundBox(), Qt::LeftButton);
        f.editor->move(40, 60);
        f.press("cmdCancel");

        QVERIFY(f.closedWith(QDialog::Rejected));
        Contents expected = start;
        expected[kSettings]["sTop"] = "900";
        expected[kSettings]["sLeft"] = "600";
        COMPARE_STORE(f.store.contents(), expected);
    }

    void enterInTheNameBoxSavesAndInTheTimeBoxIsOK() {
        EditorFixture f(twoSetups());
        f.open();
        f.typeName(QStringLiteral("Tokyo"));
        // Keys typed by a person reach the combo box, which hands them to its line edit.
        QTest::keyClick(f.names(), Qt::Key_Return);
        QVERIFY(f.closedWith(QDialog::Accepted));
        QCOMPARE(f.store.read(kSettings, "Setup2"), QStringLiteral("Tokyo"));

        EditorFixture g(twoSetups());
        g.open();
        g.typeName(QStringLiteral("Paris"));
        g.messages.script({Answer::No});
        QTest::keyClick(g.timeBox(), Qt::Key_Enter);
        QCOMPARE(g.messages.texts(), QStringList{kNewQuestion});
        COMPARE_STORE(g.store.contents(), twoSetups());
    }
};

QTEST_MAIN(TestSetupEditorSave)
#include "tst_setupeditor_save.moc"

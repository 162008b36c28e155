#include "Fixture.h"

#include <QTest>

namespace {

MemorySettingsStore::Contents preparedStore() {
    return {
        {"Settings",
         {{"Top", "1500"},
          {"Left", "3000"},
          {"Width", "9999"},
          {"chk24hLocal", "1"},
          {"chk24hOther", "0"},
          {"chkDSTLocal", "1"},
          {"chk05Local", "0"},
          {"LocalIndex", "16"},
          {"currSetup", "Paris"},
          {"MRU1", "Paris"},
          {"MRU2", "Default"},
          {"MRU3", "Tokyo"},
          {"nbSetup", "2"},
          {"Setup0", "Paris"},
          {"Setup1", "Tokyo"}}},
        {"Paris", {{"OtherIndex", "10"}, {"chkDSTOther", "1"}, {"chk05Other", "0"}}},
        {"Tokyo", {{"OtherIndex", "2"}, {"chkDSTOther", "0"}, {"chk05Other", "0"}}},
    };
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void loadShowsTheStoredState() {
        MainWindowFixture f(preparedStore(), QDateTime(QDate(2026, 12, 7), QTime(14, 0, 5)));
        frmMain& w = f.load();
        QVERIFY(f.loaded);
        QVERIFY(f.messages.texts().isEmpty());

        QCOMPARE(w.windowTitle(), QStringLiteral("Meridex - Paris"));
        QCOMPARE(f.list("lstTimeZoneLocal")->currentRow(), 16);
        QCOMPARE(f.list("lstTimeZoneOther")->currentRow(), 10);
        QCOMPARE(f.list("lstTimeZoneLocal")->count(), 24);
        QCOMPARE(f.list("lstTimeZoneOther")->item(2)->text(), QStringLiteral("GMT+9 (Tokyo)"));

        // EST with DST to Paris with DST: 14:00:05 -> 20:00:05, 12-hour on the Other side.
        QCOMPARE(f.label("Label1"), QStringLiteral("14:00:05"));
        QCOMPARE(f.label("Label2"), QStringLiteral("08:00:05 PM"));
        QCOMPARE(f.label("Label3"), QStringLiteral("Monday, Dec 7 2026"));
        QCOMPARE(f.label("Label4"), QStringLiteral("Monday, Dec 7 2026"));

        const std::array<std::pair<const char*, const char*>, 6> twins = {{
            {"chk24hLocal", "mnLocal24hrs"},
            {"chk24hOther", "mnOther24hrs"},
            {"chkDSTLocal", "mnLocalDST"},
            {"chkDSTOther", "mnOtherDST"},
            {"chk05Local", "mn05Local"},
            {"chk05Other", "mn05Other"},
        }};
        const QList<bool> expected = {true, false, true, true, false, false};
        for (std::size_t i = 0; i < twins.size(); ++i) {
            QCOMPARE(f.box(twins[i].first)->isChecked(), expected[int(i)]);
            QCOMPARE(f.item(twins[i].second)->isChecked(), expected[int(i)]);
        }

        // MRU2 = "Default" is not shown and leaves its place empty.
        QVERIFY(f.item("mnMRU1")->isVisible());
        QCOMPARE(f.item("mnMRU1")->text(), QStringLiteral("Paris"));
        QVERIFY(!f.item("mnMRU2")->isVisible());
        QVERIFY(f.item("mnMRU3")->isVisible());
        QVERIFY(f.item("mnBar2")->isVisible());
        QCOMPARE(w.alarmTable().size(), std::size_t(2));

        // Loading set everything without a hand-made change: nothing moved to "Default".
        QCOMPARE(w.currSetup(), QStringLiteral("Paris"));
        QCOMPARE(f.stored("Settings", "currSetup"), QStringLiteral("Paris"));
        QVERIFY(!f.store.hasSection("Default"));
    }

    void unloadWritesEveryKey() {
        MainWindowFixture f(preparedStore());
        frmMain& w = f.load();
        w.move(200, 100);
        w.Form_Unload();
        const auto& s = f.store.contents().value("Settings");
        QCOMPARE(s.value("Top"), QString::number(w.pos().y() * 15));
        QCOMPARE(s.value("Left"), QString::number(w.pos().x() * 15));
        QVERIFY(s.value("Width").toInt() > 0);
        QCOMPARE(s.value("Small"), QStringLiteral("False"));
        QCOMPARE(s.value("Mini"), QStringLiteral("False"));
        QCOMPARE(s.value("AlwaysOnTop"), QStringLiteral("False"));
        QCOMPARE(s.value("LocalIndex"), QStringLiteral("16"));
        QCOMPARE(s.value("chk24hLocal"), QStringLiteral("1"));
        QCOMPARE(s.value("chk24hOther"), QStringLiteral("0"));
        QCOMPARE(s.value("chkDSTLocal"), QStringLiteral("1"));
        QCOMPARE(s.value("chk05Local"), QStringLiteral("0"));
        QCOMPARE(s.value("currSetup"), QStringLiteral("Paris"));
        QCOMPARE(s.value("MRU1"), QStringLiteral("Paris"));
        QCOMPARE(s.value("MRU2"), QStringLiteral("Default")); // the gap ends the list
        QCOMPARE(s.value("MRU3"), QStringLiteral("Tokyo"));   // kept, not rewritten
        const auto& paris = f.store.contents().value("Paris");
        QCOMPARE(paris.value("OtherIndex"), QStringLiteral("10"));
        QCOMPARE(paris.value("chkDSTOther"), QStringLiteral("1"));
        QVERIFY(f.messages.texts().isEmpty()); // same zone: no question
    }

    void firstRunOnAnEmptyStore() {
        MainWindowFixture f;
        frmMain& w = f.load();
        QVERIFY(f.loaded);
        QCOMPARE(w.windowTitle(), QStringLiteral("Meridex"));
        QCOMPARE(f.list("lstTimeZoneLocal")->currentRow(), 0);
        QCOMPARE(f.list("lstTimeZoneLocal")->currentItem()->text(),
                 QStringLiteral("GMT+11 Auckland"));
        for (const char* name : {"chk24hLocal", "chk24hOther", "chkDSTLocal", "chk05Local",
                                 "chkDSTOther", "chk05Other"})
            QVERIFY(!f.box(name)->isChecked());
        QCOMPARE(f.label("Label1"), QStringLiteral("02:00:00 PM"));
        QVERIFY(!f.item("mnBar2")->isVisible());
        QVERIFY(w.alarmTable().empty());

        w.Form_Unload();
        QCOMPARE(f.stored("Settings", "currSetup"), QStringLiteral("Default"));
        QCOMPARE(f.stored("Settings", "LocalIndex"), QStringLiteral("0"));
        // Filling the lists leaves the Other list on its last row, and no setup moved it.
        QCOMPARE(f.stored("Default", "OtherIndex"), QStringLiteral("23"));
    }

    void localIndexOutOfRangeLeavesNoSelection_data() {
        QTest::addColumn<QString>("stored");
        QTest::newRow("-1") << "-1";
        QTest::newRow("24") << "24";
    }
    void localIndexOutOfRangeLeavesNoSelection() {
        QFETCH(QString, stored);
        MainWindowFixture f({{"Settings", {{"LocalIndex", stored}}}});
        f.load();
        QCOMPARE(f.list("lstTimeZoneLocal")->currentRow(), -1);
    }

    void smallInLowerCaseIsNotSmall() {
        MainWindowFixture f({{"Settings", {{"Small", "true"}, {"AlwaysOnTop", "True"}}}});
        f.load();
        QVERIFY(!f.item("mnSmall")->isChecked());
        QVERIFY(f.item("mnAlwaysOnTop")->isChecked());
    }

    void overflowingIndexIsReportedAndStopsTheLoad() {
        MainWindowFixture f({{"Settings", {{"LocalIndex", "99999"}, {"nbSetup", "1"}}}});
        f.load();
        QCOMPARE(f.messages.texts(), QStringList{QStringLiteral("Overflow in Form_Load()")});
        QVERIFY(f.window->alarmTable().empty());
    }

    // A zone chosen by hand moves the clock to "Default" and is stored there; a zone set while
    // applying a setup is not a choice.
    void otherZoneChosenByHandGoesToDefault() {
        MainWindowFixture f(preparedStore());
        frmMain& w = f.load();
        f.list("lstTimeZoneOther")->setCurrentRow(5);
        QCOMPARE(w.currSetup(), QStringLiteral("Default"));
        QCOMPARE(f.stored("Settings", "currSetup"), QStringLiteral("Default"));
        QCOMPARE(f.stored("Default", "OtherIndex"), QStringLiteral("5"));
        QCOMPARE(f.stored("Paris", "OtherIndex"), QStringLiteral("10"));
        w.Timer1_Timer(); // the tick applies "Default"
        QCOMPARE(w.windowTitle(), QStringLiteral("Meridex"));
        QCOMPARE(f.list("lstTimeZoneOther")->currentRow(), 5);

        w.mnMRU_Click(1); // back to Paris from the recently used list
        QCOMPARE(w.currSetup(), QStringLiteral("Paris"));
        QCOMPARE(f.list("lstTimeZoneOther")->currentRow(), 10);
        QCOMPARE(f.stored("Settings", "currSetup"), QStringLiteral("Paris"));
        QCOMPARE(f.stored("Default", "OtherIndex"), QStringLiteral("5"));
    }

    void versionPassesTheGuard() { QCOMPARE(frmMain::AppVersion(), QStringLiteral("V0.0.25")); }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"

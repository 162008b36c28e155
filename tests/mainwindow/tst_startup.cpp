#include "Fixture.h"

#include <QTest>

namespace {

// A store section from "key=value" lines.
QMap<QString, QString> section(const QStringList& lines) {
    QMap<QString, QString> keys;
    for (const QString& line : lines)
        keys.insert(line.section(u'=', 0, 0), line.section(u'=', 1));
    return keys;
}

MemorySettingsStore::Contents preparedStore() {
    return {{"Settings", section({"Top=1500", "Left=3000", "Width=9999", "chk24hLocal=1",
                                  "chk24hOther=0", "chkDSTLocal=1", "chk05Local=0", "LocalIndex=16",
                                  "currSetup=Paris", "MRU1=Paris", "MRU2=Default", "MRU3=Tokyo",
                                  "nbSetup=2", "Setup0=Paris", "Setup1=Tokyo"})},
            {"Paris", section({"OtherIndex=10", "chkDSTOther=1", "chk05Other=0"})},
            {"Tokyo", section({"OtherIndex=2", "chkDSTOther=0", "chk05Other=0"})}};
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
        QCOMPARE(f.list("lstTimeZoneOther")->item(11)->text(), QStringLiteral("GMT (London)"));
        QCOMPARE(f.list("lstTimeZoneOther")->item(23)->text(), QStringLiteral("GMT-12"));

        // EST with DST to Paris with DST: 14:00:05 -> 20:00:05, 12-hour on the Other side.
        QCOMPARE(f.label("Label1"), QStringLiteral("14:00:05"));
        QCOMPARE(f.label("Label2"), QStringLiteral("08:00:05 PM"));
        QCOMPARE(f.label("Label3"), QStringLiteral("Monday, Dec 7 2026"));
        QCOMPARE(f.label("Label4"), QStringLiteral("Monday, Dec 7 2026"));

        const char* const twins[][2] = {
            {"chk24hLocal", "mnLocal24hrs"}, {"chk24hOther", "mnOther24hrs"},
            {"chkDSTLocal", "mnLocalDST"},   {"chkDSTOther", "mnOtherDST"},
            {"chk05Local", "mn05Local"},     {"chk05Other", "mn05Other"}};
        const bool checked[] = {true, false, true, true, false, false};
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(f.box(twins[i][0])->isChecked(), checked[i]);
            QCOMPARE(f.item(twins[i][1])->isChecked(), checked[i]);
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

        // A zone chosen by hand is a change: it moves the clock to "Default" and is stored there.
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

    void unloadWritesEveryKey() {
        MainWindowFixture f(preparedStore());
        frmMain& w = f.load();
        w.move(200, 100);
        w.Form_Unload();
        QCOMPARE(f.stored("Settings", "Top"), QString::number(w.pos().y() * 15));
        QCOMPARE(f.stored("Settings", "Left"), QString::number(w.pos().x() * 15));
        QVERIFY(f.stored("Settings", "Width").toInt() > 0);
        // MRU2 = "Default" is a gap that ends the list; MRU3 is kept, not rewritten.
        const QStringList expected{
            "Settings/Small=False",   "Settings/Mini=False",    "Settings/AlwaysOnTop=False",
            "Settings/LocalIndex=16", "Settings/chk24hLocal=1", "Settings/chk24hOther=0",
            "Settings/chkDSTLocal=1", "Settings/chk05Local=0",  "Settings/currSetup=Paris",
            "Settings/MRU1=Paris",    "Settings/MRU2=Default",  "Settings/MRU3=Tokyo",
            "Paris/OtherIndex=10",    "Paris/chkDSTOther=1"};
        QStringList actual;
        for (const QString& line : expected) {
            const QString key = line.section(u'=', 0, 0);
            actual << key + u'=' + f.stored(key.section(u'/', 0, 0), key.section(u'/', 1));
        }
        QCOMPARE(actual, expected);
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
        QCOMPARE(f.label("Label1"), QStringLiteral("02:00:00 PM"));
        QVERIFY(!f.item("mnBar2")->isVisible());
        QVERIFY(w.alarmTable().empty());

        w.Form_Unload();
        QCOMPARE(f.stored("Settings", "currSetup"), QStringLiteral("Default"));
        QCOMPARE(f.stored("Settings", "LocalIndex"), QStringLiteral("0"));
        // Filling the lists leaves the Other list on its last row, and no setup moved it.
        QCOMPARE(f.stored("Default", "OtherIndex"), QStringLiteral("23"));
    }

    void localIndexOutOfRangeLeavesNoSelection() {
        for (const char* stored : {"-1", "24"}) {
            MainWindowFixture f({{"Settings", {{"LocalIndex", stored}}}});
            f.load();
            QCOMPARE(f.list("lstTimeZoneLocal")->currentRow(), -1);
        }
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
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"

#include "Doubles.h"
#include "MruList.h"
#include "ReadAlarms.h"
#include "RuntimeError.h"
#include "Setups.h"

#include <QTest>

namespace {

MruList listOf(const QStringList& names) {
    MruList list;
    for (auto it = names.crbegin(); it != names.crend(); ++it)
        list.DoMRU(*it);
    return list;
}

// A store section from "key=value" lines.
QMap<QString, QString> section(const QStringList& lines) {
    QMap<QString, QString> keys;
    for (const QString& line : lines)
        keys.insert(line.section(u'=', 0, 0), line.section(u'=', 1));
    return keys;
}

QStringList captions(const MruList& list) {
    QStringList out;
    for (int n = 1; n <= MruList::kSize; ++n)
        out << list.entry(n).caption;
    while (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    return out;
}

} // namespace

class TestSetups : public QObject {
    Q_OBJECT

private slots:
    void doMru_data() {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("after");
        const QStringList abc{"A", "B", "C"};
        QTest::newRow("third to the top") << abc << "C" << QStringList{"C", "A", "B"};
        QTest::newRow("first stays") << abc << "A" << abc;
        QTest::newRow("new name drops the fifth")
            << QStringList{"A", "B", "C", "E", "F"} << "D" << QStringList{"D", "A", "B", "C", "E"};
        QTest::newRow("Default is never listed") << abc << "Default" << abc;
        QTest::newRow("empty name") << abc << "" << abc;
        QTest::newRow("only Default: nothing shown") << QStringList() << "Default" << QStringList();
        QTest::newRow("lower-case default is a name")
            << abc << "default" << QStringList{"default", "A", "B", "C"};
    }
    void doMru() {
        QFETCH(QStringList, before);
        QFETCH(QString, name);
        QFETCH(QStringList, after);
        MruList list = listOf(before);
        list.DoMRU(name);
        QCOMPARE(captions(list), after);
        QCOMPARE(list.separatorVisible(), !after.isEmpty());
        for (int n = 1; n <= MruList::kSize; ++n)
            QCOMPARE(list.entry(n).visible, n <= after.size());
    }

    void restoreKeepsPositionsAndStoreStopsAtAGap() {
        MemorySettingsStore store({{"Settings", section({"MRU1=A", "MRU3=C", "MRU4=Default"})}});
        MruList list;
        list.restore(store);
        for (int n = 1; n <= 4; ++n)
            QCOMPARE(list.entry(n).visible, n == 1 || n == 3);
        QVERIFY(list.separatorVisible());

        list.store(store);
        QCOMPARE(store.read("Settings", "MRU1"), QStringLiteral("A"));
        QCOMPARE(store.read("Settings", "MRU2"), QString());
        QCOMPARE(store.read("Settings", "MRU3"), QStringLiteral("C"));
    }

    void caption_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<bool>("mini");
        QTest::addColumn<QString>("caption");
        QTest::newRow("Tokyo") << "Tokyo" << false << "Meridex - Tokyo";
        QTest::newRow("Tokyo, Mini") << "Tokyo" << true << "Mrd-Tokyo";
        QTest::newRow("Default") << "Default" << false << "Meridex";
        QTest::newRow("Default, Mini") << "Default" << true << "Mdx";
        QTest::newRow("empty") << "" << false << "Meridex";
        QTest::newRow("empty, Mini") << "" << true << "Mdx";
        QTest::newRow("lower-case default") << "default" << false << "Meridex - default";
    }
    void caption() {
        QFETCH(QString, setup);
        QFETCH(bool, mini);
        QFETCH(QString, caption);
        QCOMPARE(mainCaption(setup, mini), caption);
    }

    void saveQuestion_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QStringList>("stored"); // OtherIndex, chkDSTOther, chk05Other
        QTest::addColumn<bool>("asks");
        QTest::newRow("never stored a zone") << "Tokyo" << QStringList{"", "", ""} << false;
        QTest::newRow("same zone") << "Tokyo" << QStringList{"2", "1", "0"} << false;
        QTest::newRow("same zone, leading blank") << "Tokyo" << QStringList{" 2", "1", ""} << false;
        QTest::newRow("other row") << "Tokyo" << QStringList{"3", "1", "0"} << true;
        QTest::newRow("other DST") << "Tokyo" << QStringList{"2", "0", "0"} << true;
        QTest::newRow("other half hour") << "Tokyo" << QStringList{"2", "1", "1"} << true;
        QTest::newRow("Default never asks") << "Default" << QStringList{"3", "0", "1"} << false;
        QTest::newRow("lower-case default asks") << "default" << QStringList{"3", "1", "0"} << true;
    }
    void saveQuestion() {
        QFETCH(QString, setup);
        QFETCH(QStringList, stored);
        QFETCH(bool, asks);
        QCOMPARE(saveNeedsQuestion(setup, {stored[0], stored[1], stored[2]}, {2, 1, 0}), asks);
        QCOMPARE(saveQuestionText(setup),
                 QStringLiteral("Do you want to save the change of Time Zone for ") + setup +
                     QStringLiteral(" ?"));
    }

    void readAlarms() {
        MemorySettingsStore store(
            {{"Settings", section({"nbSetup=4", "Setup0=Tokyo", "Setup1=Default",
                                   "Setup2=", "Setup3=Paris", "Setup4=Beyond the count"})},
             {"Tokyo",
              section({"AlarmTimeGMT=2026-12-24 06:00:00", "When= 4", "Sound=/tmp/a.wav"})},
             {"Default", section({"AlarmTimeGMT=07:00:00", "When=1"})},
             {"Paris", section({"AlarmTimeGMT=not a time", "Sound=/tmp/p.wav"})}});
        AlarmTable table;
        ReadAlarms(store, table);
        QCOMPARE(table.size(), std::size_t(4));
        QCOMPARE(table[0].name, QStringLiteral("Tokyo"));
        QCOMPARE(table[0].whenMask, std::int16_t(512));
        QCOMPARE(table[0].sound, QStringLiteral("/tmp/a.wav"));
        QVERIFY(table[0].timeGMT.has_value());
        QVERIFY(table[1].name.isEmpty()); // "Default" never has an alarm
        QCOMPARE(table[1].whenMask, std::int16_t(0));
        QVERIFY(table[2].name.isEmpty());
        QCOMPARE(table[3].name, QStringLiteral("Paris"));
        QVERIFY(!table[3].timeGMT.has_value());       // unreadable: never rings
        QCOMPARE(table[3].whenMask, std::int16_t(0)); // no "When": no mask, no sound
        QVERIFY(table[3].sound.isEmpty());

        ReadAlarms(MemorySettingsStore(), table); // no setups
        QVERIFY(table.empty());
        table.emplace_back();
        QVERIFY_THROWS_EXCEPTION(
            RuntimeError,
            ReadAlarms(MemorySettingsStore({{"Settings", {{"nbSetup", "70000"}}}}), table));
        QVERIFY(table.empty());
    }
};

QTEST_GUILESS_MAIN(TestSetups)
#include "tst_setups.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file: every section name round-trips, a lock file left empty does not hold up a
// save, and a save killed mid-way leaves each setup wholly old or wholly new.

#include "IniSettingsStore.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <thread>

using namespace Qt::StringLiterals;

// Names a user can type and the group each gets in the file; each is stored as a value too. Plain
// names stay plain; a setup named "Settings" is the main section itself, and the empty name gets
// a section of its own.
// clang-format off
const QList<std::pair<QString, QString>> kNames{
    {u"Tokyo"_s, u"Tokyo"_s}, {u"Settings"_s, u"Settings"_s}, {u""_s, u"%"_s}, {u" "_s, u" "_s},
    {u"Office/Paris"_s, u"Office%2FParis"_s}, {u"C:\\Temp"_s, u"C:%5CTemp"_s},
    {u"%2F"_s, u"%252F"_s}, {u"General"_s, u"%47eneral"_s}, {u"general"_s, u"%67eneral"_s},
    {u"Zürich 東京"_s, u"Zürich 東京"_s}, {u"[😀] "_s, u"[😀] "_s},
    {u"@1;2,3=\"4\"\t\u0001a"_s, u"@1;2,3=\"4\"\t\u0001a"_s}};
// clang-format on
const QStringList kKeys{u"OtherIndex"_s, u"AlarmTimeGMT"_s, u"When"_s};

class TestSettingsStores final : public QObject {
    Q_OBJECT

private slots:
    void sectionNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("group");
        IniSettingsStore store(m_dir.filePath(u"names.ini"_s));
        for (const auto& [name, group] : kNames) {
            store.write(name, u"Sound"_s, name);
            QTest::addRow("\"%s\"", qPrintable(name)) << name << group;
        }
        QFile::copy(store.fileName(), m_names); // a file QSettings has not read in this process
    }
    void sectionNames() {
        QFETCH(QString, name);
        QFETCH(QString, group);
        QVERIFY(QSettings(m_names, QSettings::IniFormat).childGroups().contains(group));
        QCOMPARE(IniSettingsStore(m_names).read(name, u"Sound"_s), name);
    }

    // A writer killed between creating QSettings' lock file and writing its process id into it
    // leaves the file empty; on its own QLockFile would wait until it is 30 s old.
    void emptyLockLeftByAKill() {
        QFile lock(m_dir.filePath(u"locked.ini.lock"_s));
        QVERIFY(lock.open(QIODevice::WriteOnly)); // empty, and a few seconds old
        QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addSecs(-5),
                                 QFileDevice::FileModificationTime));
        const QDeadlineTimer deadline(10'000);
        IniSettingsStore(m_dir.filePath(u"locked.ini"_s)).write(u"Tokyo"_s, u"When"_s, u"1"_s);
        QVERIFY(!deadline.hasExpired());
    }

    // Writers killed (SIGKILL) at seeded random moments while saving: after each kill every
    // setup holds one whole save, and none an older one than before.
    void killedWhileSaving() {
        const QString file = m_dir.filePath(u"killed.ini"_s);
        QRandomGenerator random(20261207);
        QMap<QString, int> held; // the generation each setup held after the last kill
        for (int kill = 1; kill <= 30; ++kill) {
            QProcess writer;
            writer.start(QCoreApplication::applicationFilePath(),
                         {u"--save"_s, file, QString::number(kill * 100'000)});
            QVERIFY(writer.waitForReadyRead(20'000));
            std::this_thread::sleep_for(std::chrono::microseconds(random.bounded(20'000)));
            writer.kill();
            QVERIFY(writer.waitForFinished(20'000));
            if (QFileInfo(file + u".lock"_s).size() == 0) // the case above, tried on its own
                QFile::remove(file + u".lock"_s);
            // Only other processes write this file, so QSettings' cache holds what it read.
            for (const auto& name : kNames) {
                QStringList values;
                for (const QString& key : kKeys)
                    values << IniSettingsStore(file).read(name.first, key);
                values.removeDuplicates();
                QVERIFY2(values.size() == 1, qPrintable(name.first + u": "_s + values.join(u' ')));
                QVERIFY(values[0].toInt() >= std::exchange(held[name.first], values[0].toInt()));
            }
        }
    }

private:
    QTemporaryDir m_dir;
    QString m_names = m_dir.filePath(u"names-copy.ini"_s);
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], "--save") == 0) { // the writer killedWhileSaving kills
        IniSettingsStore store(QString::fromLocal8Bit(argv[2]));
        QTextStream(stdout) << "ready" << Qt::endl;
        for (int generation = atoi(argv[3]); generation % 100'000 != 99'999; ++generation) {
            const QString g = QString::number(generation); // into every key of every setup
            for (const auto& name : kNames)
                store.writeSection(name.first, {{kKeys[0], g}, {kKeys[1], g}, {kKeys[2], g}});
        }
        return 0;
    }
    TestSettingsStores test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settingsstores.moc"

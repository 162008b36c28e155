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
#include <QSaveFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <thread>

#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>

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

    // Lines a person or another tool wrote: read whole (QSettings would split them at the
    // unquoted comma and read ""), and written back as they stand after another change.
    void handEditedValues_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("value");
        QTest::newRow("a name with a comma") << "Setup0=Work, EU"_ba << u"Work, EU"_s;
        QTest::newRow("a path with a comma")
            << "Sound=/home/me/Music/Bells, soft.wav"_ba << u"/home/me/Music/Bells, soft.wav"_s;
        QTest::newRow("blanks around") << "  Sound =  a,b ,c  "_ba << u"a,b ,c"_s;
        QTest::newRow("quoted parts") << "Sound=\"a\", \"b\""_ba << u"a, b"_s;
        QTest::newRow("escapes") << "Sound=\"x\\ty\\\"z\" "_ba << u"x\ty\"z"_s;
        QTest::newRow("a doubled @") << "Sound=@@home"_ba << u"@home"_s;
    }
    void handEditedValues() {
        QFETCH(QByteArray, line);
        QFETCH(QString, value);
        const QString file = m_dir.filePath(u"hand.ini"_s);
        const QByteArray text = "; by hand\n[Settings]\nnbSetup=1\n" + line + "\r\n\n[T]\nWhen=1\n";
        write(file, text);
        const QString key = line.contains("Setup0") ? u"Setup0"_s : u"Sound"_s;
        IniSettingsStore store(file);
        QCOMPARE(store.read(u"Settings"_s, key), value);
        store.write(u"Settings"_s, u"Small"_s, u"True"_s);
        QCOMPARE(read(file), QByteArray(text).replace("\r\n", "\r\nSmall=True\n"));
        QCOMPARE(IniSettingsStore(file).read(u"Settings"_s, key), value);
    }

    // What another program stores between this store's reading and its next change stays: the
    // change check sees a file rewritten in place with its time set back (by the status-change
    // time), and two stores on one file each store only their own keys and setups.
    void othersChangesKept_data() {
        QTest::addColumn<QString>("other");
        QTest::addColumn<QStringList>("setups");
        QTest::newRow("file replaced") << u"replace"_s << QStringList{u"Tokyo"_s, u"FromA"_s};
        QTest::newRow("rewritten in place, same size and time")
            << u"in place"_s << QStringList{u"Tokyo"_s, u"FromA"_s};
        QTest::newRow("a second store on the file")
            << u"store"_s << QStringList{u"Tokyo"_s, u"FromB"_s, u"FromA"_s};
    }
    void othersChangesKept() {
        QFETCH(QString, other);
        QFETCH(QStringList, setups);
        const QString file = m_dir.filePath(u"shared.ini"_s);
        write(file, "[Settings]\nnbSetup=1\nSetup0=Tokyo\nTop=100\n\n[Tokyo]\nWhen=1\n");
        IniSettingsStore a(file);
        QCOMPARE(a.read(u"Settings"_s, u"Top"_s), u"100"_s);
        if (other == u"replace"_s) {
            write(file, "[Settings]\nnbSetup=1\nSetup0=Tokyo\nTop=200\n\n[Tokyo]\nWhen=1\n");
        } else if (other == u"in place"_s) {
            struct stat before {};
            QCOMPARE(::stat(QFile::encodeName(file).constData(), &before), 0);
            struct stat after = before;
            while (after.st_ctim.tv_sec == before.st_ctim.tv_sec &&
                   after.st_ctim.tv_nsec == before.st_ctim.tv_nsec) {
                QFile f(file);
                QVERIFY(f.open(QIODevice::ReadWrite));
                const QByteArray text = f.readAll().replace("Top=100", "Top=200");
                QVERIFY(f.seek(0) && f.write(text) == text.size());
                f.close();
                const timespec times[2] = {before.st_atim, before.st_mtim};
                QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(file).constData(), times, 0), 0);
                QCOMPARE(::stat(QFile::encodeName(file).constData(), &after), 0);
            }
            QCOMPARE(after.st_size, before.st_size);
            QCOMPARE(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
        } else {
            IniSettingsStore b(file);
            QCOMPARE(b.read(u"Settings"_s, u"Top"_s), u"100"_s);
            b.changeList(kSetups, {}, {u"FromB"_s});
            b.write(u"Settings"_s, u"Top"_s, u"200"_s);
        }
        a.changeList(kSetups, {}, {u"FromA"_s});
        a.write(u"Settings"_s, u"Small"_s, u"True"_s);
        IniSettingsStore stored(file);
        QCOMPARE(stored.read(u"Settings"_s, u"Top"_s), u"200"_s);
        QCOMPARE(stored.read(u"Settings"_s, u"Small"_s), u"True"_s);
        QCOMPARE(
            readNameList(kSetups, [&](const QString& k) { return stored.read(u"Settings"_s, k); }),
            setups);
    }

    // The count is 16 bits: a full list takes no more, and the file stays as it was.
    void fullListRefusesOneMore() {
        const QString file = m_dir.filePath(u"full.ini"_s);
        const QByteArray text = "[Settings]\nnbSetup=32767\n" + setupList(32767);
        write(file, text);
        IniSettingsStore store(file);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, store.changeList(kSetups, {}, {u"One more"_s}));
        QCOMPARE(store.read(u"Settings"_s, u"nbSetup"_s), u"32767"_s);
        QCOMPARE(read(file), text);
        store.changeList(kSetups, {u"S5"_s}, {u"One more"_s}); // one out, one in: fits
        QCOMPARE(IniSettingsStore(file).read(u"Settings"_s, u"Setup32766"_s), u"One more"_s);
    }

    // 10,000 setups, the file replaced by another program, then a change, a read, a setup
    // added: each costs the window's thread well under 100 ms of processor time (before: 140 ms
    // for the change). Processor time, not time on the clock, which a busy machine stretches;
    // bench/store/store-timing gives both.
    void manySetupsReplaced() {
        const QString file = m_dir.filePath(u"many.ini"_s);
        const auto settings = [](const QByteArray& top) {
            QByteArray text = "[Settings]\nnbSetup=10000\nTop=" + top + '\n' + setupList(10000);
            for (int i = 0; i < 10000; ++i)
                text += "\n[S" + QByteArray::number(i) +
                        "]\nOtherIndex=3\nchkDSTOther=0\nchk05Other=0\nAlarmTimeGMT=07:00:00\n"
                        "When=1\nSound=\nchkLocalTime=1\n";
            return text;
        };
        write(file, settings("1"));
        IniSettingsStore store(file);
        QCOMPARE(store.read(u"S9999"_s, u"When"_s), u"1"_s);
        const QList<std::function<void()>> operations{
            [&] { store.write(u"Settings"_s, u"Small"_s, u"True"_s); },
            [&] { QCOMPARE(store.read(u"Settings"_s, u"Top"_s), u"3"_s); },
            [&] { store.changeList(kSetups, {}, {u"New"_s}); },
        };
        for (int i = 0; i < operations.size(); ++i) {
            write(file, settings(QByteArray::number(i + 2)));
            timespec before{}, after{};
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &before);
            operations[i]();
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &after);
            const double ms = double(after.tv_sec - before.tv_sec) * 1e3 +
                              double(after.tv_nsec - before.tv_nsec) / 1e6;
            QVERIFY2(ms < 100, qPrintable(QString::number(i) + u": "_s + QString::number(ms)));
        }
        QCOMPARE(IniSettingsStore(file).read(u"Settings"_s, u"Setup10000"_s), u"New"_s);
    }

private:
    static const inline NameList kSetups{u"Settings"_s, u"nbSetup"_s, u"Setup"_s, 32767};
    // "Setup0=S0" and on, one a line.
    static QByteArray setupList(int count) {
        QByteArray lines;
        for (int i = 0; i < count; ++i)
            lines += "Setup" + QByteArray::number(i) + "=S" + QByteArray::number(i) + '\n';
        return lines;
    }
    // As another program writes: a new file renamed over the old one.
    static void write(const QString& path, const QByteArray& text) {
        QSaveFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size() &&
                file.commit());
    }
    static QByteArray read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

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

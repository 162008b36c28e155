// The settings file under faults: a process saving setups is killed (SIGKILL) at random moments
// many hundreds of times, and two processes save at once. After every kill the file must parse
// in a fresh process, and every setup must hold what the store promises for the way it was
// saved: each key old or new when saved key by key, the whole setup old or new when saved as
// one section.
//
// Bounded: each scenario stops at its number of kills or at its time budget, whichever comes
// first, and every wait on a child process has a deadline. The figures are printed at the end.
// MERIDEX_RELIABILITY_SEED=<n> repeats a run's random moments; MERIDEX_RELIABILITY_KILLS=<n>
// changes the number of kills of the main scenario (e.g. for a longer run by hand).

#include "IniCheck.h"
#include "IniSettingsStore.h"
#include "Doubles.h"
#include "RuntimeError.h"
#include "ScratchDir.h"
#include "StoreWriterSetups.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <optional>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

constexpr int kSetups = 4; // saved round-robin by one writer

// What one setup holds: key -> value ("" when absent).
using SetupValues = QMap<QString, QString>;

struct Check {
    int status = -1;
    QMap<int, SetupValues> setups; // setup index -> its keys present
};

struct Ack {
    int setup;
    qint64 generation;
};

QString writerPath() {
    return QCoreApplication::applicationDirPath() + u"/store_writer"_s;
}

// Reads the file in a new process, as a freshly started clock would.
std::optional<Check> checkInFreshProcess(const QString& file, int setups, QString& why) {
    QProcess checker;
    checker.start(writerPath(), {u"check"_s, file, QString::number(setups)});
    if (!checker.waitForFinished(20000) || checker.exitStatus() != QProcess::NormalExit ||
        checker.exitCode() != 0) {
        checker.kill();
        checker.waitForFinished(5000);
        why = u"the checker failed: "_s + QString::fromLocal8Bit(checker.readAllStandardError());
        return std::nullopt;
    }
    Check result;
    const QStringList lines =
        QString::fromUtf8(checker.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        const QStringList parts = line.split(u' ');
        if (parts.size() == 2 && parts[0] == u"status"_s)
            result.status = parts[1].toInt();
        else if (parts.size() == 3)
            result.setups[parts[0].toInt()].insert(parts[1], parts[2]);
    }
    return result;
}

// Files QSaveFile leaves behind when a writer dies between creating its temporary file and
// renaming it over the settings file.
int strayTemporaryFiles(const QDir& dir) {
    int count = 0;
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) {
        if (name != u"Meridex.ini"_s && name != u"Meridex.ini.lock"_s)
            ++count;
    }
    return count;
}

void removeStrayTemporaryFiles(const QDir& dir) {
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) {
        if (name != u"Meridex.ini"_s && name != u"Meridex.ini.lock"_s)
            QFile::remove(dir.filePath(name));
    }
}

QList<Ack> parseAcks(const QByteArray& output) {
    QList<Ack> acks;
    for (const QByteArray& line : output.split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 2)
            acks.append({parts[0].toInt(), parts[1].toLongLong()});
    }
    return acks;
}

bool waitForLine(QProcess& process, const QByteArray& line, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!process.canReadLine()) {
        const int left = timeoutMs - int(timer.elapsed());
        if (left <= 0 || !process.waitForReadyRead(left))
            return process.canReadLine() && process.readLine().trimmed() == line;
    }
    return process.readLine().trimmed() == line;
}

int envInt(const char* name, int fallback) {
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}

struct KillFigures {
    int kills = 0;
    int savesAcknowledged = 0;
    int killedWhileSaving = 0; // the file held the save in flight (new values) after the kill
    int mixedSetups = 0;       // a setup holding keys of two generations
    int strayFiles = 0;
    qint64 slowestStartMs = 0; // from start to "ready" plus the first save
    qint64 roundUs = 0;        // one round of saves, as measured before
    int emptyLockFiles = 0;    // lock files left without an owner's process id
    int ownedLockFiles = 0;    // lock files left naming the killed writer
    qint64 elapsedMs = 0;
};

} // namespace

class TestStoreFaults : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void aSectionWrittenAtOnceReadsBack();
    void killedWhileSavingSetupsAsSections();
    void twoProcessesSavingAtOnceLoseNoKeys_data();
    void twoProcessesSavingAtOnceLoseNoKeys();
    void aLockFileLeftEmptyByAKillDoesNotHoldUpTheNextSave();
    void anotherProcessesChangeInTheSameClockTickIsNotLost();
    void cleanupTestCase();

private:
    // Kills a writer at random moments until `kills` kills or `budgetMs` have passed.
    void killRepeatedly(bool asSections, int kills, qint64 budgetMs, KillFigures& figures);

    QRandomGenerator m_random;
    quint32 m_seed = 0;
    QStringList m_figures;
};

void TestStoreFaults::initTestCase() {
    QVERIFY2(QFile::exists(writerPath()), qPrintable(writerPath()));
    m_seed = quint32(
        envInt("MERIDEX_RELIABILITY_SEED", int(QRandomGenerator::global()->generate() >> 1)));
    m_random.seed(m_seed);
    qInfo("random seed %u (MERIDEX_RELIABILITY_SEED=%u repeats this run)", m_seed, m_seed);
}

// The all-or-nothing write itself: every key lands (in a file read afresh), and a store that
// cannot write changes none of them.
void TestStoreFaults::aSectionWrittenAtOnceReadsBack() {
    QTemporaryDir dir(scratchPattern("meridex-store"));
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(u"Meridex.ini"_s);
    QMap<QString, QString> values;
    for (const QString& key : storewriter::setupKeys())
        values.insert(key, u"7"_s);
    {
        IniSettingsStore store(file);
        store.write(storewriter::setupNames().at(1), u"When"_s, u"1"_s);
        store.writeSection(storewriter::setupNames().at(1), values);
    }
    QString why;
    const std::optional<Check> found = checkInFreshProcess(file, 2, why);
    QVERIFY2(found, qPrintable(why));
    QCOMPARE(found->status, 0);
    QCOMPARE(found->setups.value(1), values);

    MemorySettingsStore memory({{u"Tokyo"_s, {{u"When"_s, u"1"_s}}}});
    memory.failWrites(u"Disk full"_s);
    QVERIFY_THROWS_EXCEPTION(RuntimeError, memory.writeSection(u"Tokyo"_s, values));
    QCOMPARE(memory.contents().value(u"Tokyo"_s), (QMap<QString, QString>{{u"When"_s, u"1"_s}}));
    memory.failWrites({});
    memory.writeSection(u"Tokyo"_s, values);
    QCOMPARE(memory.contents().value(u"Tokyo"_s), values);
}

void TestStoreFaults::cleanupTestCase() {
    for (const QString& line : std::as_const(m_figures))
        qInfo("%s", qPrintable(line));
}

void TestStoreFaults::killRepeatedly(bool asSections, int kills, qint64 budgetMs,
                                     KillFigures& figures) {
    QTemporaryDir dir(scratchPattern("meridex-store"));
    if (!dir.isValid())
        qFatal("no temporary folder");
    const QString file = dir.filePath(u"Meridex.ini"_s);
    const QString mode = asSections ? u"section"_s : u"keys"_s;

    // How long the first save and then one round of saves take here, so that the kills spread
    // over whole saves whatever the speed of the machine.
    qint64 firstSaveUs = 0;
    qint64 roundUs = 0;
    {
        constexpr int kRounds = 20;
        QProcess calibration;
        calibration.start(writerPath(),
                          {u"write"_s, dir.filePath(u"calibration.ini"_s), mode, u"1"_s, u"0"_s,
                           QString::number(kSetups), QString::number(kRounds)});
        if (!waitForLine(calibration, "ready", 20000))
            qFatal("the writer did not start");
        QElapsedTimer timer;
        timer.start();
        if (!calibration.waitForReadyRead(20000))
            qFatal("the writer saved nothing");
        firstSaveUs = timer.nsecsElapsed() / 1000;
        if (!calibration.waitForFinished(60000) || calibration.exitCode() != 0)
            qFatal("the calibration run failed");
        roundUs = std::max<qint64>(100, (timer.nsecsElapsed() / 1000 - firstSaveUs) / kRounds);
        QFile::remove(dir.filePath(u"calibration.ini"_s));
        removeStrayTemporaryFiles(QDir(dir.path()));
    }
    figures.roundUs = roundUs;

    // The state the file held after the previous kill: setup -> key -> value.
    QMap<int, SetupValues> stored;
    qint64 nextGeneration = 1;
    QElapsedTimer budget;
    budget.start();

    while (figures.kills < kills && budget.elapsed() < budgetMs) {
        QProcess writer;
        QElapsedTimer started;
        started.start();
        writer.start(writerPath(), {u"write"_s, file, mode, QString::number(nextGeneration), u"0"_s,
                                    QString::number(kSetups)});
        if (!waitForLine(writer, "ready", 20000)) {
            writer.kill();
            writer.waitForFinished(5000);
            QFAIL("the writer did not start within 20 s");
        }
        // A random moment within the first three rounds of saves.
        const auto delay =
            std::chrono::microseconds(m_random.bounded(qint64(1), firstSaveUs + roundUs * 3));
        std::this_thread::sleep_for(delay);
        writer.kill(); // SIGKILL
        if (!writer.waitForFinished(10000))
            QFAIL("the killed writer did not end");
        ++figures.kills;

        // QSettings creates its lock file and writes the owner's process id into it a moment
        // later. A lock file with an owner is seen as stale at once when that process is gone;
        // an empty one only once it is a second old (the store clears it then; tried on its own
        // below). The writer restarts sooner than that, so it is counted and removed here.
        const QFileInfo lock(file + u".lock"_s);
        if (lock.exists()) {
            if (lock.size() == 0) {
                ++figures.emptyLockFiles;
                QFile::remove(lock.filePath());
            } else {
                ++figures.ownedLockFiles;
            }
        }

        const QList<Ack> acks = parseAcks(writer.readAllStandardOutput());
        figures.savesAcknowledged += int(acks.size());
        if (!acks.isEmpty())
            figures.slowestStartMs = std::max(figures.slowestStartMs, started.elapsed());

        // What each setup must hold now: the last generation acknowledged for it, else what
        // it held before. Only the save after the last acknowledged one was in flight.
        QMap<int, qint64> acked;
        for (const Ack& a : acks)
            acked[a.setup] = a.generation;
        int inFlightSetup = 0;
        qint64 inFlightGeneration = nextGeneration;
        if (!acks.isEmpty()) {
            inFlightSetup = (acks.last().setup + 1) % kSetups;
            inFlightGeneration = acks.last().generation + (inFlightSetup == 0 ? 1 : 0);
        }

        const QByteArray text = [&] {
            QFile f(file);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        const QString strict = strictIniProblem(text);
        QVERIFY2(strict.isEmpty(),
                 qPrintable(
                     u"kill %1: %2\n%3"_s.arg(figures.kills).arg(strict, QString::fromUtf8(text))));
        QString why;
        const std::optional<Check> found = checkInFreshProcess(file, kSetups, why);
        QVERIFY2(found, qPrintable(why));
        QVERIFY2(found->status == 0,
                 qPrintable(u"kill %1: QSettings status %2 in a fresh process"_s.arg(figures.kills)
                                .arg(found->status)));

        for (int s = 0; s < kSetups; ++s) {
            const SetupValues now = found->setups.value(s);
            const SetupValues before = stored.value(s);
            const bool inFlight = s == inFlightSetup;
            const QString inFlightValue = QString::number(inFlightGeneration);
            QSet<QString> generations;
            for (const QString& key : storewriter::setupKeys()) {
                const QString value = now.value(key);
                const QString old =
                    acked.contains(s) ? QString::number(acked[s]) : before.value(key);
                const bool ok = value == old || (inFlight && value == inFlightValue);
                QVERIFY2(ok,
                         qPrintable(
                             u"kill %1, setup %2, key %3: holds \"%4\", expected \"%5\"%6"_s
                                 .arg(figures.kills)
                                 .arg(storewriter::setupNames().at(s), key, value, old,
                                      inFlight ? u" or \"%1\""_s.arg(inFlightValue) : QString())));
                generations.insert(value);
            }
            if (generations.size() > 1) {
                ++figures.mixedSetups;
                if (asSections) {
                    QFAIL(qPrintable(u"kill %1: setup %2 mixes generations %3"_s.arg(figures.kills)
                                         .arg(storewriter::setupNames().at(s))
                                         .arg(QStringList(generations.values()).join(u", "_s))));
                }
            }
            if (inFlight && now.value(storewriter::setupKeys().first()) == inFlightValue)
                ++figures.killedWhileSaving;
            stored[s] = now;
        }
        nextGeneration = std::max(nextGeneration, inFlightGeneration + 1);
    }
    figures.strayFiles = strayTemporaryFiles(QDir(dir.path()));
    figures.elapsedMs = budget.elapsed();
}

void TestStoreFaults::killedWhileSavingSetupsAsSections() {
    const int kills = envInt("MERIDEX_RELIABILITY_KILLS", 500);
    KillFigures f;
    killRepeatedly(true, kills, 60'000, f);
    if (QTest::currentTestFailed())
        return;
    m_figures << u"setups saved as sections: %1 kills in %2 s, %3 saves acknowledged, %4 kills "
                 "left the save in flight stored, %5 setups mixed, %6 stray temporary files, "
                 "slowest start %7 ms, a round of %8 saves %9 us, lock files left: %10 naming the "
                 "killed writer, %11 empty"_s.arg(f.kills)
                     .arg(double(f.elapsedMs) / 1000, 0, 'f', 1)
                     .arg(f.savesAcknowledged)
                     .arg(f.killedWhileSaving)
                     .arg(f.mixedSetups)
                     .arg(f.strayFiles)
                     .arg(f.slowestStartMs)
                     .arg(kSetups)
                     .arg(f.roundUs)
                     .arg(f.ownedLockFiles)
                     .arg(f.emptyLockFiles);
    // Too few kills would prove little; a machine this slow should say so rather than pass.
    QVERIFY2(f.kills >= std::min(kills, 100), qPrintable(u"only %1 kills"_s.arg(f.kills)));
}

void TestStoreFaults::twoProcessesSavingAtOnceLoseNoKeys_data() {
    QTest::addColumn<QString>("mode");
    QTest::newRow("sections") << u"section"_s;
    QTest::newRow("key by key") << u"keys"_s;
}

// Two clocks saving different setups into the same file at the same time: QSettings takes a
// lock file around each write and reads the other's changes back in before writing its own,
// so when both are done every setup holds its last save.
void TestStoreFaults::twoProcessesSavingAtOnceLoseNoKeys() {
    QFETCH(QString, mode);
    constexpr int kRounds = 400;
    constexpr int kEach = int(8 / 2);
    QTemporaryDir dir(scratchPattern("meridex-store"));
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(u"Meridex.ini"_s);

    QElapsedTimer timer;
    timer.start();
    QProcess first;
    QProcess second;
    first.start(writerPath(), {u"write"_s, file, mode, u"1"_s, u"0"_s, QString::number(kEach),
                               QString::number(kRounds)});
    second.start(writerPath(), {u"write"_s, file, mode, u"1"_s, QString::number(kEach),
                                QString::number(kEach), QString::number(kRounds)});
    const bool done = first.waitForFinished(90'000) && second.waitForFinished(90'000);
    if (!done) {
        first.kill();
        second.kill();
        first.waitForFinished(5000);
        second.waitForFinished(5000);
        QFAIL("the two writers did not finish within 90 s");
    }
    QCOMPARE(first.exitCode(), 0);
    QCOMPARE(second.exitCode(), 0);

    QString why;
    const std::optional<Check> found = checkInFreshProcess(file, 2 * kEach, why);
    QVERIFY2(found, qPrintable(why));
    QCOMPARE(found->status, 0);
    QStringList lost;
    for (int s = 0; s < 2 * kEach; ++s) {
        for (const QString& key : storewriter::setupKeys()) {
            const QString value = found->setups.value(s).value(key);
            if (value != QString::number(kRounds))
                lost << u"%1/%2=\"%3\""_s.arg(storewriter::setupNames().at(s), key, value);
        }
    }
    m_figures << u"two processes saving %1 (%2): %3 saves each in %4 s, %5 keys lost"_s
                     .arg(2 * kEach)
                     .arg(mode)
                     .arg(kRounds * kEach)
                     .arg(double(timer.elapsed()) / 1000, 0, 'f', 1)
                     .arg(lost.size());
    QVERIFY2(lost.isEmpty(), qPrintable(u"keys not holding the last save (%1): "_s.arg(kRounds) +
                                        lost.join(u", "_s)));
}

// A kill between QSettings' creating its lock file and writing its process id into it leaves
// an empty "Meridex.ini.lock" (the kill scenarios above count how often). QLockFile cannot tell
// whose it is and on its own takes it for stale only once it is 30 s old, which would freeze the
// next clock's first save (a zone chosen, a setup saved, or the window closed) until then.
void TestStoreFaults::aLockFileLeftEmptyByAKillDoesNotHoldUpTheNextSave() {
    QTemporaryDir dir(scratchPattern("meridex-store"));
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(u"Meridex.ini"_s);
    {
        QFile lock(file + u".lock"_s);
        QVERIFY(lock.open(QIODevice::WriteOnly)); // empty, as a kill a few seconds ago left it
        QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addSecs(-5),
                                 QFileDevice::FileModificationTime));
    }
    QProcess writer;
    writer.start(writerPath(), {u"write"_s, file, u"section"_s, u"1"_s, u"0"_s, u"1"_s, u"1"_s});
    QVERIFY(waitForLine(writer, "ready", 20000));
    QElapsedTimer timer;
    timer.start();
    const bool saved = writer.waitForFinished(3000);
    const qint64 waited = timer.elapsed();
    if (!saved) {
        writer.kill();
        writer.waitForFinished(5000);
    }
    m_figures << u"a save after a kill left the lock file empty: %1"_s.arg(
        saved ? u"done in %1 ms"_s.arg(waited) : u"still waiting after 3 s"_s);
    QVERIFY2(saved, "the save waited more than 3 s for a lock nobody holds");
}

// QSettings keeps each file it has read in memory and, before writing, reads it again only when
// its size or modification time changed. A write by another clock that leaves the file at the
// same size within the same tick of the file system's clock (a jiffy, 4 ms, on Debian 12's
// kernel; QFileInfo also rounds to the millisecond) goes unnoticed, and this clock's next write
// puts the other's key back to its old value. The tick is simulated here by putting the
// modification time back to what it was before the other clock wrote.
void TestStoreFaults::anotherProcessesChangeInTheSameClockTickIsNotLost() {
    QTemporaryDir dir(scratchPattern("meridex-store"));
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(u"Meridex.ini"_s);
    QProcess first;
    first.start(writerPath(), {u"hold"_s, file});
    const auto say = [&](QProcess& p, const char* line) {
        p.write(line);
        p.write("\n");
        return waitForLine(p, "ok", 10000);
    };
    QVERIFY(say(first, "Tokyo OtherIndex 1"));
    QVERIFY(say(first, "Paris When 1"));
    const QFileInfo before(file);
    const QDateTime stamp = before.lastModified();
    const qint64 size = before.size();

    QProcess second;
    second.start(writerPath(), {u"hold"_s, file});
    QVERIFY(say(second, "Paris When 2"));
    second.closeWriteChannel();
    QVERIFY(second.waitForFinished(10000));
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QCOMPARE(f.size(), size);
        QVERIFY(f.setFileTime(stamp, QFileDevice::FileModificationTime));
    }

    QVERIFY(say(first, "Tokyo OtherIndex 2"));
    first.closeWriteChannel();
    QVERIFY(first.waitForFinished(10000));

    // This process has never read the file, so QSettings parses it afresh.
    QSettings stored(file, QSettings::IniFormat);
    const QString paris = stored.value(u"Paris/When"_s).toString();
    const QString tokyo = stored.value(u"Tokyo/OtherIndex"_s).toString();
    m_figures << u"another clock's write in the same clock tick: Paris/When holds \"%1\" "
                 "(written \"2\"), Tokyo/OtherIndex \"%2\""_s.arg(paris, tokyo);
    QCOMPARE(tokyo, u"2"_s);
    QEXPECT_FAIL("",
                 "QSettings re-reads a file only when its size or time stamp changed; "
                 "reported to the lead",
                 Continue);
    QCOMPARE(paris, u"2"_s);
}

QTEST_GUILESS_MAIN(TestStoreFaults)
#include "tst_store_faults.moc"

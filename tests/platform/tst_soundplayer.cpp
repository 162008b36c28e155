#include "NullSoundPlayer.h"
#include "QtSoundPlayer.h"
#include "sound/TestSoundServer.h"
#include "sound/ToneWav.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <utility>

#include <sys/stat.h>

// The functions run in the order written: first without any sound server, then with one the
// test starts itself, so the same player meets a server that appeared after its first use.
class TestSoundPlayer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void nullPlayerRecordsEveryPath();

    void refusesWhatCannotBePlayed_data();
    void refusesWhatCannotBePlayed();
    void emptyPathSucceeds();
    void withoutServerThereIsNoDevice();
    void timingsWithoutServer();

    void playsOnServerStartedAfterFirstUse();
    void timingsWithServer();
    void newSoundReplacesThePlayingOne();
    void emptyPathStopsTheSound();
    void finishedSoundReleasesItsStream();
    void frozenServerDoesNotBlockTheCaller();
    void serverGoneMeansNoDevice();
    void restartedServerIsUsed();

private:
    QString file(const QString& name) const { return m_dir.filePath(name); }
    bool write(const QString& name, const QByteArray& bytes) const;
    // Plays and checks that the call came back quickly; returns what play() returned.
    QString timedPlay(const QString& path, qint64* micros = nullptr);
    void reportTimings(const char* situation);
    // Why the checks that need the test's sound server cannot run, or "".
    QString missingServer() const;
    // Waits until the recording holds at least `blocks` 20 ms blocks of `frequency`.
    bool heard(double frequency, qsizetype blocks, int timeoutMs = 10000);

    QTemporaryDir m_dir;
    std::unique_ptr<TestSoundServer> m_server;
    std::unique_ptr<QtSoundPlayer> m_player;
    QString m_serverError;
};

// play() runs on the window's thread: even the slowest case must leave it at once.
constexpr qint64 QuickMicros = 50'000;
constexpr double Low = 440, High = 880;

bool TestSoundPlayer::write(const QString& name, const QByteArray& bytes) const {
    QFile out(file(name));
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
}

void TestSoundPlayer::initTestCase() {
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("runtime")));
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("home")));
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("folder.wav")));
    // Everything sound-related of this process and of the daemon stays in the temporary folder;
    // no client may start a daemon of its own.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(file(QStringLiteral("runtime"))));
    qputenv("HOME", QFile::encodeName(file(QStringLiteral("home"))));
    qunsetenv("PULSE_SERVER");
    qunsetenv("PULSE_RUNTIME_PATH");
    QVERIFY(write(QStringLiteral("client.conf"), "autospawn = no\n"));
    qputenv("PULSE_CLIENTCONFIG", QFile::encodeName(file(QStringLiteral("client.conf"))));

    const QByteArray whole = tone::wav(Low, 0.5);
    const QList<std::pair<const char*, QByteArray>> files{
        {"low.wav", whole},
        {"long-low.wav", tone::wav(Low, 10.0)},
        {"high.wav", tone::wav(High, 0.6)},
        {"empty.wav", {}},
        {"text.wav", "This is not a sound.\n"},
        {"truncated.wav", whole.left(whole.size() / 2)},
        {"header-only.wav", whole.left(44)},
        {"float.wav",
         tone::riff(tone::fmtChunk(3, 1, 32) + tone::chunk("data", QByteArray(400, 0)))},
        {"odd-chunk.wav", tone::riff(tone::fmtChunk(1, 1, 16) + tone::chunk("LIST", "INFOabc") +
                                     tone::chunk("data", tone::sine(Low, 0.1)))},
        {"partial-sample.wav",
         tone::riff(tone::fmtChunk(1, 1, 16) + tone::chunk("data", tone::sine(Low, 0.1) + "x"))},
    };
    for (const auto& [name, bytes] : files)
        QVERIFY2(write(QString::fromLatin1(name), bytes), name);

    // 1 GB that takes no disk space: a valid header, then a hole.
    QByteArray hugeHeader = tone::riff(tone::fmtChunk(1, 1, 16)) + "data";
    tone::appendLe32(hugeHeader, quint32((qint64(1) << 30) - hugeHeader.size() - 4));
    QVERIFY(write(QStringLiteral("huge.wav"), hugeHeader));
    QFile huge(file(QStringLiteral("huge.wav")));
    QVERIFY(huge.resize(qint64(1) << 30));

    QVERIFY(::mkfifo(QFile::encodeName(file(QStringLiteral("fifo.wav"))).constData(), 0600) == 0);

    // A system-wide daemon would answer in place of the one this test starts.
    if (QFileInfo::exists(QStringLiteral("/var/run/pulse/native")))
        m_serverError = QStringLiteral("a system-wide sound server runs on this machine");
    m_server = std::make_unique<TestSoundServer>(file(QStringLiteral("runtime")));
    m_player = std::make_unique<QtSoundPlayer>();
}

void TestSoundPlayer::cleanupTestCase() {
    m_player.reset();
    m_server.reset();
}

void TestSoundPlayer::nullPlayerRecordsEveryPath() {
    NullSoundPlayer player;
    QCOMPARE(player.play(QStringLiteral("/a/b.wav")), QString());
    QCOMPARE(player.play(QString()), QString());
    player.setResult(QStringLiteral("No audio output device"));
    QCOMPARE(player.play(QStringLiteral("c.wav")), QStringLiteral("No audio output device"));
    QCOMPARE(player.played(),
             QStringList({QStringLiteral("/a/b.wav"), QString(), QStringLiteral("c.wav")}));
}

QString TestSoundPlayer::timedPlay(const QString& path, qint64* micros) {
    QElapsedTimer timer;
    timer.start();
    const QString result = m_player->play(path);
    const qint64 elapsed = timer.nsecsElapsed() / 1000;
    if (micros)
        *micros = elapsed;
    if (elapsed >= QuickMicros)
        qWarning("play(%s) took %lld us", qPrintable(path), elapsed);
    return elapsed < QuickMicros ? result : QStringLiteral("(too slow)");
}

void TestSoundPlayer::refusesWhatCannotBePlayed_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("error");
    QTest::newRow("missing") << "missing.wav"
                             << "File not found: ";
    QTest::newRow("missing folder") << "nowhere/missing.wav"
                                    << "File not found: ";
    QTest::newRow("folder") << "folder.wav"
                            << "Not a file: ";
    QTest::newRow("fifo") << "fifo.wav"
                          << "Not a file: ";
    QTest::newRow("empty") << "empty.wav"
                           << "Not a WAV file: ";
    QTest::newRow("text") << "text.wav"
                          << "Not a WAV file: ";
    QTest::newRow("truncated") << "truncated.wav"
                               << "Truncated WAV file: ";
    QTest::newRow("header only") << "header-only.wav"
                                 << "Truncated WAV file: ";
    QTest::newRow("partial sample") << "partial-sample.wav"
                                    << "Truncated WAV file: ";
    QTest::newRow("float") << "float.wav"
                           << "Unsupported WAV format: ";
    QTest::newRow("odd chunk") << "odd-chunk.wav"
                               << "Unsupported WAV format: ";
    QTest::newRow("1 GB") << "huge.wav"
                          << "File too large: ";
}

void TestSoundPlayer::refusesWhatCannotBePlayed() {
    QFETCH(QString, name);
    QFETCH(QString, error);
    const QString path = file(name);
    QCOMPARE(timedPlay(path), error + path);
}

void TestSoundPlayer::emptyPathSucceeds() {
    QCOMPARE(timedPlay(QString()), QString());
}

void TestSoundPlayer::withoutServerThereIsNoDevice() {
    if (!m_serverError.isEmpty())
        QSKIP(qPrintable(m_serverError));
    QCOMPARE(timedPlay(file(QStringLiteral("low.wav"))), QStringLiteral("No audio output device"));
}

void TestSoundPlayer::reportTimings(const char* situation) {
    for (const char* name : {"low.wav", "missing.wav", "huge.wav", "truncated.wav"}) {
        qint64 micros = 0;
        const QString result = timedPlay(file(QString::fromLatin1(name)), &micros);
        QVERIFY2(micros < QuickMicros, name);
        qInfo("%s: play(%s) took %lld us -> \"%s\"", situation, name, micros,
              qPrintable(result.left(result.indexOf(u':'))));
    }
}

void TestSoundPlayer::timingsWithoutServer() {
    reportTimings("no server");
}

QString TestSoundPlayer::missingServer() const {
    if (!TestSoundServer::toolsInstalled())
        return QStringLiteral("pulseaudio, parec or pactl is not installed");
    return m_serverError;
}

bool TestSoundPlayer::heard(double frequency, qsizetype blocks, int timeoutMs) {
    return QTest::qWaitFor(
        [&] { return tone::countOf(tone::presence(m_server->recording(), frequency)) >= blocks; },
        timeoutMs);
}

void TestSoundPlayer::playsOnServerStartedAfterFirstUse() {
    if (const QString why = missingServer(); !why.isEmpty())
        QSKIP(qPrintable(why));
    m_serverError = m_server->start();
    if (m_serverError.isEmpty())
        m_serverError = m_server->startRecording();
    QVERIFY2(m_serverError.isEmpty(), qPrintable(m_serverError));

    QCOMPARE(timedPlay(file(QStringLiteral("low.wav"))), QString());
    // 0.5 s of tone is 25 blocks; some may fall outside the recording.
    QVERIFY2(heard(Low, 10), "the tone never reached the sink");
}

void TestSoundPlayer::timingsWithServer() {
    if (const QString why = missingServer(); !why.isEmpty())
        QSKIP(qPrintable(why));
    reportTimings("server");
}

void TestSoundPlayer::newSoundReplacesThePlayingOne() {
    if (const QString why = missingServer(); !why.isEmpty())
        QSKIP(qPrintable(why));
    m_server->clearRecording();
    QCOMPARE(m_player->play(file(QStringLiteral("long-low.wav"))), QString());
    QVERIFY2(heard(Low, 5), "the first sound never started");
    QCOMPARE(m_player->play(file(QStringLiteral("high.wav"))), QString());
    QVERIFY2(heard(High, 20), "the second sound never started");

    // Had the first sound gone on, it would sound together with the second all along.
    const QList<bool> low = tone::presence(m_server->recording(), Low);
    const QList<bool> high = tone::presence(m_server->recording(), High);
    qsizetype together = 0;
    for (qsizetype i = 0; i < high.size(); ++i)
        together += high[i] && low[i];
    QVERIFY2(together <= 2, qPrintable(QStringLiteral("%1 blocks mixed").arg(together)));
}

void TestSoundPlayer::emptyPathStopsTheSound() {
    if (const QString why = missingServer(); !why.isEmpty())
        QSKIP(qPrintable(why));
    m_server->clearRecording();
    QCOMPARE(m_player->play(file(QStringLiteral("long-low.wav"))), QString());
    QVERIFY2(heard(Low, 5), "the sound never started");
    QTRY_COMPARE_WITH_TIMEOUT(m_server->playingStreams(), 1, 3000);
    QCOMPARE(timedPlay(QString()), QString());
    QTRY_COMPARE_WITH_TIMEOUT(m_server->playingStreams(), 0, 3000);
}

void TestSoundPlayer::finishedSoundReleasesItsStream() {
    if (const QString why = missingServer(); !why.isEmpty())
        QSKIP(qPrintable(why));
    m_server->clearRecording();
    QCOMPARE(m_player->play(file(QStringLiteral("low.wav"))), QString());
    QVERIFY2(heard(Low, 10), "the sound never started");
    QTRY_COMPARE_WITH_TIMEOUT(m_server->playingStreams(), 0, 5000);
}

void TestSoundPlayer::frozenServerDoesNotBlockTheCaller() {
    if (const QString why = missingServer(); !why.isEmpty())
        QSKIP(qPrintable(why));
    m_server->clearRecording();
    m_server->freeze();
    // The first start leaves the sound thread waiting on the frozen server, the second finds
    // it busy; neither may hold up the caller, nor may the caller's event loop stall later.
    qint64 first = 0, second = 0;
    const QString firstResult = timedPlay(file(QStringLiteral("long-low.wav")), &first);
    const QString secondResult = timedPlay(file(QStringLiteral("low.wav")), &second);

    QElapsedTimer window, sinceTick;
    window.start();
    sinceTick.start();
    qint64 longestGap = 0;
    QTimer ticker;
    ticker.setInterval(10);
    connect(&ticker, &QTimer::timeout,
            [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
    ticker.start();
    QVERIFY(QTest::qWaitFor([&] { return window.elapsed() >= 500; }, 10000));
    ticker.stop();
    m_server->thaw();

    qInfo("frozen server: play() took %lld us, then %lld us; event loop gap at most %lld ms", first,
          second, longestGap);
    QCOMPARE(firstResult, QString());
    QCOMPARE(secondResult, QString());
    QVERIFY2(longestGap < 200, "the event loop stalled");
    QVERIFY2(heard(Low, 10), "the sound never played after the server woke up");
}

void TestSoundPlayer::serverGoneMeansNoDevice() {
    if (const QString why = missingServer(); !why.isEmpty())
        QSKIP(qPrintable(why));
    m_server->stop();
    QCOMPARE(timedPlay(file(QStringLiteral("low.wav"))), QStringLiteral("No audio output device"));
}

void TestSoundPlayer::restartedServerIsUsed() {
    if (const QString why = missingServer(); !why.isEmpty())
        QSKIP(qPrintable(why));
    m_serverError = m_server->start();
    if (m_serverError.isEmpty())
        m_serverError = m_server->startRecording();
    QVERIFY2(m_serverError.isEmpty(), qPrintable(m_serverError));
    // Right after the restart Qt still holds its broken connection; one start must be enough.
    QElapsedTimer since;
    since.start();
    QCOMPARE(timedPlay(file(QStringLiteral("low.wav"))), QString());
    QVERIFY2(heard(Low, 10), "the tone never reached the restarted server");
    qInfo("restarted server: tone heard %lld ms after the start", since.elapsed());
}

QTEST_GUILESS_MAIN(TestSoundPlayer)
#include "tst_soundplayer.moc"

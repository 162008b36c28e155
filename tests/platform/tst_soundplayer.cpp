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

using namespace Qt::StringLiterals;

// The functions run in the order written: first without any sound server, then (those named
// "server...") with one the test starts itself, so the same player meets a server that appeared
// after its first use.
class TestSoundPlayer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void answersAtOnce_data();
    void answersAtOnce();

    void serverStartedAfterFirstUseIsUsed();
    void serverGetsOneSoundAtATime();
    void serverStreamStopsOnAnEmptyPath();
    void serverFrozenDoesNotBlockTheCaller();
    void serverGoneMeansNoDeviceUntilItIsBack();

private:
    QString file(const QString& name) const { return m_dir.filePath(name); }
    // Plays and checks that the call came back quickly; returns what play() returned.
    QString timedPlay(const QString& path, qint64* micros = nullptr);
    // Waits until the recording holds at least `blocks` 20 ms blocks of `frequency`.
    bool heard(double frequency, qsizetype blocks);

    QTemporaryDir m_dir;
    std::unique_ptr<TestSoundServer> m_server;
    std::unique_ptr<QtSoundPlayer> m_player;
    QString m_serverError;
};

// play() runs on the window's thread: even the slowest case must leave it at once.
constexpr qint64 QuickMicros = 50'000;
constexpr double Low = 440, High = 880;

void TestSoundPlayer::initTestCase() {
    QVERIFY(m_dir.isValid());
    for (const QString& folder : {u"runtime"_s, u"home"_s})
        QVERIFY(QDir(m_dir.path()).mkpath(folder));
    // Everything sound-related of this process and of the daemon stays in the temporary folder;
    // no client may start a daemon of its own.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(file(u"runtime"_s)));
    qputenv("HOME", QFile::encodeName(file(u"home"_s)));
    qunsetenv("PULSE_SERVER");
    qunsetenv("PULSE_RUNTIME_PATH");
    qputenv("PULSE_CLIENTCONFIG",
            QFile::encodeName(tone::writeFile(file(u"client.conf"_s), "autospawn = no\n")));
    tone::writeFile(file(u"low.wav"_s), tone::wav(Low, 0.5));
    tone::writeFile(file(u"long-low.wav"_s), tone::wav(Low, 10.0));
    tone::writeFile(file(u"high.wav"_s), tone::wav(High, 0.6));

    // A system-wide daemon would answer in place of the one this test starts.
    if (QFileInfo::exists(u"/var/run/pulse/native"_s))
        m_serverError = u"a system-wide sound server runs on this machine"_s;
    m_server = std::make_unique<TestSoundServer>(file(u"runtime"_s));
    m_player = std::make_unique<QtSoundPlayer>();
}

void TestSoundPlayer::init() {
    if (!QByteArray(QTest::currentTestFunction()).startsWith("server"))
        return;
    if (!TestSoundServer::toolsInstalled())
        QSKIP("pulseaudio, parec or pactl is not installed");
    if (!m_serverError.isEmpty())
        QSKIP(qPrintable(m_serverError));
    m_server->clearRecording();
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
    return elapsed < QuickMicros ? result : u"(too slow)"_s;
}

bool TestSoundPlayer::heard(double frequency, qsizetype blocks) {
    return QTest::qWaitFor(
        [&] { return tone::presence(m_server->recording(), frequency).count(true) >= blocks; },
        10000);
}

void TestSoundPlayer::answersAtOnce_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("answer");
    for (const tone::Unplayable& sound : tone::unplayable(m_dir.path()))
        QTest::newRow(sound.kind) << sound.path << sound.answer + sound.path;
    QTest::newRow("empty path") << QString() << QString();
    if (m_serverError.isEmpty()) // no server yet, nor a system-wide one
        QTest::newRow("valid") << file(u"low.wav"_s) << u"No audio output device"_s;
}

void TestSoundPlayer::answersAtOnce() {
    QFETCH(QString, path);
    QFETCH(QString, answer);
    QCOMPARE(timedPlay(path), answer);
}

void TestSoundPlayer::serverStartedAfterFirstUseIsUsed() {
    m_serverError = m_server->start();
    QVERIFY2(m_serverError.isEmpty(), qPrintable(m_serverError));
    QCOMPARE(timedPlay(file(u"low.wav"_s)), QString());
    // 0.5 s of tone is 25 blocks; some may fall outside the recording.
    QVERIFY2(heard(Low, 10), "the tone never reached the sink");
    QTRY_COMPARE_WITH_TIMEOUT(m_server->playingStreams(), 0, 5000); // ended with the sound
    // Refusing a file stays as quick with a server to talk to.
    for (const QString& name : {u"missing.wav"_s, u"huge.wav"_s, u"truncated.wav"_s})
        QVERIFY2(timedPlay(file(name)).endsWith(u": "_s + file(name)), qPrintable(name));
}

void TestSoundPlayer::serverGetsOneSoundAtATime() {
    QCOMPARE(m_player->play(file(u"long-low.wav"_s)), QString());
    QVERIFY2(heard(Low, 5), "the first sound never started");
    QCOMPARE(m_player->play(file(u"high.wav"_s)), QString());
    QVERIFY2(heard(High, 20), "the second sound never started");

    // Had the first sound gone on, it would sound together with the second all along.
    const QList<bool> low = tone::presence(m_server->recording(), Low);
    const QList<bool> high = tone::presence(m_server->recording(), High);
    qsizetype together = 0;
    for (qsizetype i = 0; i < high.size(); ++i)
        together += high[i] && low[i];
    QVERIFY2(together <= 2, qPrintable(u"%1 blocks mixed"_s.arg(together)));
}

void TestSoundPlayer::serverStreamStopsOnAnEmptyPath() {
    QCOMPARE(m_player->play(file(u"long-low.wav"_s)), QString());
    QVERIFY2(heard(Low, 5), "the sound never started");
    QTRY_COMPARE_WITH_TIMEOUT(m_server->playingStreams(), 1, 3000);
    QCOMPARE(timedPlay(QString()), QString());
    QTRY_COMPARE_WITH_TIMEOUT(m_server->playingStreams(), 0, 3000);
}

void TestSoundPlayer::serverFrozenDoesNotBlockTheCaller() {
    m_server->freeze();
    // The first start leaves the sound thread waiting on the frozen server, the second finds
    // it busy; neither may hold up the caller, nor may the caller's event loop stall later.
    qint64 first = 0, second = 0;
    const QString firstResult = timedPlay(file(u"long-low.wav"_s), &first);
    const QString secondResult = timedPlay(file(u"low.wav"_s), &second);

    QElapsedTimer window, sinceTick;
    window.start();
    sinceTick.start();
    qint64 longestGap = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout,
            [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
    ticker.start(10);
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

void TestSoundPlayer::serverGoneMeansNoDeviceUntilItIsBack() {
    m_server->stop();
    QCOMPARE(timedPlay(file(u"low.wav"_s)), u"No audio output device"_s);
    m_serverError = m_server->start();
    QVERIFY2(m_serverError.isEmpty(), qPrintable(m_serverError));
    // Right after the restart Qt still holds its broken connection; one start must be enough.
    QElapsedTimer since;
    since.start();
    QCOMPARE(timedPlay(file(u"low.wav"_s)), QString());
    QVERIFY2(heard(Low, 10), "the tone never reached the restarted server");
    qInfo("restarted server: tone heard %lld ms after the start", since.elapsed());
}

QTEST_GUILESS_MAIN(TestSoundPlayer)
#include "tst_soundplayer.moc"

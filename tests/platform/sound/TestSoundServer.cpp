#include "TestSoundServer.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QTest>

#include <csignal>
#include <utility>

TestSoundServer::TestSoundServer(QString runtimeDir) : m_runtimeDir(std::move(runtimeDir)) {
    QObject::connect(&m_recorder, &QProcess::readyReadStandardOutput,
                     [this] { m_recording += m_recorder.readAllStandardOutput(); });
}

TestSoundServer::~TestSoundServer() {
    stop();
}

bool TestSoundServer::toolsInstalled() {
    for (const char* tool : {"pulseaudio", "parec", "pactl"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            return false;
    return true;
}

QString TestSoundServer::start() {
    m_daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_daemon.setStandardOutputFile(QProcess::nullDevice());
    // -n: none of the configured modules, only the sink and the local socket below. As root
    // the daemon warns that it wants --system, and runs anyway.
    m_daemon.start(QStringLiteral("pulseaudio"),
                   {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                    QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--disallow-exit"),
                    QStringLiteral("--log-level=error"),
                    QStringLiteral("--load=module-null-sink sink_name=%1").arg(SinkName),
                    QStringLiteral("--load=module-native-protocol-unix auth-anonymous=1")});
    if (!m_daemon.waitForStarted(5000))
        return QStringLiteral("pulseaudio did not start: ") + m_daemon.errorString();
    const QString socket = m_runtimeDir + QStringLiteral("/pulse/native");
    const bool listening = QTest::qWaitFor(
        [&] {
            return m_daemon.state() != QProcess::Running ||
                   (QFileInfo::exists(socket) && playingStreams() >= 0);
        },
        10000);
    if (m_daemon.state() != QProcess::Running)
        return QStringLiteral("pulseaudio ended at once");
    return listening ? QString() : QStringLiteral("pulseaudio does not accept clients");
}

QString TestSoundServer::startRecording() {
    m_recording.clear();
    m_recorder.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_recorder.start(QStringLiteral("parec"),
                     {QStringLiteral("--device=%1.monitor").arg(SinkName), QStringLiteral("--raw"),
                      QStringLiteral("--format=s16le"), QStringLiteral("--rate=44100"),
                      QStringLiteral("--channels=1"), QStringLiteral("--latency-msec=20")});
    if (!m_recorder.waitForStarted(5000))
        return QStringLiteral("parec did not start: ") + m_recorder.errorString();
    // The idle sink still delivers a little silence at first: proof that recording runs.
    if (!QTest::qWaitFor([&] { return !m_recording.isEmpty(); }, 10000))
        return QStringLiteral("parec records nothing");
    return {};
}

void TestSoundServer::freeze(int limitMs) {
    const pid_t pid = pid_t(m_daemon.processId());
    if (m_frozen || pid <= 0 || ::kill(pid, SIGSTOP) != 0)
        return;
    m_frozen = true;
    m_guard = std::thread([this, pid, limitMs] {
        std::unique_lock lock(m_guardMutex);
        if (!m_guardWake.wait_for(lock, std::chrono::milliseconds(limitMs),
                                  [this] { return !m_frozen; }))
            ::kill(pid, SIGCONT);
    });
}

void TestSoundServer::thaw() {
    if (!m_frozen)
        return;
    {
        const std::lock_guard lock(m_guardMutex);
        m_frozen = false;
    }
    m_guardWake.notify_all();
    m_guard.join();
    ::kill(pid_t(m_daemon.processId()), SIGCONT);
}

int TestSoundServer::playingStreams() const {
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"),
                {QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sink-inputs")});
    if (!pactl.waitForFinished(5000) || pactl.exitStatus() != QProcess::NormalExit ||
        pactl.exitCode() != 0)
        return -1;
    return int(pactl.readAllStandardOutput().count('\n'));
}

void TestSoundServer::end(QProcess& process) {
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate(); // SIGTERM to its process id
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

void TestSoundServer::stop() {
    thaw();
    end(m_recorder);
    end(m_daemon);
}

#include "TestSoundServer.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QTest>

#include <csignal>
#include <utility>

using namespace Qt::StringLiterals;

TestSoundServer::TestSoundServer(QString runtimeDir) : m_runtimeDir(std::move(runtimeDir)) {
    QObject::connect(&m_recorder, &QProcess::readyReadStandardOutput,
                     [this] { m_recording += m_recorder.readAllStandardOutput(); });
}

TestSoundServer::~TestSoundServer() {
    stop();
}

bool TestSoundServer::toolsInstalled() {
    for (const QString& tool : {u"pulseaudio"_s, u"parec"_s, u"pactl"_s})
        if (QStandardPaths::findExecutable(tool).isEmpty())
            return false;
    return true;
}

QString TestSoundServer::start() {
    m_daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_daemon.setStandardOutputFile(QProcess::nullDevice());
    // -n: none of the configured modules, only the sink and the local socket below. As root
    // the daemon warns that it wants --system, and runs anyway.
    m_daemon.start(u"pulseaudio"_s,
                   {u"-n"_s, u"--daemonize=no"_s, u"--exit-idle-time=-1"_s, u"--disallow-exit"_s,
                    u"--log-level=error"_s, u"--load=module-null-sink sink_name=%1"_s.arg(SinkName),
                    u"--load=module-native-protocol-unix auth-anonymous=1"_s});
    if (!m_daemon.waitForStarted(5000))
        return u"pulseaudio did not start: "_s + m_daemon.errorString();
    const QString socket = m_runtimeDir + u"/pulse/native"_s;
    const bool listening = QTest::qWaitFor(
        [&] {
            return m_daemon.state() != QProcess::Running ||
                   (QFileInfo::exists(socket) && playingStreams() >= 0);
        },
        10000);
    if (m_daemon.state() != QProcess::Running)
        return u"pulseaudio ended at once"_s;
    return listening ? startRecording() : u"pulseaudio does not accept clients"_s;
}

QString TestSoundServer::startRecording() {
    m_recording.clear();
    m_recorder.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_recorder.start(u"parec"_s,
                     {u"--device=%1.monitor"_s.arg(SinkName), u"--raw"_s, u"--format=s16le"_s,
                      u"--rate=44100"_s, u"--channels=1"_s, u"--latency-msec=20"_s});
    if (!m_recorder.waitForStarted(5000))
        return u"parec did not start: "_s + m_recorder.errorString();
    // The idle sink still delivers a little silence at first: proof that recording runs.
    if (!QTest::qWaitFor([&] { return !m_recording.isEmpty(); }, 10000))
        return u"parec records nothing"_s;
    return {};
}

void TestSoundServer::freeze(int limitMs) {
    const pid_t pid = pid_t(m_daemon.processId());
    if (m_guard.joinable() || pid <= 0 || ::kill(pid, SIGSTOP) != 0)
        return;
    m_guard = std::jthread([pid, limitMs](const std::stop_token& thawed) {
        for (int ms = 0; ms < limitMs && !thawed.stop_requested(); ms += 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ::kill(pid, SIGCONT);
    });
}

void TestSoundServer::thaw() {
    m_guard = {}; // stops the guard early, which then thaws the daemon
}

int TestSoundServer::playingStreams() const {
    QProcess pactl;
    pactl.start(u"pactl"_s, {u"list"_s, u"short"_s, u"sink-inputs"_s});
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

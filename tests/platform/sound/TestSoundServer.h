#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>

#include <condition_variable>
#include <mutex>
#include <thread>

// A private PulseAudio daemon with one null sink, run by the test itself, and a recorder on
// that sink's monitor. The daemon lives in `runtimeDir`; the test process must point
// XDG_RUNTIME_DIR there as well, so that its own sound client finds the daemon.
class TestSoundServer {
public:
    static constexpr const char* SinkName = "meridex_test";

    explicit TestSoundServer(QString runtimeDir);
    ~TestSoundServer();
    TestSoundServer(const TestSoundServer&) = delete;
    TestSoundServer& operator=(const TestSoundServer&) = delete;

    // Whether pulseaudio, parec and pactl can be found.
    static bool toolsInstalled();

    // Starts the daemon and waits until it accepts clients; "" or what went wrong.
    QString start();
    // Stops the recorder and the daemon, each by its own process id.
    void stop();

    // Starts recording the sink (44.1 kHz mono 16-bit) and waits for its first bytes.
    QString startRecording();
    const QByteArray& recording() const { return m_recording; }
    void clearRecording() { m_recording.clear(); }

    // Freezes and thaws the daemon (SIGSTOP / SIGCONT), as a hung sound server would be. A
    // guard thaws it after `limitMs` in any case, so a test that hangs on it fails instead.
    void freeze(int limitMs = 5000);
    void thaw();

    // Number of streams playing into the daemon right now, or -1 when it cannot be told.
    int playingStreams() const;

private:
    static void end(QProcess& process);

    QString m_runtimeDir;
    QProcess m_daemon;
    QProcess m_recorder;
    QByteArray m_recording;
    bool m_frozen = false;
    std::mutex m_guardMutex;
    std::condition_variable m_guardWake;
    std::thread m_guard;
};

#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>

#include <thread>

// A private PulseAudio daemon with one null sink, and a recorder on that sink's monitor. It lives
// in `runtimeDir`, where the test process must point XDG_RUNTIME_DIR for its client to find it.
class TestSoundServer {
public:
    static constexpr const char* SinkName = "meridex_test";

    explicit TestSoundServer(QString runtimeDir);
    ~TestSoundServer();

    static bool toolsInstalled(); // pulseaudio, parec and pactl

    // Starts the daemon, waits until it accepts clients, then records its sink (44.1 kHz mono
    // 16-bit) from the first bytes on; "" or what went wrong.
    QString start();
    // Stops the recorder and the daemon, each by its own process id.
    void stop();

    const QByteArray& recording() const { return m_recording; }
    void clearRecording() { m_recording.clear(); }

    // Freezes the daemon (SIGSTOP) as a hung sound server, until thawed or for `limitMs` at most,
    // so that a test that hangs on it fails instead.
    void freeze(int limitMs = 5000);
    void thaw();

    // Number of streams playing into the daemon right now, or -1 when it cannot be told.
    int playingStreams() const;

private:
    QString startRecording();
    static void end(QProcess& process);

    QString m_runtimeDir;
    QProcess m_daemon;
    QProcess m_recorder;
    QByteArray m_recording;
    std::jthread m_guard; // thaws the daemon in the end, whatever happens to the test
};

// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtSoundPlayer.h"

#include "BuiltInTone.h"
#include "SoundFile.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QBuffer>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMutex>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Closes the descriptor it holds, so every early return below stays leak-free.
class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// --- The sound server ----------------------------------------------------------------------

// Qt 6.4 connects to the sound server once, when Qt Multimedia is first used, and never tries
// again when that first attempt fails at once, as it does when nobody listens: the process
// would stay mute even after a server starts. So nothing of Qt Multimedia is touched until a
// server answers where libpulse would look for one (PipeWire's pulse server listens there too).

bool unixSocketAnswers(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    if (name.isEmpty() || size_t(name.size()) >= sizeof address.sun_path)
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const Fd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (fd.get() < 0)
        return false;
    if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return true;
    // A full backlog means a server that is slow, not absent; the sound thread may wait.
    return errno == EAGAIN || errno == EINPROGRESS;
}

QString configHome() {
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    return xdg.isEmpty() ? QDir::homePath() + QStringLiteral("/.config") : xdg;
}

// "default-server" of client.conf, looked up in the one file libpulse reads and its ".d" folder.
QString configuredServer() {
    QString file = qEnvironmentVariable("PULSE_CLIENTCONFIG");
    if (file.isEmpty()) {
        for (const QString& candidate : {configHome() + QStringLiteral("/pulse/client.conf"),
                                         QDir::homePath() + QStringLiteral("/.pulse/client.conf"),
                                         QStringLiteral("/etc/pulse/client.conf")}) {
            if (QFileInfo::exists(candidate)) {
                file = candidate;
                break;
            }
        }
    }
    if (file.isEmpty())
        return {};
    QStringList files{file};
    const QDir extra(file + QStringLiteral(".d"));
    for (const QString& name : extra.entryList({QStringLiteral("*.conf")}, QDir::Files, QDir::Name))
        files << extra.filePath(name);

    QString server;
    for (const QString& name : std::as_const(files)) {
        QFile conf(name);
        if (conf.size() > 64 * 1024 || !conf.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        while (!conf.atEnd()) {
            const QString line = QString::fromUtf8(conf.readLine()).trimmed();
            const qsizetype equals = line.indexOf(u'=');
            if (equals > 0 && line.left(equals).trimmed() == QStringLiteral("default-server"))
                server = line.mid(equals + 1).trimmed();
        }
    }
    return server;
}

QStringList defaultSockets() {
    QString runtime = qEnvironmentVariable("PULSE_RUNTIME_PATH");
    if (runtime.isEmpty()) {
        const QString xdg = qEnvironmentVariable("XDG_RUNTIME_DIR");
        if (!xdg.isEmpty()) {
            runtime = xdg + QStringLiteral("/pulse");
        } else {
            QFile id(QStringLiteral("/etc/machine-id"));
            if (id.open(QIODevice::ReadOnly))
                runtime = configHome() + QStringLiteral("/pulse/") +
                          QString::fromLatin1(id.readLine().trimmed()) + QStringLiteral("-runtime");
        }
    }
    QStringList sockets;
    if (!runtime.isEmpty())
        sockets << runtime + QStringLiteral("/native");
    sockets << QStringLiteral("/var/run/pulse/native");
    return sockets;
}

bool soundServerReachable() {
    QString servers = qEnvironmentVariable("PULSE_SERVER");
    if (servers.isEmpty())
        servers = configuredServer();
    if (servers.isEmpty()) {
        const QStringList sockets = defaultSockets();
        return std::any_of(sockets.cbegin(), sockets.cend(), unixSocketAnswers);
    }

    for (QString server : servers.simplified().split(u' ', Qt::SkipEmptyParts)) {
        if (server.startsWith(u'{'))
            server = server.mid(server.indexOf(u'}') + 1); // machine id: not checked here
        if (server.startsWith(QStringLiteral("unix:")))
            server = server.mid(5);
        // A network server cannot be tried without waiting; Qt is left to try it.
        if (!server.startsWith(u'/') || unixSocketAnswers(server))
            return true;
    }
    return false;
}

// --- The sound thread ----------------------------------------------------------------------

// Qt Multimedia keeps its server connection for the whole process, tied to the thread that
// used it first, and it reconnects after a server restart through that
// thread's event loop. So all players share one thread that lasts as long as the application.
QThread* g_soundThread = nullptr;

void stopSoundThread() {
    QThread* thread = std::exchange(g_soundThread, nullptr);
    thread->quit();
    // A stalled sound server can hold the thread inside Qt for good; letting it go lets the
    // process end instead of hanging on exit.
    if (thread->wait(QDeadlineTimer(2000)))
        delete thread;
}

QThread* soundThread() {
    if (!g_soundThread) {
        g_soundThread = new QThread;
        g_soundThread->setObjectName(QStringLiteral("Sound"));
        g_soundThread->start();
        qAddPostRoutine(stopSoundThread);
    }
    return g_soundThread;
}

} // namespace

// --- Playback: the part on the sound thread -------------------------------------------------

class QtSoundPlayer::Playback : public QObject {
public:
    enum class Outputs { Unknown, Available, None };
    struct Request {
        std::unique_ptr<SoundFile> file; // opened; neither file nor tone: only stop
        bool tone = false;
    };

    Playback() {
        m_retry.setSingleShot(true);
        m_retry.setInterval(500);
        connect(&m_retry, &QTimer::timeout, this, &Playback::attempt);
        m_ending.setSingleShot(true);
        connect(&m_ending, &QTimer::timeout, this, [this] {
            drop();
            m_pcm = {};
        });
    }

    // Any thread. Only the latest request counts: when the sound thread was held up, the
    // starts that queued up meanwhile are skipped, as each would replace the one before.
    void request(Request request, bool serverSeen) {
        {
            const QMutexLocker lock(&m_mutex);
            m_pending = std::move(request);
        }
        if (serverSeen)
            m_serverSeen = true;
        QMetaObject::invokeMethod(this, &Playback::serve, Qt::QueuedConnection);
    }

    Outputs outputs() const { return m_outputs; }

private:
    bool newerRequest() {
        const QMutexLocker lock(&m_mutex);
        return m_pending.has_value();
    }

    void serve() {
        std::optional<Request> request;
        {
            const QMutexLocker lock(&m_mutex);
            request.swap(m_pending);
        }
        if (!request)
            return;
        drop();
        m_pcm = {};
        if (!m_serverSeen)
            return;
        refreshOutputs();
        if ((!request->file && !request->tone) || m_outputs != Outputs::Available)
            return;
        Pcm pcm = request->file ? request->file->decode(outputRate(request->file->rate(),
                                                                   request->file->outputChannels()))
                                : alarmTone(outputRate(0, 1));
        // A start that came in while decoding replaces this one before it is heard.
        if (pcm.samples.isEmpty() || newerRequest())
            return;
        m_pcm = std::move(pcm);
        m_attempts = 0;
        attempt();
    }

    void refreshOutputs() {
        if (!m_devices) {
            // The first use of Qt Multimedia connects to the server; this may wait a while.
            m_devices = std::make_unique<QMediaDevices>();
            connect(m_devices.get(), &QMediaDevices::audioOutputsChanged, this,
                    &Playback::refreshOutputs);
        }
        m_outputs = QMediaDevices::audioOutputs().isEmpty() ? Outputs::None : Outputs::Available;
    }

    // The file's own rate when the output takes it (the sound server converts it), otherwise
    // the output's: Qt 6.4 divides by zero at rates far below 8 kHz.
    static int outputRate(int rate, int channels) {
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        QAudioFormat format;
        format.setSampleFormat(QAudioFormat::Int16);
        format.setChannelCount(channels);
        format.setSampleRate(rate);
        if (rate >= 8000 && rate <= 192000 && device.isFormatSupported(format))
            return rate;
        const int preferred = device.preferredFormat().sampleRate();
        return preferred >= 8000 && preferred <= 192000 ? preferred : 48000;
    }

    qint64 lengthMs() const {
        return qint64(m_pcm.samples.size()) * 1000 / (2 * m_pcm.channels * m_pcm.rate);
    }

    void attempt() {
        ++m_attempts;
        QAudioFormat format;
        format.setSampleFormat(QAudioFormat::Int16);
        format.setChannelCount(m_pcm.channels);
        format.setSampleRate(m_pcm.rate);
        // A fresh sink each time, on the output that is the default now.
        m_sink = std::make_unique<QAudioSink>(QMediaDevices::defaultAudioOutput(), format);
        QAudioSink* sink = m_sink.get();
        connect(sink, &QAudioSink::stateChanged, this, [this, sink](QAudio::State state) {
            if (sink != m_sink.get())
                return;
            if (state == QAudio::IdleState) {
                // Every sample is handed over; the server still plays the last of them.
                m_ending.start(int(std::max<qint64>(lengthMs() - m_sinceStart.elapsed(), 0)) + 500);
            } else if (state == QAudio::StoppedState && sink->error() != QAudio::NoError) {
                // Within about three seconds of a sound server restart Qt 6.4 still holds its
                // old connection, and a start fails at once. It is tried again until Qt has
                // reconnected.
                drop();
                if (m_attempts < MaxAttempts)
                    m_retry.start();
            }
        });
        m_buffer.close();
        m_buffer.setData(m_pcm.samples);
        m_buffer.open(QIODevice::ReadOnly);
        m_sinceStart.start();
        sink->start(&m_buffer);
    }

    // Stops the sound playing; its samples stay for another attempt.
    void drop() {
        m_retry.stop();
        m_ending.stop();
        if (QAudioSink* sink = m_sink.release()) {
            sink->stop();
            // This may run inside one of the sink's own signals.
            sink->deleteLater();
        }
        m_buffer.close();
        m_buffer.setData(QByteArray());
    }

    static constexpr int MaxAttempts = 12; // 500 ms apart: Qt reconnects every 3 s

    QMutex m_mutex;
    std::optional<Request> m_pending; // guarded by m_mutex
    std::atomic<bool> m_serverSeen = false;
    std::atomic<Outputs> m_outputs = Outputs::Unknown;

    // Sound thread only.
    QTimer m_retry{this};
    QTimer m_ending{this};
    std::unique_ptr<QMediaDevices> m_devices;
    std::unique_ptr<QAudioSink> m_sink;
    QBuffer m_buffer{this};
    Pcm m_pcm;
    int m_attempts = 0;
    QElapsedTimer m_sinceStart;
};

// --- QtSoundPlayer ---------------------------------------------------------------------------

QtSoundPlayer::QtSoundPlayer() : m_playback(new Playback) {
    m_playback->moveToThread(soundThread());
}

QtSoundPlayer::~QtSoundPlayer() {
    // Deleting it on its own thread also stops and releases the sound playing.
    m_playback->deleteLater();
}

QString QtSoundPlayer::play(const QString& path) {
    // Every call replaces the sound playing, also one that fails, and one with no path at all.
    if (path.isEmpty()) {
        m_playback->request({}, false);
        return {};
    }
    Playback::Request request;
    if (path == BuiltInAlarmTone) {
        request.tone = true;
    } else {
        request.file = std::make_unique<SoundFile>();
        if (const QString error = request.file->open(path); !error.isEmpty()) {
            m_playback->request({}, false);
            return error;
        }
    }
    const bool reachable = soundServerReachable();
    if (!reachable || m_playback->outputs() == Playback::Outputs::None) {
        // The sound thread still looks at the outputs again, so a device that appears later
        // is found by the next start.
        m_playback->request({}, reachable);
        return QStringLiteral("No audio output device");
    }
    m_playback->request(std::move(request), true);
    return {};
}

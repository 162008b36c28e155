#include "QtSoundPlayer.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMutex>
#include <QSoundEffect>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QtEndian>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
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

bool readAt(int fd, qint64 offset, char* buffer, qint64 length) {
    while (length > 0) {
        const ssize_t got = ::pread(fd, buffer, size_t(length), off_t(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        buffer += got;
        offset += got;
        length -= got;
    }
    return true;
}

// --- The file ------------------------------------------------------------------------------

// Qt 6.4 never finishes loading some files that a player should either play or refuse: a
// data chunk running past the end of the file, a chunk of odd length before the samples (it
// ignores the pad byte) and a data size that is not a whole number of samples all leave the
// sound "Loading" for good, and the stuck load stays in Qt's sample cache until the process
// ends. So the headers are walked here, and only what Qt can load to the end is handed over.
// On success the sound's length in milliseconds goes to `lengthMs`.
QString checkWavFile(const QString& path, qint64& lengthMs) {
    // Non-blocking, so that a FIFO put in the file's place cannot hang the window.
    const Fd fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return QStringLiteral("File not found: %1").arg(path);
        return QStringLiteral("Cannot read file: %1").arg(path);
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return QStringLiteral("Cannot read file: %1").arg(path);
    if (!S_ISREG(info.st_mode))
        return QStringLiteral("Not a file: %1").arg(path);
    const qint64 fileSize = info.st_size;
    if (fileSize > QtSoundPlayer::MaxFileSize)
        return QStringLiteral("File too large: %1").arg(path);

    const QString notWav = QStringLiteral("Not a WAV file: %1").arg(path);
    const QString truncated = QStringLiteral("Truncated WAV file: %1").arg(path);
    const QString unsupported = QStringLiteral("Unsupported WAV format: %1").arg(path);

    char riff[12];
    if (!readAt(fd.get(), 0, riff, sizeof riff) || std::memcmp(riff, "RIFF", 4) != 0 ||
        std::memcmp(riff + 8, "WAVE", 4) != 0)
        return notWav;

    int bytesPerSample = 0;
    qint64 bytesPerSecond = 0;
    qint64 offset = sizeof riff;
    for (int chunks = 0; chunks < 64; ++chunks) {
        char header[8];
        if (!readAt(fd.get(), offset, header, sizeof header))
            return bytesPerSample == 0 ? notWav : truncated;
        const qint64 size = qFromLittleEndian<quint32>(header + 4);
        const qint64 body = offset + qint64(sizeof header);

        if (std::memcmp(header, "data", 4) == 0) {
            if (bytesPerSample == 0)
                return notWav; // samples before their format
            if (body + size > fileSize)
                return truncated;
            if (size % bytesPerSample != 0)
                return truncated;
            lengthMs = size * 1000 / bytesPerSecond;
            return {};
        }
        if (size % 2 != 0)
            return unsupported;
        if (std::memcmp(header, "fmt ", 4) == 0) {
            uchar format[16];
            if (size < qint64(sizeof format))
                return notWav;
            if (!readAt(fd.get(), body, reinterpret_cast<char*>(format), sizeof format))
                return truncated;
            const auto tag = qFromLittleEndian<quint16>(format);
            const auto channels = qFromLittleEndian<quint16>(format + 2);
            const auto rate = qFromLittleEndian<quint32>(format + 4);
            const auto bits = qFromLittleEndian<quint16>(format + 14);
            // Plain integer PCM only: Qt 6.4 refuses float, A-law, mu-law and the
            // extensible header.
            if (tag != 1 || channels == 0 || rate == 0 ||
                (bits != 8 && bits != 16 && bits != 24 && bits != 32))
                return unsupported;
            bytesPerSample = bits / 8;
            bytesPerSecond = qint64(rate) * channels * bytesPerSample;
        }
        offset = body + size;
        if (offset > fileSize)
            return truncated;
    }
    return notWav;
}

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

// Qt Multimedia keeps its server connection and its sample cache for the whole process, tied
// to the thread that used them first, and it reconnects after a server restart through that
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
        QString path; // absolute; empty: only stop
        qint64 lengthMs = 0;
    };

    Playback() {
        // A load that never ends is abandoned; the next start would replace it anyway.
        m_loadDeadline.setSingleShot(true);
        m_loadDeadline.setInterval(60'000);
        connect(&m_loadDeadline, &QTimer::timeout, this, &Playback::drop);
        m_retry.setSingleShot(true);
        m_retry.setInterval(500);
        connect(&m_retry, &QTimer::timeout, this, &Playback::attempt);
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
    void serve() {
        std::optional<Request> request;
        {
            const QMutexLocker lock(&m_mutex);
            request.swap(m_pending);
        }
        if (!request)
            return;
        drop();
        if (!m_serverSeen)
            return;
        refreshOutputs();
        if (request->path.isEmpty() || m_outputs != Outputs::Available)
            return;
        m_current = std::move(*request);
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

    void attempt() {
        ++m_attempts;
        m_sinceReady.invalidate();
        // A fresh effect each time, on the output that is the default now.
        m_effect = std::make_unique<QSoundEffect>(QMediaDevices::defaultAudioOutput());
        QSoundEffect* effect = m_effect.get();
        connect(effect, &QSoundEffect::statusChanged, this, [this, effect] {
            if (effect != m_effect.get())
                return;
            if (effect->status() == QSoundEffect::Error) {
                drop();
            } else if (effect->status() == QSoundEffect::Ready) {
                m_loadDeadline.stop();
                m_sinceReady.start();
            }
        });
        connect(effect, &QSoundEffect::playingChanged, this, [this, effect] {
            if (effect != m_effect.get() || effect->isPlaying() ||
                effect->status() == QSoundEffect::Loading)
                return;
            // Within about three seconds of a sound server restart Qt 6.4 still holds its old
            // connection, and a start ends the moment the sample is ready. Such a start is tried
            // again until Qt has reconnected.
            const bool cutShort =
                m_sinceReady.isValid() && m_sinceReady.elapsed() * 2 < m_current.lengthMs;
            // Done or failed: give the server stream back rather than keep it until next time.
            drop();
            if (cutShort && m_attempts < MaxAttempts)
                m_retry.start();
        });
        // Qt caches samples by URL, a load that never ends included; a URL of its own per start
        // keeps such a load from pinning the file, and a file changed since is read afresh.
        QUrl url = QUrl::fromLocalFile(m_current.path);
        url.setQuery(QString::number(++m_starts));
        effect->setSource(url);
        effect->play();
        m_loadDeadline.start();
    }

    void drop() {
        m_loadDeadline.stop();
        m_retry.stop();
        if (QSoundEffect* effect = m_effect.release()) {
            effect->stop();
            // This may run inside one of the effect's own signals.
            effect->deleteLater();
        }
    }

    static constexpr int MaxAttempts = 12; // 500 ms apart: Qt reconnects every 3 s

    QMutex m_mutex;
    std::optional<Request> m_pending; // guarded by m_mutex
    std::atomic<bool> m_serverSeen = false;
    std::atomic<Outputs> m_outputs = Outputs::Unknown;

    // Sound thread only.
    QTimer m_loadDeadline{this};
    QTimer m_retry{this};
    std::unique_ptr<QMediaDevices> m_devices;
    std::unique_ptr<QSoundEffect> m_effect;
    Request m_current;
    int m_attempts = 0;
    QElapsedTimer m_sinceReady;
    quint64 m_starts = 0;
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
    qint64 lengthMs = 0;
    if (const QString error = checkWavFile(path, lengthMs); !error.isEmpty()) {
        m_playback->request({}, false);
        return error;
    }
    const bool reachable = soundServerReachable();
    if (!reachable || m_playback->outputs() == Playback::Outputs::None) {
        // The sound thread still looks at the outputs again, so a device that appears later
        // is found by the next start.
        m_playback->request({}, reachable);
        return QStringLiteral("No audio output device");
    }
    m_playback->request({QFileInfo(path).absoluteFilePath(), lengthMs}, true);
    return {};
}

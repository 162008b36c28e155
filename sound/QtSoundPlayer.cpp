// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtSoundPlayer.h"

#include "BuiltInTone.h"
#include "SoundFile.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QThread>
#include <QThreadPool>
#include <QWaitCondition>

#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>

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

// --- The sound server ----------------------------------------------------------------------

// Each sound opens a connection of its own, so a server that restarted, or started after the
// clock, serves the next sound as if it had always been there. Before that, a quick look where
// libpulse would look for a server (PipeWire's pulse server listens there too) tells at once
// when nobody listens.

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

// --- Opening a file ---------------------------------------------------------------------------

// A file opened on a thread of the pool: even reading the headers of a hostile file can take a
// second (millions of empty chunks to skip), and the window's thread must not wait for that.
struct Opening {
    QMutex mutex;
    QWaitCondition done;
    bool finished = false;           // guarded by mutex, as the two below
    QString error;                   // why the file cannot be played
    std::unique_ptr<SoundFile> file; // opened, when there is no error

    static std::shared_ptr<Opening> start(const QString& path) {
        auto opening = std::make_shared<Opening>();
        QThreadPool::globalInstance()->start([opening, path] {
            auto file = std::make_unique<SoundFile>();
            QString error = file->open(path);
            const QMutexLocker lock(&opening->mutex);
            opening->error = std::move(error);
            if (opening->error.isEmpty())
                opening->file = std::move(file);
            opening->finished = true;
            opening->done.wakeAll();
        });
        return opening;
    }

    // True when the file was opened, or refused, before the deadline.
    bool wait(QDeadlineTimer deadline) {
        QMutexLocker lock(&mutex);
        while (!finished && done.wait(&mutex, deadline)) {
        }
        return finished;
    }
};

// How long the window's thread waits for the verdict on a file, so that an ordinary file that
// cannot be played is still reported (the "Try it" button shows why). A file that takes longer
// is handed over all the same; should it fail, the built-in tone rings in its place.
constexpr int VerdictWaitMs = 50;

// --- The sound thread ----------------------------------------------------------------------

// One thread, lasting as long as the application, plays every sound: it waits on the sound
// server while it writes, and a stalled server may hold it for good.
QThread* g_soundThread = nullptr;

void stopSoundThread() {
    QThread* thread = std::exchange(g_soundThread, nullptr);
    thread->quit();
    // A stalled sound server can hold the thread for good; letting it go lets the process end
    // instead of hanging on exit.
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

// The file's own rate when the sound server takes it (it converts to its device's rate),
// otherwise one every server takes.
int playbackRate(int fileRate) {
    return fileRate >= 8000 && fileRate <= 192000 ? fileRate : 48000;
}

struct PulseStreamDeleter {
    void operator()(pa_simple* stream) const { pa_simple_free(stream); }
};
using PulseStream = std::unique_ptr<pa_simple, PulseStreamDeleter>;

} // namespace

// --- Playback: the part on the sound thread -------------------------------------------------

class QtSoundPlayer::Playback : public QObject {
public:
    enum class Outputs { Unknown, Available, None };
    struct Request {
        std::shared_ptr<Opening> opening; // neither a file nor the tone: only stop
        bool tone = false;
    };

    // Any thread. Only the latest request counts: the one playing stops at its next piece, and
    // the starts that queued up meanwhile are skipped, as each would replace the one before.
    void request(Request request) {
        {
            const QMutexLocker lock(&m_mutex);
            m_pending = std::move(request);
        }
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
        if (!request || (!request->opening && !request->tone))
            return;
        std::unique_ptr<SoundFile> file;
        if (request->opening) {
            request->opening->wait(QDeadlineTimer::Forever);
            file = std::move(request->opening->file); // none: the built-in tone rings instead
        }
        if (newerRequest())
            return;
        play(file.get());
    }

    // Plays the file, or the tone without one, a tenth of a second at a time: what is held in
    // memory is what is about to sound, and a newer request stops it at the next piece.
    void play(SoundFile* file) {
        const int rate = file ? playbackRate(file->rate()) : 48000;
        const pa_sample_spec format{PA_SAMPLE_S16LE, uint32_t(rate),
                                  uint8_t(file ? file->outputChannels() : 1)};
        // A short buffer at the server: a stop is heard within a quarter of a second.
        pa_buffer_attr buffer{};
        buffer.maxlength = buffer.prebuf = buffer.minreq = buffer.fragsize = uint32_t(-1);
        buffer.tlength = uint32_t(pa_usec_to_bytes(250'000, &format));
        int error = 0;
        const PulseStream stream(pa_simple_new(nullptr, "Meridex", PA_STREAM_PLAYBACK, nullptr,
                                               "Alarm", &format, nullptr, &buffer, &error));
        if (!stream) {
            m_outputs = error == PA_ERR_NOENTITY ? Outputs::None : Outputs::Unknown;
            return;
        }
        m_outputs = Outputs::Available;
        const Pcm tone = file ? Pcm{} : alarmTone(rate);
        const qsizetype piece = qsizetype(rate / 10) * format.channels * 2;
        for (qsizetype offset = 0;; offset += piece) {
            const QByteArray samples =
                file ? file->decode(rate, rate / 10).samples : tone.samples.mid(offset, piece);
            if (samples.isEmpty())
                break;
            if (newerRequest()) {
                pa_simple_flush(stream.get(), &error);
                return;
            }
            // A server that went away ends this sound; the next one connects anew.
            if (pa_simple_write(stream.get(), samples.constData(), size_t(samples.size()), &error) <
                0)
                return;
        }
        pa_simple_drain(stream.get(), &error);
    }

    QMutex m_mutex;
    std::optional<Request> m_pending; // guarded by m_mutex
    std::atomic<Outputs> m_outputs = Outputs::Unknown;
};

// --- QtSoundPlayer ---------------------------------------------------------------------------

QtSoundPlayer::QtSoundPlayer() : m_playback(new Playback) {
    m_playback->moveToThread(soundThread());
}

QtSoundPlayer::~QtSoundPlayer() {
    // The sound playing stops at its next piece; the playback is deleted on its own thread.
    m_playback->request({});
    m_playback->deleteLater();
}

QString QtSoundPlayer::play(const QString& path) {
    // Every call replaces the sound playing, also one that fails, and one with no path at all.
    if (path.isEmpty()) {
        m_playback->request({});
        return {};
    }
    Playback::Request request;
    if (path == BuiltInAlarmTone) {
        request.tone = true;
    } else {
        // Only the file's status here: opening even a plain file may be slow (see Opening).
        struct stat info {};
        if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
            const int why = errno;
            m_playback->request({});
            return why == ENOENT || why == ENOTDIR
                       ? QStringLiteral("File not found: %1").arg(path)
                       : QStringLiteral("Cannot read file: %1").arg(path);
        }
        request.opening = Opening::start(path);
    }
    if (const Opening* opening = request.opening.get();
        opening && request.opening->wait(QDeadlineTimer(VerdictWaitMs))) {
        if (!opening->error.isEmpty()) {
            m_playback->request({});
            return opening->error;
        }
    }
    if (!soundServerReachable()) {
        m_playback->request({});
        return QStringLiteral("No audio output device");
    }
    m_playback->request(std::move(request));
    // Told by the last sound; a device that appears later is found by this one.
    if (m_playback->outputs() == Playback::Outputs::None)
        return QStringLiteral("No audio output device");
    return {};
}

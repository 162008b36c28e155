// SPDX-License-Identifier: GPL-3.0-or-later
#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QFile>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>
#include <cstdio>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString objectPath = QStringLiteral("/io/github/meridex_clock/Meridex");

// How long a later start waits for the holder to take its request: a clock that runs answers
// within milliseconds; one that is frozen never does, and the person must hear of it at once.
constexpr int AnswerWaitMs = 1500;

QString notAnswering() {
    return QStringLiteral("Meridex is already running on this display, but it is not answering.");
}

// The name of this person's clock on this display. A person is a settings folder: two clocks
// harm each other through one settings file, and the session bus of a systemd user session
// serves every login of the person, so the name carries the display as well.
QString instanceName() {
    const QString display =
        QGuiApplication::platformName().startsWith(QLatin1String("wayland"))
            ? qEnvironmentVariable("WAYLAND_DISPLAY", QStringLiteral("wayland-0"))
            : SingleInstance::displayKey(qEnvironmentVariable("DISPLAY"));
    const QString settings =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QByteArray key =
        QCryptographicHash::hash((display + u'\n' + settings).toUtf8(), QCryptographicHash::Sha256);
    return QGuiApplication::desktopFileName() + QStringLiteral(".x") +
           QString::fromLatin1(key.toHex().left(16));
}

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

} // namespace

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {}

// Letting go of the lock lets the next start hold the display.
SingleInstance::~SingleInstance() {
    for (const int fd : {m_pipe, m_lock}) {
        if (fd >= 0)
            ::close(fd);
    }
}

QString SingleInstance::displayKey(const QString& display) {
    // [host]:number[.screen]; no host, or "unix", is this machine's local socket. Read by hand:
    // a regular expression here would page the whole expression engine in at every start.
    const qsizetype colon = display.lastIndexOf(u':');
    if (colon < 0)
        return display;
    QStringView number = QStringView(display).mid(colon + 1);
    if (const qsizetype dot = number.indexOf(u'.'); dot >= 0) {
        const QStringView screen = number.mid(dot + 1);
        if (screen.isEmpty() || !std::all_of(screen.begin(), screen.end(), isDigit))
            return display;
        number = number.first(dot);
    }
    if (number.isEmpty() || !std::all_of(number.begin(), number.end(), isDigit))
        return display;
    while (number.size() > 1 && number.front() == u'0')
        number = number.mid(1);
    const QStringView host = QStringView(display).first(colon);
    return (host == QLatin1String("unix") ? QString() : host.toString()) + u':' + number.toString();
}

QString SingleInstance::runtimeFolderProblem(const QString& folder) {
    if (folder.isEmpty())
        return QStringLiteral("there is no runtime folder");
    struct stat info {};
    if (::lstat(QFile::encodeName(folder).constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return QStringLiteral("the runtime folder %1 is no folder").arg(folder);
    if (info.st_uid != ::geteuid() || (info.st_mode & (S_IWGRP | S_IWOTH)))
        return QStringLiteral("the runtime folder %1 is not yours alone").arg(folder);
    return {};
}

bool SingleInstance::claim(const QString& activationToken) {
    const QString name = instanceName();
    return claimBus(name, activationToken) && claimRuntimeFolder(name, activationToken);
}

// The keys of the desktop's own activation, as desktop launchers pass them.
void SingleInstance::Activate(const QVariantMap& platformData) {
    emit activationRequested(platformData
                                 .value(QStringLiteral("activation-token"),
                                        platformData.value(QStringLiteral("desktop-startup-id")))
                                 .toString());
}

bool SingleInstance::claimBus(const QString& name, const QString& activationToken) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return true;
    bus.registerObject(objectPath, this, QDBusConnection::ExportScriptableSlots);
    if (bus.registerService(name))
        return true;
    QDBusMessage call = QDBusMessage::createMethodCall(
        name, objectPath, QStringLiteral("org.freedesktop.Application"),
        QStringLiteral("Activate"));
    QVariantMap platformData;
    if (!activationToken.isEmpty()) {
        platformData.insert(QStringLiteral("activation-token"), activationToken);
        platformData.insert(QStringLiteral("desktop-startup-id"), activationToken);
    }
    call << platformData;
    const QDBusMessage reply = bus.call(call, QDBus::Block, AnswerWaitMs);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return false;
    // The holder's connection is there but nothing answers on it: frozen, or hung.
    if (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NoReply") ||
        reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.Timeout")) {
        m_problem = notAnswering();
        return false;
    }
    // The holder ended in the meantime: the runtime folder decides.
    return true;
}

// A lock file that the system releases when its holder ends, however it ends, and beside it a
// pipe on which the holder hears of later starts.
bool SingleInstance::claimRuntimeFolder(const QString& name, const QString& activationToken) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    // Anywhere else the lock could be put there, or taken away, by someone else.
    if (const QString why = runtimeFolderProblem(folder); !why.isEmpty()) {
        std::fprintf(stderr, "meridex: %s: a second clock on this display is not prevented\n",
                     qPrintable(why));
        return true;
    }
    const QByteArray path = QFile::encodeName(folder + QLatin1Char('/') + name);
    m_lock = ::open(path + ".lock", O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (m_lock < 0)
        return true;
    // The holder opens its pipe just after taking the lock: a start in between tries again.
    QDeadlineTimer deadline(AnswerWaitMs);
    while (::flock(m_lock, LOCK_EX | LOCK_NB) != 0) {
        if (const int pipe = ::open(path, O_WRONLY | O_NONBLOCK | O_CLOEXEC); pipe >= 0) {
            // One line a request, under the pipe's atomic size: a token is a few dozen bytes.
            const QByteArray line = activationToken.toUtf8().replace('\n', ' ').left(256) + '\n';
            const bool asked =
                ::write(pipe, line.constData(), static_cast<size_t>(line.size())) == line.size();
            // The holder empties the pipe when it hears the request.
            int unread = 1;
            while (asked && ::ioctl(pipe, FIONREAD, &unread) == 0 && unread > 0 &&
                   !deadline.hasExpired())
                QThread::msleep(20);
            ::close(pipe);
            // A pipe that is full, or not emptied, has nobody reading it.
            if (!asked || unread > 0)
                m_problem = notAnswering();
            return false;
        }
        if (deadline.hasExpired()) {
            // The lock is held, but no pipe ever came: a holder stuck in its start.
            m_problem = notAnswering();
            return false;
        }
        QThread::msleep(20);
    }
    ::unlink(path);
    ::mkfifo(path, 0600);
    // Open for writing as well, so that the pipe never reads as closed between two requests.
    m_pipe = ::open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (m_pipe < 0)
        return true;
    auto* notifier = new QSocketNotifier(m_pipe, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        // Each request is one line, written at once: the latest one counts.
        QByteArray text;
        char bytes[512];
        for (ssize_t count = 0; (count = ::read(m_pipe, bytes, sizeof bytes)) > 0;)
            text.append(bytes, count);
        text.chop(1);
        emit activationRequested(QString::fromUtf8(text.mid(text.lastIndexOf('\n') + 1)));
    });
    return true;
}

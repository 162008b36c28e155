// SPDX-License-Identifier: GPL-3.0-or-later
#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QThread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString objectPath = QStringLiteral("/io/github/meridex_clock/Meridex");

// The name of this person's clock on this display. A person is a settings folder: two clocks
// harm each other through one settings file, and the session bus of a systemd user session
// serves every login of the person, so the name carries the display as well.
QString instanceName() {
    QString display = QGuiApplication::platformName().startsWith(QLatin1String("wayland"))
                          ? qEnvironmentVariable("WAYLAND_DISPLAY", QStringLiteral("wayland-0"))
                          : qEnvironmentVariable("DISPLAY");
    display.remove(QRegularExpression(QStringLiteral("\\.\\d+$"))); // ":0.0" is ":0"
    const QString settings =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QByteArray key =
        QCryptographicHash::hash((display + u'\n' + settings).toUtf8(), QCryptographicHash::Sha256);
    return QGuiApplication::desktopFileName() + QStringLiteral(".x") +
           QString::fromLatin1(key.toHex().left(16));
}

} // namespace

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {}

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
    // A holder that does not answer is no clock to keep this one from starting.
    return bus.call(call, QDBus::Block, 10000).type() != QDBusMessage::ReplyMessage;
}

// A lock file that the system releases when its holder ends, however it ends, and beside it a
// pipe on which the holder hears of later starts.
bool SingleInstance::claimRuntimeFolder(const QString& name, const QString& activationToken) {
    const QByteArray path =
        QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
                          QLatin1Char('/') + name);
    m_lock = ::open(path + ".lock", O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_lock < 0)
        return true;
    // The holder opens its pipe just after taking the lock: a start in between tries again.
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (::flock(m_lock, LOCK_EX | LOCK_NB) == 0)
            break;
        if (const int pipe = ::open(path, O_WRONLY | O_NONBLOCK | O_CLOEXEC); pipe >= 0) {
            // One line a request, under the pipe's atomic size: a token is a few dozen bytes.
            const QByteArray line = activationToken.toUtf8().replace('\n', ' ').left(256) + '\n';
            const bool asked =
                ::write(pipe, line.constData(), static_cast<size_t>(line.size())) == line.size();
            ::close(pipe);
            return !asked;
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

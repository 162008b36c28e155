// SPDX-License-Identifier: GPL-3.0-or-later
#include "SessionBus.h"

#include "X11Desktop.h"

#include <QFile>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sessionbus {

namespace {

// An address D-Bus cannot connect to and does not try to start anything for.
constexpr char kNoBus[] = "disabled:";

QByteArray machineId() {
    for (const char* path : {"/etc/machine-id", "/var/lib/dbus/machine-id"}) {
        QFile file(QString::fromLatin1(path));
        if (file.open(QIODevice::ReadOnly))
            return file.readLine(64).trimmed();
    }
    return {};
}

QByteArray userName() {
    const passwd* entry = ::getpwuid(::getuid());
    return entry ? QByteArray(entry->pw_name) : QByteArray();
}

} // namespace

bool wouldAutolaunch(bool addressSet, const QString& runtimeFolder) {
    if (addressSet)
        return false;
    struct stat info {};
    return runtimeFolder.isEmpty() ||
           ::stat(QFile::encodeName(runtimeFolder + QLatin1String("/bus")).constData(), &info) !=
               0 ||
           !S_ISSOCK(info.st_mode);
}

bool keepFromAutolaunching() {
    if (!wouldAutolaunch(qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"),
                         qEnvironmentVariable("XDG_RUNTIME_DIR")))
        return false;
    qputenv("DBUS_SESSION_BUS_ADDRESS", kNoBus);
    return true;
}

void adoptDisplayBus() {
    const QByteArray address = x11desktop::autolaunchedBusAddress(userName(), machineId());
    if (!address.isEmpty())
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
}

} // namespace sessionbus

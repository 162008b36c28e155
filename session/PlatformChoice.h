// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <cerrno>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// On a Wayland desktop a program can neither place its own window nor keep it above the others,
// so the stored position and "Always On Top" would be lost. Through XWayland both work. When the
// person has not chosen a platform and an X display answers beside the Wayland one, the program
// goes through X: the platform to put in QT_QPA_PLATFORM before QApplication exists, or nothing.
inline QByteArray platformToForce(bool platformChosen, const QByteArray& waylandDisplay,
                                  const QByteArray& xDisplay,
                                  bool (*xServerAnswers)(const QByteArray&)) {
    if (platformChosen || waylandDisplay.isEmpty() || xDisplay.isEmpty() ||
        !xServerAnswers(xDisplay))
        return {};
    return QByteArrayLiteral("xcb");
}

// Why the program cannot start, said before Qt is asked to open a display, or nothing. With no
// platform chosen and neither a Wayland nor an X display named, Qt would print its platform
// plug-in's text about reinstalling and abort. A display that is named but does not answer is
// left to Qt: its socket may be one this process cannot see (see DisplayOpening.h).
inline QString missingDisplay(bool platformChosen, const QByteArray& waylandDisplay,
                              const QByteArray& xDisplay) {
    if (platformChosen || !waylandDisplay.isEmpty() || !xDisplay.isEmpty())
        return {};
    return QStringLiteral("no display to open: neither DISPLAY nor WAYLAND_DISPLAY is set");
}

// Whether a local X server (":n" or "unix:n", any screen) takes connections at its socket: a
// connect() costs microseconds, where opening a whole X connection costs a round trip. A DISPLAY
// left behind by a server that has gone must not take the program away from Wayland, where Qt
// could not fall back. A display across the network counts as not answering.
inline bool localXServerAnswers(const QByteArray& display) {
    const QByteArray rest = display.startsWith("unix:") ? display.mid(4) : display;
    bool isNumber = false;
    const uint number =
        rest.startsWith(':') ? rest.mid(1).split('.').value(0).toUInt(&isNumber) : 0;
    if (!isNumber)
        return false;
    const QByteArray path = "/tmp/.X11-unix/X" + QByteArray::number(number);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, path.constData(), sizeof address.sun_path);
    // Non-blocking: a server whose queue of new connections is full (EAGAIN) is there, but must
    // not hold up the start.
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const bool answers =
        fd >= 0 && (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ||
                    errno == EAGAIN);
    if (fd >= 0)
        close(fd);
    return answers;
}

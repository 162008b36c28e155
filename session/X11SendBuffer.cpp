// SPDX-License-Identifier: GPL-3.0-or-later
#include "X11SendBuffer.h"

#include <QGuiApplication>

#include <dlfcn.h>
#include <sys/socket.h>

void widenX11SendBuffer() {
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return;
    // libxcb is loaded by Qt's X11 platform plugin; looked up there, the program needs no build
    // or link dependency of its own on it.
    using GetDescriptor = int (*)(xcb_connection_t*);
    const auto getDescriptor =
        reinterpret_cast<GetDescriptor>(dlsym(RTLD_DEFAULT, "xcb_get_file_descriptor"));
    if (!getDescriptor)
        return;
    const int fd = getDescriptor(x11->connection());
    // The kernel doubles the value and caps it at net.core.wmem_max; a failure leaves the
    // buffer as it was, which only costs the extra wake-up.
    const int bytes = 512 * 1024;
    if (fd >= 0)
        setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &bytes, sizeof bytes);
}

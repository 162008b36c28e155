// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClientSize.h"

#include "X11Desktop.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <cmath>

void setClientSize(QWidget& window, QSize size, bool fixed) {
    QWindow* const handle = window.windowHandle();
    const bool x11 = QGuiApplication::platformName() == QLatin1String("xcb");
    if (!x11 || !window.isVisible() || handle == nullptr || handle->handle() == nullptr) {
        // Not mapped yet, or not X11: nobody else places the window, Qt may size it.
        if (fixed) {
            window.setFixedSize(size);
        } else {
            window.setMinimumSize(0, 0);
            window.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
            window.resize(size);
        }
        return;
    }
    // The widget's own limits only ever widen here (a narrower limit would make Qt resize the
    // window, with a position); the native window's limits carry the fixed size to the manager
    // before the new size is asked for.
    window.setMinimumSize(0, 0);
    window.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    handle->setMinimumSize(fixed ? size : QSize(0, 0));
    handle->setMaximumSize(fixed ? size : QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    if (window.size() != size) {
        const qreal ratio = handle->devicePixelRatio();
        x11desktop::resize(*handle, QSize(static_cast<int>(std::lround(size.width() * ratio)),
                                          static_cast<int>(std::lround(size.height() * ratio))));
    }
}

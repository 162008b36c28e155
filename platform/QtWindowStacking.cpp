// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtWindowStacking.h"

#include "X11Desktop.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>

void QtWindowStacking::setTopMost(QWidget* window, bool topMost) {
    if (window == nullptr)
        return;
    QWindow* const handle = window->windowHandle();
    if (handle == nullptr)
        return;
    // Reading the flag from the QWindow (not a copy kept here) also covers a window that was
    // recreated without it.
    if (handle->flags().testFlag(Qt::WindowStaysOnTopHint) != topMost)
        handle->setFlag(Qt::WindowStaysOnTopHint, topMost);
    if (!topMost || !handle->isVisible() || handle->windowState() == Qt::WindowMinimized)
        return;
    // Not while a modal window or a popup of ours is up: that must stay in front of the clock.
    if (QApplication::activeModalWidget() != nullptr ||
        QApplication::activePopupWidget() != nullptr)
        return;
    // Another above-others window may have come over the clock since the last tick. Only then
    // is the manager asked to restack, the way a pager asks: a raise from the application
    // itself takes the focus under some managers, and others answer it with a call for
    // attention, once a second.
    QList<const QWindow*> own;
    for (const QWindow* other : QGuiApplication::topLevelWindows()) {
        if (other != handle)
            own.append(other);
    }
    if (const std::optional<quint32> covering = x11desktop::coveringWindow(*handle, own))
        x11desktop::restackAbove(*handle, *covering);
}

void QtWindowStacking::bringToFront(QWidget* window, const QString& activationToken) {
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    QWindow* const handle = window->windowHandle();
    if (handle != nullptr && x11desktop::activateForLaunch(*handle, activationToken))
        return;
    // Wayland's compositors take the token from here when the window asks for activation.
    if (!activationToken.isEmpty() &&
        QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
    window->raise();
    window->activateWindow();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtWindowStacking.h"

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
    // Another above-others window may have come over the clock since the last tick. Setting the
    // flag again does not restack; a raise does, and takes no focus. Not while a modal window
    // or a popup of ours is up: that must stay in front of the clock.
    if (QApplication::activeModalWidget() != nullptr ||
        QApplication::activePopupWidget() != nullptr)
        return;
    handle->raise();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ModalFocus.h"

#include <QGuiApplication>
#include <QWindow>

void passKeyboardToModalWindows(QGuiApplication& app) {
    QObject::connect(&app, &QGuiApplication::focusWindowChanged, &app, [](QWindow* focused) {
        // The most recently shown modal window is the innermost one (the picker over the
        // editor over the clock): the one that takes the keys.
        QWindow* const modal = QGuiApplication::modalWindow();
        if (focused != nullptr && modal != nullptr && modal != focused &&
            focused->isAncestorOf(modal, QWindow::IncludeTransients))
            modal->requestActivate();
    });
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "Screens.h"

#include <QGuiApplication>
#include <QScreen>

QList<QRect> availableScreenAreas() {
    QList<QRect> areas;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary)
        areas.append(primary->availableGeometry());
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen != primary)
            areas.append(screen->availableGeometry());
    }
    return areas;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowPosition.h"

#include "Numeric.h"
#include "ScreenPlacement.h"
#include "Screens.h"
#include "SettingsStore.h"
#include "StoreKeys.h"

#include <QWidget>

#include <cmath>

namespace windowposition {

int toPixels(double twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

double toTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}

QPoint read(const SettingsStore& store, const QString& leftKey, const QString& topKey) {
    return {toPixels(Val(store.read(keys::kSettings, leftKey))),
            toPixels(Val(store.read(keys::kSettings, topKey)))};
}

std::optional<QPoint> readReachable(const SettingsStore& store, const QString& leftKey,
                                    const QString& topKey, QSize size) {
    if (store.read(keys::kSettings, leftKey).isEmpty() &&
        store.read(keys::kSettings, topKey).isEmpty())
        return std::nullopt;
    return reachablePosition(QRect(read(store, leftKey, topKey), size), availableScreenAreas());
}

void write(SettingsStore& store, const QString& leftKey, const QString& topKey,
           const QWidget& window) {
    // pos() is the frame's corner, the same corner move() takes when the position is restored.
    store.writeSection(keys::kSettings, {{leftKey, QString::number(toTwips(window.pos().x()))},
                                         {topKey, QString::number(toTwips(window.pos().y()))}});
}

} // namespace windowposition

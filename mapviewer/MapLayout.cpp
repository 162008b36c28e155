// SPDX-License-Identifier: GPL-3.0-or-later
#include "MapLayout.h"

#include "Numeric.h"
#include "RuntimeError.h"

#include <algorithm>

std::int16_t MapLayout::horizontalMaximum() const {
    return CInt16(horizontalSpan);
}

std::int16_t MapLayout::verticalMaximum() const {
    return CInt16(verticalSpan);
}

MapLayout computeMapLayout(QSize client, int barThickness, QSize picture) {
    const int width = client.width() - barThickness;
    const int height = client.height() - barThickness;
    if (width < 0 || height < 0)
        throw RuntimeError(QStringLiteral("Invalid property value"));

    MapLayout layout;
    layout.viewport = QRect(0, 0, width, height);
    layout.horizontalBar = QRect(0, height, width, barThickness);
    layout.verticalBar = QRect(width, 0, barThickness, height);
    layout.horizontalSpan = picture.width() - width;
    layout.verticalSpan = picture.height() - height;
    return layout;
}

int limitScrollValue(int value, int maximum) {
    return std::clamp(value, std::min(0, maximum), std::max(0, maximum));
}

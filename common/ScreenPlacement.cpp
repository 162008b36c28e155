// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScreenPlacement.h"

#include <algorithm>

namespace {

constexpr int kGripLength = 48;
constexpr int kGripDepth = 8;

int keptWithin(int start, int length, int areaStart, int areaLength) {
    return std::clamp(start, areaStart, areaStart + std::max(0, areaLength - length));
}

} // namespace

QPoint reachablePosition(const QRect& window, const QList<QRect>& screens) {
    if (screens.isEmpty())
        return window.topLeft();
    const QRect grip(window.topLeft(), QSize(window.width(), kGripDepth));
    for (const QRect& screen : screens) {
        const QRect shared = screen.intersected(grip);
        if (shared.width() >= std::min(kGripLength, window.width()) &&
            shared.height() >= std::min(kGripDepth, window.height()))
            return window.topLeft();
    }
    const QRect& primary = screens.front();
    return {keptWithin(window.x(), window.width(), primary.x(), primary.width()),
            keptWithin(window.y(), window.height(), primary.y(), primary.height())};
}

QPoint centredPosition(const QSize& window, const QRect& area) {
    return {keptWithin(area.x() + (area.width() - window.width()) / 2, window.width(), area.x(),
                       area.width()),
            keptWithin(area.y() + (area.height() - window.height()) / 2, window.height(), area.y(),
                       area.height())};
}

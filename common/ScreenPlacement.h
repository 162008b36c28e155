// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

// Where a window stored with the outer rectangle `window` is shown again, given the available
// areas of the screens, the primary one first. The stored position stands while the window's
// top edge, where a person grabs it to move it, lies on a screen for at least a grip's length.
// Otherwise (a screen unplugged since, a damaged or hand-edited file) the window goes the
// shortest way into the primary screen: a clock out of sight is as good as lost.
QPoint reachablePosition(const QRect& window, const QList<QRect>& screens);

// Where a window with the outer size `window` stands centred in `area`; a window larger than the
// area keeps its top left corner in it, so its title bar stays within reach.
QPoint centredPosition(const QSize& window, const QRect& area);

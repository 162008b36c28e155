// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QRect>

// The available areas (without panels and docks) of the screens, the primary screen first.
QList<QRect> availableScreenAreas();

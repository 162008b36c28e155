// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSize>

class QWidget;

// Gives a top-level window the inner size `size` (device-independent pixels), fixed so that it
// cannot be dragged, or free. A shown window keeps the place the window manager gave it: only
// its size is asked for (see x11desktop::resize).
void setClientSize(QWidget& window, QSize size, bool fixed);

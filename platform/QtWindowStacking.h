// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "WindowStacking.h"

// Top-most through the window's own QWindow: on X11 that toggles _NET_WM_STATE_ABOVE on the
// mapped window, and the manager keeps it above the ordinary windows. QWidget::setWindowFlag
// would hide and recreate the window instead, so it is never used for this. Wayland offers
// clients no such state; there the call has no effect.
class QtWindowStacking final : public WindowStacking {
public:
    // Does nothing while the widget has no native window yet (before its first show); callers
    // apply the state again once a second, so it takes hold on the next call after showing.
    void setTopMost(QWidget* window, bool topMost) override;
    void bringToFront(QWidget* window, const QString& activationToken) override;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "MessageBoxes.h"

// Message boxes shown with QMessageBox. show() waits in a nested event loop, so timers (the
// clock's tick among them) keep running while the box is open.
class QtMessageBoxes final : public MessageBoxes {
public:
    Answer show(QWidget* parent, const QString& text, Buttons buttons = Buttons::Ok,
                const QString& title = {}) override;
};

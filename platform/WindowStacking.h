// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

// Keeps a top-level window above the others, or puts it back among them, without moving,
// resizing, hiding or activating it. Cheap enough to call once a second.
class WindowStacking {
public:
    virtual ~WindowStacking() = default;
    virtual void setTopMost(QWidget* window, bool topMost) = 0;
};

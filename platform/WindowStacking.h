// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QString;
class QWidget;

// Keeps a top-level window above the others, or puts it back among them, without moving,
// resizing, hiding or activating it; and brings it to the front when a person starts the
// program again. Cheap enough to call once a second.
class WindowStacking {
public:
    virtual ~WindowStacking() = default;
    virtual void setTopMost(QWidget* window, bool topMost) = 0;
    // Back from an icon and in front with the focus, for a later start that the desktop gave
    // `activationToken` (its startup id or activation token; empty when it gave none).
    virtual void bringToFront(QWidget* window, const QString& activationToken) = 0;
};

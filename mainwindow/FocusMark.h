// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <Qt>

#include <utility>

// When a control of the clock shows that it has the focus: from the moment the keyboard brought
// the focus there (Tab, Shift+Tab, a shortcut) or a key was pressed in it, until it loses the
// focus. A clock on screen all day shows no mark for the focus it gets when its window is
// activated or clicked, yet the first key pressed shows where that key goes.
class FocusMark {
public:
    void focusIn(Qt::FocusReason reason) {
        m_shown = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                  reason == Qt::ShortcutFocusReason;
    }
    // True when the mark has just appeared.
    bool keyPressed() { return !std::exchange(m_shown, true); }
    void focusOut() { m_shown = false; }
    bool shown() const { return m_shown; }

private:
    bool m_shown = false;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>

// The editor's one guard against its own change handlers: a control set by the program is
// disabled around the change, and its handler ignores changes while it is disabled. Enabling
// again happens on every way out of the scope, so a failing step never leaves a control dead.
//
// Disabling a control that has the keyboard focus sends the focus elsewhere; the guard gives it
// back, so loading a setup does not throw the user out of the box they are typing in.
class ProgramChange {
public:
    explicit ProgramChange(QWidget* control) : m_control(control), m_hadFocus(control->hasFocus()) {
        control->setEnabled(false);
    }
    ~ProgramChange() {
        if (!m_control)
            return;
        m_control->setEnabled(true);
        if (m_hadFocus)
            m_control->setFocus();
    }

    ProgramChange(const ProgramChange&) = delete;
    ProgramChange& operator=(const ProgramChange&) = delete;

private:
    QPointer<QWidget> m_control;
    bool m_hadFocus;
};

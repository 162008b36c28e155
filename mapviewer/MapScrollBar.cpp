// SPDX-License-Identifier: GPL-3.0-or-later
#include "MapScrollBar.h"

#include "MapLayout.h"

#include <QKeyEvent>
#include <QSignalBlocker>
#include <cstdlib>

MapScrollBar::MapScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent) {
    setRange(0, 0);
    setSingleStep(10);
    setPageStep(100);
    setTracking(false);
    // The bars take the keyboard focus so that the arrow and page keys scroll the picture.
    setFocusPolicy(Qt::StrongFocus);
    // The picture does not mirror in a right-to-left locale, so its bar must not either.
    setLayoutDirection(Qt::LeftToRight);
}

void MapScrollBar::setScrollMaximum(std::int16_t maximum) {
    const int before = scrollValue();
    const int after = limitScrollValue(before, maximum);
    {
        // With the sign changing, Qt's intermediate values would mean nothing to a listener.
        const QSignalBlocker blocker(this);
        m_maximum = maximum;
        m_sign = maximum < 0 ? -1 : 1;
        setRange(0, std::abs(int(maximum)));
        setValue(m_sign * after);
    }
    if (after != before)
        emit valueChanged(value());
}

void MapScrollBar::setScrollValue(int value) {
    setValue(m_sign * limitScrollValue(value, m_maximum));
}

void MapScrollBar::keyPressEvent(QKeyEvent* event) {
    // QScrollBar inverts its controls so that Up and Down scroll the usual way, which also turns
    // Left and Right of a horizontal bar around. Here each key moves toward the end it names,
    // the way a focused scroll bar behaves on other desktops too.
    SliderAction action = SliderNoAction;
    switch (event->key()) {
    case Qt::Key_Right:
    case Qt::Key_Down:
        action = SliderSingleStepAdd;
        break;
    case Qt::Key_Left:
    case Qt::Key_Up:
        action = SliderSingleStepSub;
        break;
    case Qt::Key_PageDown:
        action = SliderPageStepAdd;
        break;
    case Qt::Key_PageUp:
        action = SliderPageStepSub;
        break;
    case Qt::Key_Home:
        action = SliderToMinimum;
        break;
    case Qt::Key_End:
        action = SliderToMaximum;
        break;
    default:
        QScrollBar::keyPressEvent(event);
        return;
    }
    triggerAction(action);
    event->accept();
}

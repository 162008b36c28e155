// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FocusMark.h"

#include <QListWidget>

class QAccessibleInterface;

// A zone list. A list without a current row is a real state here: a stored zone index out of
// range shows no row, and the clocks and the alarm minute count from index -1 until the person
// picks one. Qt makes the first row current when such a list gets the focus, which would
// silently move the clock by hours and store row 0 at close; this list keeps "no row" until a
// key or a click chooses one.
//
// A list one row high looks and works like a spin box: its scroll arrows and the mouse wheel
// choose the next or previous zone instead of scrolling the chosen one out of sight. A taller
// list scrolls as lists do. With the focus it carries a mark around it (see FocusMark), since
// the row it shows is highlighted with or without the focus.
class ZoneList final : public QListWidget {
    Q_OBJECT

public:
    explicit ZoneList(const QString& accessibleName, QWidget* parent = nullptr);

    // The installed accessibility factory's entry: the list with one entry per zone, where only
    // the chosen zone of a list that has the focus reports the focus.
    static QAccessibleInterface* accessibleFor(const QString& className, QObject* object);

    bool oneRowHigh() const;

protected:
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void step(int rows);
    void scrollBarAction(int action);
    FocusMark m_mark;
    int m_wheelAngle = 0; // what the wheel turned since the last whole step, in 1/8 degrees
};

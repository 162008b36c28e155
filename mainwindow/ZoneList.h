// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFocusEvent>
#include <QListWidget>

// A zone list. A list without a current row is a real state here: a stored zone index out of
// range shows no row, and the clocks and the alarm minute count from index -1 until the person
// picks one. Qt makes the first row current when such a list gets the focus, which would
// silently move the clock by hours and store row 0 at close; this list keeps "no row" until a
// key or a click chooses one.
class ZoneList final : public QListWidget {
public:
    using QListWidget::QListWidget;

protected:
    void focusInEvent(QFocusEvent* event) override {
        if (currentRow() >= 0) {
            QListWidget::focusInEvent(event);
            return;
        }
        QAbstractScrollArea::focusInEvent(event);
        viewport()->update();
    }
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QScrollBar>
#include <cstdint>

// A scroll bar whose range runs from 0 to a 16-bit maximum that lies below 0 when the window
// is larger than the picture; its value is then negative too. QScrollBar needs its minimum
// below its maximum, so such a range is kept mirrored (0 to -maximum) and read back with the
// sign turned: the thumb starts at the left or top either way and moves toward the maximum.
//
// Dragging the thumb changes the value only when the thumb is released. valueChanged() is
// the change event; it also fires when a new maximum moves the value.
class MapScrollBar : public QScrollBar {
    Q_OBJECT

public:
    MapScrollBar(Qt::Orientation orientation, QWidget* parent);

    int scrollValue() const { return m_sign * value(); }
    int scrollMaximum() const { return m_maximum; }
    // The value is kept where it is when the new range holds it, else brought to the nearer end.
    void setScrollMaximum(std::int16_t maximum);
    void setScrollValue(int value);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    int m_maximum = 0;
    int m_sign = 1;
};

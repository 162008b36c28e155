// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QSize>
#include <cstdint>

// Where the map viewer's controls go in its client area, all in pixels: the viewport takes the
// client area less one bar's thickness on the right and at the bottom, the horizontal bar lies
// along the viewport's bottom edge, the vertical bar along its right edge, and the square in
// the corner stays empty.
struct MapLayout {
    QRect viewport;
    QRect horizontalBar;
    QRect verticalBar;
    // How far the picture reaches beyond the viewport; negative when the viewport is larger.
    int horizontalSpan = 0;
    int verticalSpan = 0;

    // The bars' maxima are 16-bit: these throw RuntimeError("Overflow") for a span that does
    // not fit, which the viewer meets only after it has placed the controls.
    std::int16_t horizontalMaximum() const;
    std::int16_t verticalMaximum() const;
};

// Throws RuntimeError("Invalid property value") when the client area is narrower or lower than
// a bar, since the viewport would then get a negative size; a minimised or squeezed window
// gets there.
MapLayout computeMapLayout(QSize client, int barThickness, QSize picture);

// A bar's value once its maximum has changed: a value within the new range (from 0 to the
// maximum, which may lie below 0) stays, one outside it goes to the nearer end. Scrolled to the
// right end, the picture thus keeps its right edge at the viewport's edge when the window
// widens.
int limitScrollValue(int value, int maximum);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringView>

#include <vector>

// A time is drawn cell by cell, so that a tick draws again only the characters that changed.
namespace timecells {

struct Cell {
    QStringView text;   // in the text the cell is part of
    double advance = 0; // where the next cell starts, from where this one starts
    double inkLeft = 0; // what its glyphs cover, from where it starts; may reach out of the cell
    double inkRight = 0;
};

// A stretch of the line, measured from where its text starts; empty when nothing is to be drawn.
struct Span {
    double left = 0;
    double right = 0;
    bool isEmpty() const { return right <= left; }
    friend bool operator==(const Span&, const Span&) = default;
};

// The texts of the cells `text` is drawn in: one for each ASCII character before the first other
// character, and one for all from there on. That part is the locale's AM/PM text; it is shaped
// as a whole (Arabic letters join, a mark sits on its letter), and characters after a
// right-to-left run take their order from it.
std::vector<QStringView> split(QStringView text);

// What must be drawn again when the cells `before` are replaced by `after`: the ink of the cells
// that changed, old and new. From a cell whose width changed (or where the cells stop lining up)
// on, everything to the right moved: the ink of all cells from there, in either line.
Span dirtySpan(const std::vector<Cell>& before, const std::vector<Cell>& after);

} // namespace timecells

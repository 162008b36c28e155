// SPDX-License-Identifier: GPL-3.0-or-later
#include "TimeCells.h"

#include <algorithm>

namespace timecells {

std::vector<QStringView> split(QStringView text) {
    std::vector<QStringView> cells;
    cells.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool ascii = text[i].unicode() < 0x80;
        cells.push_back(text.sliced(i, ascii ? 1 : text.size() - i));
        if (!ascii)
            break;
    }
    return cells;
}

Span dirtySpan(const std::vector<Cell>& before, const std::vector<Cell>& after) {
    Span dirty;
    const auto add = [&dirty](double x, const Cell& cell) {
        const Span ink{x + cell.inkLeft, x + cell.inkRight};
        if (ink.isEmpty()) // a space
            return;
        dirty = dirty.isEmpty()
                    ? ink
                    : Span{std::min(dirty.left, ink.left), std::max(dirty.right, ink.right)};
    };
    double x = 0;
    std::size_t i = 0;
    for (; i < std::min(before.size(), after.size()); ++i) {
        if (before[i].advance != after[i].advance)
            break;
        if (before[i].text != after[i].text) {
            add(x, before[i]);
            add(x, after[i]);
        }
        x += before[i].advance;
    }
    for (const std::vector<Cell>* line : {&before, &after}) {
        double moved = x;
        for (std::size_t j = i; j < line->size(); ++j) {
            add(moved, (*line)[j]);
            moved += (*line)[j].advance;
        }
    }
    return dirty;
}

} // namespace timecells

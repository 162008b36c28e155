// SPDX-License-Identifier: GPL-3.0-or-later
#include "TimeCells.h"

#include <algorithm>

namespace timecells {

std::vector<QString> split(QStringView text) {
    std::vector<QString> cells;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].unicode() >= 0x80) {
            cells.push_back(text.mid(i).toString());
            break;
        }
        cells.emplace_back(text[i]);
    }
    return cells;
}

Span dirtySpan(const std::vector<Cell>& before, const std::vector<Cell>& after) {
    const auto width = [](const std::vector<Cell>& cells) {
        double sum = 0;
        for (const Cell& cell : cells)
            sum += cell.advance;
        return sum;
    };
    Span dirty;
    bool changed = false;
    double x = 0;
    std::size_t i = 0;
    for (; i < std::min(before.size(), after.size()); ++i) {
        if (before[i].advance != after[i].advance)
            break;
        if (before[i].text != after[i].text) {
            dirty.left = changed ? dirty.left : x;
            dirty.right = x + before[i].advance;
            changed = true;
        }
        x += before[i].advance;
    }
    if (i == before.size() && i == after.size())
        return dirty;
    dirty.left = changed ? dirty.left : x;
    dirty.right = std::max(width(before), width(after));
    return dirty;
}

} // namespace timecells

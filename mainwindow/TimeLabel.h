// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TimeCells.h"

#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QWidget>

#include <vector>

class QAccessibleInterface;

// A clock's time: looks like a plain label (left-aligned, centred from top to bottom, indent as a
// label's), but a tick that changes one digit draws only that digit again. Each cell's glyphs
// are shaped once per font and kept, so a tick shapes no text and lays nothing out; the window
// is not asked to lay itself out either. Screen readers read it as a label.
class TimeLabel final : public QWidget {
    Q_OBJECT

public:
    explicit TimeLabel(const QString& text, QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);
    // As a label's: pixels kept clear before the text; negative is none.
    int indent() const { return m_indent; }
    void setIndent(int indent);

    static QAccessibleInterface* accessibleFor(const QString& className, QObject* object);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Glyphs {
        QList<QGlyphRun> runs; // placed from the cell's left end on its baseline
        qreal advance = 0;
        qreal ascent = 0;
        qreal descent = 0;
        qreal overhang = 0; // how far the ink reaches out of the cell on either side
    };
    const Glyphs& glyphsFor(const QString& cell);
    void layoutCells();
    void placeLine();
    QRect textRect() const;
    int textFlags() const;

    QString m_text;
    int m_indent = -1;
    // A right-to-left text is laid out by a label from its right end; it is drawn as one piece.
    bool m_wholeText = false;
    std::vector<timecells::Cell> m_cells;
    std::vector<Glyphs> m_cellGlyphs;
    QHash<QString, Glyphs> m_glyphs; // by cell text, for the current font
    bool m_placed = false;
    qreal m_lineAscent = 0;
    qreal m_lineDescent = 0;
    qreal m_left = 0;     // where the first cell starts
    qreal m_baseline = 0; // where all cells stand
    int m_overhang = 0;   // the widest overhang of any cell kept, in whole pixels
};

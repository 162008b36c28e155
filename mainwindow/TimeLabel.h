// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TimeCells.h"

#include <QGlyphRun>
#include <QList>
#include <QWidget>

#include <vector>

class QAccessibleInterface;

// A clock's time: looks like a plain label (left-aligned, centred from top to bottom, indent as a
// label's), but a tick that changes one digit draws only that digit again. Each character's
// glyphs are shaped once per font and kept, so a tick shapes no text and lays nothing out; the
// window is not asked to lay itself out either. Screen readers read it as a label.
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
        bool shaped = false;
        QList<QGlyphRun> runs; // placed from the cell's left end on its baseline
        qreal advance = 0;
        qreal ascent = 0;
        qreal descent = 0;
        qreal inkLeft = 0; // where the ink begins and ends, from the cell's left end
        qreal inkRight = 0;
    };
    Glyphs shape(const QString& cell) const;
    const Glyphs& glyphsFor(QStringView cell);
    void forgetGlyphs();
    void layoutCells();
    void placeLine();
    QRect textRect() const;
    int textFlags() const;

    QString m_text;
    int m_indent = -1;
    // A right-to-left text is laid out by a label from its right end; it is drawn as one piece.
    bool m_wholeText = false;
    std::vector<timecells::Cell> m_cells; // in m_text
    std::vector<timecells::Cell> m_cellsBefore;
    std::vector<const Glyphs*> m_cellGlyphs;
    // The glyphs of each ASCII character shaped so far, and of the current text's part in another
    // script (its AM/PM text: shaped again when it changes, twice a day).
    std::vector<Glyphs> m_ascii = std::vector<Glyphs>(128);
    QString m_otherText;
    Glyphs m_other;
    bool m_placed = false;
    qreal m_lineAscent = 0;
    qreal m_lineDescent = 0;
    qreal m_left = 0;     // where the first cell starts
    qreal m_baseline = 0; // where all cells stand
};

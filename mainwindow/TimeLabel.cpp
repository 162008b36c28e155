// SPDX-License-Identifier: GPL-3.0-or-later
#include "TimeLabel.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QRawFont>
#include <QStyle>
#include <QStyleOption>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

class TimeLabelAccessible final : public QAccessibleWidget {
public:
    explicit TimeLabelAccessible(TimeLabel* label)
        : QAccessibleWidget(label, QAccessible::StaticText) {}
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name && widget()->accessibleName().isEmpty())
            return static_cast<const TimeLabel*>(widget())->text();
        return QAccessibleWidget::text(kind);
    }
};

} // namespace

TimeLabel::TimeLabel(const QString& text, QWidget* parent) : QWidget(parent), m_text(text) {
    layoutCells();
}

QAccessibleInterface* TimeLabel::accessibleFor(const QString& className, QObject* object) {
    if (className == QLatin1String("TimeLabel"))
        return new TimeLabelAccessible(static_cast<TimeLabel*>(object));
    return nullptr;
}

void TimeLabel::setText(const QString& text) {
    if (text == m_text)
        return;
    const QString shown = std::exchange(m_text, text); // holds what `before` points into
    // The two lists of cells change places, so that a tick allocates none.
    m_cells.swap(m_cellsBefore);
    const std::vector<timecells::Cell>& before = m_cellsBefore;
    const bool wasWhole = m_wholeText;
    const qreal left = m_left;
    const qreal baseline = m_baseline;
    layoutCells();
    if (wasWhole || m_wholeText || left != m_left || baseline != m_baseline) {
        update();
    } else if (const timecells::Span span = timecells::dirtySpan(before, m_cells);
               !span.isEmpty()) {
        // Antialiasing may shade a pixel beyond the ink.
        const int from = static_cast<int>(std::floor(m_left + span.left)) - 1;
        const int to = static_cast<int>(std::ceil(m_left + span.right)) + 1;
        update(from, 0, to - from, height());
    }
    m_cellsBefore.clear(); // they point into the text shown until now
    // As a label does: a screen reader that shows the time follows it.
    if (QAccessible::isActive() && accessibleName().isEmpty()) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

void TimeLabel::setIndent(int indent) {
    if (indent == m_indent)
        return;
    m_indent = indent;
    placeLine();
    update();
}

// As a label: the text direction comes from the text, a right-to-left one aligns to the right.
int TimeLabel::textFlags() const {
    const Qt::LayoutDirection direction = m_wholeText ? Qt::RightToLeft : Qt::LeftToRight;
    return QStyle::visualAlignment(direction, Qt::AlignLeft | Qt::AlignVCenter) |
           Qt::TextExpandTabs | (m_wholeText ? Qt::TextForceRightToLeft : Qt::TextForceLeftToRight);
}

QRect TimeLabel::textRect() const {
    QRect r = contentsRect();
    if (m_indent > 0) {
        if (m_wholeText)
            r.setRight(r.right() - m_indent);
        else
            r.setLeft(r.left() + m_indent);
    }
    return r;
}

TimeLabel::Glyphs TimeLabel::shape(const QString& cell) const {
    QTextLayout layout(cell, QFont(font(), this));
    QTextOption option;
    option.setTextDirection(Qt::LeftToRight);
    layout.setTextOption(option);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();

    Glyphs glyphs;
    glyphs.shaped = true;
    glyphs.advance = line.horizontalAdvance();
    glyphs.ascent = line.ascent();
    glyphs.descent = line.descent();
    glyphs.inkLeft = glyphs.advance;
    for (QGlyphRun run : layout.glyphRuns()) {
        QList<QPointF> positions = run.positions();
        for (QPointF& p : positions)
            p.ry() -= glyphs.ascent;
        run.setPositions(positions);
        const QList<quint32> indexes = run.glyphIndexes();
        for (qsizetype i = 0; i < indexes.size(); ++i) {
            const QRectF ink = run.rawFont().boundingRect(indexes[i]).translated(positions[i]);
            glyphs.inkLeft = std::min(glyphs.inkLeft, ink.left());
            glyphs.inkRight = std::max(glyphs.inkRight, ink.right());
        }
        glyphs.runs.append(run);
    }
    return glyphs;
}

const TimeLabel::Glyphs& TimeLabel::glyphsFor(QStringView cell) {
    const bool ascii = cell.size() == 1 && cell[0].unicode() < 0x80;
    Glyphs& glyphs = ascii ? m_ascii[cell[0].unicode()] : m_other;
    if (glyphs.shaped && (ascii || cell == m_otherText))
        return glyphs;
    if (!ascii)
        m_otherText = cell.toString();
    glyphs = shape(cell.toString());
    return glyphs;
}

void TimeLabel::forgetGlyphs() {
    for (Glyphs& glyphs : m_ascii)
        glyphs.shaped = false;
    m_other.shaped = false;
}

void TimeLabel::layoutCells() {
    m_wholeText = m_text.isRightToLeft();
    m_cells.clear();
    m_cellGlyphs.clear();
    qreal ascent = 0;
    qreal descent = 0;
    if (!m_wholeText) {
        for (const QStringView cell : timecells::split(m_text)) {
            const Glyphs& glyphs = glyphsFor(cell);
            ascent = std::max(ascent, glyphs.ascent);
            descent = std::max(descent, glyphs.descent);
            m_cells.push_back({cell, glyphs.advance, glyphs.inkLeft, glyphs.inkRight});
            m_cellGlyphs.push_back(&glyphs);
        }
    }
    // The line is as high as its tallest cell, and centred as a label centres it.
    if (!m_placed || ascent != m_lineAscent || descent != m_lineDescent) {
        m_lineAscent = ascent;
        m_lineDescent = descent;
        placeLine();
    }
}

void TimeLabel::placeLine() {
    m_placed = true;
    if (m_wholeText || m_text.isEmpty())
        return;
    const QRectF box =
        QFontMetricsF(QFont(font(), this)).boundingRect(QRectF(textRect()), textFlags(), m_text);
    m_left = box.left();
    m_baseline = box.top() + m_lineAscent;
}

void TimeLabel::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    if (m_wholeText || !isEnabled()) {
        style()->drawItemText(&painter, textRect(), textFlags(), option.palette, isEnabled(),
                              m_text, foregroundRole());
        return;
    }
    painter.setPen(QPen(option.palette.brush(foregroundRole()), painter.pen().widthF()));
    const QRect dirty = event->rect();
    qreal x = m_left;
    for (std::size_t i = 0; i < m_cells.size(); ++i) {
        // Only cells with ink (or its shading) in the part to be drawn.
        const Glyphs& glyphs = *m_cellGlyphs[i];
        if (x + glyphs.inkRight + 1 >= dirty.left() &&
            x + glyphs.inkLeft - 1 <= dirty.right() + 1) {
            for (const QGlyphRun& run : glyphs.runs)
                painter.drawGlyphRun(QPointF(x, m_baseline), run);
        }
        x += m_cells[i].advance;
    }
}

void TimeLabel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        forgetGlyphs();
        m_placed = false;
        layoutCells();
    }
    QWidget::changeEvent(event);
}

void TimeLabel::resizeEvent(QResizeEvent* event) {
    placeLine();
    QWidget::resizeEvent(event);
}

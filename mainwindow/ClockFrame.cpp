// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClockFrame.h"

#include "TimeLabel.h"

#include <QAccessibleWidget>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

class ClockFrameAccessible final : public QAccessibleWidget {
public:
    explicit ClockFrameAccessible(ClockFrame* frame)
        : QAccessibleWidget(frame, QAccessible::Grouping) {}
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name)
            return static_cast<const ClockFrame*>(widget())->readout();
        return QAccessibleWidget::text(kind);
    }
};

// An etched rectangle (a dark line with a light one inside it) in whole device pixels: lines
// one logical pixel wide would fall between device pixels at 150 % and draw doubled.
void drawEtchedRect(QPainter& painter, const QRectF& logical, const QPalette& palette, qreal dpr) {
    const int line = std::max(1, static_cast<int>(std::floor(dpr)));
    const QRect device(static_cast<int>(std::round(logical.left() * dpr)),
                       static_cast<int>(std::round(logical.top() * dpr)),
                       static_cast<int>(std::round(logical.width() * dpr)),
                       static_cast<int>(std::round(logical.height() * dpr)));
    painter.save();
    painter.resetTransform();
    painter.scale(1.0 / dpr, 1.0 / dpr);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const auto outline = [&painter, line](const QRect& r, const QColor& colour) {
        painter.fillRect(QRect(r.left(), r.top(), r.width(), line), colour);
        painter.fillRect(QRect(r.left(), r.bottom() - line + 1, r.width(), line), colour);
        painter.fillRect(QRect(r.left(), r.top(), line, r.height()), colour);
        painter.fillRect(QRect(r.right() - line + 1, r.top(), line, r.height()), colour);
    };
    outline(device.adjusted(0, 0, -line, -line), palette.color(QPalette::Dark));
    outline(device.adjusted(line, line, 0, 0), palette.color(QPalette::Light));
    painter.restore();
}

} // namespace

ClockFrame::ClockFrame(const QString& caption, QWidget* parent) : QGroupBox(caption, parent) {
    setFocusPolicy(Qt::TabFocus);
}

void ClockFrame::setReadout(const QString& name, TimeLabel* time, QLabel* date) {
    m_name = name;
    m_time = time;
    m_date = date;
}

QString ClockFrame::readout() const {
    QString text = m_name;
    if (m_time)
        text += QStringLiteral(": ") + m_time->text();
    if (m_date && !m_date->isHidden())
        text += QStringLiteral(", ") + m_date->text();
    return text;
}

QAccessibleInterface* ClockFrame::accessibleFor(const QString& className, QObject* object) {
    if (className == QLatin1String("ClockFrame"))
        return new ClockFrameAccessible(static_cast<ClockFrame*>(object));
    return nullptr;
}

void ClockFrame::paintEvent(QPaintEvent* /*event*/) {
    static constexpr int kIndent = 6; // where the caption's gap in the line starts
    static constexpr int kGap = 2;    // line kept clear on each side of the caption
    QPainter painter(this);
    const QFontMetrics metrics(font());
    drawEtchedRect(painter, QRectF(rect().adjusted(0, metrics.height() / 2, 0, 0)), palette(),
                   devicePixelRatioF());
    // With the focus the caption is boxed, and an empty caption (Mini, no zone) gets a box of
    // its own size, so the mark shows in every size.
    const int captionWidth =
        title().isEmpty() ? metrics.height() : metrics.horizontalAdvance(title()) + 2 * kGap;
    const QRect caption(kIndent, 0, captionWidth, metrics.height());
    const bool mark = hasFocus() && m_mark.shown();
    if (!title().isEmpty() || mark)
        painter.fillRect(caption, palette().window());
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    if (!title().isEmpty())
        painter.drawText(caption, Qt::AlignCenter, title());
    if (mark) {
        painter.setPen(QPen(palette().color(QPalette::Active, QPalette::Highlight), 1));
        painter.drawRect(caption.adjusted(0, 0, -1, -1));
    }
}

void ClockFrame::focusInEvent(QFocusEvent* event) {
    m_mark.focusIn(event->reason());
    QGroupBox::focusInEvent(event);
}

void ClockFrame::focusOutEvent(QFocusEvent* event) {
    m_mark.focusOut();
    QGroupBox::focusOutEvent(event);
}

void ClockFrame::keyPressEvent(QKeyEvent* event) {
    if (m_mark.keyPressed())
        update();
    QGroupBox::keyPressEvent(event);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ZoneList.h"

#include "AccessibleParts.h"

#include <QAccessibleWidget>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

namespace {

constexpr int kWheelStep = 120; // one notch of a common mouse wheel

// One zone of a list, for a screen reader.
class ZoneAccessible final : public AccessiblePart {
public:
    ZoneAccessible(ZoneList* list, int row) : AccessiblePart(list), m_list(list), m_row(row) {}

    bool isValid() const override { return m_list && m_row < m_list->count(); }
    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Name && isValid() ? m_list->item(m_row)->text() : QString();
    }
    QRect rect() const override {
        if (!isValid())
            return {};
        const QRect shown = m_list->visualItemRect(m_list->item(m_row));
        return {m_list->viewport()->mapToGlobal(shown.topLeft()), shown.size()};
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.focusable = true;
        state.selectable = true;
        if (!isValid())
            return state;
        const bool chosen = m_list->currentRow() == m_row;
        state.selected = chosen;
        state.focused = chosen && m_list->hasFocus();
        state.invisible = !m_list->isVisible();
        state.offscreen =
            !m_list->viewport()->rect().intersects(m_list->visualItemRect(m_list->item(m_row)));
        return state;
    }

private:
    QPointer<ZoneList> m_list;
    int m_row;
};

// Qt's own list reports its current row as focused whether or not the list has the focus, so
// two lists side by side would both claim it.
class ZoneListAccessible final : public QAccessibleWidget {
public:
    explicit ZoneListAccessible(ZoneList* list) : QAccessibleWidget(list, QAccessible::List) {}

    int childCount() const override { return list()->count(); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount())
            return nullptr;
        return m_rows.at(index, [&] { return new ZoneAccessible(list(), index); });
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return m_rows.indexOf(child);
    }
    QAccessibleInterface* focusChild() const override {
        return list()->hasFocus() && list()->currentRow() >= 0 ? child(list()->currentRow())
                                                               : nullptr;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint inside = list()->viewport()->mapFromGlobal(QPoint(x, y));
        const QModelIndex index = list()->indexAt(inside);
        return index.isValid() ? child(index.row()) : nullptr;
    }

private:
    ZoneList* list() const { return static_cast<ZoneList*>(widget()); }
    AccessibleParts m_rows;
};

} // namespace

ZoneList::ZoneList(const QString& accessibleName, QWidget* parent) : QListWidget(parent) {
    setAccessibleName(accessibleName);
    verticalScrollBar()->installEventFilter(this);
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, &ZoneList::scrollBarAction);
}

QAccessibleInterface* ZoneList::accessibleFor(const QString& className, QObject* object) {
    if (className == QLatin1String("ZoneList"))
        return new ZoneListAccessible(static_cast<ZoneList*>(object));
    return nullptr;
}

bool ZoneList::oneRowHigh() const {
    const int row = count() > 0 ? sizeHintForRow(0) : fontMetrics().height();
    return viewport()->height() < 2 * row;
}

void ZoneList::step(int rows) {
    if (count() == 0)
        return;
    // Without a chosen zone the first step chooses the one in view.
    const int from = currentRow() >= 0 ? currentRow() : indexAt(QPoint(0, 0)).row() - rows;
    setCurrentRow(std::clamp(from + rows, 0, count() - 1));
}

void ZoneList::scrollBarAction(int action) {
    if (!oneRowHigh())
        return;
    QScrollBar* bar = verticalScrollBar();
    const int rows = action == QAbstractSlider::SliderSingleStepAdd   ? 1
                     : action == QAbstractSlider::SliderSingleStepSub ? -1
                                                                      : 0;
    if (rows == 0)
        return;
    // The arrow has already moved the slider; the chosen row brings the view along instead.
    bar->setSliderPosition(bar->value());
    step(rows);
    bar->setSliderPosition(bar->value());
}

void ZoneList::wheelEvent(QWheelEvent* event) {
    if (!oneRowHigh()) {
        QListWidget::wheelEvent(event);
        return;
    }
    event->accept();
    m_wheelAngle += event->angleDelta().y();
    const int steps = m_wheelAngle / kWheelStep;
    m_wheelAngle -= steps * kWheelStep;
    if (steps != 0)
        step(-steps); // turning the wheel away from the person goes up the list
}

bool ZoneList::eventFilter(QObject* watched, QEvent* event) {
    if (watched == verticalScrollBar() && event->type() == QEvent::Wheel && oneRowHigh()) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    return QListWidget::eventFilter(watched, event);
}

void ZoneList::focusInEvent(QFocusEvent* event) {
    m_mark.focusIn(event->reason());
    update();
    if (currentRow() >= 0) {
        QListWidget::focusInEvent(event);
        return;
    }
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void ZoneList::focusOutEvent(QFocusEvent* event) {
    m_mark.focusOut();
    QListWidget::focusOutEvent(event);
    update();
}

void ZoneList::keyPressEvent(QKeyEvent* event) {
    if (m_mark.keyPressed())
        update();
    QListWidget::keyPressEvent(event);
}

void ZoneList::paintEvent(QPaintEvent* event) {
    QListWidget::paintEvent(event);
    // Inside the chosen row a dotted line in the colour of its text, which shows on the row's
    // highlight, as the border's mark does around it.
    if (!hasFocus() || !m_mark.shown() || currentItem() == nullptr)
        return;
    QPainter painter(viewport());
    painter.setPen(
        QPen(palette().color(QPalette::Active, QPalette::HighlightedText), 1, Qt::DotLine));
    painter.drawRect(visualItemRect(currentItem()).adjusted(1, 1, -2, -2));
}

bool ZoneList::event(QEvent* event) {
    const bool handled = QListWidget::event(event);
    // The mark goes over the list's own border, outside the rows, in the colour of a chosen
    // row, so it shows on the window's background in every size.
    if (event->type() == QEvent::Paint && hasFocus() && m_mark.shown()) {
        QPainter painter(this);
        const int width = std::max(2, frameWidth());
        painter.setPen(QPen(palette().color(QPalette::Active, QPalette::Highlight), width,
                            Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.setBrush(Qt::NoBrush);
        const qreal half = width / 2.0;
        painter.drawRect(QRectF(rect()).adjusted(half, half, -half, -half));
    }
    return handled;
}

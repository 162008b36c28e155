// SPDX-License-Identifier: GPL-3.0-or-later
#include "CalendarAccessible.h"

#include "AccessibleParts.h"

#include <QAccessibleWidget>
#include <QCalendarWidget>
#include <QLocale>
#include <QTableView>

#include <algorithm>

namespace {

const QLatin1String kDaysName("qt_calendar_calendarview");

// The date a cell of the day table shows: the month in view, or the one before or after for the
// greyed days of the first and the last weeks. Header cells have none.
QDate dateOf(const QCalendarWidget& calendar, const QModelIndex& index) {
    bool number = false;
    const int day = index.data(Qt::DisplayRole).toInt(&number);
    const bool weekNumbers = calendar.verticalHeaderFormat() != QCalendarWidget::NoVerticalHeader;
    if (!number || index.row() == 0 || (weekNumbers && index.column() == 0))
        return {};
    QDate month(calendar.yearShown(), calendar.monthShown(), 1);
    if (index.row() <= 2 && day > 20)
        month = month.addMonths(-1);
    else if (index.row() >= 4 && day < 15)
        month = month.addMonths(1);
    return QDate(month.year(), month.month(), day);
}

class DayCell final : public AccessiblePart {
public:
    DayCell(QTableView* view, int row, int column)
        : AccessiblePart(view), m_view(view), m_row(row), m_column(column) {}

    bool isValid() const override { return m_view && index().isValid(); }
    QString text(QAccessible::Text kind) const override {
        if (kind != QAccessible::Name || !isValid())
            return {};
        const QDate date = calendar() ? dateOf(*calendar(), index()) : QDate();
        return date.isValid() ? QLocale().toString(date, QLocale::LongFormat)
                              : index().data(Qt::DisplayRole).toString();
    }
    QRect rect() const override {
        if (!isValid())
            return {};
        const QRect shown = m_view->visualRect(index());
        return {m_view->viewport()->mapToGlobal(shown.topLeft()), shown.size()};
    }
    QAccessible::Role role() const override {
        const bool day = calendar() && dateOf(*calendar(), index()).isValid();
        return day ? QAccessible::Cell : QAccessible::ColumnHeader;
    }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid() || !calendar())
            return state;
        const QDate date = dateOf(*calendar(), index());
        if (!date.isValid())
            return state;
        state.focusable = true;
        state.selectable = true;
        state.selected = date == calendar()->selectedDate();
        state.focused = state.selected && m_view->hasFocus();
        return state;
    }

private:
    QModelIndex index() const { return m_view->model()->index(m_row, m_column); }
    QCalendarWidget* calendar() const {
        return m_view ? qobject_cast<QCalendarWidget*>(m_view->parentWidget()) : nullptr;
    }
    QPointer<QTableView> m_view;
    int m_row;
    int m_column;
};

// Qt's table of days names each day by its number alone ("7").
class DayTable final : public QAccessibleWidget {
public:
    explicit DayTable(QTableView* view) : QAccessibleWidget(view, QAccessible::Table) {}

    int childCount() const override { return columns() * view()->model()->rowCount(); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount())
            return nullptr;
        return m_cells.at(
            index, [&] { return new DayCell(view(), index / columns(), index % columns()); });
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return m_cells.indexOf(child);
    }
    QAccessibleInterface* focusChild() const override {
        const QModelIndex current = view()->currentIndex();
        return current.isValid() ? child(current.row() * columns() + current.column()) : nullptr;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QModelIndex at = view()->indexAt(view()->viewport()->mapFromGlobal(QPoint(x, y)));
        return at.isValid() ? child(at.row() * columns() + at.column()) : nullptr;
    }

private:
    QTableView* view() const { return static_cast<QTableView*>(widget()); }
    int columns() const { return std::max(1, view()->model()->columnCount()); }
    AccessibleParts m_cells;
};

QAccessibleInterface* dayTable(const QString& /*className*/, QObject* object) {
    auto* view = qobject_cast<QTableView*>(object);
    if (view && view->objectName() == kDaysName &&
        qobject_cast<QCalendarWidget*>(view->parentWidget()))
        return new DayTable(view);
    return nullptr;
}

} // namespace

void installCalendarAccessible() {
    static const bool installed = [] {
        QAccessible::installFactory(dayTable);
        return true;
    }();
    (void)installed;
}

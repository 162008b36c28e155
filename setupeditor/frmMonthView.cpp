// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmMonthView.h"

#include "CalendarAccessible.h"
#include "Clock.h"
#include "Fonts.h"
#include "MessageBoxes.h"
#include "RuntimeError.h"
#include "Services.h"
#include "SetupTexts.h"
#include "WindowPosition.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCalendarWidget>
#include <QKeyEvent>
#include <QLocale>
#include <QShowEvent>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr double kClientWidthTwips = 2715.0;
constexpr double kClientHeightTwips = 2370.0;
// What a title bar needs beside its caption: the window's icon and three buttons.
constexpr int kTitleBarExtras = 150;

// Names for the calendar's controls that have only a picture or none, and a month button wide
// enough for every month's name, so its arrow never lies over a long name ("Dezember").
void nameAndWiden(QCalendarWidget& calendar) {
    calendar.setAccessibleName(QStringLiteral("Alarm date"));
    for (const auto& [name, text] : {std::pair{"qt_calendar_prevmonth", "Previous month"},
                                     std::pair{"qt_calendar_nextmonth", "Next month"},
                                     std::pair{"qt_calendar_yearedit", "Year"},
                                     std::pair{"qt_calendar_calendarview", "Days"}}) {
        if (auto* control = calendar.findChild<QWidget*>(QLatin1String(name)))
            control->setAccessibleName(QLatin1String(text));
    }
    auto* month = calendar.findChild<QToolButton*>(QStringLiteral("qt_calendar_monthbutton"));
    if (!month)
        return;
    const QString shown = month->text();
    int widest = 0;
    for (int m = 1; m <= 12; ++m) {
        month->setText(QLocale().standaloneMonthName(m));
        widest = std::max(widest, month->sizeHint().width());
    }
    month->setText(shown);
    // The arrow of its month menu goes in a corner of its own, beside the name.
    month->setMinimumWidth(widest + month->fontMetrics().height());
}

} // namespace

frmMonthView::frmMonthView(Services& services, QWidget* parent)
    : QDialog(parent), m_services(services) {
    setObjectName(QStringLiteral("frmMonthView"));
    setWindowTitle(QStringLiteral("Pick Alarm Date"));
    setFont(dialogFont());

    installCalendarAccessible();
    MonthView1 = new QCalendarWidget(this);
    MonthView1->setObjectName(QStringLiteral("MonthView1"));
    nameAndWiden(*MonthView1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(MonthView1);
    // The calendar's own size wins where the intended size is too small for the font.
    // So is the width that shows the whole caption in the title bar.
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    const QSize caption(QFontMetrics(titleFont).horizontalAdvance(windowTitle()) + kTitleBarExtras,
                        0);
    resize(QSize(windowposition::toPixels(kClientWidthTwips),
                 windowposition::toPixels(kClientHeightTwips))
               .expandedTo(sizeHint())
               .expandedTo(caption));

    connect(MonthView1, &QCalendarWidget::clicked, this, &frmMonthView::dayClicked);
    // From the keyboard, Enter (and a double click) choose the highlighted day as a click
    // does; Space too, as on any other control.
    connect(MonthView1, &QCalendarWidget::activated, this, &frmMonthView::dayClicked);
    if (auto* days = MonthView1->findChild<QAbstractItemView*>())
        days->installEventFilter(this);
}

bool frmMonthView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
        emit dayClicked(MonthView1->selectedDate());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frmMonthView::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (const auto stored = windowposition::readReachable(m_services.store, setuptexts::kPickerLeft,
                                                          setuptexts::kPickerTop, size()))
        move(*stored);
    MonthView1->setSelectedDate(m_services.clock.now().date());
}

void frmMonthView::done(int result) {
    // Closing is never refused; a position that cannot be stored is only reported.
    try {
        windowposition::write(m_services.store, setuptexts::kPickerLeft, setuptexts::kPickerTop,
                              *this);
    } catch (const RuntimeError& error) {
        m_services.messages.inform(this, error.description() +
                                             QStringLiteral(" in frmMonthView.Form_QueryUnload()"));
    }
    QDialog::done(result);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmMonthView.h"

#include "Clock.h"
#include "Fonts.h"
#include "MessageBoxes.h"
#include "RuntimeError.h"
#include "Services.h"
#include "SetupTexts.h"
#include "WindowPosition.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QKeyEvent>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

constexpr double kClientWidthTwips = 2715.0;
constexpr double kClientHeightTwips = 2370.0;

} // namespace

frmMonthView::frmMonthView(Services& services, QWidget* parent)
    : QDialog(parent), m_services(services) {
    setObjectName(QStringLiteral("frmMonthView"));
    setWindowTitle(QStringLiteral("Pick Alarm Date"));
    setFont(dialogFont());

    MonthView1 = new QCalendarWidget(this);
    MonthView1->setObjectName(QStringLiteral("MonthView1"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(MonthView1);
    // The calendar's own size wins where the intended size is too small for the font.
    resize(QSize(windowposition::toPixels(kClientWidthTwips),
                 windowposition::toPixels(kClientHeightTwips))
               .expandedTo(sizeHint()));

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

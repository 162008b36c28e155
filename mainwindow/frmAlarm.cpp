// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmAlarm.h"

#include "Clock.h"
#include "Fonts.h"
#include "ScreenPlacement.h"
#include "Snooze.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

// Room for the window manager's frame, which is not known before the window is first mapped.
const QSize kFrameAllowance(16, 48);

} // namespace

// Above other windows: an alarm nobody sees is no alarm.
frmAlarm::frmAlarm(const Clock& clock, int chosenMinutes, const QWidget* clockWindow)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint), m_clock(clock),
      m_clockWindow(clockWindow) {
    setObjectName(QStringLiteral("frmAlarm"));
    setWindowTitle(QStringLiteral("Alarm"));
    setFont(dialogFont());
    setAttribute(Qt::WA_DeleteOnClose);

    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setAccessibleName(QStringLiteral("Alarms"));
    Text1->setReadOnly(true);
    // Read from across a desk.
    Text1->setFont(classicFont(QStringLiteral("MS Sans Serif"), 18, true));

    cmbSnooze = new QComboBox(this);
    cmbSnooze->setObjectName(QStringLiteral("cmbSnooze"));
    cmbSnooze->setAccessibleName(QStringLiteral("Snooze for"));
    for (const int minutes : snooze::kMinutes) {
        cmbSnooze->addItem(QStringLiteral("%1 minutes").arg(minutes), minutes);
        if (minutes == snoozeMinutes(chosenMinutes))
            cmbSnooze->setCurrentIndex(cmbSnooze->count() - 1);
    }
    cmdSnooze = new QPushButton(QStringLiteral("&Snooze"), this);
    cmdSnooze->setObjectName(QStringLiteral("cmdSnooze"));
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    // Enter presses the button that has the focus, as in a dialog.
    for (QPushButton* button : {cmdSnooze, cmdOK})
        button->setAutoDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QWidget::close);
    connect(cmdSnooze, &QPushButton::clicked, this, &frmAlarm::cmdSnooze_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmbSnooze);
    buttons->addWidget(cmdSnooze);
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Text1);
    layout->addLayout(buttons);
    resize(480, 240);
    cmdOK->setFocus();

    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

void frmAlarm::addLines(const QStringList& lines, const QStringList& setups) {
    for (const QString& line : lines)
        Text1->appendPlainText(line);
    m_setups << setups;
    m_shownAt = m_clock.now();
    if (!isVisible())
        placeOnScreen();
    // Shown even while a modal window of ours is open: it then takes no input until that
    // window closes, but the person sees at once which alarm rang.
    show();
    raise();
    activateWindow();
}

QString frmAlarm::text() const {
    return Text1->toPlainText();
}

// Wholly on the screen of the clock, in its middle, where the person looks.
void frmAlarm::placeOnScreen() {
    const QScreen* screen = m_clockWindow ? m_clockWindow->screen() : this->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    resize(size().boundedTo(area.size() - kFrameAllowance));
    move(centredPosition(size() + kFrameAllowance, area));
}

bool frmAlarm::keysGuarded() const {
    const qint64 since = m_shownAt.msecsTo(m_clock.now());
    return since >= 0 && since < kKeyGuardMs;
}

bool frmAlarm::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride: // an accepted override keeps mnemonics from firing
        if (keysGuarded()) {
            event->accept();
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

// Keys the focused control leaves alone: Enter snoozes from the length chooser and closes
// otherwise; Escape closes, as in a message box.
void frmAlarm::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        (focusWidget() == cmbSnooze ? cmdSnooze : cmdOK)->click();
        break;
    case Qt::Key_Escape:
        close();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void frmAlarm::cmdSnooze_Click() {
    emit snoozed(m_setups, cmbSnooze->currentData().toInt());
    close();
}

void frmAlarm::closeEvent(QCloseEvent* event) {
    emit closed();
    QWidget::closeEvent(event);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmAlarm.h"

#include "Fonts.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QVBoxLayout>

// Above other windows: an alarm nobody sees is no alarm.
frmAlarm::frmAlarm(QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("frmAlarm"));
    setWindowTitle(QStringLiteral("Alarm"));
    setFont(dialogFont());
    setAttribute(Qt::WA_DeleteOnClose);
    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Text1);
    resize(300, 150);
    // Dismissed from the keyboard as a message box is.
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        connect(shortcut, &QShortcut::activated, this, &QWidget::close);
    }
}

void frmAlarm::showNotice(const QString& text) {
    // The alarm text separates names with CR LF; the text box wants plain line feeds.
    Text1->setPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    // Shown even while a modal window of ours is open: it then takes no input until that
    // window closes, but the person sees at once which alarm rang.
    show();
    raise();
    activateWindow();
}

void frmAlarm::closeEvent(QCloseEvent* event) {
    emit closed();
    QWidget::closeEvent(event);
}

QString frmAlarm::text() const {
    return Text1->toPlainText();
}

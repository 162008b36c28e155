// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtMessageBoxes.h"

#include "Fonts.h"

#include <QMessageBox>
#include <QPointer>

#include <memory>

namespace {

QMessageBox::StandardButtons standardButtons(MessageBoxes::Buttons buttons) {
    switch (buttons) {
    case MessageBoxes::Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageBoxes::Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageBoxes::Buttons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

// Closing the box without a button (Escape, the title bar's close button, the box destroyed
// with its parent) gives the negative answer, as Qt picks No or Cancel for the escape button.
MessageBoxes::Answer answerFor(QMessageBox::StandardButton button, MessageBoxes::Buttons buttons) {
    switch (button) {
    case QMessageBox::Yes:
        return MessageBoxes::Answer::Yes;
    case QMessageBox::No:
        return MessageBoxes::Answer::No;
    case QMessageBox::Cancel:
        return MessageBoxes::Answer::Cancel;
    case QMessageBox::Ok:
        return MessageBoxes::Answer::Ok;
    default:
        break;
    }
    switch (buttons) {
    case MessageBoxes::Buttons::YesNo:
        return MessageBoxes::Answer::No;
    case MessageBoxes::Buttons::OkCancel:
        return MessageBoxes::Answer::Cancel;
    case MessageBoxes::Buttons::Ok:
        break;
    }
    return MessageBoxes::Answer::Ok;
}

} // namespace

MessageBoxes::Answer QtMessageBoxes::show(QWidget* parent, const QString& text, Buttons buttons,
                                          const QString& title) {
    // The clock keeps ticking while the box is open, so its parent window may be destroyed
    // meanwhile and take the box with it: the box is owned here only as long as it is alive.
    auto box = std::make_unique<QMessageBox>(parent);
    const QPointer<QMessageBox> alive = box.get();
    box->setWindowTitle(title);
    box->setFont(dialogFont());
    // Texts carry setup names and file paths; a name like "<b>" must show as typed.
    box->setTextFormat(Qt::PlainText);
    box->setText(text);
    box->setStandardButtons(standardButtons(buttons));
    box->exec();
    if (alive.isNull()) {
        (void)box.release(); // already deleted by its parent
        return answerFor(QMessageBox::NoButton, buttons);
    }
    return answerFor(box->standardButton(box->clickedButton()), buttons);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FocusMark.h"

#include <QGroupBox>
#include <QPointer>

class QAccessibleInterface;
class QLabel;
class TimeLabel;

// A clock's frame: an etched line whose caption sits in the top border, a little in from the
// left, so the controls placed at their twips positions all lie inside it. The inside is left
// unpainted: the labels on it fill with the window's own background and so cannot be seen.
//
// The frame takes the focus from the keyboard, so the time and date it holds can be reached
// and read by a screen reader under the clock's own name ("Local", "Other"), whatever the
// caption shows.
class ClockFrame final : public QGroupBox {
    Q_OBJECT

public:
    ClockFrame(const QString& caption, QWidget* parent);

    void setReadout(const QString& name, TimeLabel* time, QLabel* date);
    // "Local: 09:41:30 AM, Monday, Jun 15 2026"; the date only while it is shown.
    QString readout() const;

    static QAccessibleInterface* accessibleFor(const QString& className, QObject* object);

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    FocusMark m_mark;
    QString m_name;
    QPointer<TimeLabel> m_time;
    QPointer<QLabel> m_date;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QStringList>
#include <QWidget>

class Clock;
class QComboBox;
class QPlainTextEdit;
class QPushButton;

// The alarm notice: one line for each alarm that rang, what and when ("Tokyo — 07:00 AM"),
// shown without blocking. Alarms that ring while it stands open add their lines. OK closes it;
// Snooze closes it and asks for the same alarms again after the length chosen beside it.
class frmAlarm : public QWidget {
    Q_OBJECT

public:
    // Keys typed this long after the notice comes up (or gains lines) are ignored: a person
    // typing elsewhere must not dismiss an alarm they never saw.
    static constexpr qint64 kKeyGuardMs = 1000;

    // `clock` times the key guard; `snoozeMinutes` is the length offered first. A window of its
    // own, centred on the screen of `clockWindow`, which must outlive it.
    frmAlarm(const Clock& clock, int snoozeMinutes, const QWidget* clockWindow = nullptr);

    // Adds the lines, one for each alarm of `setups`, and brings the notice up, centred on the
    // clock's screen the first time.
    void addLines(const QStringList& lines, const QStringList& setups);
    QString text() const;

signals:
    // The notice closed, by OK, Snooze or its title bar: whatever the alarm plays should stop.
    void closed();
    // Snooze was chosen: the alarms of `setups` are to ring again in `minutes`.
    void snoozed(const QStringList& setups, int minutes);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool keysGuarded() const;
    void cmdSnooze_Click();
    void placeOnScreen();

    const Clock& m_clock;
    const QWidget* m_clockWindow;
    QDateTime m_shownAt;
    QStringList m_setups;
    QPlainTextEdit* Text1 = nullptr;
    QComboBox* cmbSnooze = nullptr;
    QPushButton* cmdSnooze = nullptr;
    QPushButton* cmdOK = nullptr;
};

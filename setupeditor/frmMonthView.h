// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QDialog>

class QCalendarWidget;
struct Services;

// The date picker "Pick Alarm Date" for one-time alarms: a month calendar alone, opened over the
// setup editor and closed with its close box or Escape. Each click on a day reports the day, as
// do a double click and Enter or Space on the highlighted day; the last one counts. It opens
// where it was last closed.
class frmMonthView final : public QDialog {
    Q_OBJECT

public:
    explicit frmMonthView(Services& services, QWidget* parent = nullptr);

signals:
    void dayClicked(const QDate& day);

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Services& m_services;
    QCalendarWidget* MonthView1 = nullptr;
};

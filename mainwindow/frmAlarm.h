// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QPlainTextEdit;

// The alarm notice: the names of the setups whose alarms rang in the last alarm minute, one per
// line. Shown without blocking; a later minute replaces the text.
class frmAlarm : public QWidget {
    Q_OBJECT

public:
    explicit frmAlarm(QWidget* parent = nullptr);

    void showNotice(const QString& text);
    QString text() const;

signals:
    // The person dismissed the notice: whatever the alarm plays should stop with it.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QPlainTextEdit* Text1 = nullptr;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLineEdit>

class QAccessibleInterface;

// The sound box: shows the chosen sound file and opens the file chooser on a click, Enter,
// Space or F4. It takes no typing. A screen reader meets it as the button it works as,
// "Select Sound File to play", followed by the file chosen.
class SoundBox final : public QLineEdit {
    Q_OBJECT

public:
    explicit SoundBox(QWidget* parent = nullptr);

    static QAccessibleInterface* accessibleFor(const QString& className, QObject* object);

    // Wide enough for the words shown when no file is chosen.
    QSize minimumSizeHint() const override;

signals:
    // A screen reader pressed the box.
    void pressedByReader();
};

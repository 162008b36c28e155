// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

// Message boxes and questions. The program gives them no title except the About box.
class MessageBoxes {
public:
    enum class Buttons { Ok, YesNo, OkCancel };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~MessageBoxes() = default;
    // Shows the text and returns the button pressed (Ok for Buttons::Ok).
    virtual Answer show(QWidget* parent, const QString& text, Buttons buttons = Buttons::Ok,
                        const QString& title = {}) = 0;

    void inform(QWidget* parent, const QString& text, const QString& title = {}) {
        show(parent, text, Buttons::Ok, title);
    }
};

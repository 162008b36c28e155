#pragma once

#include "MessageBoxes.h"

#include <QList>
#include <QPointer>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <initializer_list>
#include <utility>

// Message boxes for tests: nothing appears on screen; each box is recorded and answered from a
// script. With the script used up, a box gets its first button: Ok for Buttons::Ok and
// Buttons::OkCancel, Yes for Buttons::YesNo.
class ScriptedMessageBoxes final : public MessageBoxes {
public:
    struct Shown {
        QPointer<QWidget> parent;
        QString text;
        Buttons buttons = Buttons::Ok;
        QString title;
    };

    Answer show(QWidget* parent, const QString& text, Buttons buttons = Buttons::Ok,
                const QString& title = {}) override;

    // Answers for the next boxes, in order. An answer the box does not offer (Yes for an Ok box)
    // is a mistake in the test and stops the program with a message.
    void script(std::initializer_list<Answer> answers);
    qsizetype pendingAnswers() const { return m_script.size(); }

    // Called while a box is "open", before it is answered: lets a test do what a user or a
    // timer could do at that moment.
    void onShow(std::function<void(const Shown&)> handler) { m_onShow = std::move(handler); }

    const QList<Shown>& shown() const { return m_shown; }
    QStringList texts() const;
    void clear() { m_shown.clear(); }

private:
    QQueue<Answer> m_script;
    QList<Shown> m_shown;
    std::function<void(const Shown&)> m_onShow;
};

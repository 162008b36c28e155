#include "ScriptedMessageBoxes.h"

#include <QtGlobal>

namespace {

bool offers(MessageBoxes::Buttons buttons, MessageBoxes::Answer answer) {
    using A = MessageBoxes::Answer;
    switch (buttons) {
    case MessageBoxes::Buttons::Ok:
        return answer == A::Ok;
    case MessageBoxes::Buttons::YesNo:
        return answer == A::Yes || answer == A::No;
    case MessageBoxes::Buttons::OkCancel:
        return answer == A::Ok || answer == A::Cancel;
    }
    return false;
}

MessageBoxes::Answer firstButton(MessageBoxes::Buttons buttons) {
    return buttons == MessageBoxes::Buttons::YesNo ? MessageBoxes::Answer::Yes
                                                   : MessageBoxes::Answer::Ok;
}

} // namespace

MessageBoxes::Answer ScriptedMessageBoxes::show(QWidget* parent, const QString& text,
                                                Buttons buttons, const QString& title) {
    const Shown box{parent, text, buttons, title};
    m_shown.append(box);
    // Copies, because the handler may show a box itself or replace the handler.
    if (const auto handler = m_onShow)
        handler(box);
    if (m_script.isEmpty())
        return firstButton(buttons);
    const Answer answer = m_script.dequeue();
    if (!offers(buttons, answer))
        qFatal("Scripted answer %d does not fit the message box \"%s\"", int(answer),
               qPrintable(text));
    return answer;
}

void ScriptedMessageBoxes::script(std::initializer_list<Answer> answers) {
    for (const Answer answer : answers)
        m_script.enqueue(answer);
}

QStringList ScriptedMessageBoxes::texts() const {
    QStringList result;
    result.reserve(m_shown.size());
    for (const Shown& box : m_shown)
        result.append(box.text);
    return result;
}

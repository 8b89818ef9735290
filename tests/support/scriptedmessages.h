#pragma once

#include "core/messages.h"

#include <QList>
#include <QString>

namespace quillfen::testing {

// Message boxes for tests: records every box and answers from a script
// (the default button when the script is empty).
class ScriptedMessageBoxes : public MessageBoxes {
public:
    struct Shown {
        QString text;
        MessageIcon icon;
        MessageButtons buttons;
        MessageAnswer defaultButton;
    };

    MessageAnswer ask(const QString& text, MessageIcon icon, MessageButtons buttons,
                      MessageAnswer defaultButton) override;

    void answer(MessageAnswer next) { answers.append(next); }

    QList<Shown> shown;
    QList<MessageAnswer> answers;
};

} // namespace quillfen::testing

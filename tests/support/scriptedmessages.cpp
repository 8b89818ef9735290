#include "scriptedmessages.h"

namespace quillfen::testing {

MessageAnswer ScriptedMessageBoxes::ask(const QString& text, MessageIcon icon,
                                        MessageButtons buttons, MessageAnswer defaultButton) {
    shown.append({text, icon, buttons, defaultButton});
    if (!answers.isEmpty())
        return answers.takeFirst();
    return defaultButton;
}

} // namespace quillfen::testing

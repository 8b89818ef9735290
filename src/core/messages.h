#pragma once

#include <QString>

namespace quillfen {

enum class MessageIcon { None, Information, Exclamation, Critical };
enum class MessageButtons { Ok, YesNo, OkCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel };

// Modal message boxes carrying the application's title. The window shows real
// boxes; tests install a scripted implementation that records every call.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual MessageAnswer ask(const QString& text, MessageIcon icon, MessageButtons buttons,
                              MessageAnswer defaultButton) = 0;

    void inform(const QString& text, MessageIcon icon) {
        ask(text, icon, MessageButtons::Ok, MessageAnswer::Ok);
    }
    bool askYesNo(const QString& text, MessageIcon icon, MessageAnswer defaultButton) {
        return ask(text, icon, MessageButtons::YesNo, defaultButton) == MessageAnswer::Yes;
    }
    bool askOkCancel(const QString& text, MessageIcon icon, MessageAnswer defaultButton) {
        return ask(text, icon, MessageButtons::OkCancel, defaultButton) == MessageAnswer::Ok;
    }
};

// Lines joined by CR LF, as every multi-line message of the program is.
inline QString crlfJoin(std::initializer_list<QString> lines) {
    QString text;
    bool first = true;
    for (const QString& line : lines) {
        if (!first)
            text += QStringLiteral("\r\n");
        text += line;
        first = false;
    }
    return text;
}

} // namespace quillfen

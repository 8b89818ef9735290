#pragma once

#include "core/messages.h"

#include <QPointer>
#include <QWidget>

namespace quillfen::ui {

// Modal message boxes owned by the main window, with the program's title.
class WidgetMessageBoxes : public MessageBoxes {
public:
    explicit WidgetMessageBoxes(QWidget* owner = nullptr) : m_owner(owner) {}
    MessageAnswer ask(const QString& text, MessageIcon icon, MessageButtons buttons,
                      MessageAnswer defaultButton) override;

    static QString title();

private:
    QPointer<QWidget> m_owner;
};

} // namespace quillfen::ui

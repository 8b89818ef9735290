#include "ui/widgetmessageboxes.h"

#include <QMessageBox>

namespace quillfen::ui {

using namespace Qt::StringLiterals;

QString WidgetMessageBoxes::title() {
    return u"Quillfen"_s;
}

MessageAnswer WidgetMessageBoxes::ask(const QString& text, MessageIcon icon, MessageButtons buttons,
                                      MessageAnswer defaultButton) {
    QMessageBox::Icon boxIcon = QMessageBox::NoIcon;
    switch (icon) {
    case MessageIcon::Information:
        boxIcon = QMessageBox::Information;
        break;
    case MessageIcon::Exclamation:
        boxIcon = QMessageBox::Warning;
        break;
    case MessageIcon::Critical:
        boxIcon = QMessageBox::Critical;
        break;
    case MessageIcon::None:
        break;
    }
    QString shown = text;
    shown.replace(u"\r\n"_s, u"\n"_s);
    QMessageBox::StandardButtons standard = QMessageBox::Ok;
    if (buttons == MessageButtons::YesNo)
        standard = QMessageBox::Yes | QMessageBox::No;
    else if (buttons == MessageButtons::OkCancel)
        standard = QMessageBox::Ok | QMessageBox::Cancel;
    QMessageBox box(boxIcon, title(), shown, standard, m_owner);
    box.setObjectName(u"messagebox"_s);
    box.setAccessibleName(title());
    box.setTextFormat(Qt::PlainText);
    // Escape gives the answer that changes nothing.
    if (buttons == MessageButtons::YesNo) {
        box.setDefaultButton(defaultButton == MessageAnswer::No ? QMessageBox::No
                                                                : QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else if (buttons == MessageButtons::OkCancel) {
        box.setDefaultButton(defaultButton == MessageAnswer::Cancel ? QMessageBox::Cancel
                                                                    : QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Cancel);
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    default:
        return MessageAnswer::Ok;
    }
}

} // namespace quillfen::ui

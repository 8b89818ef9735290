#include "ui/textlink.h"

#include "ui/pictures.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace quillfen::ui {

TextLink::TextLink(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
    setAccessibleName(caption);
    setTextFormat(Qt::PlainText);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    restyle();
}

void TextLink::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    m_pressed = true;
    event->accept();
}

void TextLink::mouseReleaseEvent(QMouseEvent* event) {
    const bool wasPressed = m_pressed;
    m_pressed = false;
    if (event->button() != Qt::LeftButton) {
        QLabel::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    // Releasing elsewhere cancels, as on a button.
    if (wasPressed && rect().contains(event->position().toPoint()))
        emit activated();
}

void TextLink::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        event->accept();
        emit activated();
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}

void TextLink::enterEvent(QEnterEvent* event) {
    m_hovered = true;
    restyle();
    QLabel::enterEvent(event);
}

void TextLink::leaveEvent(QEvent* event) {
    m_hovered = false;
    restyle();
    QLabel::leaveEvent(event);
}

void TextLink::focusInEvent(QFocusEvent* event) {
    restyle();
    QLabel::focusInEvent(event);
}

void TextLink::focusOutEvent(QFocusEvent* event) {
    restyle();
    QLabel::focusOutEvent(event);
}

void TextLink::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange)
        restyle();
    QLabel::changeEvent(event);
}

void TextLink::restyle() {
    QPalette shades = palette();
    shades.setColor(QPalette::WindowText, isEnabled() ? colours::accent() : colours::inkMuted());
    shades.setColor(QPalette::Disabled, QPalette::WindowText, colours::inkMuted());
    setPalette(shades);
    QFont shown = font();
    shown.setUnderline(isEnabled() && (m_hovered || hasFocus()));
    setFont(shown);
}

} // namespace quillfen::ui

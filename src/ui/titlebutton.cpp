#include "ui/titlebutton.h"

#include "ui/pictures.h"

#include <QPainter>

namespace quillfen::ui {

TitleButton::TitleButton(const QString& caption, const QString& picture, bool danger,
                         QWidget* parent)
    : QAbstractButton(parent), m_picture(picture), m_danger(danger) {
    setText(caption);
    setAccessibleName(caption);
    setToolTip(caption);
    // Like the title bar of any window: for the mouse, while the keyboard
    // reaches the window manager's own shortcuts.
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

void TitleButton::setPicture(const QString& picture) {
    if (m_picture == picture)
        return;
    m_picture = picture;
    update();
}

void TitleButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool lit = underMouse() || isDown();
    if (lit) {
        QColor fill = m_danger ? QColor(0xC0, 0x39, 0x2B) : QColor(255, 255, 255, 60);
        if (isDown())
            fill = fill.darker(120);
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawRoundedRect(QRectF(rect()), 3, 3);
    }
    const int side = std::min(width(), height());
    const QPixmap shown = svgPixmap(m_picture, QSize(side, side), devicePixelRatioF());
    painter.drawPixmap(QPoint((width() - side) / 2, (height() - side) / 2), shown);
}

} // namespace quillfen::ui

#include "ui/commandbutton.h"

#include "ui/pictures.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionFocusRect>

namespace quillfen::ui {

namespace {
constexpr int kPicture = 32; // the picture's side
constexpr int kWidth = 74;
constexpr int kHeight = 62;
} // namespace

CommandButton::CommandButton(int index, const QString& caption, const QString& picture,
                             QWidget* parent)
    : QAbstractButton(parent), m_index(index), m_picture(picture) {
    setText(caption);
    setAccessibleName(caption);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
}

void CommandButton::setLook(Look look) {
    if (m_look == look)
        return;
    m_look = look;
    update();
}

QSize CommandButton::sizeHint() const {
    const int textWidth = fontMetrics().horizontalAdvance(text()) + 12;
    return {std::max(kWidth, textWidth), std::max(kHeight, kPicture + 14 + fontMetrics().height())};
}

QSize CommandButton::minimumSizeHint() const {
    const QSize natural = sizeHint();
    return {std::min(natural.width(), fontMetrics().horizontalAdvance(text()) + 8),
            natural.height()};
}

const QPixmap& CommandButton::picture(Look look) {
    const qreal ratio = devicePixelRatioF();
    if (m_looksRatio != ratio) {
        m_looks[Normal] = svgPixmap(m_picture, QSize(kPicture, kPicture), ratio);
        m_looks[Disabled] = disabledLook(m_looks[Normal]);
        m_looks[Highlighted] = m_looks[Normal];
        m_looksRatio = ratio;
    }
    return m_looks[look];
}

void CommandButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    // A pressed button shows its highlighted look a shade darker.
    const bool pressed = isDown() && m_look == Highlighted;
    if (m_look == Highlighted) {
        QPainterPath path;
        path.addRoundedRect(frame, 6, 6);
        painter.fillPath(path, pressed ? colours::accent().lighter(165) : colours::accentLight());
        painter.setPen(QPen(colours::accent(), 1));
        painter.drawPath(path);
    }

    const QPixmap& shown = picture(m_look);
    const int top = 5 + (pressed ? 1 : 0);
    painter.drawPixmap(QPoint((width() - kPicture) / 2, top), shown);

    QColor textColour = colours::ink();
    if (m_look == Disabled)
        textColour = colours::inkMuted();
    else if (m_look == Highlighted)
        textColour = colours::accent();
    painter.setPen(textColour);
    const QRect textRect(0, top + kPicture + 3, width(), height() - top - kPicture - 3);
    painter.drawText(textRect, Qt::AlignHCenter | Qt::AlignTop, text());

    if (hasFocus()) {
        QPen focus(colours::accent(), 1, Qt::DotLine);
        painter.setPen(focus);
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(frame.adjusted(2, 2, -2, -2), 4, 4);
    }
}

void CommandButton::enterEvent(QEnterEvent* event) {
    emit pointerEntered(m_index);
    QAbstractButton::enterEvent(event);
}

void CommandButton::keyPressEvent(QKeyEvent* event) {
    // Enter works like Space, as on the dialogs' buttons.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        event->accept();
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void CommandButton::leaveEvent(QEvent* event) {
    emit pointerLeft(m_index);
    QAbstractButton::leaveEvent(event);
}

} // namespace quillfen::ui

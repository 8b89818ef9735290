#pragma once

// A clickable text: the links of the main window and the about box. It is
// reached with Tab and followed with Enter or Space as well as the mouse;
// a disabled link is greyed and ignores both.

#include <QLabel>

namespace quillfen::ui {

class TextLink : public QLabel {
    Q_OBJECT
public:
    explicit TextLink(const QString& caption, QWidget* parent = nullptr);

signals:
    void activated();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void restyle();

    bool m_pressed = false;
    bool m_hovered = false;
};

} // namespace quillfen::ui

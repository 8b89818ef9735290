#pragma once

// A button of the main window's own title bar (minimise, maximise/restore,
// close): a white picture on the title strip, lit while the pointer is over it.

#include <QAbstractButton>

namespace quillfen::ui {

class TitleButton : public QAbstractButton {
    Q_OBJECT
public:
    // danger: the button closes the window and lights up red.
    TitleButton(const QString& caption, const QString& picture, bool danger,
                QWidget* parent = nullptr);

    void setPicture(const QString& picture);
    QString picture() const { return m_picture; }
    QSize sizeHint() const override { return {19, 19}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_picture;
    bool m_danger;
};

} // namespace quillfen::ui

#pragma once

// An image button of the command bar: a picture above its caption, with a
// normal, a disabled and a highlighted look. The looks are pictures only;
// what counts is the enabled flag, and a disabled button ignores clicks.

#include <QAbstractButton>
#include <QPixmap>
#include <array>

namespace quillfen::ui {

class CommandButton : public QAbstractButton {
    Q_OBJECT
public:
    enum Look { Normal = 0, Disabled = 1, Highlighted = 2 };

    CommandButton(int index, const QString& caption, const QString& picture,
                  QWidget* parent = nullptr);

    int index() const { return m_index; }
    Look look() const { return m_look; }
    void setLook(Look look);

    QSize sizeHint() const override;
    // A crowded command bar may narrow the button down to its caption.
    QSize minimumSizeHint() const override;

signals:
    // The pointer came over the button or left it.
    void pointerEntered(int index);
    void pointerLeft(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    const QPixmap& picture(Look look);

    int m_index;
    QString m_picture;
    Look m_look = Normal;
    // imgnorm, imgdis and imgover, drawn for the scale they were made at.
    std::array<QPixmap, 3> m_looks;
    qreal m_looksRatio = 0;
};

} // namespace quillfen::ui

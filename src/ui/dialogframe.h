#pragma once

// The common frame of every dialog: no system frame, a title bar (picture and
// title label) that moves the dialog when dragged with the left button, and
// the main window's border images along the left, right and bottom edges.

#include <QDialog>
#include <QLabel>

class QVBoxLayout;

namespace quillfen {

// Lets the window manager move a frameless window as if its caption had been
// grabbed. Returns false where the platform cannot (offscreen tests).
bool dragwindow(QWidget* window);

// Adds the three border images ("leftedge", "rightedge", "bottomedge") to a
// dialog, brings them to the front and keeps them placed when it is resized.
void addskinedges(QWidget* dialog);

// A label or picture that starts a window drag when the left button moves
// over it while held.
class DragHandle : public QLabel {
    Q_OBJECT
public:
    explicit DragHandle(QWidget* parent = nullptr);

signals:
    void doubleClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    bool m_pressed = false;
};

// Base of the program's dialogs: a frameless QDialog with a title bar and the
// skin edges. Put the dialog's own controls into body().
class FramedDialog : public QDialog {
    Q_OBJECT
public:
    explicit FramedDialog(const QString& title, QWidget* parent = nullptr);

    QWidget* body() const { return m_body; }
    DragHandle* titleLabel() const { return m_titleLabel; }
    DragHandle* titleImage() const { return m_titleImage; }
    void setTitle(const QString& title);

protected:
    // The first showing places the dialog centred on the main window, at
    // its final size and inside the screen; later showings keep the place
    // the user gave it.
    void showEvent(QShowEvent* event) override;

private:
    bool m_placed = false;
    DragHandle* m_titleImage;
    DragHandle* m_titleLabel;
    QWidget* m_body;
};

} // namespace quillfen

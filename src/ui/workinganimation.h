#pragma once

// The animated picture of the working panel: a ring of bars turning while
// the panel is shown. It draws itself, so it is crisp at any scale, and its
// timer runs only while it is visible.

#include <QTimer>
#include <QWidget>

namespace quillfen::ui {

class WorkingAnimation : public QWidget {
    Q_OBJECT
public:
    explicit WorkingAnimation(QWidget* parent = nullptr);

    bool isRunning() const { return m_timer.isActive(); }
    int frame() const { return m_frame; }
    QSize sizeHint() const override { return {48, 48}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QTimer m_timer;
    int m_frame = 0;
};

} // namespace quillfen::ui

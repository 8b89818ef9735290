#include "ui/workinganimation.h"

#include "ui/pictures.h"

#include <QPainter>

namespace quillfen::ui {

namespace {
constexpr int kBars = 12;
} // namespace

WorkingAnimation::WorkingAnimation(QWidget* parent) : QWidget(parent) {
    setFixedSize(sizeHint());
    m_timer.setInterval(80);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_frame = (m_frame + 1) % kBars;
        update();
    });
}

void WorkingAnimation::showEvent(QShowEvent* event) {
    m_timer.start();
    QWidget::showEvent(event);
}

void WorkingAnimation::hideEvent(QHideEvent* event) {
    m_timer.stop();
    QWidget::hideEvent(event);
}

void WorkingAnimation::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(width(), height());
    painter.translate(width() / 2.0, height() / 2.0);
    const qreal outer = side / 2 - 1;
    const qreal inner = outer * 0.45;
    const qreal thickness = side / 10;
    for (int bar = 0; bar < kBars; ++bar) {
        // The leading bar is solid; the ones behind it fade out.
        const int age = (m_frame - bar + kBars) % kBars;
        QColor colour = colours::accent();
        colour.setAlphaF(1.0 - 0.8 * age / (kBars - 1));
        painter.setPen(QPen(colour, thickness, Qt::SolidLine, Qt::RoundCap));
        painter.save();
        painter.rotate(360.0 * bar / kBars);
        painter.drawLine(QPointF(0, -inner), QPointF(0, -outer + thickness / 2));
        painter.restore();
    }
}

} // namespace quillfen::ui

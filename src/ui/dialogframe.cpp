#include "ui/dialogframe.h"

#include "core/windowgeometry.h"
#include "ui/twips.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

namespace quillfen {

using namespace Qt::StringLiterals;

bool dragwindow(QWidget* window) {
    if (!window)
        return false;
    QWindow* handle = window->window()->windowHandle();
    return handle && handle->startSystemMove();
}

namespace {

// Places the edge images of a dialog: left 0 from 420 twips down, right at
// the right border, bottom along the bottom border, each 30 twips thick.
class SkinEdges : public QObject {
public:
    explicit SkinEdges(QWidget* dialog) : QObject(dialog), m_dialog(dialog) {
        m_left = makeEdge(u"leftedge"_s, u":/images/edge-left.svg"_s);
        m_right = makeEdge(u"rightedge"_s, u":/images/edge-right.svg"_s);
        m_bottom = makeEdge(u"bottomedge"_s, u":/images/edge-bottom.svg"_s);
        dialog->installEventFilter(this);
        place();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_dialog &&
            (event->type() == QEvent::Resize || event->type() == QEvent::Show))
            place();
        return false;
    }

private:
    QLabel* makeEdge(const QString& name, const QString& picture) {
        auto* edge = new QLabel(m_dialog);
        edge->setObjectName(name);
        edge->setAccessibleName(name);
        edge->setPixmap(QPixmap(picture));
        edge->setScaledContents(true);
        edge->setAttribute(Qt::WA_TransparentForMouseEvents);
        edge->show();
        return edge;
    }

    void place() {
        const int thickness = std::max(1, twipsToPixels(30));
        const int top = twipsToPixels(420);
        const int width = m_dialog->width();
        const int height = m_dialog->height();
        m_left->setGeometry(0, top, thickness, std::max(0, height - top));
        m_right->setGeometry(width - thickness, top, thickness, std::max(0, height - top));
        m_bottom->setGeometry(0, height - thickness, width, thickness);
        for (QLabel* edge : {m_left, m_right, m_bottom})
            edge->raise();
    }

    QWidget* m_dialog;
    QLabel* m_left;
    QLabel* m_right;
    QLabel* m_bottom;
};

} // namespace

void addskinedges(QWidget* dialog) {
    if (dialog && !dialog->findChild<QLabel*>(u"leftedge"_s, Qt::FindDirectChildrenOnly))
        new SkinEdges(dialog);
}

DragHandle::DragHandle(QWidget* parent) : QLabel(parent) {}

void DragHandle::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void DragHandle::mouseMoveEvent(QMouseEvent* event) {
    if (m_pressed && (event->buttons() & Qt::LeftButton)) {
        m_pressed = false;
        dragwindow(this);
    }
    QLabel::mouseMoveEvent(event);
}

void DragHandle::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
    QLabel::mouseDoubleClickEvent(event);
}

FramedDialog::FramedDialog(const QString& title, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setModal(true);
    setWindowTitle(title);
    setAccessibleName(title);

    auto* bar = new QWidget(this);
    bar->setObjectName(u"titlebar"_s);
    bar->setAutoFillBackground(true);
    QPalette barPalette = bar->palette();
    barPalette.setColor(QPalette::Window, QColor(0x45, 0x5C, 0xA3));
    barPalette.setColor(QPalette::WindowText, Qt::white);
    bar->setPalette(barPalette);
    m_titleImage = new DragHandle(bar);
    m_titleImage->setObjectName(u"titleimage"_s);
    m_titleImage->setAccessibleName(title);
    m_titleImage->setPixmap(windowIcon().pixmap(16, 16));
    m_titleLabel = new DragHandle(bar);
    m_titleLabel->setObjectName(u"titlelabel"_s);
    m_titleLabel->setAccessibleName(title);
    m_titleLabel->setToolTip(title);
    QFont bold = m_titleLabel->font();
    bold.setBold(true);
    m_titleLabel->setFont(bold);
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(8, 4, 8, 4);
    barLayout->addWidget(m_titleImage);
    barLayout->addWidget(m_titleLabel, 1);
    bar->setFixedHeight(twipsToPixels(420));

    m_body = new QWidget(this);
    m_body->setObjectName(u"body"_s);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_body, 1);

    setTitle(title);
    addskinedges(this);
}

void FramedDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_placed)
        return;
    m_placed = true;
    if (layout())
        layout()->activate();
    QRect placed(QPoint(), size().expandedTo(minimumSize()));
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (owner && owner->isVisible())
        placed.moveCenter(owner->geometry().center());
    else
        placed.moveTopLeft(pos());
    if (const QScreen* shown = owner ? owner->screen() : screen())
        placed = placedWithin(placed, shown->availableGeometry());
    if (placed.size() != size())
        resize(placed.size());
    move(placed.topLeft());
}

void FramedDialog::setTitle(const QString& title) {
    setWindowTitle(title);
    m_titleLabel->setText(title);
    m_titleLabel->setAccessibleName(title);
    m_titleImage->setAccessibleName(title);
}

} // namespace quillfen

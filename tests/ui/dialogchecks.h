#pragma once

// Helpers shared by the window and dialog tests: finding and pressing
// controls, the name-and-tooltip check, and answering modal dialogs, which
// in an offscreen test must always be answered or closed so that no test
// hangs.

#include "ui/controls.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <functional>

namespace quillfen::testing {

// Every widget of a dialog has an object name; every control (anything
// but a container, a group box or a label) an accessible name and a
// tooltip; a label a text or an accessible name, a group box a title or an
// accessible name; a button the accessible name of its caption without the
// accelerator mark.
inline void verifyNamesAndTips(QWidget* dialog) {
    for (QWidget* widget : dialog->findChildren<QWidget*>()) {
        // Qt's own parts of views, tabs and combo boxes are named by Qt.
        bool qtPart = widget->objectName().startsWith(QStringLiteral("qt_")) ||
                      widget->inherits("QHeaderView") || widget->inherits("QScrollBar") ||
                      widget->inherits("QTabBar");
        for (QWidget* up = widget->parentWidget(); up && up != dialog; up = up->parentWidget()) {
            if (up->inherits("QAbstractScrollArea") || up->inherits("QComboBox") ||
                up->inherits("QTabBar"))
                qtPart = true;
        }
        if (widget->parentWidget() && widget->parentWidget()->inherits("QTabWidget"))
            qtPart = true;
        if (qtPart)
            continue;
        const QByteArray where = dialog->objectName().toUtf8() + ": " +
                                 widget->objectName().toUtf8() + " (" +
                                 widget->metaObject()->className() + ")";
        QVERIFY2(!widget->objectName().isEmpty(), where.constData());
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            QVERIFY2(!label->text().isEmpty() || !label->accessibleName().isEmpty() ||
                         !label->pixmap().isNull(),
                     where.constData());
            continue;
        }
        // Containers and decorations need no names of their own.
        const QByteArray type = widget->metaObject()->className();
        const bool container =
            type == "QWidget" || type == "QFrame" || widget->inherits("QStackedWidget");
        if (container)
            continue;
        // A group box is named by its title (or its accessible name); the
        // controls inside carry the tooltips.
        if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            QVERIFY2(!group->title().isEmpty() || !group->accessibleName().isEmpty(),
                     where.constData());
            continue;
        }
        QVERIFY2(!widget->accessibleName().isEmpty(), where.constData());
        QVERIFY2(!widget->toolTip().isEmpty(), where.constData());
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            QCOMPARE(button->accessibleName(), ui::plainCaption(button->text()));
    }
}

// Clicks a check box or option button on its indicator: a click on the
// empty part of a wide box does not toggle it.
inline void clickIndicator(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

// The control of `parent` with the object name; a missing one ends the test
// program with its name (a null pointer would only crash it later).
template <typename T = QWidget> T* child(const QObject* parent, const QString& name) {
    T* found = parent->findChild<T*>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}

// Clicks the button with the object name: check boxes and option buttons
// on their indicator, other buttons in their middle.
inline void press(const QObject* parent, const QString& name) {
    auto* button = child<QAbstractButton>(parent, name);
    if (qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button))
        clickIndicator(button);
    else
        QTest::mouseClick(button, Qt::LeftButton);
}

// The first-column texts of a list's rows.
inline QStringList rowsOf(const QTreeWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(0);
    return texts;
}

// Runs action on the first visible top-level widget of type T as soon as
// one is shown; schedule it before the call that shows the dialog with
// exec(). When none comes within timeoutMs the active modal window is
// closed, so the test fails instead of hanging.
template <typename T> void whenShown(std::function<void(T*)> action, int timeoutMs = 20000) {
    auto* poll = new QTimer(qApp);
    poll->setInterval(10);
    const QDeadlineTimer deadline(timeoutMs);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, action, deadline] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* found = qobject_cast<T*>(widget); found && found->isVisible()) {
                poll->stop();
                poll->deleteLater();
                action(found);
                return;
            }
        }
        if (!deadline.hasExpired())
            return;
        poll->stop();
        poll->deleteLater();
        qWarning("whenShown: the expected %s was not shown", T::staticMetaObject.className());
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });
    poll->start();
}

// Answers every modal window shown while it lives, once per showing:
// records its title and hands it to the answer (the default closes it as
// Escape would). The answer runs once the window's own event loop runs.
class ModalWatch : public QObject {
public:
    using Answer = std::function<void(QWidget*)>;
    explicit ModalWatch(Answer answer = {}) : m_answer(std::move(answer)) {
        qApp->installEventFilter(this);
    }
    ~ModalWatch() override { qApp->removeEventFilter(this); }

    QStringList titles;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            if (widget->isWindow() && widget->isModal()) {
                titles << widget->windowTitle();
                QPointer<QWidget> shown = widget;
                QTimer::singleShot(0, this, [this, shown] {
                    if (!shown || !shown->isVisible())
                        return;
                    if (m_answer)
                        m_answer(shown);
                    else
                        shown->close();
                });
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    Answer m_answer;
};

// Moves the pointer over a widget through its window, so that the widgets
// under the pointer get their enter and move events.
inline void hover(QWidget* widget) {
    QWidget* top = widget->window();
    QTest::mouseMove(top->windowHandle(), widget->mapTo(top, widget->rect().center()));
}

// Shows a window and waits until it is the active one, so focus can be tested.
inline bool showActive(QWidget* window) {
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

} // namespace quillfen::testing

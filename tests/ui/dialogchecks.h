#pragma once

// Checks shared by the dialog tests.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QtTest>

namespace quillfen::testing {

// Every control of a dialog has an object name, an accessible name and a
// tooltip; labels have a text or an accessible name.
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
        const QByteArray where =
            widget->objectName().toUtf8() + " (" + widget->metaObject()->className() + ")";
        QVERIFY2(!widget->objectName().isEmpty(), where.constData());
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            QVERIFY2(!label->text().isEmpty() || !label->accessibleName().isEmpty(),
                     where.constData());
            continue;
        }
        const bool control = widget->inherits("QAbstractButton") || widget->inherits("QLineEdit") ||
                             widget->inherits("QComboBox") ||
                             widget->inherits("QAbstractItemView") ||
                             widget->inherits("QPlainTextEdit") || widget->inherits("QGroupBox");
        if (!control)
            continue;
        QVERIFY2(!widget->accessibleName().isEmpty(), where.constData());
        QVERIFY2(!widget->toolTip().isEmpty(), where.constData());
    }
}

// Clicks a check box or option button on its indicator: a click on the
// empty part of a wide box does not toggle it.
inline void clickIndicator(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

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

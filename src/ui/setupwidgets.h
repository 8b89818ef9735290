#pragma once

// Small makers for the controls of the scan set-up dialogs: each control
// gets its object name, its caption as accessible name (without the "&" of
// its accelerator) and a tooltip.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QTreeWidget>

namespace quillfen::ui {

inline QString withoutAccelerator(const QString& caption) {
    QString text = caption;
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return text.trimmed();
}

template <typename Widget>
Widget* named(Widget* widget, const QString& name, const QString& accessible, const QString& tip) {
    widget->setObjectName(name);
    widget->setAccessibleName(accessible);
    widget->setToolTip(tip);
    return widget;
}

inline QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption,
                               const QString& tip) {
    return named(new QPushButton(caption, parent), name, withoutAccelerator(caption), tip);
}

inline QCheckBox* makeCheckBox(QWidget* parent, const QString& name, const QString& caption,
                               const QString& tip) {
    return named(new QCheckBox(caption, parent), name, withoutAccelerator(caption), tip);
}

inline QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text,
                         const QString& tip = QString()) {
    auto* label = named(new QLabel(text, parent), name, text, tip.isEmpty() ? text : tip);
    label->setWordWrap(true);
    return label;
}

inline QLineEdit* makeLineEdit(QWidget* parent, const QString& name, const QString& accessible,
                               const QString& tip) {
    return named(new QLineEdit(parent), name, accessible, tip);
}

// A list view of one or more columns whose rows have no children.
inline QTreeWidget* makeListView(QWidget* parent, const QString& name, const QStringList& headers,
                                 const QString& accessible, const QString& tip) {
    auto* view = named(new QTreeWidget(parent), name, accessible, tip);
    view->setHeaderLabels(headers);
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setItemsExpandable(false);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setAllColumnsShowFocus(true);
    return view;
}

// A bold heading.
inline QLabel* makeHeading(QWidget* parent, const QString& name, const QString& text) {
    QLabel* label = makeLabel(parent, name, text);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

} // namespace quillfen::ui

#include "ui/dialogwidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>

namespace quillfen::ui {

QString plainCaption(const QString& caption) {
    QString plain;
    plain.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size())
            ++i;
        plain += caption[i];
    }
    return plain;
}

namespace {

template <typename Widget>
Widget* named(Widget* widget, const QString& accessibleName, const QString& name,
              const QString& tip) {
    widget->setObjectName(name);
    widget->setAccessibleName(accessibleName);
    widget->setToolTip(tip);
    return widget;
}

} // namespace

QPushButton* makeButton(QWidget* parent, const QString& caption, const QString& name,
                        const QString& tip) {
    return named(new QPushButton(caption, parent), plainCaption(caption), name, tip);
}

QCheckBox* makeCheckBox(QWidget* parent, const QString& caption, const QString& name,
                        const QString& tip) {
    return named(new QCheckBox(caption, parent), plainCaption(caption), name, tip);
}

QRadioButton* makeOption(QWidget* parent, const QString& caption, const QString& name,
                         const QString& tip) {
    return named(new QRadioButton(caption, parent), plainCaption(caption), name, tip);
}

QLabel* makeLabel(QWidget* parent, const QString& text, const QString& name, bool wrap) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAccessibleName(plainCaption(text));
    label->setWordWrap(wrap);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLineEdit* makeTextBox(QWidget* parent, const QString& accessibleName, const QString& name,
                       const QString& tip) {
    return named(new QLineEdit(parent), accessibleName, name, tip);
}

QComboBox* makeDropDown(QWidget* parent, const QStringList& items, const QString& accessibleName,
                        const QString& name, const QString& tip) {
    auto* box = named(new QComboBox(parent), accessibleName, name, tip);
    box->addItems(items);
    return box;
}

QTreeView* makeListView(QWidget* parent, const QString& accessibleName, const QString& name,
                        const QString& tip) {
    auto* view = named(new QTreeView(parent), accessibleName, name, tip);
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setItemsExpandable(false);
    view->setSortingEnabled(false);
    view->setAllColumnsShowFocus(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->header()->setSectionsMovable(false);
    view->header()->setStretchLastSection(true);
    return view;
}

} // namespace quillfen::ui

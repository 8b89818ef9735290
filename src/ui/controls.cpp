#include "ui/controls.h"

#include "ui/textlink.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <QTreeWidget>

namespace quillfen::ui {

QString plainCaption(const QString& caption) {
    QString plain;
    plain.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size())
            ++i;
        plain += caption[i];
    }
    return plain.trimmed();
}

namespace {

// The common look of the program's lists.
template <typename View> View* flatList(View* view) {
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

QLabel* makeLabel(QWidget* parent, const QString& text, const QString& name, bool wrap,
                  const QString& tip) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAccessibleName(text); // a label without a buddy shows its "&" as it is
    label->setWordWrap(wrap);
    label->setTextFormat(Qt::PlainText);
    if (!tip.isEmpty())
        label->setToolTip(tip);
    return label;
}

QLabel* makeHeading(QWidget* parent, const QString& text, const QString& name, double scale) {
    QLabel* heading = makeLabel(parent, text, name);
    QFont font = heading->font();
    font.setBold(true);
    if (scale != 1.0)
        font.setPointSizeF(font.pointSizeF() * scale);
    heading->setFont(font);
    return heading;
}

TextLink* makeLink(QWidget* parent, const QString& caption, const QString& name,
                   const QString& tip) {
    return named(new TextLink(caption, parent), caption, name, tip);
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
    return flatList(named(new QTreeView(parent), accessibleName, name, tip));
}

QTreeWidget* makeItemList(QWidget* parent, const QStringList& headers,
                          const QString& accessibleName, const QString& name, const QString& tip) {
    auto* view = flatList(named(new QTreeWidget(parent), accessibleName, name, tip));
    view->setHeaderLabels(headers);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    return view;
}

} // namespace quillfen::ui

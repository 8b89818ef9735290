#pragma once

// Builders for the controls of the program's dialogs, used by every dialog:
// each control gets its object name, an accessible name (its caption
// without the "&" of the accelerator) and a tooltip, so that screen readers
// and tests find it. Arguments follow one order throughout: the parent, what
// the user sees (caption, text or accessible name), the object name, then
// the tooltip.

#include <QString>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeView;
class QTreeWidget;
class QWidget;

namespace quillfen::ui {
class TextLink;
}

namespace quillfen::ui {

// A caption without its accelerator marks and outer blanks ("&OK" gives
// "OK", "&&" gives "&", "  Standard  " gives "Standard").
QString plainCaption(const QString& caption);

// Names any widget: object name, accessible name and tooltip.
template <typename Widget>
Widget* named(Widget* widget, const QString& accessibleName, const QString& name,
              const QString& tip) {
    widget->setObjectName(name);
    widget->setAccessibleName(accessibleName);
    widget->setToolTip(tip);
    return widget;
}

QPushButton* makeButton(QWidget* parent, const QString& caption, const QString& name,
                        const QString& tip);
QCheckBox* makeCheckBox(QWidget* parent, const QString& caption, const QString& name,
                        const QString& tip);
QRadioButton* makeOption(QWidget* parent, const QString& caption, const QString& name,
                         const QString& tip);
// A plain-text label (file names never turn into markup); a tooltip only
// when one is given.
QLabel* makeLabel(QWidget* parent, const QString& text, const QString& name, bool wrap = false,
                  const QString& tip = QString());
// A bold label, its font scaled by `scale`.
QLabel* makeHeading(QWidget* parent, const QString& text, const QString& name, double scale = 1.0);
// A clickable text (TextLink), reached with Tab as well as the pointer.
TextLink* makeLink(QWidget* parent, const QString& caption, const QString& name,
                   const QString& tip);
QLineEdit* makeTextBox(QWidget* parent, const QString& accessibleName, const QString& name,
                       const QString& tip);
QComboBox* makeDropDown(QWidget* parent, const QStringList& items, const QString& accessibleName,
                        const QString& name, const QString& tip);
// A flat list over a model: columns, no tree decoration, rows selected whole.
QTreeView* makeListView(QWidget* parent, const QString& accessibleName, const QString& name,
                        const QString& tip);
// The same list holding its own rows under the given column headers; one
// row is selected at a time.
QTreeWidget* makeItemList(QWidget* parent, const QStringList& headers,
                          const QString& accessibleName, const QString& name, const QString& tip);

} // namespace quillfen::ui

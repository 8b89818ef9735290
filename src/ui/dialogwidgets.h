#pragma once

// Small builders for the controls of the program's dialogs: each control gets
// its object name, an accessible name (its caption without the "&" of the
// accelerator) and a tooltip, so that screen readers and tests find it.

#include <QString>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeView;
class QWidget;

namespace quillfen::ui {

// A caption without its accelerator marks ("&OK" gives "OK", "&&" gives "&").
QString plainCaption(const QString& caption);

QPushButton* makeButton(QWidget* parent, const QString& caption, const QString& name,
                        const QString& tip);
QCheckBox* makeCheckBox(QWidget* parent, const QString& caption, const QString& name,
                        const QString& tip);
QRadioButton* makeOption(QWidget* parent, const QString& caption, const QString& name,
                         const QString& tip);
QLabel* makeLabel(QWidget* parent, const QString& text, const QString& name, bool wrap = false);
QLineEdit* makeTextBox(QWidget* parent, const QString& accessibleName, const QString& name,
                       const QString& tip);
QComboBox* makeDropDown(QWidget* parent, const QStringList& items, const QString& accessibleName,
                        const QString& name, const QString& tip);
// A flat list with columns, no tree decoration, rows selected whole.
QTreeView* makeListView(QWidget* parent, const QString& accessibleName, const QString& name,
                        const QString& tip);

} // namespace quillfen::ui

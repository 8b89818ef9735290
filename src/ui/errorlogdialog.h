#pragma once

// "Errorlog": the messages of the failed file steps, taken out of the error
// log when the dialog opens, one row each.

#include "core/appstate.h"
#include "ui/dialogframe.h"

class QTreeView;

namespace quillfen::ui {

class RowTableModel;

class ErrorLogDialog : public FramedDialog {
    Q_OBJECT
public:
    explicit ErrorLogDialog(AppState& state, QWidget* parent = nullptr);
    ~ErrorLogDialog() override;

    QTreeView* errorList() const { return m_list; }
    RowTableModel* errorModel() const { return m_model; }

private:
    QStringList m_messages;
    RowTableModel* m_model;
    QTreeView* m_list;
};

} // namespace quillfen::ui

#pragma once

// "Preview files to discard and save": the result list split into the files
// that stay (unchecked) and the files the next file operation takes
// (checked), with buttons that move checked rows from one side to the
// other. Built afresh each time it opens.

#include "core/appstate.h"
#include "core/frontend.h"
#include "fileops/preview.h"
#include "ui/dialogframe.h"

class QPushButton;
class QTreeView;

namespace quillfen::ui {

class RowTableModel;

class PreviewDialog : public FramedDialog {
    Q_OBJECT
public:
    PreviewDialog(AppState& state, Frontend& frontend, QWidget* parent = nullptr);
    ~PreviewDialog() override;

    RowTableModel* savedModel() const { return m_savedModel; }
    RowTableModel* discardedModel() const { return m_discardedModel; }
    QTreeView* savedList() const { return m_savedList; }
    QTreeView* discardedList() const { return m_discardedList; }

    // The row maps: the result-list row behind each row of the two lists.
    const DiscardPreview& preview() const { return m_preview; }

private:
    void rebuild(DiscardPreview preview);
    void maximize(bool saved);
    void normalize();

    AppState& m_state;
    Frontend& m_frontend;
    DiscardPreview m_preview;
    RowTableModel* m_savedModel;
    RowTableModel* m_discardedModel;
    QTreeView* m_savedList;
    QTreeView* m_discardedList;
    QWidget* m_savedHeading;
    QWidget* m_discardedHeading;
    QPushButton* m_toDiscarded;
    QPushButton* m_toSaved;
};

} // namespace quillfen::ui

#pragma once

// "Delete files": the checked files of the result list with their sizes, and
// the choice between the recycle bin (the desktop's trash) and deleting
// them permanently. Built afresh each time it opens; it closes once an
// operation has passed its confirmation.

#include "core/appstate.h"
#include "core/frontend.h"
#include "core/jobrunner.h"
#include "fileops/operations.h"
#include "ui/dialogframe.h"

class QLabel;
class QPushButton;
class QTreeView;

namespace quillfen::ui {

class RowTableModel;

class DeleteFilesDialog : public FramedDialog {
    Q_OBJECT
public:
    // runner: the worker thread for the file work (nullptr: on this thread).
    DeleteFilesDialog(AppState& state, Frontend& frontend, JobRunner* runner,
                      QWidget* parent = nullptr);
    ~DeleteFilesDialog() override;

    QTreeView* fileList() const { return m_list; }
    RowTableModel* fileModel() const { return m_model; }

private:
    void run(FileOperation operation);

    AppState& m_state;
    Frontend& m_frontend;
    JobRunner* m_runner;
    std::vector<qsizetype> m_rows; // the result-list rows shown
    RowTableModel* m_model;
    QTreeView* m_list;
    QLabel* m_count;
};

} // namespace quillfen::ui

#pragma once

// "Delete files": the checked files of the result list with their sizes, and
// the choice between the recycle bin (the desktop's trash) and deleting
// them permanently. Built afresh each time it opens; an operation that
// passed its confirmation closes it when it ends, unless it ended with a
// failure: then it stays for another try or "&Cancel".

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
    // runner: the worker thread for the file work.
    DeleteFilesDialog(AppState& state, Frontend& frontend, JobRunner& runner,
                      QWidget* parent = nullptr);
    ~DeleteFilesDialog() override;

    QTreeView* fileList() const { return m_list; }
    RowTableModel* fileModel() const { return m_model; }

    // An operation was handed to the runner: the dialog hid itself so that
    // Stop can be reached. Once it has ended the dialog comes back unless
    // the operation closed it (it does not when it ended with a failure).
    bool operationRunning() const { return m_running; }
    void operationEnded() { m_running = false; }

    // The per-file work (runfilejob unless another is given).
    void setJob(FileJob job) { m_job = std::move(job); }

private:
    void run(FileOperation operation);

    AppState& m_state;
    Frontend& m_frontend;
    JobRunner& m_runner;
    std::vector<qsizetype> m_rows; // the result-list rows shown
    RowTableModel* m_model;
    QTreeView* m_list;
    QLabel* m_count;
    FileJob m_job = runfilejob;
    bool m_running = false;
};

} // namespace quillfen::ui

#pragma once

// "Move files": the destination of the checked files, the rename switch for
// names taken in the destination, and "&Move files". Built afresh each time
// it opens; it stays open after a move until "&Cancel".

#include "core/appstate.h"
#include "core/frontend.h"
#include "core/jobrunner.h"
#include "ui/dialogframe.h"
#include "ui/filechoosers.h"

class QCheckBox;
class QLineEdit;

namespace quillfen::ui {

class MoveFilesDialog : public FramedDialog {
    Q_OBJECT
public:
    // runner: the worker thread for the file work.
    MoveFilesDialog(AppState& state, Frontend& frontend, FileChoosers& choosers, JobRunner& runner,
                    QWidget* parent = nullptr);

    // A move was handed to the runner: the dialog hid itself so that Stop
    // can be reached, and is to be shown again once the move has ended.
    bool moveRunning() const { return m_moveRunning; }
    void moveEnded() { m_moveRunning = false; }

    QLineEdit* pathBox() const { return m_path; }

private:
    void browse();
    void moveClicked();

    AppState& m_state;
    Frontend& m_frontend;
    FileChoosers& m_choosers;
    JobRunner& m_runner;
    QLineEdit* m_path;
    QCheckBox* m_rename;
    bool m_moveRunning = false;
};

} // namespace quillfen::ui

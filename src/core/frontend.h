#pragma once

// What the engine's run control needs from the window, so that the flows of
// a scan and a comparison can run (and be tested) without widgets. The main
// window implements it; tests use a recording fake. Every method is pure, so
// that a front end which forwards to another cannot miss a new one.

#include "core/messages.h"

namespace quillfen {

enum class Notice {
    Warning,    // "WARNING! Don't delete any files!"
    Completion, // "Accurate comparison completed!"
    Preview,    // the link to the discard and save preview
};

// Dialogs that the engine's flows close when they are done.
enum class Dialog {
    DeleteFiles,        // after a recycle or delete that passed its confirmation
    SelectionAssistant, // after the assistant ran
    ExportReport,       // after a report was written
};

class Frontend {
public:
    virtual ~Frontend() = default;

    virtual MessageBoxes& messages() = 0;

    // The busy state on the window: working panel, disabled list and
    // commands (all but Stop and Support), disabled links.
    virtual void showBusy(bool busy) = 0;
    virtual void setNoticeVisible(Notice notice, bool visible) = 0;
    // The result list was replaced or changed as a whole.
    virtual void resultListReset() = 0;
    // Status texts of the state changed (labelposs1, labeldef1, labelmbselected1, ...).
    virtual void statusChanged() = 0;
    // Only check boxes of the result list changed (rows, order and texts did
    // not); a view may repaint instead of resetting.
    virtual void resultChecksChanged() = 0;

    // Dialogs, each modal and owned by the main window.
    // The Settings preview; returns when it is closed (it sets scanconfirmed).
    virtual void showSettingsPreview() = 0;
    virtual void showScanPaths() = 0;
    virtual void showCompareDialog() = 0;
    virtual void showSelectionAssistant() = 0;
    // The Errorlog dialog; it takes the messages out of AppState::errorlog.
    virtual void showErrorLog() = 0;
    virtual void closeDialog(Dialog dialog) = 0;

    // Arms the one-shot comparison timer; its tick starts the comparison run.
    virtual void enableComparisonTimer() = 0;
};

} // namespace quillfen

#pragma once

// Opens the program's dialogs for the main window. Dialogs whose contents
// matter later (Scan paths, Settings, Select files, Export Report, About) are
// created on first use and only hidden afterwards; the others start fresh
// each time. Every dialog is modal and owned by the main window.
//
// The methods are defined next to the dialogs they open:
// setupdialoghost.cpp (scan set-up dialogs), opsdialoghost.cpp (result and
// file dialogs, wizard), infodialoghost.cpp (about and version history).

#include "core/appstate.h"
#include "core/frontend.h"
#include "core/jobrunner.h"
#include "ui/filechoosers.h"

#include <QPointer>
#include <functional>
#include <memory>

class QWidget;

namespace quillfen {

struct DialogContext {
    AppState& state;
    Frontend& frontend; // message boxes, notices, list resets
    FileChoosers& choosers;
    QWidget* owner;                // the main window
    JobRunner& runner;             // worker thread for file operations and reports
    std::function<void()> starter; // starts a scan, as the Scan command does
};

class DialogHost {
public:
    explicit DialogHost(DialogContext context);
    ~DialogHost();
    DialogHost(const DialogHost&) = delete;
    DialogHost& operator=(const DialogHost&) = delete;

    // Scan set-up dialogs
    void showScanPaths();
    // tab: 0 "  Standard  ", 1 "  Folders to skip  ", 2 "  Extensions to skip  ",
    // 3 "Predefined filepatterns"; -1 keeps the tab the dialog was left on.
    void showSettings(int tab = -1);
    void showSettingsPreview(); // sets state.scanconfirmed
    void showCompare();

    // Result list and file dialogs
    void showSelectionAssistant();
    void showDeleteFiles();
    void showMoveFiles();
    void showErrorLog();
    void showExportReport();
    void showPreview();
    void showWizard();
    // The engine's flows close these dialogs when they are done; the main
    // window forwards Frontend::closeDialog here.
    void closeDialog(Dialog dialog);

    // Information boxes
    void showAbout();
    void showVersionHistory();

    DialogContext& context() { return m_context; }

private:
    DialogContext m_context;
    // Dialogs kept between uses, created on first use (owned by the main window).
    QPointer<QWidget> m_scanPaths;
    QPointer<QWidget> m_settings;
    QPointer<QWidget> m_selectFiles;
    QPointer<QWidget> m_exportReport;
    QPointer<QWidget> m_about;
    QPointer<QWidget> m_wizard;

    // Result and file dialogs (opsdialoghost.cpp): the Frontend their engine
    // calls go through (it closes the dialogs and shows the error log
    // itself), the Delete files dialog while it is open, and whether the
    // last export ended by closing its dialog.
    Frontend& opsFrontend();
    void waitForRunner();
    std::shared_ptr<Frontend> m_opsFrontend;
    QPointer<QWidget> m_deleteFiles;
    bool m_exportClosed = false;
    bool m_deleteClosed = false;
};

} // namespace quillfen

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

class QObject;
class QWidget;

namespace quillfen::ui {
class AboutDialog;
class DeleteFilesDialog;
class ExportReportDialog;
class MoveFilesDialog;
class ScanPathsDialog;
class SelectFilesDialog;
class SettingsDialog;
class WizardDialog;
} // namespace quillfen::ui

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
    QPointer<ui::ScanPathsDialog> m_scanPaths;
    QPointer<ui::SettingsDialog> m_settings;
    QPointer<ui::SelectFilesDialog> m_selectFiles;
    QPointer<ui::ExportReportDialog> m_exportReport;
    QPointer<ui::AboutDialog> m_about;
    QPointer<ui::WizardDialog> m_wizard;

    // Result and file dialogs (opsdialoghost.cpp): the Frontend their engine
    // calls go through (it closes the dialogs and shows the error log
    // itself). Delete files and Move files live from their opening until
    // they are closed, also while their work runs with the dialog hidden;
    // the flags say whether the work's end closed its dialog.
    Frontend& opsFrontend();
    // Runs next once the runner's job has ended, from the event loop; the
    // call is dropped if context is destroyed first.
    void afterRunner(QObject* context, std::function<void()> next);
    void runDeleteFiles();
    void runMoveFiles();
    void runExportReport();
    std::shared_ptr<Frontend> m_opsFrontend;
    QPointer<ui::DeleteFilesDialog> m_deleteFiles;
    QPointer<ui::MoveFilesDialog> m_moveFiles;
    bool m_exportClosed = false;
    bool m_deleteClosed = false;
};

} // namespace quillfen

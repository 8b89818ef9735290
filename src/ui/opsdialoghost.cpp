// Result list and file dialogs: Select files, Delete files, Move files,
// Errorlog, Export Report, the discard and save preview, the wizard.

#include "ui/deletefilesdialog.h"
#include "ui/dialoghost.h"
#include "ui/errorlogdialog.h"
#include "ui/exportreportdialog.h"
#include "ui/movefilesdialog.h"
#include "ui/previewdialog.h"
#include "ui/selectfilesdialog.h"
#include "ui/wizarddialog.h"

#include <QEventLoop>

namespace quillfen {

using namespace quillfen::ui;

namespace {

// The window's Frontend, except that the dialogs of this host are closed,
// and the error log shown, here.
class OpsFrontend : public Frontend {
public:
    OpsFrontend(Frontend& window, DialogHost& host) : m_window(window), m_host(host) {}

    MessageBoxes& messages() override { return m_window.messages(); }
    void showBusy(bool busy) override { m_window.showBusy(busy); }
    void setNoticeVisible(Notice notice, bool visible) override {
        m_window.setNoticeVisible(notice, visible);
    }
    void resultListReset() override { m_window.resultListReset(); }
    void statusChanged() override { m_window.statusChanged(); }
    void resultChecksChanged() override { m_window.resultChecksChanged(); }
    void showSettingsPreview() override { m_window.showSettingsPreview(); }
    void showScanPaths() override { m_window.showScanPaths(); }
    void showCompareDialog() override { m_window.showCompareDialog(); }
    void showSelectionAssistant() override { m_window.showSelectionAssistant(); }
    void showErrorLog() override { m_host.showErrorLog(); }
    void closeDialog(Dialog dialog) override { m_host.closeDialog(dialog); }
    void enableComparisonTimer() override { m_window.enableComparisonTimer(); }

private:
    Frontend& m_window;
    DialogHost& m_host;
};

} // namespace

Frontend& DialogHost::opsFrontend() {
    if (!m_opsFrontend)
        m_opsFrontend = std::make_shared<OpsFrontend>(m_context.frontend, *this);
    return *m_opsFrontend;
}

void DialogHost::waitForRunner() {
    JobRunner* runner = &m_context.runner;
    if (!runner->isRunning())
        return;
    QEventLoop loop;
    QObject::connect(runner, &JobRunner::finished, &loop, &QEventLoop::quit);
    loop.exec();
}

void DialogHost::closeDialog(Dialog dialog) {
    switch (dialog) {
    case Dialog::DeleteFiles:
        m_deleteClosed = true;
        if (m_deleteFiles)
            m_deleteFiles->close();
        break;
    case Dialog::SelectionAssistant:
        if (m_selectFiles)
            m_selectFiles->hide();
        break;
    case Dialog::ExportReport:
        m_exportClosed = true;
        if (m_exportReport)
            m_exportReport->hide();
        break;
    }
}

void DialogHost::showSelectionAssistant() {
    if (!m_selectFiles)
        m_selectFiles = new SelectFilesDialog(m_context.state, opsFrontend(), m_context.choosers,
                                              m_context.owner);
    auto* dialog = static_cast<SelectFilesDialog*>(m_selectFiles.data());
    if (dialog->isVisible()) {
        dialog->raise();
        return;
    }
    dialog->exec();
}

void DialogHost::showDeleteFiles() {
    DeleteFilesDialog dialog(m_context.state, opsFrontend(), m_context.runner, m_context.owner);
    m_deleteFiles = &dialog;
    // An operation on the worker thread hides the dialog meanwhile; it comes
    // back unless the operation's end closed it.
    for (;;) {
        m_deleteClosed = false;
        dialog.exec();
        if (!dialog.operationRunning())
            break;
        waitForRunner();
        dialog.operationEnded();
        if (m_deleteClosed)
            break;
    }
}

void DialogHost::showMoveFiles() {
    MoveFilesDialog dialog(m_context.state, opsFrontend(), m_context.choosers, m_context.runner,
                           m_context.owner);
    // A move on the worker thread hides the dialog meanwhile; it comes back
    // when the move has ended and stays until "&Cancel".
    for (;;) {
        dialog.exec();
        if (!dialog.moveRunning())
            break;
        waitForRunner();
        dialog.moveEnded();
    }
}

void DialogHost::showErrorLog() {
    ErrorLogDialog dialog(m_context.state, m_context.owner);
    dialog.exec();
}

void DialogHost::showExportReport() {
    if (!m_exportReport)
        m_exportReport = new ExportReportDialog(m_context.state, opsFrontend(), m_context.choosers,
                                                m_context.runner, m_context.owner);
    auto* dialog = static_cast<ExportReportDialog*>(m_exportReport.data());
    if (dialog->isVisible()) {
        dialog->raise();
        return;
    }
    // A report written on the worker thread hides the dialog meanwhile; it
    // comes back unless the report was written.
    for (;;) {
        m_exportClosed = false;
        dialog->exec();
        if (!dialog->exportRunning())
            break;
        waitForRunner();
        if (!m_exportReport)
            break;
        dialog->exportEnded();
        if (m_exportClosed)
            break;
    }
}

void DialogHost::showPreview() {
    PreviewDialog dialog(m_context.state, opsFrontend(), m_context.owner);
    dialog.exec();
}

void DialogHost::showWizard() {
    if (!m_wizard)
        m_wizard = new WizardDialog(
            m_context.state, [this] { showScanPaths(); }, m_context.owner);
    auto* wizard = static_cast<WizardDialog*>(m_wizard.data());
    if (wizard->isVisible()) {
        wizard->raise();
        return;
    }
    if (wizard->exec() == WizardDialog::Finished) {
        // Hidden, not unloaded: the next showing opens on the summary.
        if (m_context.starter)
            m_context.starter();
        return;
    }
    // Close unloads it: the next showing starts afresh.
    delete wizard;
}

} // namespace quillfen

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

void DialogHost::afterRunner(QObject* context, std::function<void()> next) {
    JobRunner& runner = m_context.runner;
    if (!runner.isRunning()) {
        // The job ended before its dialog's loop returned.
        QMetaObject::invokeMethod(context, std::move(next), Qt::QueuedConnection);
        return;
    }
    // Queued: the dialog opens again from the event loop, not from inside
    // the job's completion step.
    QObject::connect(&runner, &JobRunner::finished, context, std::move(next),
                     Qt::ConnectionType(Qt::QueuedConnection | Qt::SingleShotConnection));
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
    if (m_selectFiles->isVisible()) {
        m_selectFiles->raise();
        return;
    }
    m_selectFiles->exec();
}

void DialogHost::showDeleteFiles() {
    if (m_deleteFiles) {
        m_deleteFiles->raise();
        return;
    }
    m_deleteFiles =
        new DeleteFilesDialog(m_context.state, opsFrontend(), m_context.runner, m_context.owner);
    runDeleteFiles();
}

void DialogHost::runDeleteFiles() {
    const QPointer<DeleteFilesDialog> dialog = m_deleteFiles;
    m_deleteClosed = false;
    dialog->exec();
    if (!dialog) // the main window went away
        return;
    if (!dialog->operationRunning()) {
        m_deleteFiles = nullptr;
        dialog->deleteLater();
        return;
    }
    // An operation on the worker thread hid the dialog; it comes back
    // unless the operation's end closed it.
    afterRunner(dialog, [this, dialog = dialog.data()] {
        dialog->operationEnded();
        if (!m_deleteClosed) {
            runDeleteFiles();
            return;
        }
        m_deleteFiles = nullptr;
        dialog->deleteLater();
    });
}

void DialogHost::showMoveFiles() {
    if (m_moveFiles) {
        m_moveFiles->raise();
        return;
    }
    m_moveFiles = new MoveFilesDialog(m_context.state, opsFrontend(), m_context.choosers,
                                      m_context.runner, m_context.owner);
    runMoveFiles();
}

void DialogHost::runMoveFiles() {
    const QPointer<MoveFilesDialog> dialog = m_moveFiles;
    dialog->exec();
    if (!dialog)
        return;
    if (!dialog->moveRunning()) {
        m_moveFiles = nullptr;
        dialog->deleteLater();
        return;
    }
    // A move on the worker thread hid the dialog; it comes back when the
    // move has ended and stays until "&Cancel".
    afterRunner(dialog, [this, dialog = dialog.data()] {
        dialog->moveEnded();
        runMoveFiles();
    });
}

void DialogHost::showErrorLog() {
    ErrorLogDialog dialog(m_context.state, m_context.owner);
    dialog.exec();
}

void DialogHost::showExportReport() {
    if (!m_exportReport)
        m_exportReport = new ExportReportDialog(m_context.state, opsFrontend(), m_context.choosers,
                                                m_context.runner, m_context.owner);
    // Hidden while its report is written: it comes back by itself.
    if (m_exportReport->isVisible() || m_exportReport->exportRunning()) {
        m_exportReport->raise();
        return;
    }
    runExportReport();
}

void DialogHost::runExportReport() {
    const QPointer<ExportReportDialog> dialog = m_exportReport;
    m_exportClosed = false;
    dialog->exec();
    if (!dialog || !dialog->exportRunning())
        return;
    // A report written on the worker thread hid the dialog; it comes back
    // unless the report was written.
    afterRunner(dialog, [this, dialog = dialog.data()] {
        dialog->exportEnded();
        if (!m_exportClosed)
            runExportReport();
    });
}

void DialogHost::showPreview() {
    PreviewDialog dialog(m_context.state, opsFrontend(), m_context.owner);
    dialog.exec();
}

void DialogHost::showWizard() {
    if (!m_wizard)
        m_wizard = new WizardDialog(
            m_context.state, [this] { showScanPaths(); }, m_context.owner);
    WizardDialog* wizard = m_wizard;
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

#pragma once

// "Export Report": the report file, its format (text or HTML), the field
// separator of the text format, and which rows and columns are written.
// Created once and only hidden afterwards; its settings live in
// AppState::exportsettings.

#include "core/appstate.h"
#include "core/frontend.h"
#include "core/jobrunner.h"
#include "ui/dialogframe.h"
#include "ui/filechoosers.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace quillfen::ui {

class ExportReportDialog : public FramedDialog {
    Q_OBJECT
public:
    // runner: the worker thread that writes the report.
    ExportReportDialog(AppState& state, Frontend& frontend, FileChoosers& choosers,
                       JobRunner& runner, QWidget* parent = nullptr);

    // A report is being written on the runner: the dialog hid itself so that
    // Stop can be reached; it is shown again unless the export succeeded.
    bool exportRunning() const { return m_exportRunning; }
    void exportEnded() { m_exportRunning = false; }

    void storeSettings();
    void loadSettings();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void browse();
    void exportClicked();
    void showSeparator();

    AppState& m_state;
    Frontend& m_frontend;
    FileChoosers& m_choosers;
    JobRunner& m_runner;
    QLineEdit* m_path;
    QRadioButton* m_text;
    QRadioButton* m_html;
    QCheckBox* m_onlyPath;
    QCheckBox* m_allEntries;
    QLabel* m_separatorLabel;
    QComboBox* m_separator;
    bool m_exportRunning = false;
};

} // namespace quillfen::ui

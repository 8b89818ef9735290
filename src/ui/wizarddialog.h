#pragma once

// The "Quick Start Wizard": a welcome page, what to scan, how accurately to
// compare, and a summary whose "Finish" starts the scan. Finish only hides
// the wizard (shown again it opens on the summary); Close unloads it.

#include "core/appstate.h"
#include "ui/dialogframe.h"

#include <functional>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;

namespace quillfen::ui {

class WizardDialog : public FramedDialog {
    Q_OBJECT
public:
    enum Page { Welcome = 0, Step1, Step2, Summary };
    // How the wizard was left.
    enum Outcome { Closed = QDialog::Rejected, Finished = QDialog::Accepted };

    // showScanPaths shows the Scan paths dialog modally ("I know what im doing").
    WizardDialog(AppState& state, std::function<void()> showScanPaths, QWidget* parent = nullptr);

    Page page() const;
    // The summary exactly as built (lines joined by CR LF).
    const QString& summary() const { return m_summary; }

    void next();
    void back();

private:
    void showPage(Page page);
    void emphasise();

    AppState& m_state;
    std::function<void()> m_showScanPaths;
    QStackedWidget* m_pages;
    QRadioButton* m_new;
    QRadioButton* m_expert;
    QLabel* m_newNote;
    QLabel* m_expertNote;
    QRadioButton* m_fastest;
    QRadioButton* m_exact;
    QLabel* m_fastestNote;
    QLabel* m_exactNote;
    QPlainTextEdit* m_summaryBox;
    QPushButton* m_back;
    QPushButton* m_next;
    QCheckBox* m_noWizard;
    QString m_summary;
};

} // namespace quillfen::ui

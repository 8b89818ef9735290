#pragma once

// The "Settings preview": the last stop before a scan. It shows the paths
// to scan with their settings, the extensions and folders to skip and what
// follows the search; "Change" links open the dialogs that edit them, and
// "&Begin" confirms the scan (AppState::scanconfirmed).

#include "core/appstate.h"
#include "core/messages.h"
#include "ui/dialogframe.h"

#include <functional>

class QGroupBox;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace quillfen::ui {

class SettingsPreviewDialog : public FramedDialog {
    Q_OBJECT
public:
    // showScanPaths and showSettings(tab) open those dialogs modal.
    SettingsPreviewDialog(AppState& state, MessageBoxes& messages,
                          std::function<void()> showScanPaths,
                          std::function<void(int tab)> showSettings, QWidget* parent = nullptr);

    // Takes the contents afresh from the state, then stacks the visible
    // panels and fits the dialog around them.
    void fill();

public slots:
    void reject() override; // "&Cancel": the scan is not confirmed

protected:
    void showEvent(QShowEvent* event) override;

private:
    QGroupBox* makePanel(const QString& name, const QString& caption, const QString& linkName,
                         const QString& linkTip);
    void layOut();
    void showEntrySettings(int row);
    void begin();

    AppState& m_state;
    MessageBoxes& m_messages;
    std::function<void()> m_showScanPaths;
    std::function<void(int)> m_showSettings;

    QTreeWidget* m_paths = nullptr;
    QTreeWidget* m_pathSettings = nullptr;
    QGroupBox* m_extensionsPanel = nullptr;
    QPlainTextEdit* m_extensions = nullptr;
    QGroupBox* m_foldersPanel = nullptr;
    QTreeWidget* m_folders = nullptr;
    QGroupBox* m_afterSearchPanel = nullptr;
    QLabel* m_afterSearch = nullptr;
};

} // namespace quillfen::ui

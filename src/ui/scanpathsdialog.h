#pragma once

// The "Path(s) to scan" dialog: builds the path table from chosen folders
// and ticked drives, each entry with the filter boxes' values of the moment
// it is added. It shows AppState::scanpaths and is hidden, not destroyed,
// when the user is done.

#include "core/appstate.h"
#include "core/messages.h"
#include "ui/dialogframe.h"
#include "ui/filechoosers.h"

#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace quillfen::ui {

class ScanPathsDialog : public FramedDialog {
    Q_OBJECT
public:
    ScanPathsDialog(AppState& state, MessageBoxes& messages, FileChoosers& choosers,
                    QWidget* parent = nullptr);

    // Where the drive list comes from when it is empty (the system's mount
    // table unless replaced).
    void setDriveSource(std::function<std::vector<platform::Drive>()> source) {
        m_driveSource = std::move(source);
    }
    bool advancedShown() const;

public slots:
    // Escape leaves as "&Done" does.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QGroupBox* buildPathFrame();
    QWidget* buildAdvancedPanel(QWidget* parent);

    // Each time the dialog is shown: presets, drives, list chooser, and the
    // state's lists and boxes.
    void becomeActive();
    void showPathList();
    void showDriveList();
    void showBoxes();
    void showPatternSelector();
    void showEntrySettings(int row);

    void addFolder();
    void addDrives();
    void removePath();
    void clearPaths();
    void finishEditing();
    void toggleAdvanced();
    void specificPatternsChanged(const QString& text);

    AppState& m_state;
    MessageBoxes& m_messages;
    FileChoosers& m_choosers;
    std::function<std::vector<platform::Drive>()> m_driveSource;
    bool m_filling = false;

    QGroupBox* m_pathFrame = nullptr;
    QComboBox* m_patternSelector = nullptr;
    QComboBox* m_listChooser = nullptr;
    QComboBox* m_specificPatterns = nullptr;
    QTreeWidget* m_drives = nullptr;
    QPushButton* m_advancedToggle = nullptr;
    QWidget* m_advancedPanel = nullptr;
    QCheckBox* m_minSizeBox = nullptr;
    QLineEdit* m_minSizeText = nullptr;
    QCheckBox* m_maxSizeBox = nullptr;
    QLineEdit* m_maxSizeText = nullptr;
    QCheckBox* m_subdirsBox = nullptr;
    QCheckBox* m_ignoreZeroBox = nullptr;
    QCheckBox* m_readOnlyBox = nullptr;
    QCheckBox* m_hiddenBox = nullptr;
    QCheckBox* m_systemBox = nullptr;
    QCheckBox* m_archiveBox = nullptr;
    QTreeWidget* m_pathList = nullptr;
    QTreeWidget* m_settingsView = nullptr;
    QWidget* m_buttonPanel = nullptr;
};

} // namespace quillfen::ui

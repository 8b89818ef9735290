#pragma once

// The main window: the command bar, the result list (covered by the working
// panel while a run is busy) and the status panel. It is the Frontend of the
// run controllers and shows their messages.

#include "compare/comparecontroller.h"
#include "core/appstate.h"
#include "core/frontend.h"
#include "core/systemfacts.h"
#include "scan/scancontroller.h"
#include "ui/resultlistcommands.h"
#include "ui/resultmodel.h"
#include "ui/statuspanel.h"
#include "ui/widgetmessageboxes.h"
#include "ui/workingpanel.h"

#include <QMainWindow>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <functional>
#include <map>
#include <memory>

namespace quillfen::ui {

class MainWindow : public QMainWindow, public Frontend {
    Q_OBJECT
public:
    // The commands of the command bar, by their place on it.
    enum Command { Paths = 0, Scan = 1, Stop = 2, Support = 9 };

    // messages replaces the window's own message boxes (tests pass scripted ones).
    explicit MainWindow(AppState& state, MessageBoxes* messages = nullptr,
                        QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up: the program state, the settings file and the default lists
    // (startup), then the window's geometry and title. Returns whether the
    // Quick Start Wizard is to be shown.
    bool load(const SystemFacts& system);

    void runCommand(int command);
    // Enables every command, or only Stop and Support while a run is busy.
    void enablecommands(bool enabled);
    QToolButton* commandButton(int command) const;

    ScanController& scanController() { return *m_scan; }
    CompareController& compareController() { return *m_compare; }
    ResultModel& resultModel() { return *m_model; }
    // The list's events and its context menu.
    ResultListCommands& listCommands() { return *m_listCommands; }
    // The folder chooser the Paths command and the offer after an empty
    // path table open; returns an empty text when nothing was chosen.
    void setFolderChooser(std::function<QString()> chooser) { m_chooseFolder = std::move(chooser); }

    // Frontend
    MessageBoxes& messages() override { return *m_messages; }
    void showBusy(bool busy) override;
    void setNoticeVisible(Notice notice, bool visible) override;
    void resultListReset() override;
    void resultChecksChanged() override;
    void statusChanged() override;
    void showSettingsPreview() override;
    void showScanPaths() override;
    void showCompareDialog() override;
    void showSelectionAssistant() override;
    void enableComparisonTimer() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QToolButton* addCommand(int command, const QString& caption, const QString& name,
                            const QString& tip);
    void refreshStatus();
    void comparisonTimerTick();
    void addFolderPath();

    AppState& m_state;
    WidgetMessageBoxes m_ownMessages;
    MessageBoxes* m_messages;
    std::unique_ptr<ScanController> m_scan;
    std::unique_ptr<CompareController> m_compare;
    ResultModel* m_model = nullptr;
    QTreeView* m_view = nullptr;
    ResultListCommands* m_listCommands = nullptr;
    QStackedWidget* m_stack = nullptr;
    WorkingPanel* m_working = nullptr;
    StatusPanel* m_status = nullptr;
    QWidget* m_commandBar = nullptr;
    std::map<int, QToolButton*> m_commands;
    QTimer m_statusTimer;
    QTimer m_comparisonTimer;
    std::function<QString()> m_chooseFolder;
    bool m_clockRunning = false;
};

} // namespace quillfen::ui

#pragma once

// The main window: a frameless window with its own title bar, the command
// bar, the result list (covered by the working panel while a run is busy)
// and the status panel with the notices. It is the Frontend of the run
// controllers, shows their messages and opens every dialog through its
// DialogHost.

#include "compare/comparecontroller.h"
#include "core/appstate.h"
#include "core/frontend.h"
#include "core/jobrunner.h"
#include "core/systemfacts.h"
#include "scan/scancontroller.h"
#include "ui/commandbutton.h"
#include "ui/dialoghost.h"
#include "ui/filechoosers.h"
#include "ui/resultlistcommands.h"
#include "ui/resultmodel.h"
#include "ui/statuspanel.h"
#include "ui/widgetmessageboxes.h"
#include "ui/workingpanel.h"

#include <QPointer>
#include <QTimer>
#include <QTreeView>
#include <QWidget>
#include <array>
#include <memory>

namespace quillfen {
class DragHandle;
}

namespace quillfen::ui {

class TextLink;
class TitleButton;

class MainWindow : public QWidget, public Frontend {
    Q_OBJECT
public:
    // The commands of the command bar (imga), by their place on it.
    enum Command {
        Paths = 0,
        Scan = 1,
        Stop = 2,
        Settings = 3,
        Compare = 4,
        Select = 5,
        Delete = 6,
        Move = 7,
        Export = 8,
        Support = 9,
        CommandCount = 10
    };

    // messages and choosers replace the window's own message boxes and file
    // dialogs (tests pass scripted ones).
    explicit MainWindow(AppState& state, MessageBoxes* messages = nullptr,
                        FileChoosers* choosers = nullptr, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up: the program state, the settings file and the default lists
    // (startup), then the window's geometry, title and version text. Returns
    // whether the Quick Start Wizard is to be shown.
    bool load(const SystemFacts& system);

    // The click on command-bar button `command` (also the "Compare" link's
    // way to command 4). A disabled command does nothing.
    void runCommand(int command);
    // Enables every command, or only Stop and Support while a run is busy;
    // disabled buttons take their disabled look.
    void enablecommands(bool enabled);
    // Shows the highlighted look on the enabled button `command` and the
    // normal look on the other enabled ones; -1 highlights none.
    void highlightcommand(int command);
    // Opens the help page with the desktop's browser.
    void opensupport();
    // "Save results..." and "Open results..." of the list's menu: a file
    // chosen by the user; openResultsFile also opens the file the program
    // was started with. False when nothing was saved or opened.
    bool saveResults();
    bool openResults();
    bool openResultsFile(const QString& path);
    CommandButton* commandButton(int command) const;

    // The layout step that every resize runs.
    void layoutwindow();
    // Maximise/restore of the title bar; a minimised window stays as it is.
    void toggleMaximised();

    // Edge resizing of the frameless window: positions in pixels within
    // the window. A press near the right edge, the bottom edge or the
    // bottom-right corner starts resizing that side; elsewhere on the body
    // the left button moves the window.
    void edgemousedown(QPoint position, Qt::MouseButton button);
    void edgemousemove(QPoint position, Qt::MouseButtons buttons);
    void edgemouseup();

    ScanController& scanController() { return *m_scan; }
    CompareController& compareController() { return *m_compare; }
    ResultModel& resultModel() { return *m_model; }
    // The list's events and its context menu.
    ResultListCommands& listCommands() { return *m_listCommands; }
    DialogHost& dialogHost() { return *m_dialogs; }
    // Replaces the window's own dialog host (tests pass one built with
    // scripted parts); nullptr returns to the window's own.
    void setDialogHost(DialogHost* dialogs) { m_dialogs = dialogs ? dialogs : m_host.get(); }
    StatusPanel& statusPanel() { return *m_status; }
    WorkingPanel& workingPanel() { return *m_working; }

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
    void showErrorLog() override;
    void closeDialog(Dialog d) override { m_dialogs->closeDialog(d); }
    void enableComparisonTimer() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildTitleBar();
    void buildCommandBar();
    void buildLinks();
    // The layout of the window's parts.
    void buildBody();
    // Shows "Undo last operation" while the journal holds an operation to take back.
    void refreshUndo();
    void refreshStatus();
    void comparisonTimerTick();
    void pointerOverPart(QWidget* part, QPoint windowPosition);
    void showPointer(QPoint position);
    void refreshTitlePictures();
    // The minimum size, never larger than the available screen.
    void fitMinimumToScreen();

    AppState& m_state;
    WidgetMessageBoxes m_ownMessages;
    MessageBoxes* m_messages;
    DialogFileChoosers m_ownChoosers;
    FileChoosers* m_choosers;
    // File operations and reports run here; the scan has a runner of its own.
    std::unique_ptr<JobRunner> m_jobs;
    std::unique_ptr<DialogHost> m_host;
    DialogHost* m_dialogs = nullptr; // the host in use: m_host unless replaced
    std::unique_ptr<ScanController> m_scan;
    std::unique_ptr<CompareController> m_compare;
    ResultModel* m_model = nullptr;
    QTreeView* m_view = nullptr;
    ResultListCommands* m_listCommands = nullptr;
    WorkingPanel* m_working = nullptr;
    StatusPanel* m_status = nullptr;

    // Title bar
    DragHandle* m_titleImage = nullptr;
    DragHandle* m_titleName = nullptr;
    DragHandle* m_versionLabel = nullptr;
    TitleButton* m_minimise = nullptr;
    TitleButton* m_maximise = nullptr;
    TitleButton* m_close = nullptr;

    std::array<CommandButton*, CommandCount> m_commandButtons{};
    TextLink* m_wizardLink = nullptr;
    TextLink* m_aboutLink = nullptr;
    TextLink* m_historyLink = nullptr;

    QTimer m_statusTimer;
    QTimer m_comparisonTimer;
    bool m_clockRunning = false;         // a scan or comparison run is busy
    bool m_busy = false;                 // any work is busy: the bars follow its counts
    QPointer<QWidget> m_focusBeforeBusy; // where the focus was when the work began

    // Edge-drag flags: set by a press near an edge, cleared on release.
    bool sizeright = false;
    bool sizebottom = false;
    bool sizecorner = false;
    bool m_moving = false;      // a press on the body has handed the window to the window manager
    bool m_bodyPressed = false; // a left press on the body, not yet released nor turned into a move
    bool m_screenWatched = false;
    int m_laidOutListWidth = -1; // the list width the columns were last fitted to
};

} // namespace quillfen::ui

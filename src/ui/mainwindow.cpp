#include "ui/mainwindow.h"

#include "compare/grouping.h"
#include "core/busy.h"
#include "core/startup.h"
#include "core/status.h"
#include "platform/platform.h"
#include "scan/scanoptions.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

namespace quillfen::ui {

using namespace Qt::StringLiterals;

MainWindow::MainWindow(AppState& state, MessageBoxes* messages, QWidget* parent)
    : QMainWindow(parent), m_state(state), m_ownMessages(this),
      m_messages(messages ? messages : &m_ownMessages) {
    setObjectName(u"Form1"_s);
    setAccessibleName(u"Quillfen"_s);

    m_scan = std::make_unique<ScanController>(m_state, *this);
    m_scan->setGrouping([this] { coloritems(m_state, *this); });
    m_compare = std::make_unique<CompareController>(m_state, *this);
    m_model = new ResultModel(m_state, this);

    auto* central = new QWidget(this);
    central->setObjectName(u"centralwidget"_s);
    central->setAccessibleName(u"Quillfen"_s);
    setCentralWidget(central);

    m_commandBar = new QWidget(central);
    m_commandBar->setObjectName(u"commandbar"_s);
    m_commandBar->setAccessibleName(u"Commands"_s);
    auto* bar = new QHBoxLayout(m_commandBar);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->addWidget(
        addCommand(Paths, u"Paths"_s, u"commandpaths"_s, u"Add a folder to the paths to scan"_s));
    bar->addWidget(
        addCommand(Scan, u"Scan"_s, u"commandscan"_s, u"Look for files that share their size"_s));
    bar->addWidget(
        addCommand(Stop, u"Stop"_s, u"commandstop"_s, u"Stop the running scan or comparison"_s));
    bar->addStretch(1);

    m_view = new QTreeView(central);
    m_view->setObjectName(u"ListView1"_s);
    m_view->setAccessibleName(u"Duplicate files"_s);
    m_view->setToolTip(u"The files found; check the ones to act on"_s);
    m_view->setModel(m_model);
    m_view->setRootIsDecorated(false);
    m_view->setUniformRowHeights(true);
    m_view->setItemsExpandable(false);
    m_view->setSortingEnabled(false);
    m_view->setAllColumnsShowFocus(true);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->header()->setSectionsMovable(false);
    m_view->header()->setStretchLastSection(true);
    m_view->setColumnWidth(ResultModel::Filename, 260);
    m_view->setColumnWidth(ResultModel::SizeMb, 90);
    m_view->setColumnWidth(ResultModel::SizeByte, 110);
    m_view->setColumnWidth(ResultModel::FileDate, 150);
    m_listCommands = new ResultListCommands(m_state, *this, m_view, m_model);

    m_working = new WorkingPanel(central);
    m_stack = new QStackedWidget(central);
    m_stack->setObjectName(u"liststack"_s);
    m_stack->setAccessibleName(u"Results"_s);
    m_stack->addWidget(m_view);
    m_stack->addWidget(m_working);

    m_status = new StatusPanel(central);

    auto* layout = new QVBoxLayout(central);
    layout->addWidget(m_commandBar);
    layout->addWidget(m_stack, 1);
    layout->addWidget(m_status);

    m_statusTimer.setInterval(150); // update at least five times a second while busy
    connect(&m_statusTimer, &QTimer::timeout, this, &MainWindow::refreshStatus);
    m_comparisonTimer.setSingleShot(true);
    m_comparisonTimer.setInterval(100);
    connect(&m_comparisonTimer, &QTimer::timeout, this, &MainWindow::comparisonTimerTick);

    m_chooseFolder = [this] {
        return QFileDialog::getExistingDirectory(this, u"Select a path to scan"_s);
    };
    enablecommands(true);
    refreshStatus();
}

MainWindow::~MainWindow() {
    // The scan and comparison jobs must end before the window they report to goes.
    m_scan.reset();
    m_compare.reset();
}

bool MainWindow::load(const SystemFacts& system) {
    const bool wizard = startup(m_state, system);
    resize(m_state.window.sizePixels());
    if (const auto position = m_state.window.positionPixels())
        move(*position);
    // A window that was closed minimised opens normal rather than out of sight.
    if (m_state.window.state == WindowShowState::Maximised)
        setWindowState(windowState() | Qt::WindowMaximized);
    setWindowTitle(maintitle(m_state));
    return wizard;
}

QToolButton* MainWindow::addCommand(int command, const QString& caption, const QString& name,
                                    const QString& tip) {
    auto* button = new QToolButton(m_commandBar);
    button->setObjectName(name);
    button->setText(caption);
    button->setAccessibleName(caption);
    button->setToolTip(tip);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setMinimumWidth(72);
    connect(button, &QToolButton::clicked, this, [this, command] { runCommand(command); });
    m_commands[command] = button;
    return button;
}

QToolButton* MainWindow::commandButton(int command) const {
    const auto found = m_commands.find(command);
    return found == m_commands.end() ? nullptr : found->second;
}

void MainWindow::runCommand(int command) {
    switch (command) {
    case Paths:
        showScanPaths();
        break;
    case Scan:
        m_scan->starter();
        break;
    case Stop:
        stopcommand(m_state, messages());
        break;
    default:
        break;
    }
}

void MainWindow::enablecommands(bool enabled) {
    for (const auto& [command, button] : m_commands)
        button->setEnabled(enabled || command == Stop || command == Support);
}

void MainWindow::showBusy(bool busy) {
    m_stack->setCurrentWidget(busy ? static_cast<QWidget*>(m_working) : m_view);
    m_view->setEnabled(!busy);
    enablecommands(!busy);
    if (busy) {
        m_clockRunning = true;
        m_statusTimer.start();
        refreshStatus();
    } else {
        m_statusTimer.stop();
        refreshStatus();
        m_clockRunning = false;
    }
}

void MainWindow::setNoticeVisible(Notice notice, bool visible) {
    m_status->setNoticeVisible(notice, visible);
}

void MainWindow::resultListReset() {
    m_model->reload();
}

void MainWindow::resultChecksChanged() {
    m_model->checksChanged();
}

void MainWindow::statusChanged() {
    refreshStatus();
}

void MainWindow::refreshStatus() {
    StatusTexts texts = quillfen::update(m_state, platform::tickCount());
    // The clock runs only while a run is busy; afterwards it shows the run's time.
    if (!m_clockRunning)
        texts.labeltime1 = m_status->labeltime1->text();
    m_status->showCounters(texts);
    m_status->showResults(m_state.labelposs1, m_state.labeldef1, m_state.labelmbselected1);
    const QString caption = m_state.label5.get();
    m_working->showTexts(caption.isEmpty() ? u"Scan progress"_s : caption, m_state.curfolder.get(),
                         m_state.comparefile1.get(), m_state.comparefile2.get());
    m_working->showProgress(m_state.progressvisible, m_state.progressdone, m_state.progressmax,
                            m_state.groupdone, m_state.groupmax);
}

void MainWindow::showSettingsPreview() {
    // The run starts without a preview until the Settings preview dialog exists.
    m_state.scanconfirmed = true;
}

void MainWindow::showScanPaths() {
    // Until the Scan paths dialog exists, a folder chooser adds one path
    // entry with the current filter settings.
    addFolderPath();
}

void MainWindow::addFolderPath() {
    const QString folder = m_chooseFolder ? m_chooseFolder() : QString();
    if (folder.isEmpty())
        return;
    const auto& lists = m_state.settings.patternlists;
    const QString patterns = lists.empty() ? u"*.*"_s : lists.front().patterns;
    m_state.scanpaths.pathtable.push_back(newpathentry(m_state, folder, patterns));
}

void MainWindow::showCompareDialog() {
    // The Compare files dialog comes with the comparison.
}

void MainWindow::showSelectionAssistant() {
    // The selection assistant comes with the selection commands.
}

void MainWindow::enableComparisonTimer() {
    m_comparisonTimer.start();
}

void MainWindow::comparisonTimerTick() {
    // The first tick runs the whole comparison; the timer does not fire again.
    m_comparisonTimer.stop();
    m_compare->start();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    WindowShowState shown = WindowShowState::Normal;
    if (isMinimized())
        shown = WindowShowState::Minimised;
    else if (isMaximized())
        shown = WindowShowState::Maximised;
    const QSize normal = isMinimized() || isMaximized() ? normalGeometry().size() : size();
    if (!closemainwindow(m_state, messages(), WindowGeometry::fromPixels(normal, pos(), shown))) {
        event->ignore();
        return;
    }
    // A scan or comparison that was told to stop may still be winding down.
    m_scan->waitForScan();
    m_compare->wait();
    event->accept();
}

} // namespace quillfen::ui

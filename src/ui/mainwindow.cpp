#include "ui/mainwindow.h"

#include "compare/grouping.h"
#include "core/busy.h"
#include "core/startup.h"
#include "core/status.h"
#include "fileops/operations.h"
#include "fileops/savedresults.h"
#include "fileops/undo.h"
#include "platform/platform.h"
#include "ui/commandbutton.h"
#include "ui/dialogframe.h"
#include "ui/helppage.h"
#include "ui/pictures.h"
#include "ui/textlink.h"
#include "ui/titlebutton.h"
#include "ui/twips.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <optional>

namespace quillfen::ui {

using namespace Qt::StringLiterals;

namespace {

int px(double twips) {
    return twipsToPixels(twips);
}

double tw(int pixels) {
    return pixelsToTwips(pixels);
}

// Fixed places of the window, in twips.
constexpr double kTitleHeight = 420;
constexpr double kListLeft = 60;
constexpr double kListTop = 1750;
constexpr double kListRightMargin = 70;   // the list is W - 130 wide
constexpr double kStatusRightMargin = 80; // the status panel W - 140
constexpr double kStatusGap = 10;         // between the list and the status panel
constexpr double kBottomMargin = 45;
constexpr double kStatusHeight = 3540 - kListTop - kStatusGap - kBottomMargin; // list H - 3540
constexpr double kWorkingOverhang = 100; // the working panel is that much taller than the list
constexpr double kTitleButtonSide = 285;
constexpr double kTitleButtonStep = 300; // from one title button's left edge to the next
constexpr double kTitleRightMargin = 75; // close's right edge at W - 360 + 285
constexpr double kMinimumWidth = 14000;
constexpr double kMinimumHeight = 8000;
constexpr int kFilenameWidth = 260; // the Filename column at the usual window sizes

struct CommandInfo {
    const char16_t* caption;
    const char16_t* name;
    const char16_t* picture;
    const char16_t* tip;
};

const CommandInfo kCommands[MainWindow::CommandCount] = {
    {u"Paths", u"imgapaths", u"cmd-paths.svg", u"Choose the folders and drives to scan"},
    {u"Scan", u"imgascan", u"cmd-scan.svg", u"Look for files that share their size"},
    {u"Stop", u"imgastop", u"cmd-stop.svg", u"Stop the running scan or comparison"},
    {u"Settings", u"imgasettings", u"cmd-settings.svg",
     u"Folders and extensions to skip, file patterns and what follows a scan"},
    {u"Compare", u"imgacompare", u"cmd-compare.svg",
     u"Compare the contents of the files in the list"},
    {u"Select", u"imgaselect", u"cmd-select.svg",
     u"Check every duplicate but one in each group, by your rules"},
    {u"Delete", u"imgadelete", u"cmd-delete.svg",
     u"Send the checked files to the trash or delete them"},
    {u"Move", u"imgamove", u"cmd-move.svg", u"Move the checked files to another folder"},
    {u"Export", u"imgaexport", u"cmd-export.svg", u"Write the list as a text or HTML report"},
    {u"Support", u"imgasupport", u"cmd-support.svg", u"Open the help page"},
};

// Groups of the command bar, told apart by a wider gap before these.
bool startsGroup(int command) {
    return command == MainWindow::Settings || command == MainWindow::Compare ||
           command == MainWindow::Delete || command == MainWindow::Support;
}

bool insideWidget(const QWidget* widget, const QWidget* ancestor) {
    for (; widget; widget = widget->parentWidget()) {
        if (widget == ancestor)
            return true;
    }
    return false;
}

} // namespace

MainWindow::MainWindow(AppState& state, MessageBoxes* messages, FileChoosers* choosers,
                       QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_state(state), m_ownMessages(this),
      m_messages(messages ? messages : &m_ownMessages),
      m_choosers(choosers ? choosers : &m_ownChoosers) {
    setObjectName(u"Form1"_s);
    setAccessibleName(u"Quillfen"_s);
    setWindowIcon(applicationIcon());
    setMouseTracking(true);
    setMinimumSize(px(kMinimumWidth), px(kMinimumHeight));
    QPalette shades = palette();
    shades.setColor(QPalette::Window, colours::body());
    shades.setColor(QPalette::Link, colours::accent());
    shades.setColor(QPalette::Highlight, colours::accent());
    setPalette(shades);

    m_jobs = std::make_unique<JobRunner>();
    m_host = std::make_unique<DialogHost>(
        DialogContext{m_state, *this, *m_choosers, this, *m_jobs, [this] { m_scan->starter(); }});
    m_dialogs = m_host.get();

    m_scan = std::make_unique<ScanController>(m_state, *this);
    // The grouping step after a scan whose plan is "Do nothing".
    m_scan->setGrouping([this] { groupFreshList(m_state, *this); });
    m_compare = std::make_unique<CompareController>(m_state, *this);
    m_model = new ResultModel(m_state, this);

    buildTitleBar();
    buildCommandBar();
    buildLinks();

    m_view = new QTreeView(this);
    m_view->setObjectName(u"ListView1"_s);
    m_view->setAccessibleName(u"Duplicate files"_s);
    m_view->setToolTip(u"The files found; check the ones to act on"_s);
    m_view->setModel(m_model);
    m_view->setRootIsDecorated(false);
    m_view->setUniformRowHeights(true);
    m_view->setItemsExpandable(false);
    m_view->setSortingEnabled(false);
    m_view->setAllColumnsShowFocus(true);
    m_view->setAlternatingRowColors(false);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->header()->setSectionsMovable(false);
    m_view->header()->setStretchLastSection(true);
    m_view->setColumnWidth(ResultModel::Filename, kFilenameWidth);
    m_view->setColumnWidth(ResultModel::SizeMb, 90);
    m_view->setColumnWidth(ResultModel::SizeByte, 110);
    m_view->setColumnWidth(ResultModel::FileDate, 150);
    m_listCommands = new ResultListCommands(m_state, *this, m_view, m_model);
    connect(m_listCommands, &ResultListCommands::pointerMoved, this,
            [this] { highlightcommand(-1); });
    connect(m_listCommands, &ResultListCommands::saveResultsRequested, this,
            &MainWindow::saveResults);
    connect(m_listCommands, &ResultListCommands::openResultsRequested, this,
            &MainWindow::openResults);

    m_working = new WorkingPanel(this);
    m_working->hide();

    m_status = new StatusPanel(this);
    connect(m_status, &StatusPanel::compareLinkActivated, this, [this] { runCommand(Compare); });
    connect(m_status, &StatusPanel::previewLinkActivated, this,
            [this] { m_dialogs->showPreview(); });
    connect(m_status, &StatusPanel::undoLinkActivated, this,
            [this] { startundo(m_state, *this, *m_jobs); });

    // The border images, the same ones the dialogs borrow.
    addskinedges(this);

    m_statusTimer.setInterval(150); // update at least five times a second while busy
    connect(&m_statusTimer, &QTimer::timeout, this, &MainWindow::refreshStatus);
    m_comparisonTimer.setSingleShot(true);
    m_comparisonTimer.setInterval(100);
    connect(&m_comparisonTimer, &QTimer::timeout, this, &MainWindow::comparisonTimerTick);

    // The pointer over any part of the window clears the command highlight;
    // parts that take no mouse events of their own are seen here.
    qApp->installEventFilter(this);

    buildBody();
    enablecommands(true);
    refreshStatus();
    resize(px(15000), px(10000));
    layoutwindow();
}

void MainWindow::buildBody() {
    auto* body = new QVBoxLayout(this);
    // The window's minimum comes from the fixed sizes of the design, not
    // from the parts' wishes.
    body->setSizeConstraint(QLayout::SetNoConstraint);
    body->setContentsMargins(0, 0, 0, px(kBottomMargin));
    body->setSpacing(0);

    // Title bar: picture, name and version on the left, the buttons at the right.
    const int titleHeight = px(kTitleHeight);
    auto* title = new QHBoxLayout;
    title->setContentsMargins(6, 0, px(kTitleRightMargin), 0);
    title->setSpacing(4);
    m_titleImage->setFixedSize(22, titleHeight);
    m_titleName->setFixedHeight(titleHeight);
    m_versionLabel->setFixedHeight(titleHeight);
    m_versionLabel->setMinimumWidth(m_versionLabel->sizeHint().width() + 4);
    title->addWidget(m_titleImage);
    title->addWidget(m_titleName);
    title->addWidget(m_versionLabel);
    title->addStretch(1);
    const int buttonSide = px(kTitleButtonSide);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(px(kTitleButtonStep) - buttonSide);
    for (TitleButton* button : {m_minimise, m_maximise, m_close}) {
        button->setFixedSize(buttonSide, buttonSide);
        buttons->addWidget(button, 0, Qt::AlignVCenter);
    }
    title->addLayout(buttons);
    body->addLayout(title);

    // Command bar under the title, in its groups, the links at its right
    // end. The strip has a fixed height, so the list's top stays put. A
    // narrow window (a large scale factor on a small screen) shrinks the
    // buttons towards their captions and the gaps of the groups first, so
    // the links keep their place instead of lying under the buttons.
    const int barTop = 5;
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(px(kListLeft) + 4, barTop, px(kListLeft) + 10, 0);
    bar->setSpacing(2);
    bar->addItem(new QSpacerItem(0, px(kListTop) - titleHeight - barTop, QSizePolicy::Fixed,
                                 QSizePolicy::Fixed));
    for (CommandButton* button : m_commandButtons) {
        if (startsGroup(button->index()))
            bar->addItem(new QSpacerItem(10, 0, QSizePolicy::Preferred, QSizePolicy::Minimum));
        button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        bar->addWidget(button, 0, Qt::AlignTop);
    }
    bar->addStretch(1);
    auto* links = new QVBoxLayout;
    links->setContentsMargins(0, 0, 0, 8);
    links->setSpacing(0);
    for (TextLink* link : {m_wizardLink, m_aboutLink, m_historyLink}) {
        link->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
        links->addWidget(link, 0, Qt::AlignRight);
        links->addStretch(1);
    }
    bar->addSpacing(10);
    bar->addLayout(links);
    body->addLayout(bar);

    // The list, and the status panel beneath it; the working panel covers
    // the list (placed in layoutwindow).
    auto* list = new QHBoxLayout;
    list->setContentsMargins(px(kListLeft), 0, px(kListRightMargin), 0);
    m_view->setMinimumHeight(60);
    list->addWidget(m_view);
    body->addLayout(list, 1);
    auto* status = new QHBoxLayout;
    status->setContentsMargins(px(kListLeft), px(kStatusGap), px(kStatusRightMargin), 0);
    m_status->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    status->addWidget(m_status);
    body->addLayout(status);
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
    // The jobs must end before the window they report to goes.
    m_scan.reset();
    m_compare.reset();
    m_jobs->wait();
}

void MainWindow::buildTitleBar() {
    m_titleImage = new DragHandle(this);
    m_titleImage->setObjectName(u"titleimage"_s);
    m_titleImage->setAccessibleName(u"Quillfen"_s);
    m_titleImage->setToolTip(u"Drag to move the window; double-click to maximise or restore"_s);
    m_titleImage->setAlignment(Qt::AlignCenter);

    m_titleName = new DragHandle(this);
    m_titleName->setObjectName(u"titlename"_s);
    m_titleName->setText(u"Quillfen"_s);
    m_titleName->setAccessibleName(u"Quillfen"_s);
    m_titleName->setToolTip(m_titleImage->toolTip());
    QFont bold = m_titleName->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.1);
    m_titleName->setFont(bold);

    m_versionLabel = new DragHandle(this);
    m_versionLabel->setObjectName(u"Label8"_s);
    m_versionLabel->setToolTip(u"Version"_s);

    for (QLabel* label :
         {static_cast<QLabel*>(m_titleName), static_cast<QLabel*>(m_versionLabel)}) {
        QPalette white = label->palette();
        white.setColor(QPalette::WindowText, Qt::white);
        label->setPalette(white);
    }
    for (DragHandle* handle : {m_titleImage, m_titleName, m_versionLabel})
        connect(handle, &DragHandle::doubleClicked, this, &MainWindow::toggleMaximised);

    m_minimise = new TitleButton(u"Minimise"_s, picturePath(u"title-minimise.svg"_s), false, this);
    m_minimise->setObjectName(u"minimise"_s);
    connect(m_minimise, &TitleButton::clicked, this, &QWidget::showMinimized);
    m_maximise = new TitleButton(u"Maximise"_s, picturePath(u"title-maximise.svg"_s), false, this);
    m_maximise->setObjectName(u"maximise"_s);
    connect(m_maximise, &TitleButton::clicked, this, &MainWindow::toggleMaximised);
    m_close = new TitleButton(u"Close"_s, picturePath(u"title-close.svg"_s), true, this);
    m_close->setObjectName(u"close"_s);
    connect(m_close, &TitleButton::clicked, this, &QWidget::close);
}

void MainWindow::buildCommandBar() {
    for (int command = 0; command < CommandCount; ++command) {
        const CommandInfo& info = kCommands[command];
        auto* button = new CommandButton(command, QString::fromUtf16(info.caption),
                                         picturePath(QString::fromUtf16(info.picture)), this);
        button->setObjectName(QString::fromUtf16(info.name));
        button->setToolTip(QString::fromUtf16(info.tip));
        connect(button, &CommandButton::clicked, this, [this, command] { runCommand(command); });
        connect(button, &CommandButton::pointerEntered, this, &MainWindow::highlightcommand);
        // Leaving the window from a button must not leave it lit.
        connect(button, &CommandButton::pointerLeft, this, [this] { highlightcommand(-1); });
        m_commandButtons[std::size_t(command)] = button;
    }
}

void MainWindow::buildLinks() {
    auto link = [this](const QString& caption, const QString& name, const QString& tip) {
        auto* label = new TextLink(caption, this);
        label->setObjectName(name);
        label->setToolTip(tip);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return label;
    };
    m_wizardLink = link(u"Quick Start Wizard"_s, u"wizardlink"_s,
                        u"A guided set-up of a scan, step by step"_s);
    m_aboutLink = link(u"About..."_s, u"aboutlink"_s, u"Version, homepage and support address"_s);
    m_historyLink = link(u"Version history"_s, u"historylink"_s, u"What changed in each version"_s);
    connect(m_wizardLink, &TextLink::activated, this, [this] { m_dialogs->showWizard(); });
    connect(m_aboutLink, &TextLink::activated, this, [this] { m_dialogs->showAbout(); });
    connect(m_historyLink, &TextLink::activated, this, [this] { m_dialogs->showVersionHistory(); });
}

void MainWindow::refreshUndo() {
    // An operation of the journal can be taken back, unless it deleted for good.
    const UndoResult offer = undoableoperation(Journal(Journal::defaultPath()));
    m_status->showUndo(!m_busy && offer.available && !offer.permanent, m_state.spacefreed);
}

bool MainWindow::load(const SystemFacts& system) {
    const bool wizard = startup(m_state, system);
    // Whatever the file says, the window opens inside the screen: a size
    // beyond it could not be painted and would be saved again.
    fitMinimumToScreen();
    const QRect available = screen() ? screen()->availableGeometry() : QRect();
    QRect wanted(QPoint(), m_state.window.sizePixels().expandedTo(minimumSize()));
    if (const auto position = m_state.window.positionPixels())
        wanted.moveTopLeft(*position);
    else if (!available.isEmpty())
        wanted.moveCenter(available.center());
    wanted = placedWithin(wanted, available);
    resize(wanted.size());
    move(wanted.topLeft());
    if (m_state.window.state == WindowShowState::Maximised)
        setWindowState(windowState() | Qt::WindowMaximized);
    else if (m_state.window.state == WindowShowState::Minimised)
        setWindowState(windowState() | Qt::WindowMinimized);
    setWindowTitle(maintitle(m_state));
    m_versionLabel->setText(m_state.appversion);
    m_versionLabel->setAccessibleName(u"Version "_s + m_state.appversion);
    refreshUndo();
    layoutwindow();
    return wizard;
}

CommandButton* MainWindow::commandButton(int command) const {
    if (command < 0 || command >= CommandCount)
        return nullptr;
    return m_commandButtons[std::size_t(command)];
}

void MainWindow::runCommand(int command) {
    CommandButton* button = commandButton(command);
    if (!button || !button->isEnabled())
        return;
    // Commands 4 to 8 need a list to work on; separator rows count.
    auto guarded = [this](const QString& text) {
        if (!m_state.resultlist.empty())
            return false;
        messages().inform(text, MessageIcon::Exclamation);
        return true;
    };
    switch (command) {
    case Paths:
        m_dialogs->showScanPaths();
        break;
    case Scan:
        m_scan->starter();
        break;
    case Stop:
        stopcommand(m_state, messages());
        break;
    case Settings:
        m_dialogs->showSettings();
        break;
    case Compare:
        if (!guarded(u"There are no files in the list to check for duplicates."_s))
            m_dialogs->showCompare();
        break;
    case Select:
        if (!guarded(u"There are no files in the list to select."_s))
            m_dialogs->showSelectionAssistant();
        break;
    case Delete:
        if (!guarded(u"There are no files in the list to delete."_s))
            m_dialogs->showDeleteFiles();
        break;
    case Move:
        if (!guarded(u"There are no files in the list to move."_s))
            m_dialogs->showMoveFiles();
        break;
    case Export:
        if (!guarded(u"There is nothing to export."_s))
            m_dialogs->showExportReport();
        break;
    case Support:
        opensupport();
        break;
    default:
        break;
    }
}

void MainWindow::enablecommands(bool enabled) {
    for (CommandButton* button : m_commandButtons) {
        const bool on = enabled || button->index() == Stop || button->index() == Support;
        button->setEnabled(on);
        if (!on)
            button->setLook(CommandButton::Disabled);
        else if (enabled || button->look() == CommandButton::Disabled)
            button->setLook(CommandButton::Normal);
    }
}

void MainWindow::highlightcommand(int command) {
    for (CommandButton* button : m_commandButtons) {
        if (!button->isEnabled())
            continue;
        button->setLook(button->index() == command ? CommandButton::Highlighted
                                                   : CommandButton::Normal);
    }
}

void MainWindow::opensupport() {
    const QUrl page = helpPageUrl();
    QPointer<MainWindow> self(this);
    openAddress(page, [self, page] {
        if (self)
            self->messages().inform(crlfJoin({u"No program could open the help page:"_s, QString(),
                                              page.toDisplayString(QUrl::PreferLocalFile)}),
                                    MessageIcon::Exclamation);
    });
}

void MainWindow::showBusy(bool busy) {
    if (busy && !m_busy) {
        QWidget* focused = focusWidget();
        m_focusBeforeBusy = focused && focused != m_commandButtons[Stop] ? focused : nullptr;
    }
    if (busy) {
        m_working->show();
        m_working->raise();
    } else {
        m_working->hide();
    }
    m_working->captionLabel()->setVisible(busy);
    m_view->setEnabled(!busy);
    enablecommands(!busy);
    for (TextLink* link : {m_historyLink, m_aboutLink, m_wizardLink})
        link->setEnabled(!busy);
    if (busy) {
        // Operations and reports are busy too, but their time is not the run's.
        m_clockRunning = m_state.timedrun;
        m_busy = true;
        m_status->showUndo(false, m_state.spacefreed);
        m_statusTimer.start();
        refreshStatus();
    } else {
        m_statusTimer.stop();
        refreshStatus();
        m_clockRunning = false;
        m_busy = false;
        refreshUndo();
        // Disabling the commands pushed the focus on to Stop; give it back,
        // or Enter after the next dialog would ask to stop nothing.
        QWidget* focused = focusWidget();
        if (!focused || focused == m_commandButtons[Stop]) {
            QWidget* back = m_focusBeforeBusy && m_focusBeforeBusy->isEnabled()
                                ? m_focusBeforeBusy.data()
                                : static_cast<QWidget*>(m_view);
            back->setFocus(Qt::OtherFocusReason);
        }
        m_focusBeforeBusy = nullptr;
    }
}

namespace {
const QString resultsFilter = u"Quillfen results (*.json);;All files (*)"_s;
} // namespace

bool MainWindow::saveResults() {
    if (m_busy)
        return false;
    QString path = m_choosers->chooseSaveFile(this, u"Save results"_s, resultsFilter);
    if (path.isEmpty())
        return false;
    // A name typed without an extension gets the one the open dialog looks for.
    if (!path.mid(path.lastIndexOf(u'/') + 1).contains(u'.'))
        path += u".json"_s;
    return saveresults(m_state, *this, path, m_status->timeSpentLabel()->text());
}

bool MainWindow::openResults() {
    if (m_busy)
        return false;
    const QString path = m_choosers->chooseOpenFile(this, u"Open results"_s, resultsFilter);
    return !path.isEmpty() && openResultsFile(path);
}

bool MainWindow::openResultsFile(const QString& path) {
    if (m_busy)
        return false;
    const std::optional<QString> timespent = openresults(m_state, *this, path);
    if (!timespent)
        return false;
    m_status->timeSpentLabel()->setText(timespent->isEmpty() ? u"00:00:00"_s : *timespent);
    refreshStatus();
    refreshUndo();
    return true;
}

void MainWindow::setNoticeVisible(Notice notice, bool visible) {
    m_status->setNoticeVisible(notice, visible);
    // A notice's wrapped lines may need a taller status panel.
    layoutwindow();
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
        texts.labeltime1 = m_status->timeSpentLabel()->text();
    m_status->showCounters(texts);
    m_status->showResults(m_state.labelposs1, m_state.labeldef1, m_state.labelmbselected1);
    const QString caption = m_state.label5.get();
    m_working->showTexts(caption.isEmpty() ? u"Scan progress"_s : caption, m_state.curfolder.get(),
                         m_state.comparefile1.get(), m_state.comparefile2.get());
    // Idle, the bars keep what the run or the last layout left.
    if (m_busy)
        m_working->showProgress(m_state.progressvisible, m_state.progressdone, m_state.progressmax,
                                m_state.groupdone, m_state.groupmax);
}

void MainWindow::showSettingsPreview() {
    m_dialogs->showSettingsPreview();
}

void MainWindow::showScanPaths() {
    m_dialogs->showScanPaths();
}

void MainWindow::showCompareDialog() {
    m_dialogs->showCompare();
}

void MainWindow::showSelectionAssistant() {
    m_dialogs->showSelectionAssistant();
}

void MainWindow::showErrorLog() {
    m_dialogs->showErrorLog();
}

void MainWindow::enableComparisonTimer() {
    m_comparisonTimer.start();
}

void MainWindow::comparisonTimerTick() {
    // The first tick runs the whole comparison; the timer does not fire again.
    m_comparisonTimer.stop();
    m_compare->start();
}

// Layout

void MainWindow::layoutwindow() {
    if (isMinimized())
        return;
    int width = this->width();
    int height = this->height();
    // Never laid out smaller than the minimum, even where the window
    // manager ignores the size hints.
    const int minimumWidth = this->minimumWidth();
    const int minimumHeight = this->minimumHeight();
    if (width < minimumWidth || height < minimumHeight) {
        width = std::max(width, minimumWidth);
        height = std::max(height, minimumHeight);
        resize(width, height);
    }
    // Large fonts need a taller status panel; the list gives way.
    const int statusWidth = width - px(kListLeft) - px(kStatusRightMargin);
    m_status->setFixedHeight(std::max(px(kStatusHeight), m_status->neededHeight(statusWidth)));
    // The parts are placed now, not when the layout's turn comes: the
    // working panel and the columns follow the list.
    layout()->invalidate();
    layout()->activate();

    const QRect list = m_view->geometry();
    if (list.width() != m_laidOutListWidth) {
        // A wide list gives the file names a share of its extra width
        // instead of leaving it all to the paths.
        m_laidOutListWidth = list.width();
        const int others = m_view->columnWidth(ResultModel::SizeMb) +
                           m_view->columnWidth(ResultModel::SizeByte) +
                           m_view->columnWidth(ResultModel::FileDate);
        m_view->setColumnWidth(ResultModel::Filename,
                               std::max(kFilenameWidth, (list.width() - others) * 2 / 5));
    }
    m_working->setGeometry(list.adjusted(0, 0, 0, px(kWorkingOverhang)));
    // Hidden between runs, the panel would be laid out only when shown.
    m_working->layout()->invalidate();
    m_working->layout()->activate();

    // After a run the bars stay full; while a run goes on their fill is
    // recomputed from its counts at every update.
    if (m_state.stopflag)
        m_working->fillBars();
    update();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutwindow();
}

void MainWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) {
        // A minimised window is not laid out, whatever sizes it goes through.
        layout()->setEnabled(!isMinimized());
        refreshTitlePictures();
        // A window restored from the task bar may have been resized meanwhile.
        layoutwindow();
    }
    QWidget::changeEvent(event);
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refreshTitlePictures();
    if (QWindow* handle = windowHandle(); handle && !m_screenWatched) {
        m_screenWatched = true;
        connect(handle, &QWindow::screenChanged, this, [this] { fitMinimumToScreen(); });
    }
    fitMinimumToScreen();
}

void MainWindow::fitMinimumToScreen() {
    const QSize minimum(px(kMinimumWidth), px(kMinimumHeight));
    const QScreen* shown = screen();
    setMinimumSize(shown ? minimumWithin(minimum, shown->availableGeometry().size()) : minimum);
}

void MainWindow::refreshTitlePictures() {
    const bool maximised = isMaximized();
    m_maximise->setPicture(
        picturePath(maximised ? u"title-restore.svg"_s : u"title-maximise.svg"_s));
    const QString caption = maximised ? u"Restore"_s : u"Maximise"_s;
    m_maximise->setText(caption);
    m_maximise->setAccessibleName(caption);
    m_maximise->setToolTip(caption);
    // Drawn for the screen's scale, so the picture stays crisp.
    m_titleImage->setPixmap(windowIcon().pixmap(QSize(20, 20), devicePixelRatioF()));
}

void MainWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int titleHeight = px(kTitleHeight);
    const int listTop = px(kListTop);
    painter.fillRect(rect(), colours::body());
    painter.fillRect(QRect(0, 0, width(), titleHeight), colours::accent());
    // The command strip and the line under it follow the width.
    const QRect strip(0, titleHeight, width(), listTop - titleHeight - 6);
    painter.fillRect(strip, colours::strip());
    painter.fillRect(QRect(0, strip.bottom() + 1, width(), 1), colours::line());
}

void MainWindow::toggleMaximised() {
    if (isMinimized())
        return;
    if (isMaximized())
        showNormal();
    else
        showMaximized();
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
    m_jobs->wait();
    event->accept();
}

// Edges and pointer

void MainWindow::edgemousedown(QPoint position, Qt::MouseButton button) {
    m_moving = false;
    m_bodyPressed = false;
    // A maximised window has no edges to pull.
    if (isMaximized())
        return;
    const double X = tw(position.x());
    const double Y = tw(position.y());
    const double W = tw(width());
    const double H = tw(height());
    if (X >= W - 110 && Y >= H - 110)
        sizecorner = true;
    else if (X >= W - 200)
        sizeright = true;
    else if (Y >= H - 200)
        sizebottom = true;
    if (button != Qt::LeftButton)
        return;
    if (!sizecorner && !sizeright && !sizebottom) {
        // Only a press seen here may start a move, never a button state
        // that the window manager's own grab left behind.
        m_bodyPressed = true;
        return;
    }
    // Where the window manager can resize the window itself it follows the
    // pointer more smoothly; otherwise the moves below resize it.
    Qt::Edges edges;
    if (sizecorner)
        edges = Qt::RightEdge | Qt::BottomEdge;
    else if (sizeright)
        edges = Qt::RightEdge;
    else
        edges = Qt::BottomEdge;
    if (QWindow* handle = windowHandle(); handle && handle->startSystemResize(edges))
        edgemouseup();
}

void MainWindow::edgemousemove(QPoint position, Qt::MouseButtons buttons) {
    // A window manager may keep the release to itself; a move with no
    // button held means the drag is over.
    if (buttons == Qt::NoButton && (sizeright || sizebottom || sizecorner || m_bodyPressed))
        edgemouseup();
    showPointer(position);
    const double X = tw(position.x());
    const double Y = tw(position.y());
    if (sizeright && X >= 300) {
        resize(px(X + 50), height());
        return;
    }
    if (sizebottom && Y >= 300) {
        resize(width(), px(Y + 50));
        return;
    }
    if (sizecorner) {
        if (X >= 300 && Y >= 300)
            resize(px(X + 50), px(Y + 50));
        return;
    }
    // A resize in progress never turns into a move.
    if (sizeright || sizebottom)
        return;
    if ((buttons & Qt::LeftButton) && m_bodyPressed && !m_moving) {
        m_bodyPressed = false;
        m_moving = dragwindow(this);
    }
}

void MainWindow::edgemouseup() {
    sizeright = false;
    sizebottom = false;
    sizecorner = false;
    m_moving = false;
    m_bodyPressed = false;
}

void MainWindow::showPointer(QPoint position) {
    const double X = tw(position.x());
    const double Y = tw(position.y());
    const double W = tw(width());
    const double H = tw(height());
    std::optional<Qt::CursorShape> shape;
    if (!sizeright && !sizebottom && !sizecorner)
        shape = Qt::ArrowCursor;
    if (!isMaximized()) {
        if (X >= W - 100 && !sizecorner && !sizebottom)
            shape = Qt::SizeHorCursor;
        if (Y >= H - 100 && !sizecorner && !sizeright)
            shape = Qt::SizeVerCursor;
        if (X >= W - 145 && Y >= H - 95 && !sizeright && !sizebottom)
            shape = Qt::SizeAllCursor;
    }
    if (!shape)
        return;
    if (*shape == Qt::ArrowCursor)
        unsetCursor();
    else
        setCursor(*shape);
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
    edgemousedown(event->position().toPoint(), event->button());
    event->accept();
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
    highlightcommand(-1);
    edgemousemove(event->position().toPoint(), event->buttons());
    event->accept();
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event) {
    edgemouseup();
    event->accept();
}

void MainWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    // The empty part of the title strip acts like the title itself; the
    // title's own parts pass their double-clicks on after handling them.
    const QPoint position = event->position().toPoint();
    if (event->button() == Qt::LeftButton && position.y() < px(kTitleHeight) && !childAt(position))
        toggleMaximised();
    event->accept();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove && watched != this && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        auto* mouse = static_cast<QMouseEvent*>(event);
        // Moves with a button held reach the window body through the
        // pressed part; only hovering is looked at here.
        if (mouse->buttons() == Qt::NoButton && widget->window() == this)
            pointerOverPart(widget, widget->mapTo(this, mouse->position().toPoint()));
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::pointerOverPart(QWidget* part, QPoint windowPosition) {
    for (QWidget* widget = part; widget && widget != this; widget = widget->parentWidget()) {
        if (qobject_cast<CommandButton*>(widget))
            return; // the button lights itself up
    }
    highlightcommand(-1);
    // Over the list the default pointer; over the passive parts of the body
    // the sizing pointers of the edges.
    if (insideWidget(part, m_view)) {
        unsetCursor();
        return;
    }
    if (qobject_cast<QAbstractButton*>(part) || qobject_cast<TextLink*>(part) ||
        qobject_cast<QLineEdit*>(part))
        return;
    showPointer(windowPosition);
}

} // namespace quillfen::ui

#include "ui/resultlistcommands.h"

#include "platform/platform.h"
#include "results/filecommands.h"
#include "results/selection.h"
#include "ui/filepropertiesdialog.h"
#include "ui/resultmodel.h"

#include <QAbstractItemView>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QTreeView>
#include <algorithm>

namespace quillfen::ui {

using namespace Qt::StringLiterals;

ResultListCommands::ResultListCommands(AppState& state, Frontend& frontend, QAbstractItemView* list,
                                       ResultModel* model, FileLauncher* launcher)
    : QObject(list), m_state(state), m_frontend(frontend), m_list(list),
      m_menu(std::make_unique<QMenu>(u"Invis"_s)), m_launcher(launcher) {
    if (!m_launcher) {
        m_ownLauncher = std::make_unique<DesktopLauncher>();
        m_launcher = m_ownLauncher.get();
    }
    m_menu->setObjectName(u"invis"_s);
    m_menu->setAccessibleName(u"Invis"_s);
    m_menu->setToolTipsVisible(true);
    addCommand(u"seldups"_s, u"Select duplicates"_s, &ResultListCommands::seldups);
    addCommand(u"selalldir"_s, u"Select all files in this directory"_s,
               &ResultListCommands::selalldir);
    addCommand(u"selmark"_s, u"Select marked entries"_s, &ResultListCommands::selmark);
    addCommand(u"selinv"_s, u"Select inverse"_s, &ResultListCommands::selinv);
    addCommand(u"selall"_s, u"Select all"_s, &ResultListCommands::selall);
    m_menu->addSeparator();
    addCommand(u"unseldir"_s, u"Unselect all files in this directory"_s,
               &ResultListCommands::unseldir);
    addCommand(u"unsel"_s, u"Unselect all"_s, &ResultListCommands::unsel);
    m_menu->addSeparator();
    addCommand(u"edit"_s, u"Edit file"_s, &ResultListCommands::editfile);
    addCommand(u"openfolder"_s, u"Open folder"_s, &ResultListCommands::openfolder);
    addCommand(u"fileproperties"_s, u"File properties"_s, &ResultListCommands::fileproperties);
    addCommand(u"exec"_s, u"Execute.."_s, &ResultListCommands::executefile);
    m_menu->addSeparator();
    addCommand(u"saveresults"_s, u"Save results..."_s, &ResultListCommands::saveResultsRequested);
    addCommand(u"openresults"_s, u"Open results..."_s, &ResultListCommands::openResultsRequested);
    m_emptyMenu = std::make_unique<QMenu>(u"Invis"_s);
    m_emptyMenu->setObjectName(u"invisempty"_s);
    m_emptyMenu->setAccessibleName(u"Invis"_s);
    m_emptyMenu->addAction(action(u"openresults"_s));

    // The list is never re-sorted by a column.
    if (auto* tree = qobject_cast<QTreeView*>(list))
        tree->setSortingEnabled(false);
    list->setContextMenuPolicy(Qt::DefaultContextMenu);
    list->viewport()->setMouseTracking(true);
    list->viewport()->installEventFilter(this);
    list->installEventFilter(this);

    connect(list, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            m_state.clickeditem = index.row() + 1;
    });
    if (model) {
        connect(model, &ResultModel::checkToggled, this, [this](int row) {
            if (m_state.resultlist.empty() || row < 0 || size_t(row) >= m_state.resultlist.size())
                return;
            setrowchecked(m_state, m_frontend, row, m_state.resultlist[size_t(row)].checked);
        });
    }
}

ResultListCommands::~ResultListCommands() = default;

void ResultListCommands::addCommand(const QString& name, const QString& caption,
                                    void (ResultListCommands::*run)()) {
    QAction* action = m_menu->addAction(caption);
    action->setObjectName(name);
    action->setToolTip(caption);
    connect(action, &QAction::triggered, this, [this, run] { (this->*run)(); });
}

QAction* ResultListCommands::action(const QString& name) const {
    for (QAction* action : m_menu->actions()) {
        if (action->objectName() == name)
            return action;
    }
    return nullptr;
}

bool ResultListCommands::showMenu(const QPoint& globalPosition) {
    if (m_state.resultlist.empty()) {
        m_emptyMenu->popup(globalPosition);
        return false;
    }
    m_menu->popup(globalPosition);
    return true;
}

bool ResultListCommands::eventFilter(QObject* watched, QEvent* event) {
    // Only these events matter; the others also come while the view is
    // being destroyed, when it must not be touched.
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonRelease && type != QEvent::MouseMove &&
        type != QEvent::ContextMenu)
        return false;
    if (!m_list)
        return false;
    if (watched == m_list->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonRelease: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::RightButton)
                break;
            // A right click on a row is a click on it too: the file commands
            // then act on the row under the menu.
            const QModelIndex index = m_list->indexAt(mouse->position().toPoint());
            if (index.isValid())
                m_state.clickeditem = index.row() + 1;
            showMenu(mouse->globalPosition().toPoint());
            break; // the view ends its own press as usual
        }
        case QEvent::MouseMove:
            m_list->viewport()->unsetCursor();
            emit pointerMoved();
            break;
        default:
            break;
        }
    }
    if (event->type() == QEvent::ContextMenu &&
        (watched == m_list || watched == m_list->viewport())) {
        auto* request = static_cast<QContextMenuEvent*>(event);
        // The mouse shows the menu on release (above); the keyboard's menu
        // key shows it at the focused row.
        if (request->reason() == QContextMenuEvent::Keyboard) {
            const QRect cell = m_list->visualRect(m_list->currentIndex());
            const QPoint at = cell.isValid() ? cell.bottomLeft() : QPoint(0, 0);
            showMenu(m_list->viewport()->mapToGlobal(at));
        }
        return true;
    }
    return false;
}

qsizetype ResultListCommands::focusedRow() const {
    if (!m_list)
        return -1;
    const QModelIndex current = m_list->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void ResultListCommands::seldups() {
    m_frontend.showSelectionAssistant();
}

void ResultListCommands::selalldir() {
    quillfen::selalldir(m_state, m_frontend, focusedRow());
}

void ResultListCommands::unseldir() {
    quillfen::unseldir(m_state, m_frontend, focusedRow());
}

void ResultListCommands::selmark() {
    if (!m_list || !m_list->selectionModel())
        return;
    std::vector<qsizetype> marked;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows())
        marked.push_back(index.row());
    std::sort(marked.begin(), marked.end());
    quillfen::selmark(m_state, m_frontend, marked);
}

void ResultListCommands::selinv() {
    quillfen::selinv(m_state, m_frontend);
}

void ResultListCommands::selall() {
    quillfen::selall(m_state, m_frontend);
}

void ResultListCommands::unsel() {
    quillfen::unsel(m_state, m_frontend);
}

std::optional<QString> ResultListCommands::existingClickedFile() const {
    // A file that is gone would be created anew by an editor, or make the
    // desktop show an error: nothing happens instead.
    const std::optional<QString> file = clickedfile(m_state);
    if (!file || !platform::fileInfo(*file).exists())
        return std::nullopt;
    return file;
}

std::function<void()> ResultListCommands::tellNotOpened(const QString& what,
                                                        const QString& target) {
    QPointer<ResultListCommands> self(this);
    return [self, text = crlfJoin({what, QString(), target})] {
        if (self)
            self->m_frontend.messages().inform(text, MessageIcon::Exclamation);
    };
}

void ResultListCommands::editfile() {
    if (!existingClickedFile())
        return;
    if (const std::optional<LaunchRequest> request = editfilecommand(m_state)) {
        m_launcher->startEditor(
            *request, tellNotOpened(u"The program to edit files with could not be started:"_s,
                                    request->program));
    }
}

void ResultListCommands::executefile() {
    if (const std::optional<QString> file = existingClickedFile())
        m_launcher->openFile(*file, tellNotOpened(u"No program could open the file:"_s, *file));
}

void ResultListCommands::openfolder() {
    const std::optional<QString> file = clickedfile(m_state);
    const std::optional<QString> folder = openfoldertarget(m_state);
    if (!file || !folder || !platform::fileInfo(*folder).exists())
        return;
    m_launcher->showInFolder(*file, *folder,
                             tellNotOpened(u"No program could show the folder:"_s, *folder));
}

void ResultListCommands::fileproperties() {
    const std::optional<QString> file = existingClickedFile();
    if (!file)
        return;
    QPointer<ResultListCommands> self(this);
    const QString path = *file;
    // The dates in the form the clicked row shows them.
    const DateForm dates = m_state.resultlist[size_t(m_state.clickeditem - 1)].dateform;
    m_launcher->showProperties(path, [self, path, dates] {
        if (self)
            self->showOwnProperties(path, dates);
    });
}

void ResultListCommands::showOwnProperties(const QString& file, DateForm dates) {
    const FileProperties properties = filepropertiesofpath(file, dates);
    if (!properties.exists)
        return;
    FilePropertiesDialog box(properties, m_list ? m_list->window() : nullptr);
    box.exec();
}

} // namespace quillfen::ui

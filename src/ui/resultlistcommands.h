#pragma once

// The result list's events and its context menu "Invis": the check-box rule
// (a separator row is never checked, the selected size is counted again),
// the click that records clickeditem, the menu shown at the pointer when the
// right button is released over a list that has rows, and the menu's eleven
// commands. The main window creates one for its list.

#include "core/appstate.h"
#include "core/frontend.h"
#include "ui/filelauncher.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>

class QAbstractItemView;
class QAction;
class QMenu;
class QPoint;

namespace quillfen::ui {

class ResultModel;

class ResultListCommands : public QObject {
    Q_OBJECT
public:
    // launcher: the desktop services the file commands use (nullptr: the real desktop).
    ResultListCommands(AppState& state, Frontend& frontend, QAbstractItemView* list,
                       ResultModel* model, FileLauncher* launcher = nullptr);
    ~ResultListCommands() override;

    // The menu "Invis" and its entries by their names (seldups, selalldir,
    // selmark, selinv, selall, unseldir, unsel, edit, openfolder,
    // fileproperties, exec, saveresults, openresults).
    QMenu* menu() const { return m_menu.get(); }
    QAction* action(const QString& name) const;
    // Shows the menu at a screen position; over an empty list only a menu
    // with "Open results..." (returns false then).
    bool showMenu(const QPoint& globalPosition);

    // The four file commands on the row at clickeditem.
    void editfile();
    void executefile();
    void openfolder();
    void fileproperties();

signals:
    // The pointer moved over the list: the command bar drops its highlight.
    void pointerMoved();
    // "Save results..." and "Open results..." were chosen; the window asks
    // for the file.
    void saveResultsRequested();
    void openResultsRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void addCommand(const QString& name, const QString& caption, void (ResultListCommands::*run)());
    void seldups();
    void selalldir();
    void unseldir();
    void selmark();
    void selinv();
    void selall();
    void unsel();
    qsizetype focusedRow() const;
    // The clicked row's file when it still exists (nothing happens otherwise).
    std::optional<QString> existingClickedFile() const;
    void showOwnProperties(const QString& file, DateForm dates);
    // Tells the user, when a request to the desktop failed, what could not
    // be opened.
    std::function<void()> tellNotOpened(const QString& what, const QString& target);

    AppState& m_state;
    Frontend& m_frontend;
    QPointer<QAbstractItemView> m_list;
    std::unique_ptr<QMenu> m_menu;
    std::unique_ptr<QMenu> m_emptyMenu; // over an empty list: only "Open results..."
    std::unique_ptr<DesktopLauncher> m_ownLauncher;
    FileLauncher* m_launcher;
};

} // namespace quillfen::ui

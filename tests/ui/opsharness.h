#pragma once

// Test stand-ins for the dialogs of the result list: file choosers answered
// from a script, a window that hosts the dialogs over a real result view, and
// a helper that acts on a modal dialog once it is shown.

#include "core/appstate.h"
#include "core/frontend.h"
#include "core/jobrunner.h"
#include "scriptedmessages.h"
#include "ui/dialoghost.h"
#include "ui/filechoosers.h"
#include "ui/resultlistcommands.h"
#include "ui/resultmodel.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <QWidget>
#include <functional>

namespace quillfen::testing {

// Answers each chooser from a queue (empty: cancelled) and records its title and filter.
class ScriptedChoosers : public FileChoosers {
public:
    struct Asked {
        QString kind; // "folder", "open", "save"
        QString title;
        QString filter;
    };
    QString chooseFolder(QWidget*, const QString& title) override {
        return next(QStringLiteral("folder"), title, {});
    }
    QString chooseOpenFile(QWidget*, const QString& title, const QString& filter) override {
        return next(QStringLiteral("open"), title, filter);
    }
    QString chooseSaveFile(QWidget*, const QString& title, const QString& filter) override {
        return next(QStringLiteral("save"), title, filter);
    }
    QList<Asked> asked;
    QStringList answers;

private:
    QString next(const QString& kind, const QString& title, const QString& filter) {
        asked.append({kind, title, filter});
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
};

// A window with the result list, its commands and the dialog host, which
// forwards to the host what the main window forwards.
class HostWindow : public QWidget, public Frontend {
public:
    explicit HostWindow(AppState& state, bool withRunner = false)
        : m_state(state),
          host(DialogContext{state, *this, choosers, this, withRunner ? &runner : nullptr, [this] {
                                 ++starts;
                                 if (onStart)
                                     onStart();
                             }}) {
        model = new ui::ResultModel(state, this);
        view = new QTreeView(this);
        view->setObjectName(QStringLiteral("ListView1"));
        view->setModel(model);
        view->setRootIsDecorated(false);
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        commands = new ui::ResultListCommands(state, *this, view, model, launcher);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(view);
        resize(800, 500);
    }
    void useLauncher(ui::FileLauncher* replacement) {
        delete commands;
        commands = new ui::ResultListCommands(m_state, *this, view, model, replacement);
    }

    MessageBoxes& messages() override { return boxes; }
    void showBusy(bool busy) override {
        events << (busy ? QStringLiteral("busy") : QStringLiteral("idle"));
    }
    void setNoticeVisible(Notice notice, bool visible) override { notices[int(notice)] = visible; }
    void resultListReset() override { model->reload(); }
    void statusChanged() override {}
    void resultChecksChanged() override { model->checksChanged(); }
    void showSettingsPreview() override { m_state.scanconfirmed = true; }
    void showScanPaths() override { host.showScanPaths(); }
    void showCompareDialog() override { events << QStringLiteral("compare"); }
    void showSelectionAssistant() override { host.showSelectionAssistant(); }
    void showErrorLog() override { host.showErrorLog(); }
    void closeDialog(Dialog dialog) override { host.closeDialog(dialog); }
    void enableComparisonTimer() override {
        events << QStringLiteral("comparisontimer");
        if (onComparison)
            QTimer::singleShot(0, this, onComparison);
    }

    AppState& m_state;
    ScriptedMessageBoxes boxes;
    ScriptedChoosers choosers;
    JobRunner runner;
    DialogHost host;
    ui::ResultModel* model = nullptr;
    QTreeView* view = nullptr;
    ui::ResultListCommands* commands = nullptr;
    ui::FileLauncher* launcher = nullptr;
    QStringList events;
    bool notices[3] = {false, false, false};
    int starts = 0;
    std::function<void()> onStart;
    std::function<void()> onComparison;
};

// Runs action on the first visible top-level widget of type T as soon as
// one is shown (polling, so it also works for a dialog opened with exec()).
template <typename T> void whenShown(std::function<void(T*)> action, int attempts = 500) {
    QTimer::singleShot(10, qApp, [action, attempts] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* found = qobject_cast<T*>(widget); found && found->isVisible()) {
                action(found);
                return;
            }
        }
        if (attempts > 0) {
            whenShown<T>(action, attempts - 1);
            return;
        }
        // Nothing came: close what is open so the test fails instead of hanging.
        qWarning("whenShown: the expected dialog was not shown");
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });
}

} // namespace quillfen::testing

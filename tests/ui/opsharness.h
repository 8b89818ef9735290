#pragma once

// A stand-in main window for the dialogs of the result list: it hosts the
// dialogs over a real result view and forwards to its DialogHost what the
// main window forwards.

#include "core/appstate.h"
#include "core/frontend.h"
#include "core/jobrunner.h"
#include "dialogchecks.h"
#include "scriptedchoosers.h"
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

// A window with the result list, its commands and the dialog host, which
// forwards to the host what the main window forwards.
class HostWindow : public QWidget, public Frontend {
public:
    explicit HostWindow(AppState& state)
        : m_state(state), host(DialogContext{state, *this, choosers, this, runner, [this] {
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

} // namespace quillfen::testing

#pragma once

// The main window's tests: a started main window with scripted message
// boxes and file dialogs, its settings file in a folder of its own.

#include "core/appstate.h"
#include "dialogchecks.h"
#include "scan/scanoptions.h"
#include "scriptedchoosers.h"
#include "scriptedmessages.h"
#include "temptree.h"
#include "ui/commandbutton.h"
#include "ui/filechoosers.h"
#include "ui/mainwindow.h"
#include "ui/settingspreviewdialog.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <functional>

namespace quillfen::testing {

// A started and shown main window with scripted message boxes and file
// dialogs; its settings file lives in a temporary folder.
struct Window {
    Window() : window(state, &boxes, &choosers) {
        SystemFacts system;
        system.programFolder = settings.root();
        wizard = window.load(system);
        window.show();
        // The default skip folders hold /tmp/, where the test trees live.
        state.settings.skipfolderlist.clear();
        state.scanpaths.minsizebox = false;
    }
    void planScanOnly() {
        state.settings.donothing = 1;
        state.settings.fuzzy = state.settings.crc = state.settings.bytewise = 0;
    }
    void addPath(const QString& folder) {
        state.scanpaths.pathtable.push_back(newpathentry(state, folder, QStringLiteral("*.*")));
    }
    ui::CommandButton* button(int command) { return window.commandButton(command); }
    template <typename T = QWidget> T* child(const QString& name) {
        return window.findChild<T*>(name);
    }
    QString label(const QString& name) { return child<QLabel>(name)->text(); }
    // Idle: no run, no working panel, the list enabled.
    bool idle() {
        return state.stopflag && !child(QStringLiteral("workingpanel"))->isVisible() &&
               child(QStringLiteral("ListView1"))->isEnabled();
    }
    // The Scan command with the Settings preview confirmed by "&Begin".
    void scan() {
        whenShown<ui::SettingsPreviewDialog>(
            [](ui::SettingsPreviewDialog* preview) { press(preview, QStringLiteral("Command1")); });
        QTest::mouseClick(button(ui::MainWindow::Scan), Qt::LeftButton);
    }

    TempTree settings;
    AppState state;
    ScriptedMessageBoxes boxes;
    ScriptedChoosers choosers;
    ui::MainWindow window;
    bool wizard = false;
};

} // namespace quillfen::testing

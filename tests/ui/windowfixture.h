#pragma once

// Helpers of the main window's tests: scripted file dialogs, a started main
// window with its settings file in a folder of its own, and a watch that
// answers the modal dialogs a command opens.

#include "core/appstate.h"
#include "scan/scanoptions.h"
#include "scriptedmessages.h"
#include "temptree.h"
#include "ui/commandbutton.h"
#include "ui/filechoosers.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <functional>

namespace quillfen::testing {

// File dialogs answered from a script: each call takes the next answer
// (an empty text, as Cancel gives, when none is left) and records its title.
class ScriptedChoosers : public FileChoosers {
public:
    QString chooseFolder(QWidget*, const QString& title) override { return next(title); }
    QString chooseOpenFile(QWidget*, const QString& title, const QString&) override {
        return next(title);
    }
    QString chooseSaveFile(QWidget*, const QString& title, const QString&) override {
        return next(title);
    }
    QStringList answers;
    QStringList titles;

private:
    QString next(const QString& title) {
        titles << title;
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
};

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

    TempTree settings;
    AppState state;
    ScriptedMessageBoxes boxes;
    ScriptedChoosers choosers;
    ui::MainWindow window;
    bool wizard = false;
};

// Answers every modal window shown while it lives, once per showing:
// records its title and hands it to the answer (the default closes it as
// Escape would). The answer runs once the window's own event loop runs.
class ModalWatch : public QObject {
public:
    using Answer = std::function<void(QWidget*)>;
    explicit ModalWatch(Answer answer = {}) : m_answer(std::move(answer)) {
        qApp->installEventFilter(this);
    }
    ~ModalWatch() override { qApp->removeEventFilter(this); }

    QStringList titles;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            if (widget->isWindow() && widget->isModal()) {
                titles << widget->windowTitle();
                QPointer<QWidget> shown = widget;
                QTimer::singleShot(0, this, [this, shown] {
                    if (!shown || !shown->isVisible())
                        return;
                    if (m_answer)
                        m_answer(shown);
                    else
                        shown->close();
                });
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    Answer m_answer;
};

} // namespace quillfen::testing

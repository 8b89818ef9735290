#pragma once

// File choosers for tests: each question is recorded and answered from a
// script (an empty answer, as if cancelled, when the script is empty), and
// modal dialogs are driven by actions that run once they are on screen.

#include "ui/filechoosers.h"

#include <QApplication>
#include <QList>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace quillfen::testing {

class ScriptedFileChoosers : public FileChoosers {
public:
    struct Asked {
        QString kind; // "folder", "open" or "save"
        QString title;
        QString filter;
    };

    QString chooseFolder(QWidget*, const QString& title) override {
        return answer(QStringLiteral("folder"), title, QString(), folders);
    }
    QString chooseOpenFile(QWidget*, const QString& title, const QString& filter) override {
        return answer(QStringLiteral("open"), title, filter, openFiles);
    }
    QString chooseSaveFile(QWidget*, const QString& title, const QString& filter) override {
        return answer(QStringLiteral("save"), title, filter, saveFiles);
    }

    QList<Asked> asked;
    QStringList folders;
    QStringList openFiles;
    QStringList saveFiles;

private:
    QString answer(const QString& kind, const QString& title, const QString& filter,
                   QStringList& script) {
        asked.append({kind, title, filter});
        return script.isEmpty() ? QString() : script.takeFirst();
    }
};

// Runs action once a modal dialog of type Dialog is the active modal widget;
// use it before the call that shows the dialog with exec().
template <typename Dialog> void whenModal(std::function<void(Dialog*)> action) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        action(dialog);
    });
    timer->start();
}

} // namespace quillfen::testing

#pragma once

// File choosers for tests: each question is recorded and answered from a
// script, one answer a question whatever its kind (an empty answer, as
// Cancel gives, when the script is empty).

#include "ui/filechoosers.h"

#include <QList>
#include <QStringList>

namespace quillfen::testing {

class ScriptedChoosers : public FileChoosers {
public:
    struct Asked {
        QString kind; // "folder", "open" or "save"
        QString title;
        QString filter;
    };

    QString chooseFolder(QWidget*, const QString& title) override {
        return next(QStringLiteral("folder"), title, QString());
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

} // namespace quillfen::testing

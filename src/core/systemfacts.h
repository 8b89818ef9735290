#pragma once

// What the default lists, the editor default and the settings location read
// from the system, gathered in one value so that tests can supply their own.

#include "platform/platform.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

namespace quillfen {

struct SystemFacts {
    // Environment variables that are set, decoded as file names.
    QHash<QString, QString> environment;
    quint32 uid = 0;
    std::vector<platform::Drive> drives;
    // The folder that holds the program itself, with a trailing "/".
    QString programFolder;

    QString variable(const QString& name) const { return environment.value(name); }
    // An absolute folder named by a variable, cleaned and ending in "/";
    // empty when the variable is unset, empty or relative.
    QString folderVariable(const QString& name) const;
    // The home folder ending in "/", or empty when HOME names none.
    QString home() const;
    // The folders of PATH, in order, relative ones left out.
    QStringList searchPath() const;

    // The running system: its environment, user, mount table and the folder
    // of the running program.
    static SystemFacts current();
};

// The variables current() takes from the environment.
QStringList knownEnvironmentVariables();

} // namespace quillfen

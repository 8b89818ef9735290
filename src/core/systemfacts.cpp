#include "core/systemfacts.h"

#include <QCoreApplication>
#include <QDir>

namespace quillfen {

using namespace Qt::StringLiterals;

namespace {

// A folder text in the form the lists keep: cleaned, ending in "/".
QString asFolder(const QString& path) {
    QString folder = QDir::cleanPath(path);
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

} // namespace

QStringList knownEnvironmentVariables() {
    return {u"HOME"_s,
            u"PATH"_s,
            u"TMPDIR"_s,
            u"XDG_CACHE_HOME"_s,
            u"XDG_CONFIG_HOME"_s,
            u"XDG_DATA_HOME"_s,
            u"XDG_RUNTIME_DIR"_s};
}

QString SystemFacts::folderVariable(const QString& name) const {
    const QString value = variable(name);
    // Relative values are invalid for these variables and are ignored.
    if (!value.startsWith(u'/'))
        return QString();
    return asFolder(value);
}

QString SystemFacts::home() const {
    return folderVariable(u"HOME"_s);
}

QStringList SystemFacts::searchPath() const {
    QStringList folders;
    for (const QString& part : variable(u"PATH"_s).split(u':', Qt::SkipEmptyParts)) {
        if (part.startsWith(u'/'))
            folders << QDir::cleanPath(part);
    }
    return folders;
}

SystemFacts SystemFacts::current() {
    SystemFacts facts;
    for (const QString& name : knownEnvironmentVariables()) {
        const QByteArray bytes = name.toLatin1();
        if (platform::hasEnvironmentVariable(bytes.constData()))
            facts.environment.insert(name, platform::environmentVariable(bytes.constData()));
    }
    facts.uid = platform::userId();
    facts.drives = platform::driveList();
    if (QCoreApplication::instance())
        facts.programFolder = asFolder(QCoreApplication::applicationDirPath());
    return facts;
}

} // namespace quillfen

#include "ui/helppage.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

namespace quillfen::ui {

using namespace Qt::StringLiterals;

QString supportMailAddress() {
    return u"support@quillfen.org"_s;
}

QUrl supportMailUrl() {
    return QUrl(u"mailto:"_s + supportMailAddress());
}

QStringList helpPageCandidates() {
    QStringList candidates;
    if (QCoreApplication::instance()) {
        candidates << QDir::cleanPath(QCoreApplication::applicationDirPath() + u'/' +
                                      QStringLiteral(QUILLFEN_HELP_PAGE_RELATIVE));
    }
    candidates << QStringLiteral(QUILLFEN_HELP_PAGE) << QStringLiteral(QUILLFEN_SOURCE_HELP_PAGE);
    candidates.removeDuplicates();
    return candidates;
}

QString findHelpPage(const QStringList& candidates) {
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return {};
}

QUrl helpPageUrl() {
    const QString found = findHelpPage(helpPageCandidates());
    return QUrl::fromLocalFile(found.isEmpty() ? QStringLiteral(QUILLFEN_HELP_PAGE) : found);
}

bool openAddress(const QUrl& address) {
    return QDesktopServices::openUrl(address);
}

} // namespace quillfen::ui

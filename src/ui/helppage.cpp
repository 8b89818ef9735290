#include "ui/helppage.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>

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

void openAddress(const QUrl& address, std::function<void()> failed) {
    const auto fail = [failed = std::move(failed)] {
        if (failed)
            failed();
    };
    // On an X11 or Wayland desktop xdg-open is asked itself: its exit status
    // says whether a program took the address, where Qt's services only say
    // that xdg-open could be started.
    const QString platformName = QGuiApplication::platformName();
    const bool desktop = platformName == u"xcb"_s || platformName.startsWith(u"wayland"_s);
    const QString opener = desktop ? QStandardPaths::findExecutable(u"xdg-open"_s) : QString();
    if (opener.isEmpty()) {
        if (!QDesktopServices::openUrl(address))
            fail();
        return;
    }
    // No parent: a program that xdg-open runs in the foreground must not be
    // ended with the window.
    auto* process = new QProcess;
    process->setProgram(opener);
    process->setArguments({QString::fromLatin1(address.toEncoded())});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::finished, process,
                     [process, fail](int code, QProcess::ExitStatus status) {
                         if (status != QProcess::NormalExit || code != 0)
                             fail();
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, fail](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         fail();
                         process->deleteLater();
                     });
    process->start();
}

} // namespace quillfen::ui

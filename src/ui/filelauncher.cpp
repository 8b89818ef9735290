#include "ui/filelauncher.h"

#include "platform/platform.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>

namespace quillfen::ui {

using namespace Qt::StringLiterals;

void DesktopLauncher::startEditor(const LaunchRequest& request) {
    platform::startProgram(request.program, request.arguments);
}

void DesktopLauncher::openFile(const QString& path) {
    QDesktopServices::openUrl(fileUrl(path));
}

void DesktopLauncher::showInFolder(const QString& file, const QString& folder) {
    callFileManager(u"ShowItems"_s, file, [folder] { QDesktopServices::openUrl(fileUrl(folder)); });
}

void DesktopLauncher::showProperties(const QString& file, std::function<void()> ownBox) {
    callFileManager(u"ShowItemProperties"_s, file, std::move(ownBox));
}

void DesktopLauncher::callFileManager(const QString& method, const QString& file,
                                      std::function<void()> fallback) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        fallback();
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(u"org.freedesktop.FileManager1"_s,
                                                       u"/org/freedesktop/FileManager1"_s,
                                                       u"org.freedesktop.FileManager1"_s, method);
    // The URI keeps every byte of the name percent-encoded.
    call << QStringList{QString::fromLatin1(fileUrl(file).toEncoded())} << QString();
    // Asynchronous, so that a slow or absent file manager never freezes the window.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 10000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [fallback = std::move(fallback)](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                if (finished->isError())
                    fallback();
            });
}

} // namespace quillfen::ui

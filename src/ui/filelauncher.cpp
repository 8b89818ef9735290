#include "ui/filelauncher.h"

#include "platform/platform.h"
#include "ui/helppage.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>

namespace quillfen::ui {

using namespace Qt::StringLiterals;

void DesktopLauncher::startEditor(const LaunchRequest& request, std::function<void()> failed) {
    if (!platform::startProgram(request.program, request.arguments) && failed)
        failed();
}

void DesktopLauncher::openFile(const QString& path, std::function<void()> failed) {
    openAddress(fileUrl(path), std::move(failed));
}

void DesktopLauncher::showInFolder(const QString& file, const QString& folder,
                                   std::function<void()> failed) {
    callFileManager(u"ShowItems"_s, file,
                    [folder, failed = std::move(failed)] { openAddress(fileUrl(folder), failed); });
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

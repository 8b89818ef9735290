#pragma once

// What the result list's four file commands ask of the desktop: start the
// editor, open a file with its program, show a file in the file manager,
// show a file's properties. Behind an interface so that tests can record
// the requests instead of starting programs.

#include "results/filecommands.h"

#include <QObject>
#include <functional>

namespace quillfen::ui {

// failed runs, at once or later on this thread, when no program could take
// the request.
class FileLauncher {
public:
    virtual ~FileLauncher() = default;
    // "Edit file": the program with its arguments, no shell.
    virtual void startEditor(const LaunchRequest& request, std::function<void()> failed = {}) = 0;
    // "Execute..": the file opened by the desktop's handler for its type.
    virtual void openFile(const QString& path, std::function<void()> failed = {}) = 0;
    // "Open folder": the file shown selected in the file manager; where the
    // desktop offers no such service, folder is opened instead.
    virtual void showInFolder(const QString& file, const QString& folder,
                              std::function<void()> failed = {}) = 0;
    // "File properties": the file manager's properties window; where the
    // desktop offers none, ownBox is called to show the program's own.
    virtual void showProperties(const QString& file, std::function<void()> ownBox) = 0;
};

// The real desktop: platform::startProgram, openAddress with byte-exact
// file URLs, and org.freedesktop.FileManager1 on the session bus.
class DesktopLauncher : public QObject, public FileLauncher {
    Q_OBJECT
public:
    explicit DesktopLauncher(QObject* parent = nullptr) : QObject(parent) {}

    void startEditor(const LaunchRequest& request, std::function<void()> failed = {}) override;
    void openFile(const QString& path, std::function<void()> failed = {}) override;
    void showInFolder(const QString& file, const QString& folder,
                      std::function<void()> failed = {}) override;
    void showProperties(const QString& file, std::function<void()> ownBox) override;

private:
    // Calls a method of the file manager service with the file's URI; a
    // missing bus, service or method runs fallback instead.
    void callFileManager(const QString& method, const QString& file,
                         std::function<void()> fallback);
};

} // namespace quillfen::ui

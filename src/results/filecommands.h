#pragma once

// The pure parts of the context menu's four file commands: which file the
// clicked row names and what to launch for it. The window only launches:
// QProcess::startDetached(program, arguments) for the editor, the desktop's
// URL handler for "Execute.." and "Open folder". Nothing goes through a shell.

#include "core/appstate.h"

#include <QStringList>
#include <QUrl>
#include <optional>

namespace quillfen {

struct LaunchRequest {
    QString program;
    QStringList arguments;
};

// Full path of the row at clickeditem (1-based, as the window records a
// click); nothing when no row was clicked, the position is past the end of
// the list (rows were removed since) or the row is a separator row.
std::optional<QString> clickedfile(const AppState& state);

// "Edit file": viewerpath started with the full path as its one argument.
std::optional<LaunchRequest> editfilecommand(const AppState& state);

// "Open folder": the clicked row's folder without its trailing "/"; the root
// folder stays "/" (an empty text would name no folder at all).
std::optional<QString> openfoldertarget(const AppState& state);

// "File properties": what the program's own properties box shows for the
// clicked file, read afresh from the file system.
struct FileProperties {
    QString name;
    QString folder;
    bool exists = false;
    QString type;     // "File", "Folder", "Symbolic link", "Other"
    qint64 size = -1; // bytes
    QString modified; // in the form of the row's "File Date"
    bool readonly = false;
    QString accessed;    // in the same form
    QString owner;       // login name, or the user id
    QString permissions; // "rw-r--r--" and the octal form, e.g. "rw-r--r-- (644)"
};
std::optional<FileProperties> filepropertiesof(const AppState& state);
// The same for any path, its dates in the given form (the scan's unless
// it is the comparison's).
FileProperties filepropertiesofpath(const QString& path, DateForm dates = DateForm::Scan);
// Permission bits as "rwxr-x--- (750)"; set-id and sticky bits as ls shows them.
QString permissionstext(quint32 mode);

// A file: URL that keeps every byte of the name, also for names that are
// not valid UTF-8 (each byte of the encoded path is percent-encoded).
QUrl fileUrl(const QString& path);

} // namespace quillfen

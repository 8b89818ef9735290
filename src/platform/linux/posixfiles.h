#pragma once

// Helpers shared by the Linux file-changing code; not part of the platform
// interface.

#include "platform/platform.h"

#include <QByteArray>
#include <sys/stat.h>
#include <sys/types.h>

namespace quillfen::platform::posix {

// False for a path with a NUL byte: the system would read only the part
// before it, which names another file.
inline bool isSystemPath(const QByteArray& path) {
    return !path.contains('\0');
}

// The facts of a stat record; name (may be null) decides the hidden attribute.
FileInfo statInfo(const struct stat& st, const char* name);

// renameat2 with RENAME_NOREPLACE, or a hard link and an unlink where the
// file system lacks the flag. Returns 0 or an errno value.
int renameNoReplace(int fromDir, const char* from, int toDir, const char* to);

// The folder of a path without its trailing "/" ("/" for the root), and the name after it.
QByteArray folderPart(const QByteArray& path);
QByteArray namePart(const QByteArray& path);

// Writes everything or returns the errno value of the failure.
int writeAll(int fd, const char* data, qint64 length);

// Flushes a folder's entries, so that a rename is on disk before what depends on it.
void syncFolder(const QByteArray& folder);

// Opens a new file with a unique hidden name in folder (O_EXCL); returns the
// descriptor, or a negative errno value.
int createTemporary(const QByteArray& folder, const QByteArray& stem, mode_t mode,
                    QByteArray& created);
// The same in the folder open as folderFd; created is the name in it.
int createTemporaryAt(int folderFd, const QByteArray& stem, mode_t mode, QByteArray& created);

// Whether name can name an entry of a folder: not empty, no "/", no NUL,
// not "." or "..".
bool isEntryName(const QByteArray& name);

// An absolute form of a path: a relative one is taken from the current folder.
QByteArray absolutePath(const QByteArray& path);

} // namespace quillfen::platform::posix

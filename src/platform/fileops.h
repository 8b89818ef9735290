#pragma once

// Changing files: permanent deletion, moving without ever replacing a file,
// the freedesktop.org trash, and whole-file writes that never leave a
// half-written file. Names are converted with encodeFileName only; no shell.

#include <QByteArray>
#include <QString>
#include <atomic>
#include <functional>

namespace quillfen::platform {

class Folder; // folder.h

struct FileOpResult {
    int error = 0;       // errno of the failure; 0 on success
    QString description; // the system's text for it
    bool ok() const { return error == 0; }
    static FileOpResult failure(int error);
};

// The system's description of an errno value ("Permission denied").
QString errorText(int error);

// Deletes one file permanently; folders are refused.
FileOpResult removeFile(const QString& path);
// Deletes the entry name of an open folder; folders are refused.
FileOpResult removeFile(const Folder& folder, const QByteArray& name);

// Moves a file to target and never replaces anything there, also when a file
// appears at target while the move runs. Within a file system the file is
// renamed. Across file systems it is copied to a temporary name in the
// target's folder, flushed, checked, given the source's permissions and
// times, put in place, and only then is the source removed; any failure
// leaves the source as it was and no partial file behind. A stop request
// (stop set to true) abandons a copy in that way too.
FileOpResult moveFile(const QString& source, const QString& target,
                      const std::atomic<bool>* stop = nullptr);
// The same for the entry name of an open folder; the target's folder is
// opened by its path at any depth.
FileOpResult moveFile(const Folder& folder, const QByteArray& name, const QString& target,
                      const std::atomic<bool>* stop = nullptr);

// Sends a file to the freedesktop.org trash: the home trash
// ($XDG_DATA_HOME/Trash) for files on its file system, also when they are
// reached through another mount of it (a bind mount), else the volume's
// $topdir/.Trash/$uid or $topdir/.Trash-$uid, $topdir being the mount point.
// The .trashinfo is written first; a file that cannot be trashed stays where
// it is.
FileOpResult moveToTrash(const QString& path);
// The same for the entry name of an open folder. folderPath is the folder's
// path as listed; it is recorded where the system cannot name the folder
// (a path longer than PATH_MAX).
// beforeMove, when given, learns the file's place in the trash once its
// .trashinfo is written and before the file is moved; a failure it returns
// leaves the file where it is.
using TrashHook = std::function<FileOpResult(const QString& trashedPath)>;
FileOpResult moveToTrash(const Folder& folder, const QString& folderPath, const QByteArray& name,
                         const TrashHook& beforeMove = {});

// Writes a whole file at path piece by piece. The pieces go to a temporary
// file in the same folder, which replaces the old file only on commit() and
// only when every piece was written and flushed; otherwise the old file stays
// as it was and the temporary file goes. A read-only file, a folder or a path
// into a missing folder is refused with its reason. A symbolic link keeps
// pointing at the file, which is the one replaced.
class SaveFile {
public:
    explicit SaveFile(const QString& path);
    ~SaveFile(); // without a successful commit(), removes the temporary file
    SaveFile(const SaveFile&) = delete;
    SaveFile& operator=(const SaveFile&) = delete;

    // The first failure so far (of opening or of a write).
    FileOpResult status() const;
    void write(const QByteArray& bytes);
    FileOpResult commit();

private:
    QByteArray m_target;
    QByteArray m_temporary;
    int m_fd = -1;
    int m_error = 0;
    unsigned m_mode = 0;
    bool m_existed = false;
};

// SaveFile in one call.
FileOpResult saveFile(const QString& path, const QByteArray& content);

} // namespace quillfen::platform

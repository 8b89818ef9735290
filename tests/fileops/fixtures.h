#pragma once

// Helpers of the file-operation tests: result rows for real files, reading
// files and folders byte for byte, and files that cannot be changed.

#include "core/resultlist.h"
#include "platform/filename.h"
#include "platform/folder.h"
#include "platform/platform.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fixtures {

// A result row for a file as the scan lists it: size, date and the identity
// of the file and of its folder, read through the folder at any depth.
inline quillfen::ResultEntry entryFor(const QString& fullPath, bool checked = false) {
    quillfen::ResultEntry entry;
    entry.path = quillfen::folderOf(fullPath);
    entry.filename = quillfen::nameOf(fullPath);
    const quillfen::platform::Folder folder(entry.path);
    const quillfen::platform::FileInfo info = folder.entryInfo(entry.filename);
    entry.size = info.size;
    entry.mtime = info.mtime;
    entry.mtimensec = info.mtimensec;
    entry.id = info.id;
    entry.folderid = folder.info().id;
    entry.dateform = quillfen::DateForm::Scan;
    entry.checked = checked;
    return entry;
}

// The content of a file read through its folder, at any depth.
inline QByteArray readDeep(const QString& fullPath) {
    const quillfen::platform::Folder folder(quillfen::folderOf(fullPath));
    quillfen::platform::InputFile file;
    if (!file.openAt(folder.fd(),
                     quillfen::platform::encodeFileName(quillfen::nameOf(fullPath)).constData()))
        return QByteArray("<missing>");
    QByteArray content(file.info().size, '\0');
    file.readAt(0, content.data(), content.size());
    return content;
}

inline QByteArray readAll(const QString& path) {
    quillfen::platform::InputFile file(path);
    if (!file.isOpen())
        return QByteArray("<missing>");
    QByteArray content(file.info().size, '\0');
    file.readAt(0, content.data(), content.size());
    return content;
}

inline bool exists(const QString& path) {
    return quillfen::platform::fileInfo(path).exists();
}

// The raw names in a folder.
inline QSet<QByteArray> names(const QString& folder) {
    QSet<QByteArray> result;
    quillfen::platform::DirectoryListing listing(folder);
    while (listing.next())
        result.insert(QByteArray(listing.rawName()));
    return result;
}

inline bool setImmutable(const QString& path, bool on) {
    const QByteArray encoded = quillfen::platform::encodeFileName(path);
    const int fd = ::open(encoded.constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

// Makes a file or folder unchangeable for as long as it lives: the
// immutable flag where the file system and our privileges allow it (tests
// run as root, who ignores permissions), else a folder without write
// permission for an ordinary user. isValid() false: the test must skip.
class Unchangeable {
public:
    explicit Unchangeable(const QString& path) : m_path(path) {
        if (setImmutable(path, true)) {
            m_immutable = true;
        } else if (::geteuid() != 0) {
            const QByteArray encoded = quillfen::platform::encodeFileName(path);
            struct stat st;
            if (::stat(encoded.constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
                ::chmod(encoded.constData(), 0555) == 0)
                m_mode = st.st_mode & 07777;
        }
    }
    ~Unchangeable() {
        if (m_immutable)
            setImmutable(m_path, false);
        else if (m_mode)
            ::chmod(quillfen::platform::encodeFileName(m_path).constData(), m_mode);
    }
    bool isValid() const { return m_immutable || m_mode; }

private:
    QString m_path;
    bool m_immutable = false;
    mode_t m_mode = 0;
};

} // namespace fixtures

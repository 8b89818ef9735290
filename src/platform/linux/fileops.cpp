// Linux implementation of deleting, moving and whole-file writing.

#include "platform/fileops.h"

#include "platform/filename.h"
#include "platform/folder.h"
#include "platform/linux/posixfiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quillfen::platform {

QString errorText(int error) {
    char buffer[256];
    // The GNU strerror_r returns the text, which may not be in buffer.
    const char* text = ::strerror_r(error, buffer, sizeof buffer);
    return QString::fromLocal8Bit(text);
}

FileOpResult FileOpResult::failure(int error) {
    return {error, errorText(error)};
}

namespace posix {

int renameNoReplace(int fromDir, const char* from, int toDir, const char* to) {
    if (::renameat2(fromDir, from, toDir, to, RENAME_NOREPLACE) == 0)
        return 0;
    const int error = errno;
    if (error != EINVAL && error != ENOSYS && error != EOPNOTSUPP)
        return error;
    // A file system without the flag: a hard link cannot replace anything.
    if (::linkat(fromDir, from, toDir, to, 0) != 0)
        return errno;
    if (::unlinkat(fromDir, from, 0) != 0) {
        const int unlinkError = errno;
        ::unlinkat(toDir, to, 0);
        return unlinkError;
    }
    return 0;
}

QByteArray folderPart(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    if (slash == 0)
        return QByteArrayLiteral("/");
    return path.left(slash);
}

QByteArray namePart(const QByteArray& path) {
    return path.mid(path.lastIndexOf('/') + 1);
}

int writeAll(int fd, const char* data, qint64 length) {
    qint64 done = 0;
    while (done < length) {
        const ssize_t n = ::write(fd, data + done, size_t(length - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        done += n;
    }
    return 0;
}

void syncFolder(const QByteArray& folder) {
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

namespace {

// Creates a file that did not exist, with a unique hidden name made of
// prefix, relative to folderFd.
int createTemporaryWith(int folderFd, const QByteArray& prefix, mode_t mode, QByteArray& created) {
    static std::atomic<quint32> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const quint32 serial = counter.fetch_add(1, std::memory_order_relaxed);
        QByteArray name = prefix + '-' + QByteArray::number(::getpid()) + '-' +
                          QByteArray::number(serial) + ".tmp";
        const int fd = ::openat(folderFd, name.constData(),
                                O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
        if (fd >= 0) {
            created = std::move(name);
            return fd;
        }
        if (errno != EEXIST)
            return -errno;
    }
    return -EEXIST;
}

} // namespace

int createTemporary(const QByteArray& folder, const QByteArray& stem, mode_t mode,
                    QByteArray& created) {
    // Room for the serial part within the 255 bytes a name may have.
    const QByteArray prefix =
        (folder == "/" ? QByteArray("/") : folder + '/') + '.' + stem.left(160);
    return createTemporaryWith(AT_FDCWD, prefix, mode, created);
}

int createTemporaryAt(int folderFd, const QByteArray& stem, mode_t mode, QByteArray& created) {
    return createTemporaryWith(folderFd, '.' + stem.left(160), mode, created);
}

bool isEntryName(const QByteArray& name) {
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/') &&
           !name.contains('\0');
}

QByteArray absolutePath(const QByteArray& path) {
    if (path.startsWith('/'))
        return path;
    char* current = ::getcwd(nullptr, 0);
    if (!current)
        return path;
    QByteArray absolute(current);
    ::free(current);
    return absolute.endsWith('/') ? absolute + path : absolute + '/' + path;
}

} // namespace posix

using namespace posix;

namespace {

// Opens the folder of a path; name is the entry in it. Returns 0 or an errno value.
int openParent(const QString& path, Folder& folder, QByteArray& name) {
    const QByteArray encoded = encodeFileName(path);
    if (!isSystemPath(encoded))
        return EINVAL;
    const QByteArray absolute = absolutePath(encoded);
    name = namePart(absolute);
    if (!isEntryName(name))
        return EINVAL;
    folder = Folder(decodeFileName(folderPart(absolute)));
    return folder.isOpen() ? 0 : folder.error();
}

} // namespace

FileOpResult removeFile(const QString& path) {
    Folder folder;
    QByteArray name;
    if (const int error = openParent(path, folder, name))
        return FileOpResult::failure(error);
    return removeFile(folder, name);
}

FileOpResult removeFile(const Folder& folder, const QByteArray& name) {
    if (!isEntryName(name))
        return FileOpResult::failure(EINVAL);
    struct stat st;
    if (::fstatat(folder.fd(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return FileOpResult::failure(errno);
    if (S_ISDIR(st.st_mode))
        return FileOpResult::failure(EISDIR);
    if (::unlinkat(folder.fd(), name.constData(), 0) != 0)
        return FileOpResult::failure(errno);
    return {};
}

namespace {

// Size and modification time, the marks of a file's content being unchanged.
bool sameContentStamp(const struct stat& a, const struct stat& b) {
    return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
           a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// The copy of a move across file systems; see moveFile. Both ends are
// entries of open folders.
FileOpResult copyThenRemove(int fromDir, const QByteArray& source, int toDir,
                            const QByteArray& target, const std::atomic<bool>* stop) {
    const int in = ::openat(fromDir, source.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (in < 0)
        return FileOpResult::failure(errno);
    struct stat before;
    const int statError = ::fstat(in, &before) != 0 ? errno : 0;
    if (statError || !S_ISREG(before.st_mode)) {
        ::close(in);
        return FileOpResult::failure(statError ? statError : EINVAL);
    }
    QByteArray temporary;
    const int out = createTemporaryAt(toDir, "quillfen-move", 0600, temporary);
    if (out < 0) {
        ::close(in);
        return FileOpResult::failure(-out);
    }

    int error = 0;
    QString description; // our own text where the system has none that fits
    qint64 copied = 0;
    std::vector<char> buffer(1 << 20);
    for (;;) {
        if (stop && stop->load(std::memory_order_relaxed)) {
            error = ECANCELED;
            break;
        }
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            break;
        }
        if (n == 0)
            break;
        error = writeAll(out, buffer.data(), n);
        if (error)
            break;
        copied += n;
    }

    struct stat after;
    if (!error && (::fstat(in, &after) != 0 || !sameContentStamp(after, before) ||
                   copied != before.st_size)) {
        error = EAGAIN;
        description = QStringLiteral("The file changed while it was being copied");
    }
    if (!error) {
        // Ownership can only be kept by a privileged user; permissions and
        // times can always be.
        [[maybe_unused]] const int owned = ::fchown(out, before.st_uid, before.st_gid);
        if (::fchmod(out, before.st_mode & 07777) != 0)
            error = errno;
    }
    if (!error) {
        const struct timespec times[2] = {before.st_atim, before.st_mtim};
        if (::futimens(out, times) != 0)
            error = errno;
    }
    if (!error && ::fsync(out) != 0)
        error = errno;
    struct stat written;
    if (!error && (::fstat(out, &written) != 0 || written.st_size != before.st_size)) {
        error = EIO;
        description = QStringLiteral("The copy does not have the size of the file");
    }
    if (::close(out) != 0 && !error)
        error = errno;

    if (!error)
        error = renameNoReplace(toDir, temporary.constData(), toDir, target.constData());
    if (error) {
        ::close(in);
        ::unlinkat(toDir, temporary.constData(), 0);
        FileOpResult result = FileOpResult::failure(error);
        if (!description.isEmpty())
            result.description = description;
        return result;
    }
    ::fsync(toDir);
    // The source is removed by its name, so that name must still be the file
    // that was copied, unchanged: a program that saved a new version over it
    // meanwhile (a new file renamed into its place) would otherwise lose it.
    struct stat named;
    const bool same = ::fstatat(fromDir, source.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
                      named.st_dev == before.st_dev && named.st_ino == before.st_ino &&
                      ::fstat(in, &after) == 0 && sameContentStamp(after, before);
    ::close(in);
    if (!same) {
        ::unlinkat(toDir, target.constData(), 0);
        FileOpResult result = FileOpResult::failure(EAGAIN);
        result.description = QStringLiteral("The file changed while it was being copied");
        return result;
    }
    if (::unlinkat(fromDir, source.constData(), 0) != 0) {
        // Two copies would be a move that half happened: take ours back.
        error = errno;
        ::unlinkat(toDir, target.constData(), 0);
        return FileOpResult::failure(error);
    }
    return {};
}

} // namespace

FileOpResult moveFile(const QString& source, const QString& target, const std::atomic<bool>* stop) {
    Folder folder;
    QByteArray name;
    if (const int error = openParent(source, folder, name))
        return FileOpResult::failure(error);
    return moveFile(folder, name, target, stop);
}

FileOpResult moveFile(const Folder& folder, const QByteArray& name, const QString& target,
                      const std::atomic<bool>* stop) {
    if (!isEntryName(name))
        return FileOpResult::failure(EINVAL);
    Folder targetFolder;
    QByteArray targetName;
    if (const int error = openParent(target, targetFolder, targetName))
        return FileOpResult::failure(error);
    const int error =
        renameNoReplace(folder.fd(), name.constData(), targetFolder.fd(), targetName.constData());
    if (error != EXDEV)
        return error ? FileOpResult::failure(error) : FileOpResult{};
    // A file appearing at the target while the copy runs is caught by the
    // final rename; this only spares a needless copy.
    struct stat st;
    if (::fstatat(targetFolder.fd(), targetName.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        return FileOpResult::failure(EEXIST);
    return copyThenRemove(folder.fd(), name, targetFolder.fd(), targetName, stop);
}

SaveFile::SaveFile(const QString& path) : m_target(encodeFileName(path)) {
    mode_t mode = 0666; // narrowed by the umask when the file is created
    struct stat st;
    if (::stat(m_target.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            m_error = EISDIR;
            return;
        }
        if (!S_ISREG(st.st_mode)) {
            m_error = EINVAL;
            return;
        }
        // Without a write bit the user meant the file to stay as it is, even
        // for root, who may write anything.
        if ((st.st_mode & 0222) == 0 || ::access(m_target.constData(), W_OK) != 0) {
            m_error = EACCES;
            return;
        }
        // Replace what a symbolic link points to, not the link.
        if (char* real = ::realpath(m_target.constData(), nullptr)) {
            m_target = QByteArray(real);
            ::free(real);
        }
        mode = st.st_mode & 07777;
        m_existed = true;
    } else if (errno != ENOENT) {
        m_error = errno;
        return;
    }
    m_mode = mode;
    m_fd = createTemporary(folderPart(m_target), namePart(m_target), mode, m_temporary);
    if (m_fd < 0) {
        m_error = -m_fd;
        m_fd = -1;
    }
}

SaveFile::~SaveFile() {
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_temporary.isEmpty())
        ::unlink(m_temporary.constData());
}

FileOpResult SaveFile::status() const {
    return m_error ? FileOpResult::failure(m_error) : FileOpResult{};
}

void SaveFile::write(const QByteArray& bytes) {
    if (m_error || m_fd < 0)
        return;
    m_error = writeAll(m_fd, bytes.constData(), bytes.size());
}

FileOpResult SaveFile::commit() {
    if (!m_error && m_fd < 0)
        m_error = EBADF; // committed before
    if (!m_error && m_existed && ::fchmod(m_fd, mode_t(m_mode)) != 0)
        m_error = errno;
    if (!m_error && ::fsync(m_fd) != 0)
        m_error = errno;
    if (m_fd >= 0 && ::close(m_fd) != 0 && !m_error)
        m_error = errno;
    m_fd = -1;
    if (!m_error && ::rename(m_temporary.constData(), m_target.constData()) != 0)
        m_error = errno;
    if (m_error)
        return status(); // the destructor removes the temporary file
    m_temporary.clear();
    syncFolder(folderPart(m_target));
    return {};
}

FileOpResult saveFile(const QString& path, const QByteArray& content) {
    SaveFile file(path);
    file.write(content);
    return file.commit();
}

} // namespace quillfen::platform

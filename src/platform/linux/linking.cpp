#include "platform/linking.h"

#include "platform/filename.h"
#include "platform/linux/posixfiles.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillfen::platform {

namespace {

// A hidden name in folder that nothing holds yet, created by make (which
// returns 0 or an errno value; EEXIST tries the next name).
template <typename Make> int makeTemporary(QByteArray& name, Make make) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
        name = ".quillfen-" + QByteArray::number(qint64(::getpid())) + '-' +
               QByteArray::number(attempt) + ".tmp";
        const int error = make(name.constData());
        if (error != EEXIST)
            return error;
    }
    return EEXIST;
}

int makeHardLink(const Folder& keptFolder, const QByteArray& keptName, const Folder& folder,
                 QByteArray& temporary) {
    return makeTemporary(temporary, [&](const char* candidate) {
        return ::linkat(keptFolder.fd(), keptName.constData(), folder.fd(), candidate, 0) == 0
                   ? 0
                   : errno;
    });
}

// Copies every byte of source into target (no block sharing); 0 or an errno value.
int copyBytes(int source, int target) {
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(source, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return ::fsync(target) == 0 ? 0 : errno;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(target, buffer + done, size_t(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w < 0)
                return errno;
            done += w;
        }
    }
}

// Gives an open file the permissions, owner and times of original.
int takeAttributes(int fd, const FileInfo& original) {
    // The owner first: a change of owner clears set-id bits that fchmod then sets again.
    if (::geteuid() == 0 && ::fchown(fd, uid_t(original.owner), gid_t(-1)) != 0)
        return errno;
    if (::fchmod(fd, mode_t(original.mode)) != 0)
        return errno;
    const struct timespec times[2] = {{time_t(original.atime), 0},
                                      {time_t(original.mtime), long(original.mtimensec)}};
    return ::futimens(fd, times) == 0 ? 0 : errno;
}

// A clone of the kept file under a temporary name, with the permissions,
// owner and times of the file it is to replace.
int makeClone(const Folder& keptFolder, const QByteArray& keptName, const FileInfo& kept,
              const Folder& folder, const FileInfo& expected, QByteArray& temporary) {
    const int source =
        ::openat(keptFolder.fd(), keptName.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (source < 0)
        return errno;
    struct stat st;
    if (::fstat(source, &st) != 0 || quint64(st.st_dev) != kept.id.device ||
        quint64(st.st_ino) != kept.id.inode) {
        ::close(source);
        return kFileChanged;
    }
    int target = -1;
    int error = makeTemporary(temporary, [&](const char* candidate) {
        target = ::openat(folder.fd(), candidate, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        return target < 0 ? errno : 0;
    });
    if (error == 0 && ::ioctl(target, FICLONE, source) != 0)
        error = errno == EINVAL || errno == ENOTTY ? EOPNOTSUPP : errno;
    if (error == 0)
        error = takeAttributes(target, expected);
    ::close(source);
    if (target >= 0)
        ::close(target);
    if (error != 0 && target >= 0)
        ::unlinkat(folder.fd(), temporary.constData(), 0);
    return error;
}

// Puts the new file (temporary) in place of name and removes the old file,
// which must be the expected one; otherwise everything goes back.
int exchangeAndRemove(const Folder& folder, const QByteArray& temporary, const QByteArray& name,
                      const FileInfo& expected) {
    const int fd = folder.fd();
    if (::renameat2(fd, temporary.constData(), fd, name.constData(), RENAME_EXCHANGE) != 0) {
        const int error = errno;
        if (error != EINVAL && error != ENOSYS && error != EOPNOTSUPP)
            return error;
        // No exchange on this file system: check, then replace (a short window).
        if (!sameFile(folder.entryInfo(name.constData()), expected))
            return kFileChanged;
        return ::renameat(fd, temporary.constData(), fd, name.constData()) == 0 ? 0 : errno;
    }
    // The old file now has the temporary name.
    if (!sameFile(folder.entryInfo(temporary.constData()), expected)) {
        ::renameat2(fd, temporary.constData(), fd, name.constData(), RENAME_EXCHANGE);
        return kFileChanged;
    }
    return ::unlinkat(fd, temporary.constData(), 0) == 0 ? 0 : errno;
}

} // namespace

FileOpResult restoreOwnCopy(const Folder& folder, const QString& name, const FileInfo& current,
                            const FileInfo& original) {
    const QByteArray nameBytes = encodeFileName(name);
    if (nameBytes.contains('\0') || nameBytes.contains('/'))
        return FileOpResult::failure(EINVAL);
    if (!folder.isOpen())
        return FileOpResult::failure(EBADF);
    const int source = ::openat(folder.fd(), nameBytes.constData(),
                                O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (source < 0)
        return FileOpResult::failure(errno);
    struct stat st;
    if (::fstat(source, &st) != 0 || !sameFile(posix::statInfo(st, nullptr), current)) {
        ::close(source);
        return FileOpResult::failure(kFileChanged);
    }
    QByteArray temporary;
    int target = -1;
    int error = makeTemporary(temporary, [&](const char* candidate) {
        target = ::openat(folder.fd(), candidate, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        return target < 0 ? errno : 0;
    });
    if (error == 0)
        error = copyBytes(source, target);
    if (error == 0)
        error = takeAttributes(target, original);
    ::close(source);
    if (target >= 0)
        ::close(target);
    FileIdentity made;
    if (error == 0) {
        made = folder.entryInfo(temporary.constData()).id;
        error = exchangeAndRemove(folder, temporary, nameBytes, current);
    }
    if (error != 0) {
        if (target >= 0 && folder.entryInfo(temporary.constData()).id == made)
            ::unlinkat(folder.fd(), temporary.constData(), 0);
        return FileOpResult::failure(error);
    }
    return {};
}

bool sameFile(const FileInfo& now, const FileInfo& expected) {
    return now.isRegular() && now.id == expected.id && now.size == expected.size &&
           now.mtime == expected.mtime && now.mtimensec == expected.mtimensec;
}

FileOpResult replaceWithLink(LinkKind kind, const Folder& keptFolder, const QString& keptName,
                             const FileInfo& kept, const Folder& folder, const QString& name,
                             const FileInfo& expected) {
    const QByteArray keptBytes = encodeFileName(keptName);
    const QByteArray nameBytes = encodeFileName(name);
    if (keptBytes.contains('\0') || nameBytes.contains('\0') || keptBytes.contains('/') ||
        nameBytes.contains('/'))
        return FileOpResult::failure(EINVAL);
    if (!keptFolder.isOpen() || !folder.isOpen())
        return FileOpResult::failure(EBADF);
    if (!sameFile(folder.entryInfo(nameBytes.constData()), expected) ||
        !sameFile(keptFolder.entryInfo(keptBytes.constData()), kept))
        return FileOpResult::failure(kFileChanged);
    if (expected.id == kept.id)
        return {}; // already one file

    QByteArray temporary;
    int error = kind == LinkKind::Hard
                    ? makeHardLink(keptFolder, keptBytes, folder, temporary)
                    : makeClone(keptFolder, keptBytes, kept, folder, expected, temporary);
    if (error != 0)
        return FileOpResult::failure(error);
    const FileIdentity made = folder.entryInfo(temporary.constData()).id;
    // The kept name may have been swapped before the link was made.
    if (kind == LinkKind::Hard && made != kept.id)
        error = kFileChanged;
    if (error == 0)
        error = exchangeAndRemove(folder, temporary, nameBytes, expected);
    if (error != 0) {
        // Only the file made here goes, never one that took its name.
        if (folder.entryInfo(temporary.constData()).id == made)
            ::unlinkat(folder.fd(), temporary.constData(), 0);
        return FileOpResult::failure(error);
    }
    return {};
}

} // namespace quillfen::platform

#include "platform/folder.h"

#include "platform/filename.h"
#include "platform/linux/posixfiles.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillfen::platform {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

// Opens an absolute path one name at a time, for paths the system refuses
// whole (ENAMETOOLONG). Returns a descriptor or a negative errno value.
int openByComponents(const QByteArray& path) {
    int current = ::open("/", kFolderFlags);
    if (current < 0)
        return -errno;
    qsizetype start = 0;
    while (start < path.size()) {
        qsizetype end = path.indexOf('/', start);
        if (end < 0)
            end = path.size();
        const QByteArray name = path.mid(start, end - start);
        start = end + 1;
        if (name.isEmpty() || name == ".")
            continue;
        const int next = ::openat(current, name.constData(), kFolderFlags);
        const int error = errno;
        ::close(current);
        if (next < 0)
            return -error;
        current = next;
    }
    return current;
}

} // namespace

Folder::Folder(const QString& path) {
    const QByteArray encoded = encodeFileName(path);
    if (encoded.contains('\0') || !encoded.startsWith('/')) {
        m_error = EINVAL;
        return;
    }
    m_fd = ::open(encoded.constData(), kFolderFlags);
    if (m_fd < 0 && errno == ENAMETOOLONG) {
        const int fd = openByComponents(encoded);
        if (fd < 0)
            errno = -fd;
        m_fd = fd < 0 ? -1 : fd;
    }
    m_error = m_fd < 0 ? errno : 0;
}

Folder::Folder(const Folder& parent, const char* name) {
    if (!parent.isOpen()) {
        m_error = EBADF;
        return;
    }
    m_fd = ::openat(parent.fd(), name, kFolderFlags | O_NOFOLLOW);
    m_error = m_fd < 0 ? errno : 0;
}

Folder::~Folder() {
    close();
}

Folder::Folder(Folder&& other) noexcept : m_fd(other.m_fd), m_error(other.m_error) {
    other.m_fd = -1;
}

Folder& Folder::operator=(Folder&& other) noexcept {
    if (this != &other) {
        close();
        m_fd = other.m_fd;
        m_error = other.m_error;
        other.m_fd = -1;
    }
    return *this;
}

Folder Folder::duplicate() const {
    Folder copy;
    copy.m_fd = m_fd >= 0 ? ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0) : -1;
    copy.m_error = copy.m_fd < 0 ? (m_fd >= 0 ? errno : m_error) : 0;
    return copy;
}

void Folder::close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

FileInfo Folder::info() const {
    struct stat st;
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0) {
        FileInfo failed;
        failed.error = m_fd < 0 ? EBADF : errno;
        return failed;
    }
    return posix::statInfo(st, nullptr);
}

FileInfo Folder::entryInfo(const char* name) const {
    struct stat st;
    if (m_fd < 0 || ::fstatat(m_fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
        FileInfo failed;
        failed.error = m_fd < 0 ? EBADF : errno;
        return failed;
    }
    return posix::statInfo(st, name);
}

FileInfo Folder::entryInfo(const QString& name) const {
    const QByteArray encoded = encodeFileName(name);
    if (encoded.contains('\0') || encoded.contains('/')) {
        FileInfo failed;
        failed.error = EINVAL;
        return failed;
    }
    return entryInfo(encoded.constData());
}

} // namespace quillfen::platform

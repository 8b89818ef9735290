// Linux implementation of the file queries, listings and file reading.

#include "platform/filename.h"
#include "platform/folder.h"
#include "platform/linux/posixfiles.h"
#include "platform/platform.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace quillfen::platform {
namespace {

// Reading a file need not stamp its access time: a comparison over a whole
// drive would otherwise have the inodes of every file it read written back.
// Only the owner (or root) may ask for that; after some refusals (a tree of
// other people's files) the program stops asking.
std::atomic<int> g_noAtimeRefusals{0};
constexpr int kNoAtimeRefusalsAtMost = 64;

int openForReading(int folderFd, const char* name, int flags) {
    if (g_noAtimeRefusals.load(std::memory_order_relaxed) < kNoAtimeRefusalsAtMost) {
        const int fd = ::openat(folderFd, name, flags | O_NOATIME);
        if (fd >= 0 || errno != EPERM)
            return fd;
        g_noAtimeRefusals.fetch_add(1, std::memory_order_relaxed);
    }
    return ::openat(folderFd, name, flags);
}

FileType typeOf(mode_t mode) {
    if (S_ISREG(mode))
        return FileType::Regular;
    if (S_ISDIR(mode))
        return FileType::Folder;
    if (S_ISLNK(mode))
        return FileType::Symlink;
    return FileType::Other;
}

FileInfo infoFromStat(const struct stat& st, const char* name) {
    FileInfo info;
    info.type = typeOf(st.st_mode);
    info.size = static_cast<qint64>(st.st_size);
    info.mtime = static_cast<qint64>(st.st_mtim.tv_sec);
    info.mtimensec = static_cast<quint32>(st.st_mtim.tv_nsec);
    info.ctime = static_cast<qint64>(st.st_ctim.tv_sec);
    info.ctimensec = static_cast<quint32>(st.st_ctim.tv_nsec);
    info.id = {static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino)};
    info.links = static_cast<quint64>(st.st_nlink);
    info.atime = static_cast<qint64>(st.st_atim.tv_sec);
    info.owner = static_cast<quint32>(st.st_uid);
    info.mode = static_cast<quint32>(st.st_mode & 07777);
    quint32 word = 0;
    if (info.type == FileType::Folder)
        word |= attribute::Folder;
    if (!(st.st_mode & S_IWUSR))
        word |= attribute::ReadOnly;
    if (name && name[0] == '.')
        word |= attribute::Hidden;
    info.attributes = word;
    return info;
}

FileInfo failedInfo(int error) {
    FileInfo info;
    info.error = error;
    return info;
}

const char* lastComponent(const QByteArray& path) {
    const char* slash = std::strrchr(path.constData(), '/');
    return slash ? slash + 1 : path.constData();
}

} // namespace

FileInfo fileInfo(const QString& path) {
    const QByteArray encoded = encodeFileName(path);
    if (!posix::isSystemPath(encoded))
        return failedInfo(EINVAL);
    struct stat st;
    if (::lstat(encoded.constData(), &st) != 0)
        return failedInfo(errno);
    return infoFromStat(st, lastComponent(encoded));
}

qint64 fileLength(const QString& path) {
    const FileInfo info = fileInfo(path);
    return info.isRegular() ? info.size : -1;
}

DirectoryListing::DirectoryListing(const QString& folder) {
    const QByteArray encoded = encodeFileName(folder);
    const int fd = ::open(encoded.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        m_error = errno;
        return;
    }
    m_dir = ::fdopendir(fd);
    if (!m_dir) {
        m_error = errno;
        ::close(fd);
    }
}

DirectoryListing::DirectoryListing(const Folder& folder) {
    // The listing owns a descriptor of its own, so closing it leaves the
    // folder's open.
    const int fd = folder.isOpen() ? ::fcntl(folder.fd(), F_DUPFD_CLOEXEC, 0) : -1;
    if (fd < 0) {
        m_error = folder.isOpen() ? errno : folder.error();
        return;
    }
    m_dir = ::fdopendir(fd);
    if (!m_dir) {
        m_error = errno;
        ::close(fd);
        return;
    }
    // A duplicate shares the read position of an earlier listing.
    ::rewinddir(static_cast<DIR*>(m_dir));
}

DirectoryListing::~DirectoryListing() {
    if (m_dir)
        ::closedir(static_cast<DIR*>(m_dir));
}

bool DirectoryListing::next() {
    if (!m_dir)
        return false;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(static_cast<DIR*>(m_dir));
        if (!entry) {
            m_error = errno;
            m_rawName = nullptr;
            return false;
        }
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        m_rawName = name;
        switch (entry->d_type) {
        case DT_REG:
            m_quickType = FileType::Regular;
            break;
        case DT_DIR:
            m_quickType = FileType::Folder;
            break;
        case DT_LNK:
            m_quickType = FileType::Symlink;
            break;
        case DT_UNKNOWN:
            m_quickType = FileType::Unknown;
            break;
        default:
            m_quickType = FileType::Other;
            break;
        }
        return true;
    }
}

QString DirectoryListing::name() const {
    return m_rawName ? decodeFileName(m_rawName, qsizetype(std::strlen(m_rawName))) : QString();
}

FileInfo DirectoryListing::info() const {
    if (!m_dir || !m_rawName)
        return failedInfo(EBADF);
    struct stat st;
    if (::fstatat(::dirfd(static_cast<DIR*>(m_dir)), m_rawName, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return failedInfo(errno);
    return infoFromStat(st, m_rawName);
}

FileInfo DirectoryListing::folderInfo() const {
    struct stat st;
    if (!m_dir || ::fstat(::dirfd(static_cast<DIR*>(m_dir)), &st) != 0)
        return failedInfo(m_dir ? errno : EBADF);
    return infoFromStat(st, nullptr);
}

InputFile::InputFile(InputFile&& other) noexcept
    : m_fd(other.m_fd), m_error(other.m_error), m_opened(other.m_opened) {
    other.m_fd = -1;
}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
    if (this != &other) {
        close();
        m_fd = other.m_fd;
        m_error = other.m_error;
        m_opened = other.m_opened;
        other.m_fd = -1;
    }
    return *this;
}

bool InputFile::open(const QString& path, bool followLinks) {
    const QByteArray encoded = encodeFileName(path);
    return openAtFlags(AT_FDCWD, encoded.constData(), followLinks ? 0 : O_NOFOLLOW);
}

bool InputFile::openAt(int folderFd, const char* name) {
    return openAtFlags(folderFd, name, O_NOFOLLOW);
}

bool InputFile::openAtFlags(int folderFd, const char* name, int extraFlags) {
    close();
    // O_NONBLOCK keeps the open itself from hanging on a FIFO; the type check
    // below then refuses everything that is not a regular file.
    const int fd =
        openForReading(folderFd, name, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | extraFlags);
    if (fd < 0) {
        m_error = errno;
        return false;
    }
    struct stat st;
    const bool statted = ::fstat(fd, &st) == 0;
    if (!statted || !S_ISREG(st.st_mode)) {
        m_error = statted ? EINVAL : errno;
        ::close(fd);
        return false;
    }
    // O_NONBLOCK stays set: it changes nothing for reads of a regular file.
    m_fd = fd;
    m_error = 0;
    m_opened = infoFromStat(st, nullptr);
    return true;
}

void InputFile::close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_opened = FileInfo();
}

FileInfo InputFile::info() const {
    struct stat st;
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0)
        return failedInfo(m_fd < 0 ? EBADF : errno);
    return infoFromStat(st, nullptr);
}

qint64 InputFile::readAt(qint64 offset, char* buffer, qint64 length) {
    if (m_fd < 0)
        return -1;
    qint64 done = 0;
    while (done < length) {
        const ssize_t n = ::pread(m_fd, buffer + done, size_t(length - done), off_t(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            m_error = errno;
            return -1;
        }
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

bool InputFile::readAll(QByteArray& bytes) {
    char buffer[65536];
    for (;;) {
        const qint64 count = read(buffer, sizeof buffer);
        if (count < 0)
            return false;
        if (count == 0)
            return true;
        bytes.append(buffer, count);
    }
}

qint64 InputFile::read(char* buffer, qint64 length) {
    if (m_fd < 0)
        return -1;
    qint64 done = 0;
    while (done < length) {
        const ssize_t n = ::read(m_fd, buffer + done, size_t(length - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            m_error = errno;
            return -1;
        }
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

void InputFile::adviseSequential() {
    if (m_fd >= 0)
        ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
}

void InputFile::adviseWillNeed(qint64 offset, qint64 length) {
    if (m_fd >= 0)
        ::posix_fadvise(m_fd, off_t(offset), off_t(length), POSIX_FADV_WILLNEED);
}

bool InputFile::isCachedAt(qint64 offset) const {
    if (m_fd < 0)
        return false;
    char byte;
    iovec vector{&byte, 1};
    return ::preadv2(m_fd, &vector, 1, off_t(offset), RWF_NOWAIT) >= 0;
}

FileInfo posix::statInfo(const struct stat& st, const char* name) {
    return infoFromStat(st, name);
}

} // namespace quillfen::platform

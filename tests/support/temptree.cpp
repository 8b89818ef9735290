#include "temptree.h"

#include "platform/filename.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillfen::testing {

TempTree::TempTree() : m_dir(QDir::tempPath() + QStringLiteral("/quillfen-test-XXXXXX")) {}

TempTree::TempTree(const QString& parentFolder)
    : m_dir(parentFolder + QStringLiteral("/quillfen-test-XXXXXX")) {}

namespace {

// Removes name in the folder open as parent, with everything below it.
// QTemporaryDir cannot do it for names that are not valid UTF-8.
void removeEntry(int parent, const char* name) {
    if (::unlinkat(parent, name, 0) == 0)
        return;
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fchmod(fd, 0700); // a folder a test made read-only
    if (DIR* dir = ::fdopendir(fd)) {
        while (const dirent* entry = ::readdir(dir)) {
            const char* child = entry->d_name;
            if (child[0] == '.' && (child[1] == 0 || (child[1] == '.' && child[2] == 0)))
                continue;
            removeEntry(::dirfd(dir), child);
        }
        ::closedir(dir);
    } else {
        ::close(fd);
    }
    ::unlinkat(parent, name, AT_REMOVEDIR);
}

} // namespace

TempTree::~TempTree() {
    if (m_dir.isValid())
        removeEntry(AT_FDCWD, platform::encodeFileName(m_dir.path()).constData());
}

QString TempTree::root() const {
    return m_dir.path() + u'/';
}

QString TempTree::makeFolder(const QString& relative) {
    QDir().mkpath(path(relative));
    return path(relative);
}

QString TempTree::writeFile(const QString& relative, const QByteArray& content) {
    const QString full = path(relative);
    QDir().mkpath(QFileInfo(full).absolutePath());
    const QByteArray encoded = platform::encodeFileName(full);
    const int fd = ::open(encoded.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
        qsizetype done = 0;
        while (done < content.size()) {
            const ssize_t n =
                ::write(fd, content.constData() + done, size_t(content.size() - done));
            if (n <= 0)
                break;
            done += n;
        }
        ::close(fd);
    }
    return full;
}

QString TempTree::writeFile(const QString& relative, qint64 size, char fill) {
    return writeFile(relative, QByteArray(size, fill));
}

QString TempTree::writeSparseFile(const QString& relative, qint64 size, char last) {
    const QString full = path(relative);
    QDir().mkpath(QFileInfo(full).absolutePath());
    const QByteArray encoded = platform::encodeFileName(full);
    const int fd = ::open(encoded.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
        if (size > 0) {
            [[maybe_unused]] int truncated = ::ftruncate(fd, off_t(size));
            [[maybe_unused]] ssize_t written = ::pwrite(fd, &last, 1, off_t(size - 1));
        }
        ::close(fd);
    }
    return full;
}

bool TempTree::setModified(const QString& relative, qint64 secondsSinceEpoch) {
    const QByteArray encoded = platform::encodeFileName(path(relative));
    struct timespec times[2];
    times[0].tv_sec = secondsSinceEpoch;
    times[0].tv_nsec = 0;
    times[1] = times[0];
    return ::utimensat(AT_FDCWD, encoded.constData(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

QByteArray TempTree::writeRawNamedFile(const QByteArray& relativeBytes, const QByteArray& content) {
    const QByteArray full = platform::encodeFileName(root()) + relativeBytes;
    const int fd = ::open(full.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
        [[maybe_unused]] ssize_t written = ::write(fd, content.constData(), size_t(content.size()));
        ::close(fd);
    }
    return full;
}

QString TempTree::writeDeepFile(const QByteArray& content) {
    QByteArray path = platform::encodeFileName(root());
    int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const QByteArray name(250, 'd');
    for (int level = 0; level < 20 && fd >= 0; ++level) {
        ::mkdirat(fd, name.constData(), 0755);
        const int next = ::openat(fd, name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = next;
        path += name + '/';
    }
    const int out = ::openat(fd, "deep.bin", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out >= 0) {
        if (::write(out, content.constData(), size_t(content.size())) != content.size())
            path.clear();
        ::close(out);
    }
    ::close(fd);
    return path.isEmpty() ? QString() : platform::decodeFileName(path + "deep.bin");
}

} // namespace quillfen::testing

// The freedesktop.org trash: home trash for files on its file system, the
// volume's top-directory trash for the rest.

#include "platform/filename.h"
#include "platform/fileops.h"
#include "platform/linux/posixfiles.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillfen::platform {

using namespace posix;

namespace {

constexpr qsizetype kNameMax = NAME_MAX;

// Opens a descriptor on a folder; the caller closes it.
class FolderHandle {
public:
    explicit FolderHandle(const QByteArray& path)
        : m_fd(::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW)),
          m_error(m_fd < 0 ? errno : 0) {}
    ~FolderHandle() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;
    int fd() const { return m_fd; }
    int error() const { return m_error; }

private:
    int m_fd;
    int m_error;
};

QByteArray joined(const QByteArray& folder, const QByteArray& name) {
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

// A folder that exists as a real folder (not a link), created with mode 0700
// when missing. Returns 0 or an errno value.
int ensureFolder(const QByteArray& path) {
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return errno;
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return errno;
    return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

// Like ensureFolder, creating missing parents as well (for the home trash).
int ensureFolders(const QByteArray& path) {
    for (qsizetype slash = path.indexOf('/', 1); slash > 0; slash = path.indexOf('/', slash + 1)) {
        const QByteArray parent = path.left(slash);
        if (::mkdir(parent.constData(), 0700) != 0 && errno != EEXIST)
            return errno;
    }
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return errno;
    struct stat st;
    if (::stat(path.constData(), &st) != 0)
        return errno;
    return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

QByteArray homeTrash() {
    QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    if (dataHome.isEmpty() || !dataHome.startsWith('/'))
        dataHome = qgetenv("HOME") + "/.local/share";
    while (dataHome.size() > 1 && dataHome.endsWith('/'))
        dataHome.chop(1);
    return dataHome + "/Trash";
}

// The device of path, or of its nearest existing parent.
bool deviceOf(QByteArray path, dev_t& device) {
    for (;;) {
        struct stat st;
        if (::stat(path.constData(), &st) == 0) {
            device = st.st_dev;
            return true;
        }
        if (path.isEmpty() || path == "/")
            return false;
        path = folderPart(path);
    }
}

// The top directory of the mount that holds folder (a canonical path).
QByteArray topDirectory(const QByteArray& folder, dev_t device) {
    QByteArray top = folder;
    while (top != "/") {
        const QByteArray parent = folderPart(top);
        struct stat st;
        if (::stat(parent.constData(), &st) != 0 || st.st_dev != device)
            break;
        top = parent;
    }
    return top;
}

// The volume's trash under its top directory, created as needed. Returns 0
// or an errno value.
int volumeTrash(const QByteArray& top, QByteArray& trash) {
    const QByteArray uid = QByteArray::number(::getuid());
    const QByteArray shared = joined(top, ".Trash");
    struct stat st;
    // An administrator-made .Trash is used only when it is a real folder
    // with the sticky bit, so that users cannot remove each other's trash.
    if (::lstat(shared.constData(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        const QByteArray own = joined(shared, uid);
        struct stat ownStat;
        if (ensureFolder(own) == 0 && ::lstat(own.constData(), &ownStat) == 0 &&
            ownStat.st_uid == ::getuid()) {
            trash = own;
            return 0;
        }
    }
    const QByteArray own = joined(top, ".Trash-" + uid);
    if (const int error = ensureFolder(own))
        return error;
    // Another user's folder of that name must not receive our files.
    if (::lstat(own.constData(), &st) != 0)
        return errno;
    if (st.st_uid != ::getuid())
        return EACCES;
    trash = own;
    return 0;
}

QByteArray deletionDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return QByteArray(text);
}

// Cuts bytes off the end of name so that it fits into length bytes without
// splitting a UTF-8 sequence.
QByteArray fitName(const QByteArray& name, qsizetype length) {
    if (name.size() <= length)
        return name;
    qsizetype cut = length;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    return name.left(cut);
}

// The n-th name tried in the trash for a file called name: name itself,
// then stem.n.ext; always short enough for its .trashinfo name.
QByteArray trashName(const QByteArray& name, qint64 n) {
    const qsizetype room = kNameMax - qsizetype(sizeof ".trashinfo" - 1);
    if (n == 0 && name.size() <= room)
        return name;
    qsizetype dot = name.lastIndexOf('.');
    if (dot <= 0)
        dot = name.size();
    const QByteArray extension = fitName(name.mid(dot), 40);
    const QByteArray serial = '.' + QByteArray::number(n);
    const QByteArray stem = fitName(name.left(dot), room - serial.size() - extension.size());
    return n == 0 ? stem + extension : stem + serial + extension;
}

bool entryExists(int folder, const QByteArray& name) {
    struct stat st;
    return ::fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

// A number n whose trash name is free in files/ and info/ at the time of
// asking: 0 when the name itself is. Numbered names are usually taken from
// 1 up without gaps, so doubling and then halving the step finds the first
// free one in a few dozen tries even among millions of files of one name;
// any free one would do.
qint64 freeTrashNumber(int files, int info, const QByteArray& name) {
    const auto taken = [&](qint64 n) {
        const QByteArray candidate = trashName(name, n);
        return entryExists(info, candidate + ".trashinfo") || entryExists(files, candidate);
    };
    if (!taken(0))
        return 0;
    qint64 low = 0; // taken
    qint64 high = 1;
    while (taken(high)) {
        low = high;
        high *= 2;
    }
    while (high - low > 1) { // low taken, high free
        const qint64 middle = low + (high - low) / 2;
        (taken(middle) ? low : high) = middle;
    }
    return high;
}

} // namespace

FileOpResult moveToTrash(const QString& path) {
    const QByteArray file = encodeFileName(path);
    if (!isSystemPath(file))
        return FileOpResult::failure(EINVAL);
    struct stat st;
    if (::lstat(file.constData(), &st) != 0)
        return FileOpResult::failure(errno);
    if (S_ISDIR(st.st_mode))
        return FileOpResult::failure(EISDIR);

    // The trash records where the file lived; work with the canonical folder
    // so that a path through a symbolic link names the real place.
    char* real = ::realpath(folderPart(file).constData(), nullptr);
    if (!real)
        return FileOpResult::failure(errno);
    const QByteArray folder(real);
    ::free(real);
    const QByteArray name = namePart(file);
    const QByteArray canonical = joined(folder, name);

    QByteArray trash;
    QByteArray recordedPath;
    const QByteArray home = homeTrash();
    dev_t homeDevice = 0;
    if (deviceOf(home, homeDevice) && homeDevice == st.st_dev) {
        if (const int error = ensureFolders(home))
            return FileOpResult::failure(error);
        trash = home;
        recordedPath = canonical;
    } else {
        const QByteArray top = topDirectory(folder, st.st_dev);
        if (const int error = volumeTrash(top, trash))
            return FileOpResult::failure(error);
        recordedPath = top == "/" ? canonical.mid(1) : canonical.mid(top.size() + 1);
    }
    const QByteArray filesPath = joined(trash, "files");
    const QByteArray infoPath = joined(trash, "info");
    if (const int error = ensureFolder(filesPath))
        return FileOpResult::failure(error);
    if (const int error = ensureFolder(infoPath))
        return FileOpResult::failure(error);
    FolderHandle files(filesPath);
    FolderHandle info(infoPath);
    if (files.fd() < 0)
        return FileOpResult::failure(files.error());
    if (info.fd() < 0)
        return FileOpResult::failure(info.error());

    const QByteArray record = "[Trash Info]\nPath=" + recordedPath.toPercentEncoding("/") +
                              "\nDeletionDate=" + deletionDate() + '\n';
    // A name taken between the search and its use (another program trashing
    // a file of the same name) starts the search again.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const QByteArray candidate = trashName(name, freeTrashNumber(files.fd(), info.fd(), name));
        const QByteArray infoName = candidate + ".trashinfo";
        const int fd = ::openat(info.fd(), infoName.constData(),
                                O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return FileOpResult::failure(errno);
        }
        int error = writeAll(fd, record.constData(), record.size());
        if (!error && ::fsync(fd) != 0)
            error = errno;
        if (::close(fd) != 0 && !error)
            error = errno;
        if (!error)
            error = renameNoReplace(AT_FDCWD, file.constData(), files.fd(), candidate.constData());
        if (error == 0)
            return {};
        // The record must not outlive a file that did not arrive.
        ::unlinkat(info.fd(), infoName.constData(), 0);
        if (error != EEXIST)
            return FileOpResult::failure(error);
        // A file of that name without a record: try the next name.
    }
    return FileOpResult::failure(EEXIST);
}

} // namespace quillfen::platform

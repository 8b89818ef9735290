// The freedesktop.org trash: home trash for files on its file system, the
// volume's top-directory trash for the rest.

#include "platform/filename.h"
#include "platform/fileops.h"
#include "platform/folder.h"
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

// Where a folder is mounted: the mount that holds the open descriptor fd,
// told by its mount ID from /proc/self/fdinfo and /proc/self/mountinfo.
struct MountRecord {
    QByteArray device; // "major:minor" of the file system
    QByteArray root;   // the folder of the file system shown at the mount point
    QByteArray point;  // the mount point
};

QByteArray readProcFile(const QByteArray& path) {
    QByteArray content;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return content;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        content.append(buffer, n);
    }
    ::close(fd);
    return content;
}

// A mountinfo field with its octal escapes ("\040" for a blank) undone.
QByteArray unescapedField(const QByteArray& field) {
    QByteArray text;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int value = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                text.append(char(value));
                i += 3;
                continue;
            }
        }
        text.append(field[i]);
    }
    return text;
}

bool mountOf(int fd, MountRecord& record) {
    const QByteArray info = readProcFile("/proc/self/fdinfo/" + QByteArray::number(fd));
    QByteArray id;
    for (const QByteArray& line : info.split('\n')) {
        if (line.startsWith("mnt_id:"))
            id = line.mid(7).trimmed();
    }
    if (id.isEmpty())
        return false;
    for (const QByteArray& line : readProcFile("/proc/self/mountinfo").split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() > 4 && fields[0] == id) {
            record = {fields[2], unescapedField(fields[3]), unescapedField(fields[4])};
            return true;
        }
    }
    return false;
}

// The part of path below folder ("" for folder itself, else starting with
// "/"); false when path does not lie in folder.
bool pathBelow(const QByteArray& path, const QByteArray& folder, QByteArray& rest) {
    if (folder == "/") {
        rest = path == "/" ? QByteArray() : path;
        return path.startsWith('/');
    }
    if (path == folder) {
        rest.clear();
        return true;
    }
    if (!path.startsWith(folder + '/'))
        return false;
    rest = path.mid(folder.size());
    return true;
}

QByteArray pathOrRoot(const QByteArray& path) {
    return path.isEmpty() ? QByteArrayLiteral("/") : path;
}

// The canonical path of an open folder, or fallback (a path too long for
// the system to name).
QByteArray folderPath(int fd, const QByteArray& fallback) {
    QByteArray buffer(PATH_MAX + 1, '\0');
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t n = ::readlink(link.constData(), buffer.data(), size_t(buffer.size()));
    if (n > 0 && n < buffer.size() && buffer.startsWith('/')) {
        buffer.truncate(n);
        return buffer;
    }
    QByteArray path = fallback;
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

// The path through the home trash's own mount of a folder that lies on the
// same file system but was reached through another mount (a bind mount);
// false when that mount does not show the folder.
bool pathThroughMount(int folderFd, const QByteArray& folder, int homeFd, QByteArray& path) {
    MountRecord reached;
    MountRecord home;
    if (!mountOf(folderFd, reached) || !mountOf(homeFd, home) || reached.device != home.device)
        return false;
    QByteArray inMount;
    QByteArray inFileSystem;
    if (!pathBelow(folder, reached.point, inMount))
        return false;
    const QByteArray fileSystemPath =
        pathOrRoot((reached.root == "/" ? QByteArray() : reached.root) + inMount);
    if (!pathBelow(fileSystemPath, home.root, inFileSystem))
        return false;
    path = pathOrRoot((home.point == "/" ? QByteArray() : home.point) + inFileSystem);
    return true;
}

// Puts the entry name of the folder fromDir into trash with a .trashinfo
// that records recordedPath. Returns 0 or an errno value; the record does
// not stay behind when the file did not arrive.
int trashInto(const QByteArray& trash, const QByteArray& recordedPath, int fromDir,
              const QByteArray& name, const TrashHook& beforeMove) {
    const QByteArray filesPath = joined(trash, "files");
    const QByteArray infoPath = joined(trash, "info");
    if (const int error = ensureFolder(filesPath))
        return error;
    if (const int error = ensureFolder(infoPath))
        return error;
    FolderHandle files(filesPath);
    FolderHandle info(infoPath);
    if (files.fd() < 0)
        return files.error();
    if (info.fd() < 0)
        return info.error();

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
            return errno;
        }
        int error = writeAll(fd, record.constData(), record.size());
        if (!error && ::fsync(fd) != 0)
            error = errno;
        if (::close(fd) != 0 && !error)
            error = errno;
        if (!error && beforeMove)
            error = beforeMove(decodeFileName(joined(filesPath, candidate))).error;
        if (!error)
            error = renameNoReplace(fromDir, name.constData(), files.fd(), candidate.constData());
        if (error == 0)
            return 0;
        ::unlinkat(info.fd(), infoName.constData(), 0);
        if (error != EEXIST)
            return error;
        // A file of that name without a record: try the next name.
    }
    return EEXIST;
}

} // namespace

FileOpResult moveToTrash(const QString& path) {
    const QByteArray encoded = encodeFileName(path);
    if (!isSystemPath(encoded))
        return FileOpResult::failure(EINVAL);
    const QByteArray absolute = absolutePath(encoded);
    const QByteArray name = namePart(absolute);
    if (!isEntryName(name))
        return FileOpResult::failure(EINVAL);
    const QString folderText = decodeFileName(folderPart(absolute));
    const Folder folder(folderText);
    if (!folder.isOpen())
        return FileOpResult::failure(folder.error());
    return moveToTrash(folder, folderText, name);
}

FileOpResult moveToTrash(const Folder& folder, const QString& folderText, const QByteArray& name,
                         const TrashHook& beforeMove) {
    if (!isEntryName(name))
        return FileOpResult::failure(EINVAL);
    struct stat st;
    if (::fstatat(folder.fd(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return FileOpResult::failure(errno);
    if (S_ISDIR(st.st_mode))
        return FileOpResult::failure(EISDIR);

    // The trash records where the file lived: the folder's canonical path,
    // so that a path through a symbolic link names the real place.
    const QByteArray canonical = folderPath(folder.fd(), encodeFileName(folderText));

    const QByteArray home = homeTrash();
    dev_t homeDevice = 0;
    if (deviceOf(home, homeDevice) && homeDevice == st.st_dev) {
        if (const int error = ensureFolders(home))
            return FileOpResult::failure(error);
        int error = trashInto(home, joined(canonical, name), folder.fd(), name, beforeMove);
        if (error == 0)
            return {};
        if (error != EXDEV)
            return FileOpResult::failure(error);
        // The home file system reached through another mount of it: a
        // rename works only from the home trash's own mount, when it shows
        // the same folder.
        const Folder homeFolder(decodeFileName(home));
        QByteArray throughHome;
        if (homeFolder.isOpen() &&
            pathThroughMount(folder.fd(), canonical, homeFolder.fd(), throughHome)) {
            const Folder same(decodeFileName(throughHome));
            if (same.isOpen() && same.info().id == folder.info().id) {
                error = trashInto(home, joined(throughHome, name), same.fd(), name, beforeMove);
                if (error == 0)
                    return {};
                if (error != EXDEV)
                    return FileOpResult::failure(error);
            }
        }
    }
    // The volume's trash, at the mount point of the mount the file was reached through.
    MountRecord mount;
    const QByteArray top =
        mountOf(folder.fd(), mount) ? mount.point : topDirectory(canonical, st.st_dev);
    QByteArray trash;
    if (const int error = volumeTrash(top, trash))
        return FileOpResult::failure(error);
    QByteArray below;
    const QByteArray file = joined(canonical, name);
    const QByteArray recordedPath = pathBelow(file, top, below) ? below.mid(1) : file;
    if (const int error = trashInto(trash, recordedPath, folder.fd(), name, beforeMove))
        return FileOpResult::failure(error);
    return {};
}

} // namespace quillfen::platform

#pragma once

// Operating-system services used by the engine. Everything else in the
// program reaches the file system, the clock, the environment and the mount
// table through this header; the Linux implementation lives in linux/.

#include <QByteArray>
#include <QHashFunctions>
#include <QString>
#include <QStringList>
#include <vector>

namespace quillfen::platform {

// The attribute word of a directory entry.
namespace attribute {
constexpr quint32 ReadOnly = 0x1; // owner write bit clear
constexpr quint32 Hidden = 0x2;   // name starts with "."
constexpr quint32 System = 0x4;   // never set here
constexpr quint32 Folder = 0x10;
constexpr quint32 Archive = 0x20; // never set here
} // namespace attribute

struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};
inline size_t qHash(const FileIdentity& id, size_t seed = 0) {
    return qHashMulti(seed, id.device, id.inode);
}

enum class FileType : quint8 { Missing, Regular, Folder, Symlink, Other, Unknown };

struct FileInfo {
    FileType type = FileType::Missing;
    qint64 size = -1;      // bytes, 64-bit
    qint64 mtime = 0;      // last modification, seconds since the epoch
    quint32 mtimensec = 0; // nanoseconds of the last modification
    // Last change of the file or its facts; every write moves it and no user can set it back.
    qint64 ctime = 0;
    quint32 ctimensec = 0;
    FileIdentity id;
    quint32 attributes = 0;
    quint64 links = 0; // names the file has (hard links)
    qint64 atime = 0;  // last access, seconds since the epoch
    quint32 owner = 0; // user id
    quint32 mode = 0;  // permission bits (07777)
    int error = 0;     // errno of a failed query
    bool exists() const { return type != FileType::Missing; }
    bool isRegular() const { return type == FileType::Regular; }
};

// A time of seconds and nanoseconds as nanoseconds since the epoch (to 2262).
constexpr qint64 nanoseconds(qint64 seconds, quint32 nanos) {
    return seconds * 1'000'000'000 + qint64(nanos);
}

// Facts about a path; symbolic links are reported as such, never followed.
FileInfo fileInfo(const QString& path);

// Length of a regular file, or -1 when it cannot be read.
qint64 fileLength(const QString& path);

class Folder; // folder.h

// Lists one folder. Entries "." and ".." are skipped. Not copyable.
class DirectoryListing {
public:
    explicit DirectoryListing(const QString& folder);
    // Lists an open folder from the start; the folder stays open on its own.
    explicit DirectoryListing(const Folder& folder);
    ~DirectoryListing();
    DirectoryListing(const DirectoryListing&) = delete;
    DirectoryListing& operator=(const DirectoryListing&) = delete;

    bool isOpen() const { return m_dir != nullptr; }
    int error() const { return m_error; }
    // Moves to the next entry; false when the listing is exhausted.
    bool next();
    // Name of the current entry, decoded reversibly (see filename.h).
    QString name() const;
    const char* rawName() const { return m_rawName; }
    // Type as the listing reports it; Unknown when only info() can tell.
    FileType quickType() const { return m_quickType; }
    // Full facts of the current entry, relative to the open folder.
    FileInfo info() const;
    // Facts of the open folder itself.
    FileInfo folderInfo() const;

private:
    void* m_dir = nullptr; // DIR*
    int m_error = 0;
    const char* m_rawName = nullptr;
    FileType m_quickType = FileType::Unknown;
};

// A file opened for reading only. Reads never follow the file pointer of
// another reader; closing happens on destruction.
class InputFile {
public:
    InputFile() = default;
    explicit InputFile(const QString& path) { open(path); }
    ~InputFile() { close(); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&& other) noexcept;

    // Opens a regular file; FIFOs, devices and sockets are refused so that a
    // read can never block forever. With followLinks false a symbolic link is
    // refused too, so the file opened is the one a FileInfo of the path shows.
    bool open(const QString& path, bool followLinks = true);
    // Opens the entry name of an open folder (see folder.h); never follows a
    // symbolic link.
    bool openAt(int folderFd, const char* name);
    void close();
    bool isOpen() const { return m_fd >= 0; }
    int error() const { return m_error; }
    FileInfo info() const;
    // The facts of the file when it was opened (no further query).
    const FileInfo& openedInfo() const { return m_opened; }
    // Reads up to length bytes at a 0-based offset; returns the count read
    // (short only at the end of the file) or -1 on failure.
    qint64 readAt(qint64 offset, char* buffer, qint64 length);
    // Sequential read from the current position; same result convention.
    qint64 read(char* buffer, qint64 length);
    // Appends everything from the current position to the end; false when a
    // read fails.
    bool readAll(QByteArray& bytes);
    // Tells the kernel the file will be read once from start to end.
    void adviseSequential();
    // Asks the kernel to start fetching the bytes from offset on (length 0:
    // to the end) without waiting for them, so that reads of several files
    // can be in flight at once.
    void adviseWillNeed(qint64 offset, qint64 length);
    // Whether the byte at offset is in memory, so that reading it would not
    // wait for the disk (false too where the system cannot tell).
    bool isCachedAt(qint64 offset) const;

private:
    bool openAtFlags(int folderFd, const char* name, int extraFlags);
    int m_fd = -1;
    int m_error = 0;
    FileInfo m_opened;
};

// Milliseconds of a steady clock, wrapping at 2^32 like the tick counts the
// status display measures elapsed time with.
quint32 tickCount();
void pause(int milliseconds);

// Makes local-time conversions cheap: with TZ unset, the C library checks
// /etc/localtime again for every date it converts. Call once at start-up,
// before other threads run.
void cacheLocalTimeZone();

// Value of an environment variable, decoded as a file name; empty if unset.
QString environmentVariable(const char* name);
bool hasEnvironmentVariable(const char* name);
// The real user id of the process.
quint32 userId();
// The login name of a user id; the number as text when the system knows none.
QString userName(quint32 uid);

// Starts a program detached from this one, without a shell: program is
// looked up on PATH unless it holds a "/", every argument reaches it as one
// argument with the exact bytes of its name (also names that are not valid
// UTF-8). False when the program could not be started.
bool startProgram(const QString& program, const QStringList& arguments);

// A mounted local file system.
struct Drive {
    QString root;   // mount point with a trailing "/"
    QString label;  // volume label where the system has one
    QString device; // "/dev/sda1" and the like
    QString fstype;
    bool fixed = false; // block-device file system that is not removable
    QString text;       // what the program shows: root, then " [label]" when known
};

// The drives of the mount table, sorted by root, pseudo file systems left out.
std::vector<Drive> driveList();
// The same from a mount table in /proc/self/mounts form; sysBlock is the
// folder whose <device>/removable files tell removable media.
std::vector<Drive> driveList(const QString& mountsFile, const QString& sysBlock,
                             const QString& labelFolder);

} // namespace quillfen::platform

// Linux implementation of the clock, the environment and the drive list.

#include "platform/filename.h"
#include "platform/platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace quillfen::platform {

using namespace Qt::StringLiterals;

quint32 tickCount() {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<quint32>(ms);
}

void pause(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

QString environmentVariable(const char* name) {
    const char* value = std::getenv(name);
    return value ? decodeFileName(value, qsizetype(std::strlen(value))) : QString();
}

bool hasEnvironmentVariable(const char* name) {
    return std::getenv(name) != nullptr;
}

void cacheLocalTimeZone() {
    if (!std::getenv("TZ") && QFileInfo::exists(u"/etc/localtime"_s))
        ::setenv("TZ", ":/etc/localtime", 0);
}

quint32 userId() {
    return quint32(getuid());
}

QString userName(quint32 uid) {
    std::vector<char> buffer(4096);
    struct passwd entry {};
    struct passwd* found = nullptr;
    while (getpwuid_r(uid_t(uid), &entry, buffer.data(), buffer.size(), &found) == ERANGE &&
           buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    if (!found || !found->pw_name)
        return QString::number(uid);
    return decodeFileName(found->pw_name, qsizetype(std::strlen(found->pw_name)));
}

bool startProgram(const QString& program, const QStringList& arguments) {
    if (program.isEmpty())
        return false;
    // Everything is encoded before the spawn, so that the child gets the
    // exact bytes and nothing but the spawn runs between fork and exec.
    std::vector<QByteArray> encoded;
    encoded.reserve(size_t(arguments.size()) + 1);
    encoded.push_back(encodeFileName(program));
    for (const QString& argument : arguments)
        encoded.push_back(encodeFileName(argument));
    std::vector<char*> argv;
    argv.reserve(encoded.size() + 1);
    for (QByteArray& bytes : encoded)
        argv.push_back(bytes.data());
    argv.push_back(nullptr);

    posix_spawnattr_t attributes;
    if (posix_spawnattr_init(&attributes) != 0)
        return false;
    // A session of its own: the program outlives this one and a closed
    // terminal does not take it along.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t pid = -1;
    const int error = posix_spawnp(&pid, argv[0], nullptr, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    if (error != 0)
        return false;
    // Reaped in the background so that no zombie is left behind; the
    // program itself runs on unaffected.
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

namespace {

// The mount table escapes blanks, tabs, newlines and backslashes as \ooo.
QByteArray unescapeMountField(const QByteArray& field) {
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out.append(char(code));
                i += 3;
                continue;
            }
        }
        out.append(field[i]);
    }
    return out;
}

// udev escapes unsafe characters of labels as \xNN in /dev/disk/by-label.
QString unescapeLabel(const QString& name) {
    QByteArray bytes = encodeFileName(name);
    QByteArray out;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\\' && i + 3 < bytes.size() && bytes[i + 1] == 'x') {
            bool ok = false;
            const int code = bytes.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out.append(char(code));
                i += 3;
                continue;
            }
        }
        out.append(bytes[i]);
    }
    return decodeFileName(out);
}

bool isPseudoFileSystem(const QString& fstype) {
    static const QStringList pseudo = {
        u"proc"_s,        u"sysfs"_s,     u"tmpfs"_s,       u"devtmpfs"_s,  u"devpts"_s,
        u"cgroup"_s,      u"cgroup2"_s,   u"securityfs"_s,  u"pstore"_s,    u"bpf"_s,
        u"debugfs"_s,     u"tracefs"_s,   u"mqueue"_s,      u"hugetlbfs"_s, u"fusectl"_s,
        u"configfs"_s,    u"autofs"_s,    u"binfmt_misc"_s, u"efivarfs"_s,  u"rpc_pipefs"_s,
        u"nsfs"_s,        u"ramfs"_s,     u"overlay"_s,     u"squashfs"_s,  u"fuse.gvfsd-fuse"_s,
        u"fuse.portal"_s, u"selinuxfs"_s, u"nfsd"_s,        u"sunrpc"_s};
    return pseudo.contains(fstype);
}

// Read-only media file systems are never "fixed" even on a block device.
bool isMediaFileSystem(const QString& fstype) {
    return fstype == u"iso9660"_s || fstype == u"udf"_s;
}

// The block device behind a /dev path, e.g. "sda1" for /dev/sda1, following
// /dev/disk/by-uuid style links and /dev/mapper names.
QString blockName(const QString& device) {
    const QString resolved = QFileInfo(device).canonicalFilePath();
    return QFileInfo(resolved.isEmpty() ? device : resolved).fileName();
}

bool isRemovable(const QString& sysBlock, const QString& name) {
    // A partition's own folder has no "removable" file; its disk's has.
    for (const QString& candidate :
         {sysBlock + u'/' + name + u"/removable"_s, sysBlock + u'/' + name + u"/../removable"_s}) {
        QFile file(candidate);
        if (file.open(QIODevice::ReadOnly))
            return file.readAll().trimmed() == "1";
    }
    return false;
}

QHash<QString, QString> labelsByDevice(const QString& labelFolder) {
    QHash<QString, QString> labels;
    const QDir dir(labelFolder);
    for (const QFileInfo& link :
         dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        const QString target = link.canonicalFilePath();
        if (!target.isEmpty())
            labels.insert(QFileInfo(target).fileName(), unescapeLabel(link.fileName()));
    }
    return labels;
}

} // namespace

std::vector<Drive> driveList(const QString& mountsFile, const QString& sysBlock,
                             const QString& labelFolder) {
    std::vector<Drive> drives;
    QFile file(mountsFile);
    if (!file.open(QIODevice::ReadOnly))
        return drives;
    const QHash<QString, QString> labels = labelsByDevice(labelFolder);
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray& line : lines) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 3)
            continue;
        Drive drive;
        drive.device = decodeFileName(unescapeMountField(fields[0]));
        drive.root = decodeFileName(unescapeMountField(fields[1]));
        drive.fstype = QString::fromLatin1(fields[2]);
        if (isPseudoFileSystem(drive.fstype) || !drive.root.startsWith(u'/'))
            continue;
        if (!drive.root.endsWith(u'/'))
            drive.root += u'/';
        const bool blockDevice = drive.device.startsWith(u"/dev/"_s);
        const QString name = blockDevice ? blockName(drive.device) : QString();
        drive.fixed = blockDevice && !isMediaFileSystem(drive.fstype) &&
                      !name.startsWith(u"loop"_s) && !isRemovable(sysBlock, name);
        drive.label = labels.value(name);
        drive.text =
            drive.root + u" ["_s + (drive.label.isEmpty() ? drive.device : drive.label) + u']';
        // A later mount on the same point hides the earlier one.
        const auto same = std::find_if(drives.begin(), drives.end(),
                                       [&](const Drive& d) { return d.root == drive.root; });
        if (same != drives.end())
            *same = drive;
        else
            drives.push_back(drive);
    }
    std::sort(drives.begin(), drives.end(),
              [](const Drive& a, const Drive& b) { return a.root < b.root; });
    return drives;
}

std::vector<Drive> driveList() {
    return driveList(u"/proc/self/mounts"_s, u"/sys/class/block"_s, u"/dev/disk/by-label"_s);
}

} // namespace quillfen::platform

#include "fileops/journal.h"

#include "platform/filename.h"
#include "platform/folders.h"

#include <QByteArrayList>
#include <QDateTime>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillfen {

using namespace Qt::StringLiterals;

namespace {

// Past this size the journal starts afresh at its next run; the previous
// one is kept once as journal.old.
constexpr qint64 kRotateBytes = 16 * 1024 * 1024;

const QByteArray kUndone = "undone";

const char* const kActionNames[] = {"trash", "delete", "move", "hardlink", "clone"};

QByteArray encodedPath(const QString& path) {
    return platform::encodeFileName(path).toPercentEncoding("/");
}

QString decodedPath(const QByteArray& field) {
    const QByteArray bytes = QByteArray::fromPercentEncoding(field);
    return platform::decodeFileName(bytes.constData(), bytes.size());
}

QByteArray identityField(const platform::FileIdentity& id) {
    return QByteArray::number(id.device) + ':' + QByteArray::number(id.inode);
}

bool parseIdentity(const QByteArray& field, platform::FileIdentity& id) {
    const qsizetype colon = field.indexOf(':');
    bool deviceOk = false;
    bool inodeOk = false;
    id.device = field.left(colon).toULongLong(&deviceOk);
    id.inode = field.mid(colon + 1).toULongLong(&inodeOk);
    return colon > 0 && deviceOk && inodeOk;
}

// The whole file, or nothing when it cannot be read.
std::optional<QByteArray> readWhole(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return std::nullopt;
    QByteArray content;
    char buffer[65536];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
        content.append(buffer, n > 0 ? n : 0);
    ::close(fd);
    if (n < 0)
        return std::nullopt;
    return content;
}

} // namespace

QString journalActionName(JournalAction action) {
    return QString::fromLatin1(kActionNames[int(action)]);
}

QString Journal::defaultPath() {
    return platform::userFolder("XDG_STATE_HOME", u".local/state"_s) + u"quillfen/journal"_s;
}

Journal::Journal(QString path) : m_path(std::move(path)) {}

Journal::~Journal() {
    if (m_fd >= 0)
        ::close(m_fd);
}

QString Journal::newRun() {
    return QString::number(QDateTime::currentMSecsSinceEpoch()) + u'-' +
           QString::number(qint64(::getpid()));
}

QByteArray Journal::lineOf(const JournalRecord& r) {
    QByteArrayList fields;
    fields << QDateTime::fromMSecsSinceEpoch(r.time, Qt::UTC).toString(Qt::ISODateWithMs).toLatin1()
           << r.run.toUtf8() << kActionNames[int(r.action)] << encodedPath(r.before)
           << encodedPath(r.after) << identityField(r.file.id) << QByteArray::number(r.file.size)
           << QByteArray::number(r.file.mtime) + '.' + QByteArray::number(r.file.mtimensec)
           << QByteArray::number(r.file.mode, 8) << QByteArray::number(r.file.owner)
           << QByteArray::number(r.file.atime) << identityField(r.keptid);
    return fields.join('\t') + '\n';
}

std::optional<JournalRecord> Journal::parseLine(const QByteArray& line) {
    const QByteArrayList fields = line.trimmed().split('\t');
    if (fields.size() != 12)
        return std::nullopt;
    JournalRecord r;
    const QDateTime time = QDateTime::fromString(QString::fromLatin1(fields[0]), Qt::ISODateWithMs);
    r.time = time.isValid() ? time.toMSecsSinceEpoch() : 0;
    r.run = QString::fromUtf8(fields[1]);
    const auto action = std::find(std::begin(kActionNames), std::end(kActionNames), fields[2]);
    if (action == std::end(kActionNames) || r.run.isEmpty())
        return std::nullopt;
    r.action = JournalAction(action - std::begin(kActionNames));
    r.before = decodedPath(fields[3]);
    r.after = decodedPath(fields[4]);
    bool ok[6] = {};
    const QByteArrayList mtime = fields[7].split('.');
    r.file.size = fields[6].toLongLong(&ok[0]);
    r.file.mtime = mtime.value(0).toLongLong(&ok[1]);
    r.file.mtimensec = mtime.value(1).toUInt(&ok[2]);
    r.file.mode = fields[8].toUInt(&ok[3], 8);
    r.file.owner = fields[9].toUInt(&ok[4]);
    r.file.atime = fields[10].toLongLong(&ok[5]);
    r.file.type = platform::FileType::Regular;
    if (!std::all_of(std::begin(ok), std::end(ok), [](bool b) { return b; }) ||
        !parseIdentity(fields[5], r.file.id) || !parseIdentity(fields[11], r.keptid) ||
        !r.before.startsWith(u'/'))
        return std::nullopt;
    return r;
}

platform::FileOpResult Journal::appendLine(const QByteArray& line) {
    if (m_fd < 0) {
        const QByteArray file = platform::encodeFileName(m_path);
        platform::makeFolders(m_path.left(m_path.lastIndexOf(u'/')), 0700);
        struct stat st;
        if (::stat(file.constData(), &st) == 0 && st.st_size > kRotateBytes)
            ::rename(file.constData(), (file + ".old").constData());
        m_fd =
            ::open(file.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (m_fd < 0)
            return platform::FileOpResult::failure(errno);
    }
    // One write per line: with O_APPEND lines of two programs never mix.
    const ssize_t written = ::write(m_fd, line.constData(), size_t(line.size()));
    if (written != ssize_t(line.size()))
        return platform::FileOpResult::failure(written < 0 ? errno : EIO);
    if (::fdatasync(m_fd) != 0)
        return platform::FileOpResult::failure(errno);
    return {};
}

platform::FileOpResult Journal::append(const JournalRecord& record) {
    return appendLine(lineOf(record));
}

platform::FileOpResult Journal::markUndone(const QString& run) {
    const QByteArray time = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toLatin1();
    return appendLine(time + '\t' + run.toUtf8() + '\t' + kUndone + '\n');
}

std::optional<JournalRun> Journal::lastRun() const {
    const std::optional<QByteArray> content = readWhole(platform::encodeFileName(m_path));
    if (!content)
        return std::nullopt;
    const QByteArrayList lines = content->split('\n');
    // The last run is the one of the last well-formed line; its records may
    // be interleaved with another program's.
    JournalRun last;
    for (auto line = lines.crbegin(); line != lines.crend() && last.run.isEmpty(); ++line) {
        const QByteArrayList fields = line->split('\t');
        if (fields.size() == 3 && fields[2] == kUndone)
            last.run = QString::fromUtf8(fields[1]);
        else if (const auto record = parseLine(*line))
            last.run = record->run;
    }
    if (last.run.isEmpty())
        return std::nullopt;
    const QByteArray run = last.run.toUtf8();
    for (const QByteArray& line : lines) {
        if (!line.contains(run))
            continue;
        const QByteArrayList fields = line.split('\t');
        if (fields.size() == 3 && fields[1] == run && fields[2] == kUndone)
            last.undone = true;
        else if (auto record = parseLine(line); record && record->run == last.run)
            last.records.push_back(std::move(*record));
    }
    return last;
}

} // namespace quillfen

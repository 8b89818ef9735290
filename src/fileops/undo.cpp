#include "fileops/undo.h"

#include "platform/filename.h"
#include "platform/folder.h"
#include "platform/linking.h"

#include <QByteArrayList>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace quillfen {

using namespace Qt::StringLiterals;

namespace {

QString folderOfPath(const QString& path) {
    return path.left(path.lastIndexOf(u'/') + 1);
}

QString nameOfPath(const QString& path) {
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QString failedLine(const JournalRecord& record, const QString& reason) {
    return u"Could not take back the operation on '"_s + record.before + u"' ("_s + reason + u')';
}

// The Path of a .trashinfo file as an absolute path: a volume trash
// ($topdir/.Trash/$uid or $topdir/.Trash-$uid) holds it relative to $topdir.
QString trashinfoPath(const QString& trash, const QByteArray& info) {
    for (const QByteArray& line : info.split('\n')) {
        if (!line.startsWith("Path="))
            continue;
        const QByteArray bytes = QByteArray::fromPercentEncoding(line.mid(5).trimmed());
        QString path = platform::decodeFileName(bytes.constData(), bytes.size());
        if (path.startsWith(u'/'))
            return path;
        QString top = trash;
        while (top.endsWith(u'/'))
            top.chop(1);
        top = top.left(top.lastIndexOf(u'/')); // .Trash-$uid, or $uid below .Trash
        if (top.endsWith(u"/.Trash"_s))
            top.chop(7);
        return top + u'/' + path;
    }
    return {};
}

// The path with its folder's links resolved, as the trash records it.
QString canonical(const QString& path) {
    const QByteArray folder = platform::encodeFileName(folderOfPath(path));
    char* resolved = ::realpath(folder.constData(), nullptr);
    if (!resolved)
        return path;
    QByteArray bytes(resolved);
    ::free(resolved);
    if (!bytes.endsWith('/'))
        bytes += '/';
    return platform::decodeFileName(bytes.constData(), bytes.size()) + nameOfPath(path);
}

std::optional<QByteArray> readSmallFile(const platform::Folder& folder, const QByteArray& name) {
    const int fd = ::openat(folder.fd(), name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    char buffer[65536];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    return n < 0 ? std::nullopt : std::optional<QByteArray>(QByteArray(buffer, n));
}

// Moves the file from (checked to be the record's file) to the record's
// name, which must be free.
QString moveBack(const JournalRecord& record, const QString& from, bool sameInode) {
    platform::Folder source(folderOfPath(from));
    const platform::FileInfo now = source.entryInfo(nameOfPath(from));
    const bool same = now.isRegular() && now.size == record.file.size &&
                      now.mtime == record.file.mtime && (!sameInode || now.id == record.file.id);
    if (!same)
        return u"it is no longer where the operation put it"_s;
    if (platform::fileInfo(record.before).exists())
        return u"its name is taken again"_s;
    const platform::FileOpResult moved = platform::moveFile(from, record.before);
    if (moved.error == EEXIST)
        return u"its name is taken again"_s;
    return moved.ok() ? QString() : moved.description;
}

QString undoTrash(const JournalRecord& record) {
    const QString filesFolder = folderOfPath(record.after);
    const QString trash = filesFolder.left(filesFolder.size() - 1).section(u'/', 0, -2) + u'/';
    const QByteArray infoName = platform::encodeFileName(nameOfPath(record.after)) + ".trashinfo";
    platform::Folder info(trash + u"info/"_s);
    const std::optional<QByteArray> content = readSmallFile(info, infoName);
    const QString recorded = content ? trashinfoPath(trash, *content) : QString();
    if (recorded.isEmpty() || (recorded != record.before && recorded != canonical(record.before)))
        return u"it is no longer in the trash"_s;
    const QString error = moveBack(record, record.after, true);
    if (error.isEmpty())
        ::unlinkat(info.fd(), infoName.constData(), 0);
    return error;
}

QString undoLink(const JournalRecord& record) {
    platform::Folder folder(folderOfPath(record.before));
    const platform::FileInfo now = folder.entryInfo(nameOfPath(record.before));
    const bool asLeft = now.isRegular() && now.size == record.file.size &&
                        (record.action == JournalAction::HardLink
                             ? now.id == record.keptid
                             : now.mtime == record.file.mtime && now.id != record.keptid);
    if (!asLeft)
        return u"it changed since the operation"_s;
    const platform::FileOpResult restored =
        platform::restoreOwnCopy(folder, nameOfPath(record.before), now, record.file);
    return restored.ok() ? QString() : restored.description;
}

// Whether the operation never reached the file: it is still under its name.
bool untouched(const JournalRecord& record) {
    const platform::FileInfo now = platform::fileInfo(record.before);
    return platform::sameFile(now, record.file) && now.id != record.keptid;
}

QString undoRecord(const JournalRecord& record) {
    switch (record.action) {
    case JournalAction::Trash:
        return undoTrash(record);
    case JournalAction::Move: {
        const bool sameDevice = platform::fileInfo(record.after).id.device == record.file.id.device;
        return moveBack(record, record.after, sameDevice);
    }
    case JournalAction::HardLink:
    case JournalAction::Clone:
        return undoLink(record);
    case JournalAction::Delete:
        break;
    }
    return u"a deleted file cannot be brought back"_s;
}

UndoResult describe(const std::optional<JournalRun>& run) {
    UndoResult result;
    if (!run || run->undone || run->records.empty())
        return result;
    result.available = true;
    result.action = run->records.front().action;
    result.permanent = result.action == JournalAction::Delete;
    result.files = qint64(run->records.size());
    return result;
}

} // namespace

UndoResult undoableoperation(const Journal& journal) {
    return describe(journal.lastRun());
}

UndoResult undolastoperation(Journal& journal) {
    const std::optional<JournalRun> run = journal.lastRun();
    UndoResult result = describe(run);
    if (!result.available || result.permanent)
        return result;
    for (auto record = run->records.crbegin(); record != run->records.crend(); ++record) {
        if (untouched(*record)) {
            ++result.untouched;
            continue;
        }
        const QString error = undoRecord(*record);
        if (error.isEmpty())
            ++result.restored;
        else
            result.errors << failedLine(*record, error);
    }
    journal.markUndone(run->run);
    return result;
}

} // namespace quillfen

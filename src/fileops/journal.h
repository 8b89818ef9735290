#pragma once

// The journal of file operations: one line per file and operation, appended
// and flushed to the disk before the file is touched, so that an operation
// can be taken back later, also after a crash or a power cut in the middle
// of it. It lives at $XDG_STATE_HOME/quillfen/journal (by default
// ~/.local/state/quillfen/journal).
//
// A line holds tab-separated fields: the UTC time, the run (shared by all
// files of one operation), the action, the path before and the path after
// (percent-encoded bytes, as in a .trashinfo file), the file's device:inode,
// size, modification time (seconds.nanoseconds), permission bits (octal),
// owner and access time, and for links and clones the kept file's
// device:inode. A run taken back gets a line of three fields: time, run,
// "undone".

#include "platform/fileops.h"
#include "platform/platform.h"

#include <QString>
#include <optional>
#include <vector>

namespace quillfen {

enum class JournalAction : quint8 { Trash, Delete, Move, HardLink, Clone };

struct JournalRecord {
    qint64 time = 0; // milliseconds since the epoch
    QString run;
    JournalAction action = JournalAction::Delete;
    QString before; // the name acted on
    // Trash: the file in the trash's files folder; move: the target;
    // link and clone: the kept file.
    QString after;
    platform::FileInfo file; // the file before: id, size, mtime, mode, owner, atime
    platform::FileIdentity keptid;
};

// The records of one run, in the order they were written.
struct JournalRun {
    QString run;
    std::vector<JournalRecord> records;
    bool undone = false;
};

class Journal {
public:
    static QString defaultPath();
    explicit Journal(QString path = defaultPath());
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    const QString& path() const { return m_path; }
    // A name for a new run, unique across processes.
    static QString newRun();
    // Appends one record and flushes it to the disk; a failure means the
    // file must not be touched.
    platform::FileOpResult append(const JournalRecord& record);
    platform::FileOpResult markUndone(const QString& run);
    // The last run in the journal; nothing when it is empty or unreadable.
    std::optional<JournalRun> lastRun() const;

    // One line and its reading, for tests and tools.
    static QByteArray lineOf(const JournalRecord& record);
    static std::optional<JournalRecord> parseLine(const QByteArray& line);

private:
    platform::FileOpResult appendLine(const QByteArray& line);
    QString m_path;
    int m_fd = -1;
};

QString journalActionName(JournalAction action);

} // namespace quillfen

#pragma once

// Taking back the last file operation from the journal: recycled files come
// back from the trash to their names, moved files go back, and names that
// were replaced by a hard link or a clone get a file of their own again. A
// name that is taken meanwhile is never overwritten, and a file that is no
// longer where and what the operation left is not touched: each such file
// gets an error-log line and stays where it is.

#include "fileops/journal.h"

#include <QStringList>

namespace quillfen {

struct UndoResult {
    bool available = false; // there was a run to take back
    bool permanent = false; // the run deleted files permanently: nothing can be taken back
    JournalAction action = JournalAction::Delete;
    qint64 files = 0;     // files of the run
    qint64 restored = 0;  // files taken back
    qint64 untouched = 0; // files the operation had left where they were
    QStringList errors;   // one error-log line per file that was not
};

// Whether the journal's last run can be taken back (and what it did).
UndoResult undoableoperation(const Journal& journal);

// Takes back the journal's last run, files in the reverse order, and marks
// the run as taken back (also when some files could not be).
UndoResult undolastoperation(Journal& journal);

} // namespace quillfen

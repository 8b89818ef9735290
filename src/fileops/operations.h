#pragma once

// Recycling, deleting and moving the checked files of the result list, the
// error log, the free-name search and the group tidy-up.
//
// An operation runs in three steps so that the file work can leave the
// window thread: confirmfileoperation (window thread, messages),
// runfilejob (any thread: a plain input in, a plain result out, no program
// state touched) and finishfileoperation (window thread: the tidy-up and the
// messages). startfileoperation runs them with a JobRunner.

#include "core/appstate.h"
#include "core/frontend.h"
#include "core/jobrunner.h"
#include "fileops/journal.h"

#include <QHash>
#include <atomic>
#include <functional>
#include <vector>

namespace quillfen {

// HardLink and Clone keep every name: a checked file is replaced by a hard
// link to, or a copy-on-write clone of, the unchecked file of its group.
enum class FileOperation { Recycle, Delete, Move, HardLink, Clone };

// The Move files dialog's choices, read once when a move starts.
struct MoveOptions {
    QString destination; // used unchanged as a prefix, normally a folder ending in "/"
    bool rename = true;  // "Rename files with conflicting filenames"
};

// One checked row as the job sees it.
struct FileJobItem {
    qsizetype row = 0;
    QString path;     // folder ending in "/"
    QString filename; // name in that folder
    qint64 size = 0;  // as the scan found it
    qint64 mtime = 0;
    bool checkmtime = false; // the row's date was read, so a change can be told
    quint32 mtimensec = 0;
    platform::FileIdentity id;       // the file the row stands for (0/0: not known)
    platform::FileIdentity folderid; // the folder the scan found it in (0/0: not known)
    bool compared = false;           // the row was written by a comparison pass
    // HardLink and Clone: the group's kept file, an index into
    // FileJobInput::keptfiles; -1 when every file of the group is checked.
    qsizetype kept = -1;
    QString fullPath() const { return path + filename; }
};

struct FileJobInput {
    FileOperation operation = FileOperation::Delete;
    MoveOptions move;
    std::vector<FileJobItem> items;     // the checked rows in list order
    std::vector<FileJobItem> keptfiles; // HardLink and Clone: the kept file of each group
    // Where each file is recorded before it is touched (empty: nowhere), so
    // that the operation can be taken back.
    QString journal;
    // The run's stopflag and progress counter (RunProgress), the only state
    // the job touches: true asks it to stop after the file in hand.
    const std::atomic<bool>* stop = nullptr;
    std::atomic<qint64>* progress = nullptr; // files handled so far
};

struct FileJobResult {
    qint64 processed = 0;                 // files whose step ran, failed or not
    std::vector<qsizetype> processedrows; // ascending
    QStringList processedpaths;           // the full path of each of those rows
    std::vector<bool> processedfailed;    // whether the step of each of those rows failed
    QStringList errors;                   // one error-log line per failed step
    bool stopped = false;                 // the stop request ended the job early
    QString failure;                      // an unexpected failure that ended the operation at once
    qint64 freedbytes = 0;                // HardLink and Clone: the sizes of the files replaced
};

// Takes back the last operation of the journal on the runner's worker
// thread, after a question (Cancel is the default); the program is busy
// meanwhile, and afterwards tells how many files came back and offers the
// error log. False when nothing was started.
bool startundo(AppState& state, Frontend& frontend, JobRunner& runner);

// Writes one journal record per file of a job, all under one run, before
// the file is touched.
class JournalWriter {
public:
    explicit JournalWriter(const QString& path) : m_journal(path), m_run(Journal::newRun()) {}
    platform::FileOpResult record(JournalAction action, const FileJobItem& item,
                                  const platform::FileInfo& facts, const QString& after,
                                  platform::FileIdentity keptid = {});

private:
    Journal m_journal;
    QString m_run;
};

// The per-file steps; each returns its error-log line, or an empty text.
// Each opens the row's folder, checks it is the folder the scan listed, and
// checks that the name there is still the file that was listed or compared
// (a regular file of that identity, size and date); then it acts through
// that folder, at any depth. A changed file is left alone.
// With a journal, each file is recorded there first and left alone when the
// record cannot be written.
QString recyclestep(const FileJobItem& item, JournalWriter* journal = nullptr);
QString deletestep(const FileJobItem& item, JournalWriter* journal = nullptr);
// Replaces the file of item by a hard link to (or a clone of) kept; both must
// still be the files that were compared, on one file system.
QString linkstep(const FileJobItem& item, const FileJobItem* kept, bool clone,
                 JournalWriter* journal = nullptr);
// Where the free-name search may start for a target: every numbered
// candidate below the number kept for it was taken when last tried. A job
// keeps them so that many files of one name do not try every taken name again.
using FreeNameHints = QHash<QString, qint64>;

QString movestep(const FileJobItem& item, const MoveOptions& options,
                 const std::atomic<bool>* stop = nullptr, FreeNameHints* hints = nullptr,
                 JournalWriter* journal = nullptr);

// The first of path, base(0).ext, base(1).ext, ... (path(0), path(1), ...
// without an extension) at which nothing exists. With hints, the numbered
// candidates start at the one kept for path, and the one found is kept.
QString freename(const QString& path, FreeNameHints* hints = nullptr);

// Runs the per-file steps; touches no program state, so it may run on the
// worker thread.
FileJobResult runfilejob(const FileJobInput& input);

// Steps 1 and 2 of every operation: the empty-list message and the
// confirmation (Cancel is the default). False: the operation ends here.
// HardLink and Clone are refused unless the list holds definite duplicates:
// replacing a file by another that is not proved equal would lose it.
bool confirmfileoperation(AppState& state, Frontend& frontend, FileOperation operation);
// The checked rows of the result list as the job's input.
FileJobInput planfileoperation(const AppState& state, FileOperation operation,
                               const MoveOptions& move = {});
// The end of an operation: the group tidy-up over the rows whose step ran
// (a row that no longer names the file it named stays), the result message,
// the error-log question, and the emptied error log.
void finishfileoperation(AppState& state, Frontend& frontend, FileOperation operation,
                         const FileJobResult& result);

// The whole operation with the file work on the runner's worker thread;
// the program is busy meanwhile (Stop ends it after the file in hand).
// False when nothing was started (empty list, Cancel, a job running).
// job does the per-file work (runfilejob unless another is given).
using FileJob = std::function<FileJobResult(const FileJobInput&)>;
bool startfileoperation(AppState& state, Frontend& frontend, JobRunner& runner,
                        FileOperation operation, const MoveOptions& move = {},
                        FileJob job = runfilejob);

// "&Move files" of the Move files dialog: an empty path is refused with its
// message; otherwise the move runs on runner. True when it was started.
bool movefilesclicked(AppState& state, Frontend& frontend, const MoveOptions& options,
                      JobRunner& runner);

// The rows the Delete files dialog lists: every checked entry's full path
// and "Size (MB)" text, in list order; and its count label ("3 files").
struct DeleteDialogRow {
    QString file;
    QString sizemb;
};
std::vector<DeleteDialogRow> deletedialogrows(const ResultList& list);
QString deletedialogcount(qsizetype rows);

// A folder from the folder browser with the trailing "/" the path box wants.
QString browsedfolder(const QString& folder);

// The Errorlog dialog takes the messages out of the log, first to last.
QStringList takeerrorlog(AppState& state);

// Steps 2 to 5 of the group tidy-up on a list: leading, trailing and
// repeated separator rows go, then every group that has one row left,
// together with one separator next to it.
ResultList tidiedlist(const ResultList& list);

// The group tidy-up on the result list (rows marked in remove; by default
// every checked row), then the grouping step and the closing of the Delete
// files dialog.
void tidygroups(AppState& state, Frontend& frontend);
void tidygroups(AppState& state, Frontend& frontend, const std::vector<bool>& remove);

} // namespace quillfen

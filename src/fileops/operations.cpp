#include "fileops/operations.h"

#include "compare/grouping.h"
#include "core/busy.h"
#include "core/format.h"
#include "fileops/undo.h"
#include "platform/filename.h"
#include "platform/fileops.h"
#include "platform/folder.h"
#include "platform/linking.h"
#include "platform/platform.h"
#include "results/selection.h"

#include <QDateTime>
#include <exception>
#include <memory>
#include <optional>

namespace quillfen {

using namespace Qt::StringLiterals;

namespace {

const QString kChanged = u"The file has changed since the scan"_s;
const QString kChangedSinceCompared = u"The file has changed since it was compared"_s;

// Opens the row's folder and checks that its name still leads to the file
// the row stands for, in the folder the scan listed: empty when it does,
// else the reason to leave the file alone. A zero identity is not known
// (rows made without a scan) and is not checked, nor then the nanoseconds.
QString checkListedFile(const FileJobItem& item, platform::Folder& folder) {
    folder = platform::Folder(item.path);
    if (!folder.isOpen())
        return platform::errorText(folder.error());
    const QString changed = item.compared ? kChangedSinceCompared : kChanged;
    const platform::FileIdentity unknown;
    if (item.folderid != unknown && folder.info().id != item.folderid)
        return changed;
    const platform::FileInfo info = folder.entryInfo(item.filename);
    if (!info.exists())
        return platform::errorText(info.error);
    const bool identified = item.id != unknown;
    if (!info.isRegular() || info.size != item.size || (identified && info.id != item.id))
        return changed;
    if (item.checkmtime &&
        (info.mtime != item.mtime || (identified && info.mtimensec != item.mtimensec)))
        return changed;
    return {};
}

// The facts a journal record keeps of an item's file.
platform::FileInfo recordedFacts(const FileJobItem& item, const platform::Folder& folder) {
    platform::FileInfo info = folder.entryInfo(item.filename);
    info.id = item.id;
    info.size = item.size;
    info.mtime = item.mtime;
    info.mtimensec = item.mtimensec;
    return info;
}

QString journalLine(const QString& path, const QString& description) {
    return u"The journal could not be written ("_s + description + u"): '"_s + path +
           u"' was left as it was"_s;
}

QString recycleLine(const QString& filename, const QString& description) {
    // The platform's reason follows the line, in brackets.
    return u"An unknown error occured while trying to move: '"_s + filename +
           u"' to the recycle bin ("_s + description + u')';
}

struct OperationTexts {
    MessageIcon icon;
    QString line;
    QString lastline;
    QString result;
};

OperationTexts textsOf(FileOperation operation) {
    switch (operation) {
    case FileOperation::Recycle:
        return {MessageIcon::Exclamation,
                u"The files that you have selected in the list will be moved to the recycle bin!"_s,
                u"Click on OK to continue."_s, u" files have been moved to the recycle bin."_s};
    case FileOperation::Delete:
        return {MessageIcon::Critical,
                u"The files that you have selected in the list will be PERMANENTLY DELETED!"_s,
                u"Click on OK to continue with the deletion."_s,
                u" files have been permanently deleted."_s};
    case FileOperation::HardLink:
        return {MessageIcon::Exclamation,
                u"The files that you have selected in the list will be replaced by hard links "
                "to the file that is kept in their group! Linked names share one set of "
                "permissions and dates from then on."_s,
                u"Click on OK to continue."_s, u" files have been replaced by hard links."_s};
    case FileOperation::Clone:
        return {MessageIcon::Exclamation,
                u"The files that you have selected in the list will be replaced by "
                "copy-on-write clones of the file that is kept in their group!"_s,
                u"Click on OK to continue."_s, u" files have been replaced by clones."_s};
    case FileOperation::Move:
        break;
    }
    return {MessageIcon::Critical, u"The files that you have selected in the list will be moved!"_s,
            u"Click on OK to move the files."_s, u" files have been moved."_s};
}

void regroup(AppState& state, Frontend& frontend) {
    // The tidied list keeps the separators of its groups, so one grouping
    // step settles it: there is nothing to insert.
    coloritems(state, frontend);
    if (state.resultlist.empty()) {
        // The grouping step leaves an empty list alone; the view and the
        // selected size must still show that everything is gone.
        frontend.resultListReset();
        showmbselected(state, frontend, 0);
    }
}

} // namespace

QString recyclestep(const FileJobItem& item, JournalWriter* journal) {
    const QString filename = item.fullPath();
    platform::Folder folder;
    QString reason = checkListedFile(item, folder);
    if (reason.isEmpty()) {
        QString journalFailure;
        platform::TrashHook record;
        if (journal) {
            record = [&](const QString& trashedPath) {
                const platform::FileOpResult written = journal->record(
                    JournalAction::Trash, item, recordedFacts(item, folder), trashedPath);
                if (!written.ok())
                    journalFailure = journalLine(filename, written.description);
                return written;
            };
        }
        const platform::FileOpResult result = platform::moveToTrash(
            folder, item.path, platform::encodeFileName(item.filename), record);
        if (result.ok())
            return {};
        if (!journalFailure.isEmpty())
            return journalFailure;
        reason = result.description;
    }
    return recycleLine(filename, reason);
}

QString deletestep(const FileJobItem& item, JournalWriter* journal) {
    platform::Folder folder;
    QString reason = checkListedFile(item, folder);
    if (reason.isEmpty() && journal) {
        const platform::FileOpResult written =
            journal->record(JournalAction::Delete, item, recordedFacts(item, folder), QString());
        if (!written.ok())
            return journalLine(item.fullPath(), written.description);
    }
    if (reason.isEmpty()) {
        const platform::FileOpResult result =
            platform::removeFile(folder, platform::encodeFileName(item.filename));
        if (result.ok())
            return {};
        reason = result.description;
    }
    return u"Error: '"_s + reason + u"' occured while trying to delete the file: "_s +
           item.filename;
}

QString movestep(const FileJobItem& item, const MoveOptions& options, const std::atomic<bool>* stop,
                 FreeNameHints* hints, JournalWriter* journal) {
    const QString source = item.fullPath();
    const QString target = options.destination + item.filename;
    platform::Folder folder;
    QString reason = checkListedFile(item, folder);
    if (reason.isEmpty()) {
        const QString destination = options.rename ? freename(target, hints) : target;
        if (journal) {
            const platform::FileOpResult written = journal->record(
                JournalAction::Move, item, recordedFacts(item, folder), destination);
            if (!written.ok())
                return journalLine(source, written.description);
        }
        const platform::FileOpResult result =
            platform::moveFile(folder, platform::encodeFileName(item.filename), destination, stop);
        if (result.ok())
            return {};
        reason = result.description;
    }
    // Both lines name the first target tried, not the free name found.
    const QString frame = options.rename
                              ? u"' occured while trying to move and giving a new filename: "_s
                              : u"' occured while trying to move: "_s;
    return u"Error: '"_s + reason + frame + source + u" to "_s + target;
}

platform::FileOpResult JournalWriter::record(JournalAction action, const FileJobItem& item,
                                             const platform::FileInfo& facts, const QString& after,
                                             platform::FileIdentity keptid) {
    JournalRecord record;
    record.time = QDateTime::currentMSecsSinceEpoch();
    record.run = m_run;
    record.action = action;
    record.before = item.fullPath();
    record.after = after;
    record.file = facts;
    record.keptid = keptid;
    return m_journal.append(record);
}

QString linkstep(const FileJobItem& item, const FileJobItem* kept, bool clone,
                 JournalWriter* journal) {
    const QString path = item.fullPath();
    if (!kept)
        return u"Every file of the group of '"_s + path +
               u"' is selected: none is kept to link it to, so it was left as it was"_s;
    platform::Folder folder;
    QString reason = checkListedFile(item, folder);
    platform::Folder keptFolder;
    if (reason.isEmpty())
        reason = checkListedFile(*kept, keptFolder);
    if (!reason.isEmpty())
        return u"Error: '"_s + reason + u"' occured while trying to replace the file: "_s + path;
    const platform::FileInfo expected = recordedFacts(item, folder);
    const platform::FileInfo keptFacts = recordedFacts(*kept, keptFolder);
    if (journal) {
        const platform::FileOpResult written =
            journal->record(clone ? JournalAction::Clone : JournalAction::HardLink, item, expected,
                            kept->fullPath(), kept->id);
        if (!written.ok())
            return journalLine(path, written.description);
    }
    const platform::FileOpResult result = platform::replaceWithLink(
        clone ? platform::LinkKind::Clone : platform::LinkKind::Hard, keptFolder, kept->filename,
        keptFacts, folder, item.filename, expected);
    if (result.ok())
        return {};
    switch (result.error) {
    case EXDEV:
        return u"'"_s + path + u"' is on another file system than '"_s + kept->fullPath() +
               u"': it was left as it was"_s;
    case EOPNOTSUPP:
        return u"The file system of '"_s + path + u"' cannot make clones: it was left as it was"_s;
    case platform::kFileChanged:
        return u"Error: '"_s + kChangedSinceCompared +
               u"' occured while trying to replace the file: "_s + path;
    default:
        return u"Error: '"_s + result.description +
               u"' occured while trying to replace the file: "_s + path;
    }
}

QString freename(const QString& path, FreeNameHints* hints) {
    const auto exists = [](const QString& candidate) {
        return platform::fileInfo(candidate).exists();
    };
    if (!exists(path))
        return path;
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype dot = path.lastIndexOf(u'.');
    const bool extension = dot > slash;
    const QString base = extension ? path.left(dot) : path;
    const QString ext = extension ? path.mid(dot) : QString();
    for (qint64 i = hints ? hints->value(path, 0) : 0;; ++i) {
        const QString candidate = base + u'(' + QString::number(i) + u')' + ext;
        if (!exists(candidate)) {
            if (hints)
                hints->insert(path, i);
            return candidate;
        }
    }
}

FileJobResult runfilejob(const FileJobInput& input) {
    FileJobResult result;
    FreeNameHints hints;
    std::optional<JournalWriter> journal;
    if (!input.journal.isEmpty())
        journal.emplace(input.journal);
    JournalWriter* writer = journal ? &*journal : nullptr;
    for (const FileJobItem& item : input.items) {
        if (input.stop && input.stop->load(std::memory_order_relaxed)) {
            result.stopped = true;
            break;
        }
        bool failed = false;
        try {
            QString line;
            switch (input.operation) {
            case FileOperation::Recycle:
                line = recyclestep(item, writer);
                break;
            case FileOperation::Delete:
                line = deletestep(item, writer);
                break;
            case FileOperation::Move:
                line = movestep(item, input.move, input.stop, &hints, writer);
                // A file moved away from the destination may free a name
                // below a kept number.
                if (line.isEmpty() && item.fullPath().startsWith(input.move.destination))
                    hints.clear();
                break;
            case FileOperation::HardLink:
            case FileOperation::Clone: {
                const bool known = item.kept >= 0 && item.kept < qsizetype(input.keptfiles.size());
                line = linkstep(item, known ? &input.keptfiles[size_t(item.kept)] : nullptr,
                                input.operation == FileOperation::Clone, writer);
                if (line.isEmpty())
                    result.freedbytes += item.size;
                break;
            }
            }
            failed = !line.isEmpty();
            if (failed)
                result.errors.append(line);
        } catch (const std::exception& error) {
            // Before the first file, or anywhere in a recycle, an unexpected
            // failure ends the operation; later ones skip the file.
            if (result.processed == 0 || input.operation == FileOperation::Recycle) {
                result.failure = QString::fromLocal8Bit(error.what());
                break;
            }
        }
        ++result.processed;
        result.processedrows.push_back(item.row);
        result.processedpaths.append(item.fullPath());
        result.processedfailed.push_back(failed);
        if (input.progress)
            input.progress->fetch_add(1, std::memory_order_relaxed);
    }
    return result;
}

bool confirmfileoperation(AppState& state, Frontend& frontend, FileOperation operation) {
    MessageBoxes& boxes = frontend.messages();
    if (state.resultlist.empty()) {
        boxes.inform(u"There are no files in the list."_s, MessageIcon::Information);
        return false;
    }
    const bool linking = operation == FileOperation::HardLink || operation == FileOperation::Clone;
    if (linking && state.labeldef1.toLongLong() <= 0) {
        boxes.inform(u"Only definite duplicates can share their content: compare the files with "
                     "the CRC or the bytewise comparison first."_s,
                     MessageIcon::Information);
        return false;
    }
    const OperationTexts texts = textsOf(operation);
    const QString text =
        crlfJoin({u"Warning!"_s, QString(), texts.line, QString(), texts.lastline});
    return boxes.askOkCancel(text, texts.icon, MessageAnswer::Cancel);
}

FileJobInput planfileoperation(const AppState& state, FileOperation operation,
                               const MoveOptions& move) {
    FileJobInput input;
    input.operation = operation;
    input.move = move;
    input.journal = Journal::defaultPath();
    const ResultList& list = state.resultlist;
    const auto itemOf = [](qsizetype row, const ResultEntry& entry) {
        return FileJobItem{row,
                           entry.path,
                           entry.filename,
                           entry.size,
                           entry.mtime,
                           entry.dateform != DateForm::None,
                           entry.mtimensec,
                           entry.id,
                           entry.folderid,
                           entry.dateform == DateForm::General};
    };
    const bool linking = operation == FileOperation::HardLink || operation == FileOperation::Clone;
    qsizetype groupKept = -1; // the kept file of the group in hand
    for (qsizetype row = 0; row < qsizetype(list.size()); ++row) {
        const ResultEntry& entry = list[size_t(row)];
        // A group's kept file is its first unchecked one.
        if (linking && (row == 0 || list[size_t(row - 1)].isSeparator())) {
            groupKept = -1;
            for (qsizetype k = row; k < qsizetype(list.size()) && !list[size_t(k)].isSeparator();
                 ++k) {
                if (!list[size_t(k)].checked) {
                    groupKept = qsizetype(input.keptfiles.size());
                    input.keptfiles.push_back(itemOf(k, list[size_t(k)]));
                    break;
                }
            }
        }
        if (!entry.checked || entry.isSeparator())
            continue;
        input.items.push_back(itemOf(row, entry));
        input.items.back().kept = linking ? groupKept : -1;
    }
    return input;
}

void finishfileoperation(AppState& state, Frontend& frontend, FileOperation operation,
                         const FileJobResult& result) {
    MessageBoxes& boxes = frontend.messages();
    state.errorlog.append(result.errors);
    if (!result.failure.isEmpty()) {
        boxes.inform(crlfJoin({u"An error occured!"_s, QString(), result.failure}),
                     MessageIcon::Critical);
        return;
    }
    // The rows are those of the list the job was planned on; one that names
    // another file now (the list changed meanwhile) is not taken away. Nor
    // is the row of a file whose step failed and that is still in place: it
    // stays, unchecked, so the list keeps telling the truth.
    std::vector<bool> remove(state.resultlist.size(), false);
    for (size_t k = 0; k < result.processedrows.size(); ++k) {
        const qsizetype row = result.processedrows[k];
        if (row < 0 || row >= qsizetype(remove.size()))
            continue;
        ResultEntry& entry = state.resultlist[size_t(row)];
        if (entry.fullPath() != result.processedpaths.value(qsizetype(k)))
            continue;
        const bool failed = k < result.processedfailed.size() && result.processedfailed[k];
        if (failed && platform::fileInfo(entry.fullPath()).exists())
            entry.checked = false;
        else
            remove[size_t(row)] = true;
    }
    tidygroups(state, frontend, remove);

    // Every failed step wrote one line; only the others count as done.
    const qint64 done = std::max<qint64>(0, result.processed - qint64(result.errors.size()));
    QString text = QString::number(done) + textsOf(operation).result;
    if (operation == FileOperation::HardLink || operation == FileOperation::Clone) {
        state.spacefreed = result.freedbytes;
        text = crlfJoin({text, QString(), sizeMbText(result.freedbytes) + u" MB freed."_s});
    }
    boxes.inform(text, MessageIcon::Information);
    const qsizetype errors = state.errorlog.size();
    if (errors >= 1) {
        const QString question =
            crlfJoin({QString::number(errors) +
                          u" errors occured while trying to complete this operation."_s,
                      QString(), u"Would you like to see the log?"_s});
        // Seeing the log loses nothing; not seeing it loses the messages.
        if (boxes.askYesNo(question, MessageIcon::Exclamation, MessageAnswer::Yes))
            frontend.showErrorLog();
    }
    state.errorlog.clear();
}

bool startfileoperation(AppState& state, Frontend& frontend, JobRunner& runner,
                        FileOperation operation, const MoveOptions& move, FileJob job) {
    if (runner.isRunning() || !confirmfileoperation(state, frontend, operation))
        return false;
    auto input = std::make_shared<FileJobInput>(planfileoperation(state, operation, move));
    auto result = std::make_shared<FileJobResult>();
    state.progressmax = qint64(input->items.size());
    state.progressdone = 0;
    input->stop = &state.stopflag;
    input->progress = &state.progressdone;
    beginbusy(state, frontend);
    return runner.start([input, result, job = std::move(job)] { *result = job(*input); },
                        [&state, &frontend, operation, result] {
                            endbusy(state, frontend);
                            finishfileoperation(state, frontend, operation, *result);
                        });
}

bool startundo(AppState& state, Frontend& frontend, JobRunner& runner) {
    MessageBoxes& boxes = frontend.messages();
    if (runner.isRunning())
        return false;
    const UndoResult offer = undoableoperation(Journal(Journal::defaultPath()));
    if (!offer.available || offer.permanent) {
        boxes.inform(offer.permanent ? u"The last operation deleted files permanently: it "
                                       "cannot be taken back."_s
                                     : u"There is no operation to take back."_s,
                     MessageIcon::Information);
        return false;
    }
    const QString question =
        crlfJoin({u"The last operation ("_s + journalActionName(offer.action) + u", "_s +
                      QString::number(offer.files) + u" files) will be taken back."_s,
                  QString(), u"Click on OK to continue."_s});
    if (!boxes.askOkCancel(question, MessageIcon::Exclamation, MessageAnswer::Cancel))
        return false;
    auto result = std::make_shared<UndoResult>();
    beginbusy(state, frontend);
    return runner.start(
        [result] {
            Journal journal(Journal::defaultPath());
            *result = undolastoperation(journal);
        },
        [&state, &frontend, result] {
            endbusy(state, frontend);
            state.spacefreed = -1;
            state.errorlog.append(result->errors);
            MessageBoxes& messages = frontend.messages();
            messages.inform(QString::number(result->restored) + u" files have been taken back."_s,
                            MessageIcon::Information);
            if (!state.errorlog.isEmpty() &&
                messages.askYesNo(crlfJoin({QString::number(state.errorlog.size()) +
                                                u" errors occured while trying to complete "
                                                "this operation."_s,
                                            QString(), u"Would you like to see the log?"_s}),
                                  MessageIcon::Exclamation, MessageAnswer::Yes))
                frontend.showErrorLog();
            state.errorlog.clear();
            frontend.statusChanged();
        });
}

bool movefilesclicked(AppState& state, Frontend& frontend, const MoveOptions& options,
                      JobRunner& runner) {
    if (options.destination.isEmpty()) {
        frontend.messages().inform(u"You must first select a path to move the files too!"_s,
                                   MessageIcon::Exclamation);
        return false;
    }
    // A destination typed without its "/" that names an existing folder
    // means that folder; otherwise the text stays a prefix of the new names.
    MoveOptions chosen = options;
    if (!chosen.destination.endsWith(u'/') &&
        platform::fileInfo(chosen.destination).type == platform::FileType::Folder)
        chosen.destination += u'/';
    return startfileoperation(state, frontend, runner, FileOperation::Move, chosen);
}

std::vector<DeleteDialogRow> deletedialogrows(const ResultList& list) {
    std::vector<DeleteDialogRow> rows;
    for (const ResultEntry& entry : list) {
        if (entry.checked && !entry.isSeparator())
            rows.push_back({entry.fullPath(), entry.sizembText()});
    }
    return rows;
}

QString deletedialogcount(qsizetype rows) {
    return QString::number(rows) + u" files"_s;
}

QString browsedfolder(const QString& folder) {
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

QStringList takeerrorlog(AppState& state) {
    QStringList messages;
    messages.swap(state.errorlog);
    return messages;
}

ResultList tidiedlist(const ResultList& list) {
    // Groups are the runs of rows between separator rows; repeated, leading
    // and trailing separators vanish, and so do groups left with one row.
    ResultList tidied;
    tidied.reserve(list.size());
    size_t start = 0;
    while (start < list.size()) {
        if (list[start].isSeparator()) {
            ++start;
            continue;
        }
        size_t end = start;
        while (end < list.size() && !list[end].isSeparator())
            ++end;
        if (end - start >= 2) {
            if (!tidied.empty())
                tidied.push_back(ResultEntry::separator());
            tidied.insert(tidied.end(), list.begin() + qsizetype(start),
                          list.begin() + qsizetype(end));
        }
        start = end;
    }
    return tidied;
}

void tidygroups(AppState& state, Frontend& frontend) {
    std::vector<bool> remove(state.resultlist.size());
    for (size_t row = 0; row < remove.size(); ++row)
        remove[row] = state.resultlist[row].checked;
    tidygroups(state, frontend, remove);
}

void tidygroups(AppState& state, Frontend& frontend, const std::vector<bool>& remove) {
    ResultList kept;
    kept.reserve(state.resultlist.size());
    for (size_t row = 0; row < state.resultlist.size(); ++row) {
        if (row >= remove.size() || !remove[row])
            kept.push_back(std::move(state.resultlist[row]));
    }
    state.resultlist.swap(kept);
    try {
        ResultList tidied = tidiedlist(state.resultlist);
        state.resultlist.swap(tidied);
    } catch (const std::exception& error) {
        frontend.messages().inform(u"Remove EG Error: "_s + QString::fromLocal8Bit(error.what()),
                                   MessageIcon::Critical);
    }
    regroup(state, frontend);
    frontend.closeDialog(Dialog::DeleteFiles);
}

} // namespace quillfen

// quillfen-cli: the scan without a window.

#include "app/clioptions.h"
#include "app/clioutput.h"
#include "compare/checksumcache.h"
#include "compare/comparecontroller.h"
#include "compare/comparejob.h"
#include "compare/grouping.h"
#include "core/appstate.h"
#include "core/headlessfrontend.h"
#include "fileops/operations.h"
#include "fileops/undo.h"
#include "platform/filename.h"
#include "platform/folder.h"
#include "platform/folders.h"
#include "platform/limits.h"
#include "platform/platform.h"
#include "results/keeprules.h"
#include "scan/scanengine.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

using namespace quillfen;
using namespace Qt::StringLiterals;

namespace {

void printLine(const QByteArray& line) {
    const QByteArray text = line + '\n';
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    std::fflush(stderr);
}

// Messages may hold file names: escaped, so that a name cannot add lines.
void printError(const QString& message) {
    printLine("quillfen-cli: " + cli::escaped(message));
}

// Compares the scanned list with the planned passes and groups what is left,
// as the window does at the end of a comparison run.
// The passes that ran go to plandone.
void compareList(AppState& state, const ComparePlan& plan, const OpeningCache& cache,
                 ComparePlan& plandone) {
    CompareJobInput job;
    job.list = std::move(state.resultlist);
    job.plan = plan;
    job.openingcache = cache;
    job.curstep = 1;
    job.totalsteps = 1 + plan.size();
    state.stopflag = false;
    CompareJobResult result = runComparison(std::move(job), state);
    state.stopflag = true;
    state.resultlist = std::move(result.list);
    plandone = result.plandone;
    HeadlessFrontend window;
    groupFreshList(state, window);
    state.resultlist = duplicategroups(std::move(state.resultlist));
    setDuplicateCounters(state, result.plandone, countnamedrows(state.resultlist));
}

bool writeAll(const QByteArray& bytes) {
    return std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) ==
               size_t(bytes.size()) &&
           std::fflush(stdout) == 0;
}

using Action = cli::Options::Action;

QString actionWord(Action action) {
    switch (action) {
    case Action::Trash:
        return u"trash"_s;
    case Action::Delete:
        return u"delete"_s;
    case Action::Link:
        return u"link"_s;
    default:
        return u"move"_s;
    }
}

// Each file of each group with what would be done to it.
void printPlan(const ResultList& list, const cli::Options& options) {
    for (const ResultEntry& row : list) {
        if (row.isSeparator())
            continue;
        QByteArray line;
        if (!row.checked)
            line = "would keep: " + cli::escaped(row.fullPath());
        else if (options.action == Action::Move)
            line = "would move: " + cli::escaped(row.fullPath()) + " to " +
                   cli::escaped(options.moveto + row.filename);
        else if (options.action == Action::Link)
            line =
                (options.clone ? "would replace by a clone: " : "would replace by a hard link: ") +
                cli::escaped(row.fullPath());
        else
            line = "would " + actionWord(options.action).toUtf8() + ": " +
                   cli::escaped(row.fullPath());
        printLine(line);
    }
}

// One question on the terminal; only "y" or "yes" goes on.
bool confirmed(qsizetype files, const cli::Options& options) {
    QString question;
    switch (options.action) {
    case Action::Trash:
        question = u"Move %1 files to the trash?"_s;
        break;
    case Action::Delete:
        question = u"Delete %1 files permanently?"_s;
        break;
    case Action::Link:
        question = options.clone
                       ? u"Replace %1 files by clones of the file kept in their group?"_s
                       : u"Replace %1 files by hard links to the file kept in their group? "
                         "Linked names share one set of permissions and dates."_s;
        break;
    case Action::UndoLast:
        question = u"Take back the last operation on %1 files?"_s;
        break;
    default:
        question = u"Move %1 files to %2?"_s;
        break;
    }
    question = question.arg(files);
    if (options.action == Action::Move)
        question = question.arg(options.moveto);
    const QByteArray prompt = cli::escaped(question) + " [y/N] ";
    std::fwrite(prompt.constData(), 1, size_t(prompt.size()), stderr);
    std::fflush(stderr);
    char answer[64] = {};
    if (std::fgets(answer, sizeof answer, stdin) == nullptr)
        return false;
    const QByteArray word = QByteArray(answer).trimmed().toLower();
    return word == "y" || word == "yes";
}

// Keeps one file of every group, acts on the others; the exit status.
int act(AppState& state, const cli::Options& options) {
    AssistantWorking working;
    keepworking(options.keeprules, working);
    selectallbutkept(state.resultlist, working);
    if (options.dryrun) {
        printPlan(state.resultlist, options);
        return 0;
    }
    FileOperation operation = FileOperation::Move;
    switch (options.action) {
    case Action::Trash:
        operation = FileOperation::Recycle;
        break;
    case Action::Delete:
        operation = FileOperation::Delete;
        break;
    case Action::Link:
        operation = options.clone ? FileOperation::Clone : FileOperation::HardLink;
        break;
    default:
        break;
    }
    const FileJobInput input =
        planfileoperation(state, operation, MoveOptions{options.moveto, options.rename});
    if (input.items.empty())
        return 0;
    if (!options.yes && !confirmed(qsizetype(input.items.size()), options)) {
        printError(u"nothing was changed"_s);
        return 2;
    }
    const FileJobResult result = runfilejob(input);
    for (const QString& line : result.errors)
        printLine(cli::escaped(line));
    if (options.action == Action::Link)
        printLine(QByteArray::number(result.freedbytes) + " bytes freed");
    if (!result.failure.isEmpty()) {
        printError(u"An error occured! "_s + result.failure);
        return 1;
    }
    return result.errors.isEmpty() ? 0 : 1;
}

// --undo-last: takes back the journal's last operation; the exit status.
int undoLast(const cli::Options& options) {
    Journal journal;
    const UndoResult offer = undoableoperation(journal);
    if (!offer.available) {
        printError(u"the journal holds no operation to take back"_s);
        return 2;
    }
    if (offer.permanent) {
        printError(u"the last operation deleted files permanently: it cannot be taken back"_s);
        return 2;
    }
    if (options.dryrun) {
        printLine("would take back: " + journalActionName(offer.action).toUtf8() + " of " +
                  QByteArray::number(offer.files) + " files");
        return 0;
    }
    if (!options.yes && !confirmed(qsizetype(offer.files), options)) {
        printError(u"nothing was changed"_s);
        return 2;
    }
    const UndoResult result = undolastoperation(journal);
    for (const QString& line : result.errors)
        printLine(cli::escaped(line));
    printLine(QByteArray::number(result.restored) + " files taken back, " +
              QByteArray::number(result.errors.size()) + " not");
    return result.errors.isEmpty() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    platform::raiseOpenFileLimit(); // long runs are read side by side
    platform::returnLargeBlocks();
    // Dates of a long list are cheaper; set before QCoreApplication may start threads.
    platform::cacheLocalTimeZone();
    QCoreApplication app(argc, argv);
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << platform::decodeFileName(argv[i], qsizetype(std::strlen(argv[i])));

    QString error;
    const std::optional<cli::Options> options =
        cli::parseArguments(arguments, platform::currentFolder(), error);
    if (!options) {
        printError(error);
        std::fputs("Try 'quillfen-cli --help'.\n", stderr);
        return 2;
    }
    if (options->help) {
        writeAll(cli::usageText().toUtf8());
        return 0;
    }
    if (options->action == Action::UndoLast) {
        if (!options->yes && !options->dryrun && ::isatty(STDIN_FILENO) != 1) {
            printError(u"standard input is not a terminal to ask on: give --yes"_s);
            return 2;
        }
        return undoLast(*options);
    }
    const bool acting = options->action != Action::None && !options->dryrun;
    if (acting && !options->yes && ::isatty(STDIN_FILENO) != 1) {
        printError(u"standard input is not a terminal to ask on: give --yes to act without "
                   "asking, or --dry-run"_s);
        return 2;
    }
    QStringList folders;
    for (const PathEntry& entry : options->pathtable)
        folders << entry.folder();
    if (options->action == Action::Move)
        folders << options->moveto;
    for (const QString& folder : folders) {
        // The user's own folder may be reached through a link, as the walk allows.
        const platform::Folder opened(folder);
        if (!opened.isOpen()) {
            printError(u"cannot open folder %1: %2"_s.arg(
                folder, QString::fromLocal8Bit(std::strerror(opened.error()))));
            return 2;
        }
    }

    // Kept to the end of the process: freeing every row one by one would only
    // slow the exit down.
    static AppState* const kept = new AppState;
    AppState& state = *kept;
    ScanInput input;
    input.pathtable = options->pathtable;
    input.skipfolders = options->skipfolders;
    input.skipexts = options->skipexts;
    const quint32 start = platform::tickCount();
    state.starttick = start;
    // The checksum cache opens while the folders are walked.
    const ComparePlan& plan = options->compareplan;
    const bool cached =
        !options->nocache && (plan.contains(ComparePass::Fuzzy) || plan.readsWholeFiles());
    const OpeningCache cache = cached ? openChecksumCache() : OpeningCache();
    state.stopflag = false;
    ScanResult result = scanfiles(input, state);
    state.stopflag = true;
    state.resultlist = std::move(result.list);
    state.labelposs1 = QString::number(state.resultlist.size());
    ComparePlan plandone;
    if (!options->compareplan.isEmpty() && !state.resultlist.empty())
        compareList(state, options->compareplan, cache, plandone);
    else
        state.resultlist = duplicategroups(std::move(state.resultlist));
    const qint64 elapsed = qint64(quint32(platform::tickCount() - start));

    QByteArray out;
    int writeError = 0; // the first failure's errno; later pieces are dropped
    const cli::FlushOutput flush = [&writeError](QByteArray& piece) {
        if (writeError == 0 && !writeAll(piece))
            writeError = errno != 0 ? errno : EIO;
        piece.truncate(0);
    };
    if (options->json)
        cli::writeJson(state.resultlist, state, plandone, elapsed, out, flush);
    else if (options->null)
        cli::writeNull(state.resultlist, out, flush);
    else
        cli::writeText(state.resultlist, out, flush);
    flush(out);
    if (writeError != 0) {
        // Nothing is done to files whose list could not be shown.
        printError(u"cannot write the output: %1"_s.arg(
            QString::fromLocal8Bit(std::strerror(writeError))));
        return 1;
    }
    if (options->action == Action::None)
        return 0;
    return act(state, *options);
}

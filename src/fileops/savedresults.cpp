#include "fileops/savedresults.h"

#include "compare/comparecontroller.h"
#include "compare/grouping.h"
#include "fileops/recheck.h"
#include "platform/fileops.h"
#include "report/resultsfile.h"
#include "results/selection.h"

namespace quillfen {

using namespace Qt::StringLiterals;

namespace {

// The passes named in a results file ("fuzzy,crc").
ComparePlan planOf(const QString& names) {
    ComparePlan plan;
    const std::pair<QString, ComparePass> known[] = {{u"fuzzy"_s, ComparePass::Fuzzy},
                                                     {u"crc"_s, ComparePass::Crc},
                                                     {u"bytewise"_s, ComparePass::Bytewise}};
    for (const QString& name : names.split(u',', Qt::SkipEmptyParts)) {
        for (const auto& [word, pass] : known) {
            if (name.trimmed() == word)
                plan.add(pass);
        }
    }
    return plan;
}

// The last pass of a plan, as compareplan holds it after a run.
ComparePlan lastPassOf(const ComparePlan& plan) {
    for (ComparePass pass : {ComparePass::Bytewise, ComparePass::Crc, ComparePass::Fuzzy}) {
        if (plan.contains(pass))
            return {pass};
    }
    return {ComparePass::NoComparison};
}

std::optional<QByteArray> readWhole(const QString& path, QString& error) {
    platform::InputFile file;
    if (!file.open(path)) {
        const platform::FileInfo info = platform::fileInfo(path);
        error = info.exists() && !info.isRegular() && info.type != platform::FileType::Symlink
                    ? u"It is not a file."_s
                    : platform::errorText(file.error());
        return std::nullopt;
    }
    QByteArray bytes;
    if (!file.readAll(bytes)) {
        error = platform::errorText(file.error());
        return std::nullopt;
    }
    return bytes;
}

} // namespace

bool saveresults(const AppState& state, Frontend& frontend, const QString& path,
                 const QString& timespent) {
    QByteArray document;
    writeresults(state.resultlist, runsummary(state, state.plandone, timespent), document);
    const platform::FileOpResult saved = platform::saveFile(path, document);
    if (saved.ok())
        return true;
    frontend.messages().inform(u"The results could not be saved to "_s + path + u"\r\n\r\n"_s +
                                   saved.description,
                               MessageIcon::Critical);
    return false;
}

QString droppedRowsMessage(qint64 vanished, qint64 changed) {
    if (vanished == 0 && changed == 0)
        return QString();
    return u"Since these results were saved, %1 files have vanished and %2 files have changed. "
           "They are no longer in the list."_s.arg(vanished)
               .arg(changed);
}

std::optional<QString> openresults(AppState& state, Frontend& frontend, const QString& path) {
    QString error;
    std::optional<OpenedResults> opened;
    if (const auto bytes = readWhole(path, error))
        opened = readresults(*bytes, error);
    if (!opened) {
        frontend.messages().inform(u"The results could not be opened from "_s + path +
                                       u"\r\n\r\n"_s + error,
                                   MessageIcon::Critical);
        return std::nullopt;
    }
    RecheckedList rechecked = recheckresults(opened->list);
    const RunSummary& run = opened->run;
    ComparePlan plandone = planOf(run.plan);
    // A file written without the plan still says what its rows are.
    if (run.definite && !plandone.readsWholeFiles())
        plandone.add(ComparePass::Bytewise);
    else if (!run.definite && plandone.isEmpty() && run.possibleduplicates > 0 &&
             run.filescompared > 0)
        plandone.add(ComparePass::Fuzzy);

    state.resultlist = std::move(rechecked.list);
    state.plandone = plandone;
    state.compareplan = lastPassOf(plandone);
    state.filesfound = run.filesfound;
    state.filesskipped = run.filesskipped;
    state.filesunreadable = run.filesunreadable;
    state.kbdone = run.kbdone * 10000;
    state.filescompared = run.filescompared;
    state.labeldef1 = u"0"_s;
    state.labelposs1 = u"0"_s;
    state.clickeditem = 0;

    frontend.setNoticeVisible(Notice::Completion, false);
    frontend.setNoticeVisible(Notice::Warning, false);
    coloritems(state, frontend);
    if (state.resultlist.empty())
        frontend.resultListReset(); // coloritems leaves an empty list alone
    const qsizetype named = countnamedrows(state.resultlist);
    if (setDuplicateCounters(state, plandone, named)) {
        const bool definite = verdictOf(plandone) == RunVerdict::Definite;
        frontend.setNoticeVisible(definite ? Notice::Completion : Notice::Warning, true);
    } else {
        state.labelposs1 = QString::number(named); // a scan's list, not compared
    }
    recountselected(state, frontend);
    frontend.statusChanged();
    const QString dropped = droppedRowsMessage(rechecked.vanished, rechecked.changed);
    if (!dropped.isEmpty())
        frontend.messages().inform(dropped, MessageIcon::Information);
    return run.timespent;
}

} // namespace quillfen

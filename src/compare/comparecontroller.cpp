#include "compare/comparecontroller.h"

#include "compare/checksumcache.h"
#include "compare/grouping.h"
#include "core/busy.h"

#include <memory>

namespace quillfen {

using namespace Qt::StringLiterals;

RunVerdict verdictOf(const ComparePlan& plandone) {
    if (plandone.readsWholeFiles())
        return RunVerdict::Definite;
    if (plandone.contains(ComparePass::Fuzzy))
        return RunVerdict::Possible;
    return RunVerdict::None;
}

bool setDuplicateCounters(AppState& state, const ComparePlan& plandone, qsizetype namedRows) {
    switch (verdictOf(plandone)) {
    case RunVerdict::Possible:
        state.labeldef1 = u"0"_s;
        state.labelposs1 = QString::number(namedRows);
        return true;
    case RunVerdict::Definite:
        state.labelposs1 = u"0"_s;
        state.labeldef1 = QString::number(namedRows);
        return true;
    case RunVerdict::None:
        break;
    }
    return false;
}

QString comparisonMessage(const ComparePlan& plandone, qsizetype namedRows) {
    QString kind;
    switch (verdictOf(plandone)) {
    case RunVerdict::Possible:
        kind = u" possible duplicates found."_s;
        break;
    case RunVerdict::Definite:
        kind = u" definate duplicates found."_s;
        break;
    case RunVerdict::None:
        return QString();
    }
    return u"Comparison successfully completed!\r\n\r\n"_s + QString::number(namedRows) + kind;
}

CompareController::CompareController(AppState& state, Frontend& frontend, QObject* parent)
    : QObject(parent), m_state(state), m_frontend(frontend) {}

CompareController::~CompareController() {
    if (m_runner.isRunning()) {
        m_state.stopflag = true;
        m_runner.wait();
    }
}

bool CompareController::start() {
    if (m_runner.isRunning())
        return false;
    m_frontend.setNoticeVisible(Notice::Completion, false);
    m_frontend.setNoticeVisible(Notice::Warning, false);
    m_frontend.setNoticeVisible(Notice::Preview, false);
    m_state.progressmax = qint64(m_state.resultlist.size());
    m_state.progressdone = 0;
    m_state.groupmax = 0;
    m_state.groupdone = 0;
    m_state.progressvisible = true;
    beginrun(m_state, m_frontend);
    m_frontend.statusChanged();

    auto input = std::make_shared<CompareJobInput>();
    input->list = m_state.resultlist;
    input->plan = m_state.compareplan;
    input->gentle = m_state.gentlecompare;
    input->curstep = m_state.curstep;
    input->totalsteps = m_state.totalsteps;
    input->files = m_files;
    if (m_state.settings.checksumcache)
        input->cachepath = ChecksumCache::defaultPath();
    auto result = std::make_shared<CompareJobResult>();
    RunProgress* progress = &m_state;
    m_runner.start(
        [input, result, progress] { *result = runComparison(std::move(*input), *progress); },
        [this, result] { finish(*result); });
    return true;
}

void CompareController::finish(CompareJobResult& result) {
    m_state.curstep = result.curstep;
    m_state.compareplan = result.compareplan;
    m_state.plandone = result.stopped ? ComparePlan() : result.plandone;

    if (result.stopped) {
        m_state.resultlist.clear();
        m_frontend.resultListReset();
        m_state.progressvisible = false;
        endbusy(m_state, m_frontend);
        emit finished(true);
        return;
    }

    m_state.progressdone = m_state.progressmax.load();
    m_state.groupdone = m_state.groupmax.load();
    endbusy(m_state, m_frontend);
    m_state.curfolder.set(QString());
    m_frontend.statusChanged();

    m_state.resultlist = std::move(result.list);
    if (m_state.resultlist.empty())
        m_frontend.resultListReset();
    groupFreshList(m_state, m_frontend);

    const qsizetype named = countnamedrows(m_state.resultlist);
    if (setDuplicateCounters(m_state, result.plandone, named)) {
        const bool definite = verdictOf(result.plandone) == RunVerdict::Definite;
        m_frontend.setNoticeVisible(definite ? Notice::Completion : Notice::Warning, true);
        m_frontend.statusChanged();
        m_frontend.messages().inform(comparisonMessage(result.plandone, named),
                                     MessageIcon::Information);
    }
    m_frontend.showSelectionAssistant();
    emit finished(false);
}

} // namespace quillfen

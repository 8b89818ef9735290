#include "scan/scancontroller.h"

#include "compare/compareoptions.h"
#include "core/busy.h"
#include "platform/platform.h"
#include "scan/scanoptions.h"

#include <memory>

namespace quillfen {

using namespace Qt::StringLiterals;

QString foundMessage(qsizetype count) {
    return crlfJoin({u"The program has successfully finished!"_s, QString(),
                     u"It has found "_s + QString::number(count) + u" possible duplicates."_s,
                     u"Please run the Compare function to find out which"_s,
                     u"one of these files that definetly are duplicates."_s,
                     u"You can find it at the topmenu. We can also"_s,
                     u"automatically start this function for you."_s, QString(),
                     u"If you didn't get the result that you expected,"_s,
                     u"remember that some file extensions and directories"_s,
                     u"are skipped by default. You can chose what"_s, u"to skip under Settings."_s,
                     QString(), u"Would you like us to start the function which"_s,
                     u"will compare the files found?"_s});
}

QString noDuplicatesMessage() {
    return crlfJoin({u"The program has successfully finished!"_s, QString(),
                     u"No duplicate files were found."_s, QString(),
                     u"If you didn't get the result that you expected,"_s,
                     u"remember that some file extensions and directories"_s,
                     u"are skipped by default. You can chose what"_s,
                     u"to skip under Settings."_s});
}

QString noPathsMessage() {
    return crlfJoin({u"You must add at least one path to scan."_s, QString(),
                     u"Would you like to add a path now?"_s});
}

QString nothingToCompareMessage() {
    return crlfJoin({u"You can't compare files unless you have scanned and found any"_s,
                     u"potential duplicates that have been added to the list."_s});
}

ScanController::ScanController(AppState& state, Frontend& frontend, QObject* parent)
    : QObject(parent), m_state(state), m_frontend(frontend) {}

ScanController::~ScanController() {
    // The job reads the state; it must end before the state may go.
    m_state.stopflag = true;
    m_runner.wait();
}

void ScanController::starter() {
    if (m_runner.isRunning())
        return;
    m_frontend.showSettingsPreview();
    if (!m_state.scanconfirmed)
        return;
    readscanoptions(m_state);
    readcompareoptions(m_state);

    m_state.filesfound = 0;
    m_state.filesskipped = 0;
    m_state.filesunreadable = 0;
    m_state.kbdone = 0;
    m_state.filescompared = 0;
    m_state.bytescompared = 0;
    m_state.comparefile1.set(QString());
    m_state.comparefile2.set(QString());

    m_frontend.setNoticeVisible(Notice::Completion, false);
    m_frontend.setNoticeVisible(Notice::Warning, false);
    m_frontend.setNoticeVisible(Notice::Preview, false);
    m_state.labeldef1 = u"0"_s;
    m_state.labelposs1 = u"0"_s;
    m_state.plandone = ComparePlan();
    m_state.labelmbselected1 = u"0 MB"_s;
    m_state.mbselected = 0;
    m_state.resultlist = {};
    m_frontend.resultListReset();
    m_frontend.statusChanged();

    if (!m_state.scanpaths.pathtable.empty()) {
        m_state.scanstartscompare = true;
        scanfilesStart();
        return;
    }
    if (m_frontend.messages().askYesNo(noPathsMessage(), MessageIcon::Exclamation,
                                       MessageAnswer::Yes))
        m_frontend.showScanPaths();
}

void ScanController::scanfilesStart() {
    // The bars start empty before the first look at them.
    m_state.progressmax = 0;
    m_state.progressdone = 0;
    m_state.groupmax = 0;
    m_state.groupdone = 0;
    m_state.progressvisible = true;
    beginrun(m_state, m_frontend);
    m_state.curfolder.set(QString());

    auto input = std::make_shared<ScanInput>();
    input->pathtable = m_state.scanpaths.pathtable;
    m_state.skipfolders.clear();
    for (const CheckedEntry& entry : m_state.settings.skipfolderlist) {
        if (entry.checked)
            m_state.skipfolders.append(entry.text);
    }
    m_state.skipexts.clear();
    for (const CheckedEntry& entry : m_state.settings.skipextlist) {
        if (entry.checked)
            m_state.skipexts.append(entry.text);
    }
    input->skipfolders = m_state.skipfolders;
    input->skipexts = m_state.skipexts;

    m_state.label5.set(
        u"Step %1/%2 - Scanning for files"_s.arg(m_state.curstep).arg(m_state.totalsteps));
    m_frontend.statusChanged();

    auto result = std::make_shared<ScanResult>();
    RunProgress* progress = &m_state;
    m_runner.start([input, result, progress] { *result = scanfiles(*input, *progress); },
                   [this, result] { scanEnd(std::move(*result)); });
}

void ScanController::stopsteps() {
    m_state.resultlist = {};
    m_frontend.resultListReset();
    m_state.progressvisible = false;
    endbusy(m_state, m_frontend);
    m_frontend.statusChanged();
    emit scanEnded();
}

void ScanController::scanEnd(ScanResult result) {
    // A stop asked for after the walk still ends the run here, rather than
    // being lost when the comparison starts.
    if (result.stopped || m_state.stopflag) {
        stopsteps();
        return;
    }
    m_state.resultlist = std::move(result.list);
    m_state.progressdone = m_state.progressmax.load();
    m_state.labelposs1 = QString::number(m_state.resultlist.size());
    m_state.curfolder.set(QString());

    if (m_state.compareplan == ComparePlan{ComparePass::NoComparison}) {
        if (m_grouping) {
            m_grouping();
        } else {
            m_frontend.resultListReset();
        }
        m_frontend.statusChanged();
        endbusy(m_state, m_frontend);
        if (!m_state.resultlist.empty()) {
            const qsizetype count = countnamedrows(m_state.resultlist);
            if (m_frontend.messages().askYesNo(foundMessage(count), MessageIcon::Information,
                                               MessageAnswer::Yes))
                m_frontend.showCompareDialog();
            else
                m_frontend.setNoticeVisible(Notice::Warning, true);
        } else {
            m_frontend.messages().inform(noDuplicatesMessage(), MessageIcon::Information);
        }
        emit scanEnded();
        return;
    }
    m_frontend.resultListReset();
    m_frontend.statusChanged();
    startcompare(ComparePass::NoComparison);
    emit scanEnded();
}

void ScanController::startcompare(ComparePass mode) {
    if (!m_state.resultlist.empty()) {
        if (!m_state.scanstartscompare)
            m_state.compareplan = ComparePlan{mode};
        m_frontend.enableComparisonTimer();
        return;
    }
    endbusy(m_state, m_frontend);
    m_frontend.messages().inform(nothingToCompareMessage(), MessageIcon::Exclamation);
}

} // namespace quillfen

#pragma once

// Runs a comparison from the window thread: the start steps (notices, busy
// state, clock), the job on the worker thread, and the end steps when it
// finishes (grouping, counters, notices, the message and the selection
// assistant) or the stop steps when the user stopped it.

#include "compare/comparejob.h"
#include "core/appstate.h"
#include "core/frontend.h"
#include "core/jobrunner.h"

#include <QObject>

namespace quillfen {

class CompareController : public QObject {
    Q_OBJECT
public:
    CompareController(AppState& state, Frontend& frontend, QObject* parent = nullptr);
    ~CompareController() override; // asks a running job to stop and waits for it

    // The comparison timer's tick: starts a run of compareplan over the result
    // list. False when a run is going already.
    bool start();
    bool isRunning() const { return m_runner.isRunning(); }
    // Blocks until the running job has ended and its end steps have run.
    void wait() { m_runner.wait(); }
    // For tests: how the files are reached (null: the file system itself).
    void setFileAccess(const FileAccess* files) { m_files = files; }

signals:
    // The run is over: after the end steps (and the selection assistant) or
    // after the stop steps.
    void finished(bool stopped);

private:
    void finish(CompareJobResult& result);

    AppState& m_state;
    Frontend& m_frontend;
    JobRunner m_runner;
    const FileAccess* m_files = nullptr;
};

// What the passes that ran make of the rows left: possible duplicates (fuzzy
// alone), definite duplicates (CRC or bytewise ran), or nothing to report.
enum class RunVerdict { None, Possible, Definite };
RunVerdict verdictOf(const ComparePlan& plandone);

// Sets labelposs1 and labeldef1 for a finished run; false when the run
// reports nothing (they are then left as they are).
bool setDuplicateCounters(AppState& state, const ComparePlan& plandone, qsizetype namedRows);

// The end-of-run message for the passes that ran and the number of rows with
// a name, or empty when none is shown.
QString comparisonMessage(const ComparePlan& plandone, qsizetype namedRows);

} // namespace quillfen

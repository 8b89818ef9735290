#pragma once

// Runs a scan from the Scan command to its end: the Settings preview, the
// reset of the counters, the walk on the worker thread, and, back on the
// window thread, the fill of the result list, the grouping, the messages and
// the hand-over to the comparison. Reaches the window only through Frontend.

#include "core/appstate.h"
#include "core/compareplan.h"
#include "core/frontend.h"
#include "core/jobrunner.h"
#include "scan/scanengine.h"

#include <QObject>
#include <functional>

namespace quillfen {

class ScanController : public QObject {
    Q_OBJECT
public:
    ScanController(AppState& state, Frontend& frontend, QObject* parent = nullptr);
    ~ScanController() override;

    // The grouping of the fresh list after a scan whose plan is "Do nothing";
    // it tells the window about the changed list itself. Without one the
    // list stays ungrouped.
    void setGrouping(std::function<void()> grouping) { m_grouping = std::move(grouping); }

    // The Scan command.
    void starter();
    // Hands a finished scan (or the Compare files dialog's choice) over to
    // the comparison: arms the comparison timer, or ends the run with a
    // message when the list is empty.
    void startcompare(ComparePass mode);

    bool isScanning() const { return m_runner.isRunning(); }
    // Blocks until a running scan job has ended and its end steps have run.
    void waitForScan() { m_runner.wait(); }

signals:
    // A scan ended: by its end steps, by a stop, or handed to the comparison.
    void scanEnded();

private:
    void scanfilesStart();
    void scanEnd(ScanResult result);
    void stopsteps();

    AppState& m_state;
    Frontend& m_frontend;
    JobRunner m_runner;
    std::function<void()> m_grouping;
};

// The messages of a scan's end.
QString foundMessage(qsizetype count);
QString noDuplicatesMessage();
QString noPathsMessage();
QString nothingToCompareMessage();

} // namespace quillfen

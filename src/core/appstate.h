#pragma once

// The program-wide state: run control, scan options, skip lists in force,
// counters of the status panel, the result list and the settings kept while
// the program runs, plus the lists of the dialogs that are hidden rather than
// destroyed. Created once at start-up and passed by reference.
//
// Threads: the window thread owns everything except the atomics and the
// LockedText fields, which a running job writes while the window reads them.

#include "core/assistantsettings.h"
#include "core/compareplan.h"
#include "core/exportsettings.h"
#include "core/lockedtext.h"
#include "core/pathentry.h"
#include "core/resultlist.h"
#include "core/runprogress.h"
#include "core/version.h"
#include "core/windowgeometry.h"
#include "platform/platform.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <vector>

namespace quillfen {

// The lists and boxes of the Settings dialog.
struct SettingsDialogState {
    std::vector<CheckedEntry> skipfolderlist;
    std::vector<CheckedEntry> skipextlist;
    std::vector<PatternListEntry> patternlists;
    // After-search boxes, gentle box and the hidden autoselect box, each a
    // check-box value: 0 unticked, 1 ticked, 2 greyed.
    int donothing = 0;
    int fuzzy = 1;
    int crc = 1;
    int bytewise = 0;
    int gentle = 0;
    int autoselectbox = 1;
    QString editorprogram;     // the editor field; viewerpath follows it only through Browse
    bool checksumcache = true; // keep and use checksums of files read whole
    // The pattern editor: the pattern-list row opened by Edit, and the
    // pattern last chosen in its list (-1: none since opening, Remove or Clear).
    int editingrow = -1;
    int selectedpattern = -1;
};

// Where a new path entry's patterns come from: the pattern selector's
// "Predefined filepatterns:" (a named list) or "Specific filepatterns:" (the box).
enum class PatternSource { Predefined, Specific };

// A row of the Scan paths dialog's drive list.
struct DriveRow {
    platform::Drive drive;
    bool ticked = false;
};

// The lists and filter boxes of the Scan paths dialog.
struct ScanPathsState {
    std::vector<PathEntry> pathtable; // the path list shows the same texts
    std::vector<DriveRow> drivelist;
    bool minsizebox = true;
    QString minsizetext = QStringLiteral("10");
    bool maxsizebox = false;
    QString maxsizetext = QStringLiteral("2000000");
    bool subdirsbox = true;
    bool ignorezerobox = true;
    bool readonlybox = true;
    bool hiddenbox = true;
    bool systembox = false;
    bool archivebox = true;
    // The pattern selector and the text of the specific patterns box.
    PatternSource patternselector = PatternSource::Predefined;
    QString specificpatterns = QStringLiteral("*.*");
};

// The run's progress (stopflag and the status panel's counters and texts)
// is the part a job gets; the rest belongs to the window thread.
struct AppState : RunProgress {
    // Run control
    bool scanconfirmed = false;
    ComparePlan compareplan;
    ComparePlan plandone; // the passes the last comparison ran (none after a scan)
    int totalsteps = 1;
    int curstep = 1;
    bool scanstartscompare = false;
    quint32 starttick = 0;
    // Set while a scan or comparison run is busy: only these runs own the
    // "Time spent" clock; file operations and reports leave it alone.
    bool timedrun = false;
    qint64 spacefreed = -1; // bytes the last replacement by links or clones freed; -1: none

    // Scan options as readscanoptions last read them from the Scan paths
    // dialog's boxes; a new path entry takes them. The walk reads each
    // entry's own options.
    bool minsizeon = false;
    SizeLimit minsize;
    bool maxsizeon = false;
    SizeLimit maxsize;
    bool subdirs = true;
    bool ignorezero = true;

    // Skip lists in force during a scan
    QStringList skipfolders;
    QStringList skipexts;

    // Texts of the status panel set when a run hands over its result
    QString labelposs1 = QStringLiteral("0");
    QString labeldef1 = QStringLiteral("0");
    QString labelmbselected1 = QStringLiteral("0 MB");

    // Settings kept while the program runs
    QString viewerpath;
    bool nowizard = false;
    bool gentlecompare = false;
    QString appversion = programversion();
    QStringList errorlog;
    int mbselected = 0;
    int clickeditem = 0;

    // The main window's geometry as loaded at start-up and reported before
    // the settings are saved; settings.dat's full path, chosen at start-up.
    WindowGeometry window;
    QString settingspath;

    ResultList resultlist;
    SettingsDialogState settings;
    ScanPathsState scanpaths;
    AssistantSettings assistant;   // the selection assistant's controls
    ExportSettings exportsettings; // the report export dialog's controls
};

} // namespace quillfen

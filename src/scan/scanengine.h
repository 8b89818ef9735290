#pragma once

// The scan: walks the path table once per pattern, filters every file,
// records the candidates and turns the sizes that occur more than once into
// result entries, largest first. Runs as a job on the worker thread.

#include "core/pathentry.h"
#include "core/resultlist.h"
#include "core/runprogress.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <vector>

namespace quillfen {

// The path with "/" appended unless it already ends in "/".
QString addbackslash(const QString& path);
// The text up to its first NUL character; the whole text if it has none.
QString trimnul(const QString& text);
// Whether a file name matches a pattern (see platform::PatternMatcher).
bool matchpattern(QStringView name, const QString& pattern);

// What a scan needs, copied on the window thread before the job starts.
struct ScanInput {
    std::vector<PathEntry> pathtable;
    QStringList skipfolders; // full folders ending in "/", compared exactly
    QStringList skipexts;    // extensions without the dot, compared case-insensitively
    // Called with each folder text just before the walk opens that folder;
    // lets a test change the tree at that very moment.
    std::function<void(const QString& folder)> enteringfolder;
};

struct ScanResult {
    ResultList list;      // the possible duplicates, largest size first
    bool stopped = false; // stopflag was set: the list is empty
    qint64 candcount = 0; // files recorded by the walk
};

// The scan job. Reads progress.stopflag and writes only the counters the
// status panel shows (filesfound, filesskipped, filesunreadable, curfolder,
// progressmax, progressdone), so it may run on the worker thread while the
// window reads them.
//
// filesunreadable counts the folders that could not be listed and the files
// whose size could not be read; such a file also counts as found (as skipped
// under a lower size limit) but never becomes a candidate.
ScanResult scanfiles(const ScanInput& input, RunProgress& progress);

} // namespace quillfen

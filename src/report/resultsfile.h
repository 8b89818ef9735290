#pragma once

// The results file: the result list with its groups, check marks and the
// run's counters, as a versioned JSON document that the window saves and
// opens and that quillfen-cli --json prints. Names are exact: a byte of a
// name that is not UTF-8 is written as the escape \udcXX (the program's
// reversible form of such bytes), which decoders such as Python's
// surrogateescape also turn back into that byte.
//
//   {"format": "quillfen-results", "version": 1,
//    "comparison": "definite" | "possible", "plan": "fuzzy,bytewise",
//    "groups": [{"size": 1234, "files": [{"path": "/a/b", "mtime": 1700000000,
//                "mtimensec": 0, "device": 2049, "inode": 12,
//                "folderdevice": 2049, "folderinode": 2, "checked": false}, ...]}, ...],
//    "stats": {"filesfound": 0, "filesskipped": 0, "filesunreadable": 0,
//              "kbdone": 0, "filescompared": 0, "possibleduplicates": 0,
//              "definiteduplicates": 0, "timespent": "00:00:00"}}
//
// A group is a run of rows between separator rows; groups of one file are
// never written.

#include "core/appstate.h"
#include "core/resultlist.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

namespace quillfen {

struct RunSummary {
    bool definite = false; // the rows were compared by content
    QString plan;          // the passes run, comma-separated; empty for none
    qint64 filesfound = 0;
    qint64 filesskipped = 0;
    qint64 filesunreadable = 0;
    qint64 kbdone = 0;
    qint64 filescompared = 0;
    qint64 possibleduplicates = 0;
    qint64 definiteduplicates = 0;
    QString timespent; // "hh:mm:ss"
};

// The summary of the run behind the result list: the status panel's counters
// of state and the passes that ran: definite when CRC or bytewise ran.
RunSummary runsummary(const AppState& state, const ComparePlan& plandone, const QString& timespent);

// Hands on what was written so far and empties it; called between files once
// a piece is full, so that a million rows never sit in memory as one text.
using ResultsSink = std::function<void(QByteArray& out)>;

// Writes the document for list; groups are runs between separator rows and,
// where rows of different sizes meet without one (a scan's list), between
// sizes.
void writeresults(const ResultList& list, const RunSummary& run, QByteArray& out,
                  const ResultsSink& sink = {});

struct OpenedResults {
    ResultList list; // groups separated by separator rows
    RunSummary run;
};

// Reads a document; a damaged or foreign one gives nothing and the reason in
// error.
std::optional<OpenedResults> readresults(const QByteArray& document, QString& error);

// A text as a JSON string, non-UTF-8 bytes of names as \udcXX.
void appendJsonString(QByteArray& out, const QString& text);

} // namespace quillfen

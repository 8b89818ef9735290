#pragma once

// What quillfen-cli prints: the groups of the result list as paths or JSON.

#include "core/appstate.h"
#include "core/resultlist.h"

#include <QByteArray>
#include <functional>

namespace quillfen::cli {

// Hands on what was written so far and empties it. The writers call it
// between files once a piece of output is full, so that a list of millions
// of files never sits in memory as one text; without it they write all.
using FlushOutput = std::function<void(QByteArray& out)>;

// A text as the text output writes it: "\\" for a backslash, "\n" and "\t",
// "\xHH" for every other byte below 0x20, for 0x7f, for each byte of a name
// that is not UTF-8 and for each byte of the UTF-8 form of U+0080..U+009F,
// U+2028 and U+2029; everything else as UTF-8. No name can then end a line
// or look like an empty one.
void appendEscaped(QByteArray& out, const QString& text);
QByteArray escaped(const QString& text);

// The writers take the groups as runs of rows between separator rows, split
// where the size changes (the scan writes no separator rows); callers pass
// duplicategroups() of the result list so that every group has two or more
// files.

// One escaped full path per line, an empty line between groups.
void writeText(const ResultList& list, QByteArray& out, const FlushOutput& flush = {});

// Each full path as its original bytes followed by a NUL byte, an empty entry
// (one more NUL) between groups.
void writeNull(const ResultList& list, QByteArray& out, const FlushOutput& flush = {});

// The results file (report/resultsfile.h) of the list, with the status
// panel's counters and the passes that ran.
void writeJson(const ResultList& list, const AppState& state, const ComparePlan& plandone,
               qint64 elapsedMs, QByteArray& out, const FlushOutput& flush = {});

} // namespace quillfen::cli

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

// One full path per line, an empty line between groups; names keep their
// original bytes. Groups are runs of equal size (the scan writes no
// separator rows; separator rows end a group where there are some).
void writeText(const ResultList& list, QByteArray& out, const FlushOutput& flush = {});

// {"groups": [{"size": N, "files": [...]}], "stats": {...}} with the status
// panel's counters in stats. A byte of a name that is not UTF-8 is written as
// the escape \udcXX, which decoders such as Python's surrogateescape turn
// back into that byte.
void writeJson(const ResultList& list, const AppState& state, qint64 elapsedMs, QByteArray& out,
               const FlushOutput& flush = {});

} // namespace quillfen::cli

#pragma once

// A review saved to continue later: the result list written to a results
// file, and a results file opened again into the window's state. On opening,
// every row is checked against the file system first; rows whose file
// vanished or changed since it was compared are dropped and counted.

#include "core/appstate.h"
#include "core/frontend.h"

#include <QString>
#include <optional>

namespace quillfen {

// Writes the result list with the run's counters to path, replacing the file
// whole or not at all. False (after a message) when it could not be written.
bool saveresults(const AppState& state, Frontend& frontend, const QString& path,
                 const QString& timespent);

// Opens a results file into state: the rows that are still true, their
// groups, check marks, counters and comparison notice. A damaged or foreign
// file changes nothing. Returns the saved run's time spent when opened.
std::optional<QString> openresults(AppState& state, Frontend& frontend, const QString& path);

// The message after opening: how many rows were dropped and why; empty when
// none was.
QString droppedRowsMessage(qint64 vanished, qint64 changed);

} // namespace quillfen

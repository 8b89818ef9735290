#pragma once

// What the Quick Start Wizard does to the program's state: the path table of
// a new user (every fixed local file system), the after-search boxes of the
// chosen accuracy, and the summary shown before the scan starts.

#include "core/appstate.h"

#include <QString>

namespace quillfen {

// "I'm new": the path table is emptied and gets one entry per fixed drive of
// the drive list, in its order: root + "*.*", keyed by the root, skipping
// files below 10 kB, no upper limit, all subfolders, no empty files, the
// attributes "RHA". A root already in the table is skipped.
void quickstartpaths(AppState& state);

// The after-search boxes: fuzzy and CRC ("99.9999999% Accuracy", fastest)
// or fuzzy and bytewise ("100% Accuracy"); "Do nothing" off.
void quickstartaccuracy(AppState& state, bool fastest);

// The summary: the number of path entries, their texts one a line, and the
// comparison sentence of the chosen accuracy, lines joined by CR LF.
QString quickstartsummary(const AppState& state, bool fastest);

} // namespace quillfen

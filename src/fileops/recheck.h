#pragma once

// Checking saved results against the file system before they are shown
// again: only rows whose name still leads to the file they stood for stay.

#include "core/resultlist.h"

namespace quillfen {

struct RecheckedList {
    ResultList list;     // the rows that are still true, groups tidied
    qint64 vanished = 0; // rows whose file is gone
    qint64 changed = 0;  // rows whose name now leads to another or a changed file
};

// Keeps the rows whose folder is still the one listed and whose name is
// still a regular file of the row's identity, size and modification time;
// then removes the groups left with one file, as after a file operation.
RecheckedList recheckresults(const ResultList& list);

} // namespace quillfen

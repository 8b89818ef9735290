#pragma once

// Duplicate groups of the result list: separator rows between groups, the
// alternating group colours, bold names, the first/middle/last icons, the
// selected-size recount and the folder order within each group.

#include "core/appstate.h"
#include "core/frontend.h"
#include "core/resultlist.h"

namespace quillfen {

// Walks the result list from the top: a new group starts where the size
// changes or at a row marked as the start of a sub-group. Inserts the
// separator rows, colours and marks the groups, recounts the checked size
// (mbselected, labelmbselected1, the preview notice) and sorts every group by
// folder. A list fresh from a comparison needs two calls: the first inserts
// the separators, the second settles the icons. Linear in the number of rows
// apart from the sort within each group.
void coloritems(AppState& state, Frontend& frontend);

// The grouping of a list fresh from a scan or a comparison: coloritems
// twice. A list that has its separators already (one tidied after a file
// operation) is settled by one call.
void groupFreshList(AppState& state, Frontend& frontend);

// Orders the rows of every group by folder (character codes, capitals
// first). Only the file's own values (name, folder, size, date) move; the
// check box, colour, bold and icon stay with the position. Rows with equal
// folders keep their order, so an already sorted list is left as it is.
void sortgroupsbypath(ResultList& list);

// Whole megabytes of the checked rows: each row's bytes / 1,000,000 added and
// rounded (halves to even) after every addition.
int selectedMegabytes(const ResultList& list);

} // namespace quillfen

#pragma once

// The check boxes of the result list: the selected-size recount and the
// commands of the list's context menu that check or uncheck rows. Row
// numbers are 0-based indices into AppState::resultlist.

#include "core/appstate.h"
#include "core/frontend.h"

#include <span>

namespace quillfen {

// Sets mbselected, labelmbselected1 and the preview notice from a total.
void showmbselected(AppState& state, Frontend& frontend, int mb);
// The recount over the checked rows, shown: their megabytes in list order,
// rounded (halves to even) after every single addition, so a file below
// 0.5 MB never adds anything and the total depends on the order of the rows.
void recountselected(AppState& state, Frontend& frontend);

// The user toggled a row's check box to checked; a separator row is
// unchecked again. Then the recount.
void setrowchecked(AppState& state, Frontend& frontend, qsizetype row, bool checked);

// The selection commands; each does nothing on an empty list.
void selall(AppState& state, Frontend& frontend); // "Select all"
void selinv(AppState& state, Frontend& frontend); // "Select inverse"
void unsel(AppState& state, Frontend& frontend);  // "Unselect all"
// "Select all files in this directory" / "Unselect all files in this
// directory": the folder of the focused row (-1: none, nothing happens),
// compared exactly; subfolders are not included.
void selalldir(AppState& state, Frontend& frontend, qsizetype focusedRow);
void unseldir(AppState& state, Frontend& frontend, qsizetype focusedRow);
// "Select marked entries": checks the highlighted files; nothing is unchecked.
void selmark(AppState& state, Frontend& frontend, std::span<const qsizetype> markedRows);

} // namespace quillfen

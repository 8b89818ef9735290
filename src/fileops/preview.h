#pragma once

// The discard and save preview: the result list split into the files that
// stay (unchecked) and the files the next operation takes (checked). The
// dialog shows the entries its row maps point at and calls the two moves.

#include "core/appstate.h"
#include "core/frontend.h"

#include <span>
#include <vector>

namespace quillfen {

struct DiscardPreview {
    // Row k of the dialog's list shows the result-list entry at map[k].
    std::vector<qsizetype> savedmap;     // "These files will be saved"
    std::vector<qsizetype> discardedmap; // "These files will be discarded or moved"
};

// The two lists in result-list order, separator rows left out, followed by
// the selected-size recount of the result list.
DiscardPreview rebuildpreview(AppState& state, Frontend& frontend);

// "Move checked files to the "Discarded" list": the entries behind the
// checked rows of the saved list (rows of that list, 0-based) get checked;
// then the rebuild, which is returned.
DiscardPreview movetodiscarded(AppState& state, Frontend& frontend, const DiscardPreview& preview,
                               std::span<const qsizetype> checkedSavedRows);
// "Move checked files to the "Saved" list": the reverse.
DiscardPreview movetosaved(AppState& state, Frontend& frontend, const DiscardPreview& preview,
                           std::span<const qsizetype> checkedDiscardedRows);

} // namespace quillfen

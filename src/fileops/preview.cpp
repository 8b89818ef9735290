#include "fileops/preview.h"

#include "results/selection.h"

namespace quillfen {

DiscardPreview rebuildpreview(AppState& state, Frontend& frontend) {
    DiscardPreview preview;
    const ResultList& list = state.resultlist;
    if (list.empty())
        return preview;
    for (qsizetype row = 0; row < qsizetype(list.size()); ++row) {
        const ResultEntry& entry = list[size_t(row)];
        if (entry.isSeparator())
            continue;
        (entry.checked ? preview.discardedmap : preview.savedmap).push_back(row);
    }
    recountselected(state, frontend);
    return preview;
}

namespace {

DiscardPreview moveRows(AppState& state, Frontend& frontend, const std::vector<qsizetype>& map,
                        std::span<const qsizetype> checkedRows, bool checked) {
    // The maps point into the list as it was when they were built; the
    // dialog is modal, so the list has not changed since.
    bool changed = false;
    for (const qsizetype k : checkedRows) {
        if (k < 0 || k >= qsizetype(map.size()))
            continue;
        const qsizetype row = map[size_t(k)];
        if (row >= 0 && row < qsizetype(state.resultlist.size()) &&
            !state.resultlist[size_t(row)].isSeparator()) {
            state.resultlist[size_t(row)].checked = checked;
            changed = true;
        }
    }
    if (changed)
        frontend.resultChecksChanged();
    return rebuildpreview(state, frontend);
}

} // namespace

DiscardPreview movetodiscarded(AppState& state, Frontend& frontend, const DiscardPreview& preview,
                               std::span<const qsizetype> checkedSavedRows) {
    return moveRows(state, frontend, preview.savedmap, checkedSavedRows, true);
}

DiscardPreview movetosaved(AppState& state, Frontend& frontend, const DiscardPreview& preview,
                           std::span<const qsizetype> checkedDiscardedRows) {
    return moveRows(state, frontend, preview.discardedmap, checkedDiscardedRows, false);
}

} // namespace quillfen

#include "results/selection.h"

#include "compare/grouping.h"

namespace quillfen {

using namespace Qt::StringLiterals;

void showmbselected(AppState& state, Frontend& frontend, int mb) {
    state.mbselected = mb;
    state.labelmbselected1 = QString::number(mb) + u" MB"_s;
    frontend.setNoticeVisible(Notice::Preview, mb >= 1);
    frontend.statusChanged();
}

void recountselected(AppState& state, Frontend& frontend) {
    showmbselected(state, frontend, selectedMegabytes(state.resultlist));
}

namespace {

// Every command ends the same way: the view repaints its check boxes and the
// total follows them.
void checksDone(AppState& state, Frontend& frontend) {
    frontend.resultChecksChanged();
    recountselected(state, frontend);
}

bool validRow(const ResultList& list, qsizetype row) {
    return row >= 0 && row < qsizetype(list.size());
}

void checkFolder(AppState& state, Frontend& frontend, qsizetype focusedRow, bool checked) {
    ResultList& list = state.resultlist;
    if (!validRow(list, focusedRow))
        return;
    const QString folder = list[size_t(focusedRow)].path;
    for (ResultEntry& entry : list) {
        if (entry.path == folder)
            entry.checked = checked && !entry.isSeparator();
    }
    checksDone(state, frontend);
}

} // namespace

void setrowchecked(AppState& state, Frontend& frontend, qsizetype row, bool checked) {
    ResultList& list = state.resultlist;
    if (list.empty() || !validRow(list, row))
        return;
    ResultEntry& entry = list[size_t(row)];
    entry.checked = checked && !entry.isSeparator();
    checksDone(state, frontend);
}

void selall(AppState& state, Frontend& frontend) {
    if (state.resultlist.empty())
        return;
    for (ResultEntry& entry : state.resultlist)
        entry.checked = !entry.isSeparator();
    checksDone(state, frontend);
}

void selinv(AppState& state, Frontend& frontend) {
    if (state.resultlist.empty())
        return;
    for (ResultEntry& entry : state.resultlist)
        entry.checked = !entry.checked && !entry.isSeparator();
    checksDone(state, frontend);
}

void unsel(AppState& state, Frontend& frontend) {
    if (state.resultlist.empty())
        return;
    for (ResultEntry& entry : state.resultlist)
        entry.checked = false;
    frontend.resultChecksChanged();
    showmbselected(state, frontend, 0);
}

void selalldir(AppState& state, Frontend& frontend, qsizetype focusedRow) {
    checkFolder(state, frontend, focusedRow, true);
}

void unseldir(AppState& state, Frontend& frontend, qsizetype focusedRow) {
    checkFolder(state, frontend, focusedRow, false);
}

void selmark(AppState& state, Frontend& frontend, std::span<const qsizetype> markedRows) {
    ResultList& list = state.resultlist;
    if (list.empty())
        return;
    for (const qsizetype row : markedRows) {
        if (validRow(list, row) && !list[size_t(row)].isSeparator())
            list[size_t(row)].checked = true;
    }
    checksDone(state, frontend);
}

} // namespace quillfen

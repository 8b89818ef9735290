#include "compare/grouping.h"

#include "core/format.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <numeric>

namespace quillfen {

using namespace Qt::StringLiterals;

namespace {

// The values of a row that belong to its file and move when a group is
// sorted; the check box and the display attributes stay with the position.
struct FileValues {
    QString filename;
    QString path;
    qint64 size = -1;
    qint64 mtime = 0;
    DateForm dateform = DateForm::None;
    bool subgroupstart = false;
    quint32 mtimensec = 0;
    platform::FileIdentity id;
    platform::FileIdentity folderid;
};

FileValues takeFileValues(ResultEntry& row) {
    return {std::move(row.filename), std::move(row.path), row.size, row.mtime,   row.dateform,
            row.subgroupstart,       row.mtimensec,       row.id,   row.folderid};
}

void putFileValues(ResultEntry& row, FileValues&& values) {
    row.filename = std::move(values.filename);
    row.path = std::move(values.path);
    row.size = values.size;
    row.mtime = values.mtime;
    row.dateform = values.dateform;
    row.subgroupstart = values.subgroupstart;
    row.mtimensec = values.mtimensec;
    row.id = values.id;
    row.folderid = values.folderid;
}

// Sorts rows first..last (0-based, inclusive) by folder.
void sortRowsByFolder(ResultList& list, std::size_t first, std::size_t last) {
    if (last <= first)
        return;
    const std::size_t count = last - first + 1;
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), first);
    // Stable, so rows of one folder never trade places: their check boxes
    // stay with the files they were set on when a sorted list is regrouped.
    std::stable_sort(order.begin(), order.end(), [&list](std::size_t a, std::size_t b) {
        return QString::compare(list[a].path, list[b].path) < 0;
    });
    std::vector<FileValues> sorted;
    sorted.reserve(count);
    for (const std::size_t from : order)
        sorted.push_back(takeFileValues(list[from]));
    for (std::size_t k = 0; k < count; ++k)
        putFileValues(list[first + k], std::move(sorted[k]));
}

// The result list during the colouring walk: the rows already passed (out)
// followed by the rows still to come (in[next..]). A separator is inserted
// at the walk's position by appending it to out, so the walk stays linear.
// Until the first separator is inserted the rows stay where they are: a list
// grouped before (the second walk over a fresh list) is not copied at all.
class WalkList {
public:
    explicit WalkList(ResultList&& rows) : m_in(std::move(rows)) {}

    std::size_t count() const {
        return m_copying ? m_out.size() + (m_in.size() - m_next) : m_in.size();
    }
    // Row i, counted from 1.
    ResultEntry& row(std::size_t i) {
        if (!m_copying)
            return m_in[i - 1];
        return i <= m_out.size() ? m_out[i - 1] : m_in[m_next + (i - m_out.size() - 1)];
    }
    // Rows before i are final: pass them.
    void passRowsBefore(std::size_t i) {
        if (!m_copying) {
            m_next = std::max(m_next, i - 1);
            return;
        }
        while (m_out.size() + 1 < i)
            m_out.push_back(std::move(m_in[m_next++]));
    }
    // Inserts a separator at i; passRowsBefore(i) must have run.
    void insertSeparatorAt(std::size_t i) {
        if (!m_copying) {
            m_copying = true;
            m_out.reserve(m_in.size() + m_in.size() / 4 + 1);
            std::move(m_in.begin(), m_in.begin() + qsizetype(m_next), std::back_inserter(m_out));
        }
        Q_ASSERT(m_out.size() + 1 == i);
        m_out.push_back(ResultEntry::separator());
    }
    ResultList finish() {
        if (!m_copying)
            return std::move(m_in);
        while (m_next < m_in.size())
            m_out.push_back(std::move(m_in[m_next++]));
        m_in.clear();
        return std::move(m_out);
    }

private:
    ResultList m_in;
    ResultList m_out;
    std::size_t m_next = 0;
    bool m_copying = false; // a separator was inserted: the rows go to m_out
};

void styleRow(ResultEntry& row, RowColour colour) {
    row.colour = colour;
    row.bold = true;
}

// The walk; false when it ended before any two neighbours had the same size,
// in which case the steps after the walk are left out.
bool colourWalk(WalkList& rows) {
    bool newgroup = true;
    int toggle = 1;
    bool started = false;
    RowColour colour = RowColour::Black;
    // Until the first pair of equal neighbours, a missing next row ends the
    // whole step; afterwards the walk goes on with the size read last.
    bool lenient = false;
    qint64 nx = -1; // size of the next row; -1 is the empty size text

    for (std::size_t i = 1; i <= rows.count(); ++i) {
        rows.passRowsBefore(i);
        if (rows.row(i).subgroupstart) {
            rows.row(i).subgroupstart = false;
            newgroup = true;
        }
        const qint64 sz = rows.row(i).size;
        const bool hasNext = i + 1 <= rows.count();
        if (hasNext)
            nx = rows.row(i + 1).size;
        else if (!lenient)
            return false;

        if (newgroup) {
            if (toggle == 1) {
                colour = RowColour::Blue;
                toggle = 2;
            } else {
                colour = RowColour::Black;
                toggle = 1;
            }
            if (!started)
                started = true;
            else if (i != 1 && !rows.row(i - 1).isSeparator())
                rows.insertSeparatorAt(i); // sz and nx keep the values read before
        }
        if (nx < 0)
            continue;
        if (nx != sz) {
            rows.row(i).icon = groupicon::None;
            newgroup = true;
            continue;
        }
        lenient = true;
        // An insertion above may have moved the next row into existence.
        const bool nextExists = i + 1 <= rows.count();
        styleRow(rows.row(i), colour);
        if (nextExists)
            styleRow(rows.row(i + 1), colour);
        rows.row(i).icon = newgroup ? groupicon::First : groupicon::Middle;
        if (nextExists)
            rows.row(i + 1).icon = groupicon::Last;
        newgroup = false;
    }
    return true;
}

} // namespace

int selectedMegabytes(const ResultList& list) {
    double total = 0;
    for (const ResultEntry& row : list) {
        if (!row.checked)
            continue;
        const double bytes = row.size < 0 ? 0.0 : double(row.size);
        total = roundHalfEven(total + bytes / 1000000.0);
    }
    // Over two petabytes would not fit the 32-bit count; the label says the most it can.
    return int(std::min(total, double(std::numeric_limits<int>::max())));
}

void coloritems(AppState& state, Frontend& frontend) {
    state.mbselected = 0;
    if (state.resultlist.empty())
        return;

    WalkList rows(std::move(state.resultlist));
    const bool walked = colourWalk(rows);
    state.resultlist = rows.finish();
    if (!walked) {
        frontend.resultListReset();
        return;
    }

    ResultList& list = state.resultlist;
    state.mbselected = selectedMegabytes(list);
    list.back().icon = groupicon::Last;
    frontend.setNoticeVisible(Notice::Preview, state.mbselected > 0);
    state.labelmbselected1 = QString::number(state.mbselected) + u" MB"_s;
    sortgroupsbypath(list);
    frontend.resultListReset();
    frontend.statusChanged();
}

void groupFreshList(AppState& state, Frontend& frontend) {
    coloritems(state, frontend);
    coloritems(state, frontend);
}

void sortgroupsbypath(ResultList& list) {
    const std::size_t n = list.size();
    // Rows counted from 1; start 0 is "no group yet": a first row that is a
    // separator (or a one-row list) ends the sort without touching anything.
    std::size_t start = 0;
    for (std::size_t a = 1; a <= n; ++a) {
        const bool separator = list[a - 1].isSeparator();
        if (separator || a == n) {
            // A separator at the very end is never sorted into the group above
            // it: that would hand a file's name to an empty row.
            const std::size_t end = (a == n && !separator) ? n : a - 1;
            if (start == 0)
                return;
            if (end >= start)
                sortRowsByFolder(list, start - 1, end - 1);
            start = a + 1;
        }
        if (a == 1)
            start = 1;
    }
}

} // namespace quillfen

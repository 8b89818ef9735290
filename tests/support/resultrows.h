#pragma once

// Rows of the result list for tests, and short forms of their check boxes.

#include "core/resultlist.h"

#include <QList>
#include <QString>

namespace quillfen::testing {

// A file row as a scan lists it (its date from the scan).
inline ResultEntry resultFile(const QString& folder, const QString& name, qint64 size,
                              bool checked = false, qint64 mtime = 1500000000,
                              RowColour colour = RowColour::Black) {
    ResultEntry entry;
    entry.path = folder;
    entry.filename = name;
    entry.size = size;
    entry.mtime = mtime;
    entry.dateform = DateForm::Scan;
    entry.checked = checked;
    entry.colour = colour;
    return entry;
}

// The check box of every row, separators included (they are never checked).
inline QList<bool> checksOf(const ResultList& list) {
    QList<bool> checks;
    checks.reserve(qsizetype(list.size()));
    for (const ResultEntry& entry : list)
        checks << entry.checked;
    return checks;
}

// The rows as one text: "x" checked, "." unchecked, "-" a separator.
inline QString checkPattern(const ResultList& list) {
    QString text;
    text.reserve(qsizetype(list.size()));
    for (const ResultEntry& entry : list)
        text += entry.isSeparator() ? u'-' : (entry.checked ? u'x' : u'.');
    return text;
}

} // namespace quillfen::testing

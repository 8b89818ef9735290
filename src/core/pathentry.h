#pragma once

#include <QString>
#include <array>

namespace quillfen {

// One row of the path table: the folder (ending in "/") directly followed by
// the pattern text, and seven option columns.
struct PathEntry {
    enum Column {
        MinSizeOn = 0, // "True"/"False"
        MinSizeKb,     // limit in kB, or "-"
        MaxSizeOn,
        MaxSizeKb,
        Subdirs,
        IgnoreZero,
        Attributes, // letters of R, H, S, A, or "Only normal"
        ColumnCount
    };
    QString text;
    std::array<QString, ColumnCount> options;
    QString key; // set for entries whose text must stay unique

    // Up to and including the last "/", and the pattern text after it.
    QString folder() const { return text.left(text.lastIndexOf(u'/') + 1); }
    QString patterntext() const { return text.mid(text.lastIndexOf(u'/') + 1); }
};

// A row with a check box: skip folders and skip extensions.
struct CheckedEntry {
    QString text;
    bool checked = true;
    bool keyed = false; // added by the program or the dialog: its text stays unique
};

// A named file-pattern list; patterns joined by "; ".
struct PatternListEntry {
    QString name;
    QString patterns;
};

} // namespace quillfen

#pragma once

#include <QString>
#include <QtGlobal>
#include <array>

namespace quillfen {

// A size limit of a path entry: kilobytes with four decimals, as the limit
// boxes round them, held exactly as a count of tenths of a byte.
class SizeLimit {
public:
    constexpr SizeLimit() = default;
    // kb rounded to four decimals, halves to even; below 0 counts as 0.
    static SizeLimit fromKb(double kb);
    // The whole byte count a file's size is compared with: a size is below
    // the limit exactly when it is below this.
    constexpr qint64 bytes() const { return (m_tenths + 9) / 10; }
    // The limit in kB as the path table shows it ("12.5", "10").
    QString kbText() const;
    friend constexpr bool operator==(SizeLimit, SizeLimit) = default;

private:
    qint64 m_tenths = 0;
};

// The filter options of one path entry.
struct EntryOptions {
    bool minsizeon = false;
    SizeLimit minsize{}; // files smaller than this are skipped
    bool maxsizeon = false;
    SizeLimit maxsize{}; // files of this size or larger are skipped
    bool subdirs = true;
    bool ignorezero = true;
    // The attributes a file may carry: read-only, hidden, system, archive.
    // None: only files without any of them.
    bool readonly = false;
    bool hidden = false;
    bool system = false;
    bool archive = false;

    // Whether a file with this attribute word passes the attribute filter.
    bool attributesAllowed(quint32 word) const;
    friend bool operator==(const EntryOptions&, const EntryOptions&) = default;
};

// One row of the path table: the folder (ending in "/") directly followed by
// the pattern text, and its filter options.
struct PathEntry {
    // The option columns the path table shows, in this order.
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
    EntryOptions options;
    QString key; // set for entries whose text must stay unique

    // Up to and including the last "/", and the pattern text after it.
    QString folder() const { return text.left(text.lastIndexOf(u'/') + 1); }
    QString patterntext() const { return text.mid(text.lastIndexOf(u'/') + 1); }
};

// The option columns of an entry as texts; a limit that is off reads "-".
std::array<QString, PathEntry::ColumnCount> optioncolumns(const EntryOptions& options);

// The attribute column for the four attribute boxes: the letters R, H, S, A
// of the ticked ones in that order, or "Only normal" when none is ticked.
QString attributeLetters(bool readonly, bool hidden, bool system, bool archive);

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

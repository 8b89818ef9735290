#pragma once

// The result list: one row per possible or definite duplicate, with separator
// rows between duplicate groups. Rows hold raw values; the five column texts
// are derived from them, so a million rows stay small.

#include "platform/platform.h"

#include <QString>
#include <vector>

namespace quillfen {

enum class DateForm : quint8 {
    None,    // the date could not be read: the column is empty
    Scan,    // "dd/mm/yyyy hh:mm:ss", as the scan writes it
    General, // the user's date and time, as the comparison writes it
};

enum class RowColour : quint8 {
    Black, // the list's default, also the second group colour
    Blue,  // #455CA3, the first group colour
};

// Small icons of the group rows, as indices into the window's icon list.
namespace groupicon {
constexpr quint8 None = 0;
constexpr quint8 Middle = 1;
constexpr quint8 Last = 2;
constexpr quint8 First = 3;
} // namespace groupicon

struct ResultEntry {
    QString filename; // empty: a separator row
    QString path;     // folder ending in "/"; entries of one folder share it
    qint64 size = -1; // bytes; -1 leaves both size columns empty
    qint64 mtime = 0; // seconds since the epoch, shown in local time
    DateForm dateform = DateForm::None;
    bool checked = false;
    bool bold = false;
    quint8 icon = groupicon::None;
    RowColour colour = RowColour::Black;
    bool subgroupstart = false; // first file of a sub-group found by the last comparison pass
    quint32 mtimensec = 0;      // nanoseconds of mtime
    // The change time as the scan or the last comparison pass saw it, in
    // nanoseconds since the epoch; 0: not known. Every write moves it.
    qint64 ctimens = 0;
    // Which file the row stands for: the one the scan listed or the last
    // comparison pass read, in the folder the scan entered. A row is acted on
    // only while its name still leads to that file in that folder.
    platform::FileIdentity id;
    platform::FileIdentity folderid;

    bool isSeparator() const { return filename.isEmpty(); }
    QString fullPath() const { return path + filename; }

    // The column texts as the list shows them.
    QString sizembText() const;   // "Size (MB)"
    QString sizebyteText() const; // "Size (Byte)"
    QString filedateText() const; // "File Date"

    static ResultEntry separator() { return {}; }
};

using ResultList = std::vector<ResultEntry>;

// Calls group(begin, end) for every group of rows [begin, end): the runs
// between separator rows and, where rows of different sizes meet without
// one (a scan's list), between sizes.
template <typename Group> void forEachGroup(const ResultList& list, Group group) {
    std::size_t begin = 0;
    while (begin < list.size()) {
        if (list[begin].isSeparator()) {
            ++begin;
            continue;
        }
        std::size_t end = begin + 1;
        while (end < list.size() && !list[end].isSeparator() && list[end].size == list[begin].size)
            ++end;
        group(begin, end);
        begin = end;
    }
}

// Rows whose file name is not empty (separator rows are not counted).
qsizetype countnamedrows(const ResultList& list);

// The folder of a full path up to and including its last "/", and the name after it.
QString folderOf(const QString& fullPath);
QString nameOf(const QString& fullPath);

} // namespace quillfen

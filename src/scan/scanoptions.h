#pragma once

// The options a scan runs with: the filter boxes of the Scan paths dialog and
// the seven option columns of a path entry.

#include "core/appstate.h"
#include "core/pathentry.h"

#include <QString>
#include <QStringList>

namespace quillfen {

// Copies the Scan paths dialog's filter boxes into the state's size options,
// clamping the two limit texts to 1 ... 1000000000 kB.
void readscanoptions(AppState& state);

// A path entry for folder (given a trailing "/" when it lacks one) and a
// pattern text, its option columns taken from the Scan paths dialog's boxes
// at this moment (readscanoptions runs first).
PathEntry newpathentry(AppState& state, const QString& folder, const QString& patterntext);

// The filter options of one path entry, read from its option columns.
struct EntryOptions {
    bool minsizeon = false;
    double minsize = 0; // bytes
    bool maxsizeon = false;
    double maxsize = 0; // bytes
    bool subdirs = true;
    bool ignorezero = true;
    int attrreadonly = 0;
    int attrhidden = 0;
    int attrsystem = 0;
    int attrarchive = 0;

    static EntryOptions fromPathEntry(const PathEntry& entry);
    // Whether a file with this attribute word passes the attribute filter.
    bool attributesAllowed(quint32 word) const;
};

// The patterns one path entry is walked with: a pattern text holding at most
// one "*" is one pattern; otherwise it is cut at every ";", pieces unchanged
// (an empty piece is a pattern that matches nothing).
QStringList splitpatterns(const QString& patterntext);

// The attribute column for the four attribute boxes: the letters R, H, S, A
// of the ticked ones in that order, or "Only normal" when none is ticked.
QString attributeLetters(bool readonly, bool hidden, bool system, bool archive);

// Whether a skip folder applies to a path entry whose folder is
// entryfolder (both ending in "/"). A skip folder that holds or equals the
// entry's folder does not: the user chose to scan inside it, so the walk
// must enter its subfolders. Paths compare exactly.
bool skipfolderapplies(const QString& skipfolder, const QString& entryfolder);
// The skip folders in force for one path entry, in their order.
QStringList skipfoldersfor(const QStringList& skipfolders, const QString& entryfolder);

} // namespace quillfen

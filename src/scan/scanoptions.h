#pragma once

// The options a scan runs with: the filter boxes of the Scan paths dialog and
// the filter options of a path entry.

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

// The patterns one path entry is walked with: a pattern text holding at most
// one "*" is one pattern; otherwise it is cut at every ";", pieces unchanged
// (an empty piece is a pattern that matches nothing).
QStringList splitpatterns(const QString& patterntext);

// Whether a skip folder applies to a path entry whose folder is
// entryfolder (both ending in "/"). A skip folder that holds or equals the
// entry's folder does not: the user chose to scan inside it, so the walk
// must enter its subfolders. Paths compare exactly.
bool skipfolderapplies(const QString& skipfolder, const QString& entryfolder);
// The skip folders in force for one path entry, in their order.
QStringList skipfoldersfor(const QStringList& skipfolders, const QString& entryfolder);

} // namespace quillfen

#pragma once

// What the "Path(s) to scan" dialog does to the path table: entries for a
// chosen folder or for the ticked drives, each with the filter boxes' values
// of that moment; removing and clearing; the pattern text a new entry gets;
// the description lines of an entry, which the Settings preview shows too.

#include "core/appstate.h"
#include "core/pathentry.h"
#include "platform/platform.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace quillfen {

// The pattern text of the first pattern list with exactly this name
// (case-sensitive); "" when there is none.
QString lookuppatterns(const SettingsDialogState& settings, const QString& name);

// The specific patterns box as typed: every "\" and "/" dropped, since the
// pattern text of an entry follows its folder's last "/".
QString withoutseparators(const QString& text);

// The items of the pattern selector, the specific patterns box's
// suggestions and the dialog's messages.
QStringList patternSelectorItems();
QStringList specificPatternSuggestions();
QString clearPathsQuestion();
QString noDriveTickedMessage();
QString nothingToScanReminder();

// The dialog becomes active: the pattern lists get the presets when they
// are empty, the drive list gets the system's drives when it is empty, and
// the pattern selector returns to "Predefined filepatterns:".
void scanpathsactivate(AppState& state, const std::vector<platform::Drive>& drives);

// The pattern text a new entry gets: the patterns of the list named in the
// list chooser, or the specific patterns box, as the selector says.
QString newentrypatterns(const AppState& state, const QString& chosenListName);

// Appends a path entry for a folder chosen in the browser (cut at a NUL,
// "/" appended when missing) with the filter boxes' values now. Returns the
// new entry's index, or -1 when no folder was chosen.
int addfolderpath(AppState& state, const QString& chosen, const QString& patterns);

// Appends an entry for the root (mount point) of every ticked drive, in
// drive-list order, the filter boxes read once. Returns how many were added.
int adddrivepaths(AppState& state, const QString& patterns);

// Removes entry `row` from the path table (and so from the path list that
// shows it); false when the row is out of range.
bool removepath(ScanPathsState& paths, int row);
void clearpaths(ScanPathsState& paths);

// The settings view's lines for one entry: an empty line, the size limits
// that are on, subdirectories, empty files and attributes.
QStringList showpathsettings(const PathEntry& entry);

} // namespace quillfen

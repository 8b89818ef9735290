#pragma once

// The built-in content of the Settings dialog's lists: the folders and the
// extensions a scan skips by default, and the named file-pattern presets.

#include "core/appstate.h"
#include "core/systemfacts.h"

#include <QStringList>

namespace quillfen {

// Rebuilds the skip-folder list from the system: the trash and lost+found
// folders of every fixed drive, the home trash, and the system, pseudo,
// temporary and cache trees. Every entry ends in "/", stands once and is
// ticked. Fills the Scan paths dialog's drive list when it is empty.
void defaultskip(AppState& state, const SystemFacts& system);
void defaultskip(AppState& state);

// The folders defaultskip puts in the list, in order.
QStringList defaultSkipFolders(const SystemFacts& system);

// Rebuilds the skip-extension list: program and system file types, ticked.
void defaultextskip(AppState& state);

// Appends the twelve built-in pattern lists (the list is not emptied).
void addpats(AppState& state);

} // namespace quillfen

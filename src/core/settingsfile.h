#pragma once

// settings.dat: the main window's geometry, the wizard switch, the Settings
// dialog's six check boxes and program path, and its three lists, one value
// a line with CR LF line ends, UTF-8 text.

#include "core/appstate.h"
#include "core/systemfacts.h"

#include <QString>

namespace quillfen {

// The folder of settings.dat: the program's folder when it is writable, else
// $XDG_CONFIG_HOME/quillfen/ (~/.config/quillfen/ by default). Ends in "/".
QString settingsFolder(const SystemFacts& system);
QString settingsFilePath(const SystemFacts& system);

// Applies the file's values to the state in file order and stops quietly at
// the first line that is missing or cannot be applied; what was applied
// stays. True when the whole file was read.
bool loadsettings(AppState& state, const QString& path);

// Writes the file whole or not at all: a failed write leaves the former file
// as it was. Lists entries whose text holds a line break are left out, since
// a line cannot hold them. Missing folders above the file are made. False
// when the file could not be written; failure (when given) then tells why.
bool savesettings(const AppState& state, const QString& path, QString* failure = nullptr);

} // namespace quillfen

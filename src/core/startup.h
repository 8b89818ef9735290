#pragma once

// The engine's part of start-up and shutdown. The main window calls
// startup() before it shows itself and closemainwindow() when the user closes it.

#include "core/appstate.h"
#include "core/messages.h"
#include "core/systemfacts.h"
#include "core/windowgeometry.h"

#include <QString>
#include <QStringList>

namespace quillfen {

// Desktop text editors offered as the default editor, in order of preference.
QStringList commonTextEditors();

// The first common text editor found on PATH (its full path), else xdg-open.
QString defaultviewerpath(const SystemFacts& system);

// Fills the default skip lists and the drive list, sets the editor field
// and viewerpath to the default editor, gives the window its first size,
// loads settings.dat from the folder settingsFolder() chooses, and adds the
// pattern presets when the file brought none (the CRC table is built where
// the comparison first needs it). Returns true when the Quick Start Wizard
// is to be shown.
bool startup(AppState& state, const SystemFacts& system);

// "Quillfen v" and the version.
QString maintitle(const AppState& state);

// The main window is being closed; current is its geometry as
// WindowGeometry::fromPixels gives it. While idle the geometry and the
// settings are saved and the close may go ahead (true). While a scan or a
// comparison runs the user is told to stop it first, nothing is saved, and
// the close is refused (false).
bool closemainwindow(AppState& state, MessageBoxes& messages, const WindowGeometry& current);

} // namespace quillfen

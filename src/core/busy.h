#pragma once

#include "core/appstate.h"
#include "core/frontend.h"

namespace quillfen {

// Bracket every scan and comparison run.
void beginbusy(AppState& state, Frontend& frontend);
void endbusy(AppState& state, Frontend& frontend);
// The busy state of a scan or comparison run: the clock of "Time spent"
// starts now and stops at endbusy.
void beginrun(AppState& state, Frontend& frontend);

// The Stop command: asks first while a run is going on, then sets stopflag;
// the run winds down at its next check.
void stopcommand(AppState& state, MessageBoxes& messages);

} // namespace quillfen

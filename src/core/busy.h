#pragma once

#include "core/appstate.h"
#include "core/frontend.h"

namespace quillfen {

// Bracket every scan and comparison run.
void beginbusy(AppState& state, Frontend& frontend);
void endbusy(AppState& state, Frontend& frontend);

} // namespace quillfen

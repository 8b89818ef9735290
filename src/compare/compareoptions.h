#pragma once

// The comparison's run options, taken from the Settings dialog's
// after-search boxes.

#include "core/appstate.h"
#include "core/compareplan.h"

namespace quillfen {

// "Do nothing" plans no comparison; each ticked algorithm adds its pass.
ComparePlan afterSearchPlan(const SettingsDialogState& settings);

// Copies the Settings dialog's run options into the state: compareplan,
// totalsteps (the scan and one step per algorithm), curstep and
// gentlecompare.
void readcompareoptions(AppState& state);

} // namespace quillfen

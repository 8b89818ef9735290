#include "compare/compareoptions.h"

namespace quillfen {

ComparePlan afterSearchPlan(const SettingsDialogState& settings) {
    ComparePlan plan;
    if (settings.donothing == 1)
        plan.add(ComparePass::NoComparison);
    if (settings.fuzzy == 1)
        plan.add(ComparePass::Fuzzy);
    if (settings.crc == 1)
        plan.add(ComparePass::Crc);
    if (settings.bytewise == 1)
        plan.add(ComparePass::Bytewise);
    return plan;
}

void readcompareoptions(AppState& state) {
    const SettingsDialogState& settings = state.settings;
    state.compareplan = afterSearchPlan(settings);
    // "Do nothing" is no step of its own: the scan is the only one then.
    state.totalsteps = 1 + state.compareplan.size() -
                       (state.compareplan.contains(ComparePass::NoComparison) ? 1 : 0);
    state.curstep = 1;
    state.gentlecompare = settings.gentle == 1;
}

} // namespace quillfen

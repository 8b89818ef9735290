#include "core/busy.h"

namespace quillfen {

using namespace Qt::StringLiterals;

void beginbusy(AppState& state, Frontend& frontend) {
    state.stopflag = false;
    frontend.showBusy(true);
}

void endbusy(AppState& state, Frontend& frontend) {
    state.stopflag = true;
    frontend.showBusy(false);
}

void stopcommand(AppState& state, MessageBoxes& messages) {
    if (state.stopflag) {
        state.stopflag = true;
        return;
    }
    const bool no =
        !messages.askYesNo(crlfJoin({u"If you stop the program all progress will be lost."_s,
                                     QString(), u"Do you want to stop?"_s}),
                           MessageIcon::Critical, MessageAnswer::No);
    if (!no)
        state.stopflag = true;
}

} // namespace quillfen

#include "core/busy.h"

#include "platform/platform.h"

namespace quillfen {

using namespace Qt::StringLiterals;

void beginbusy(AppState& state, Frontend& frontend) {
    state.stopflag = false;
    // The caption of an earlier run would describe work that is not going on.
    state.label5.set(QString());
    frontend.showBusy(true);
}

void beginrun(AppState& state, Frontend& frontend) {
    state.starttick = platform::tickCount();
    state.timedrun = true;
    beginbusy(state, frontend);
}

void endbusy(AppState& state, Frontend& frontend) {
    state.stopflag = true;
    frontend.showBusy(false);
    state.timedrun = false;
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

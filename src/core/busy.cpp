#include "core/busy.h"

namespace quillfen {

void beginbusy(AppState& state, Frontend& frontend) {
    state.stopflag = false;
    frontend.showBusy(true);
}

void endbusy(AppState& state, Frontend& frontend) {
    state.stopflag = true;
    frontend.showBusy(false);
}

} // namespace quillfen

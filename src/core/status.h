#pragma once

#include "core/appstate.h"

#include <QString>

namespace quillfen {

// The texts the status panel and the working panel show for the counters.
struct StatusTexts {
    QString labelfound1;
    QString labelskipped1;
    QString labelunreadable1;
    QString labelmbnow1;
    QString labeltime1;
    QString labelfilescomp1;
    QString curdir1;
    QString text1;
    QString text2;
};

// Copies every counter of a run into its text at once; now is the tick count.
StatusTexts update(const AppState& state, quint32 now);

} // namespace quillfen

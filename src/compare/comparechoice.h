#pragma once

// The "Compare files" dialog's choice: the ready-made combinations, which
// one is chosen when the dialog opens, and what "&Start" does with it — the
// combination goes back into the Settings dialog's after-search boxes, the
// ticked algorithms become the run's plan and the comparison timer is armed.

#include "core/appstate.h"
#include "core/frontend.h"

#include <QString>

namespace quillfen {

// The option buttons: "Let the program decide" and the four table rows.
enum class CompareOption {
    ProgramDecides, // Option5, above the table; highlights row 1
    FuzzyCrc,       // Option2, row 1 "Large/Mixed", "Fuzzy + CRC"
    Crc,            // Option1, row 2 "Small files", "CRC"
    FuzzyBytewise,  // Option4, row 3 "Large/Mixed", "Fuzzy + Bytewise"
    Bytewise,       // Option3, row 4 "Small files", "Bytewise"
};

// The three algorithm boxes of the dialog.
struct CompareBoxes {
    bool fuzzy = false;
    bool crc = false;
    bool bytewise = false;
    friend bool operator==(const CompareBoxes&, const CompareBoxes&) = default;
};

// The option chosen when the dialog opens, from the Settings dialog's
// after-search boxes; the first rule that matches wins.
CompareOption preselectedoption(const SettingsDialogState& settings);

// The algorithm boxes an option ticks.
CompareBoxes boxesforoption(CompareOption option);

// The table row (0 to 3) the highlight bar lies behind.
int highlightrow(CompareOption option);

QString noCompareModeMessage();

// "&Start". With no algorithm ticked: the message, and false (the dialog
// stays open). Otherwise the option's combination is written into the
// Settings dialog's boxes ("Do nothing" unticked), the run options are read,
// the run variables are prepared for exactly the ticked algorithms and the
// comparison timer is enabled; true (the dialog closes).
bool startcomparison(AppState& state, Frontend& frontend, CompareOption option,
                     const CompareBoxes& boxes);

} // namespace quillfen

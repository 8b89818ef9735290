#include "compare/comparechoice.h"

#include "compare/compareoptions.h"
#include "core/messages.h"

namespace quillfen {

using namespace Qt::StringLiterals;

CompareOption preselectedoption(const SettingsDialogState& settings) {
    const bool fuzzy = settings.fuzzy == 1;
    const bool crc = settings.crc == 1;
    const bool bytewise = settings.bytewise == 1;
    if (settings.donothing == 1)
        return CompareOption::ProgramDecides;
    if (fuzzy && crc)
        return CompareOption::FuzzyCrc;
    if (crc)
        return CompareOption::Crc;
    if (fuzzy && bytewise)
        return CompareOption::FuzzyBytewise;
    if (bytewise)
        return CompareOption::Bytewise;
    return CompareOption::ProgramDecides;
}

CompareBoxes boxesforoption(CompareOption option) {
    switch (option) {
    case CompareOption::ProgramDecides:
    case CompareOption::FuzzyCrc:
        return {true, true, false};
    case CompareOption::Crc:
        return {false, true, false};
    case CompareOption::FuzzyBytewise:
        return {true, false, true};
    case CompareOption::Bytewise:
        break;
    }
    return {false, false, true};
}

int highlightrow(CompareOption option) {
    switch (option) {
    case CompareOption::ProgramDecides:
    case CompareOption::FuzzyCrc:
        return 0;
    case CompareOption::Crc:
        return 1;
    case CompareOption::FuzzyBytewise:
        return 2;
    case CompareOption::Bytewise:
        break;
    }
    return 3;
}

QString noCompareModeMessage() {
    return crlfJoin({u"You must select at least one comparison mode."_s, QString(),
                     u"In most cases we recommend the combination of fuzzy with CRC."_s});
}

bool startcomparison(AppState& state, Frontend& frontend, CompareOption option,
                     const CompareBoxes& boxes) {
    if (!boxes.fuzzy && !boxes.crc && !boxes.bytewise) {
        frontend.messages().inform(noCompareModeMessage(), MessageIcon::Information);
        return false;
    }

    // The Settings dialog gets the combination of the option button, not the
    // boxes as the user may have changed them here.
    const CompareBoxes combination = boxesforoption(option);
    SettingsDialogState& settings = state.settings;
    settings.fuzzy = combination.fuzzy ? 1 : 0;
    settings.crc = combination.crc ? 1 : 0;
    settings.bytewise = combination.bytewise ? 1 : 0;
    settings.donothing = 0;

    readcompareoptions(state);

    state.scanstartscompare = false;
    state.compareplan = {};
    state.totalsteps = 0;
    state.curstep = 0;
    state.filescompared = 0;
    state.bytescompared = 0;
    state.kbdone = 0;
    const struct {
        bool ticked;
        ComparePass pass;
    } passes[] = {{boxes.fuzzy, ComparePass::Fuzzy},
                  {boxes.crc, ComparePass::Crc},
                  {boxes.bytewise, ComparePass::Bytewise}};
    for (const auto& [ticked, pass] : passes) {
        if (ticked) {
            state.compareplan.add(pass);
            ++state.totalsteps;
        }
    }
    frontend.enableComparisonTimer();
    return true;
}

} // namespace quillfen

// Scan set-up dialogs: Scan paths, Settings, Settings preview, Compare files.

#include "scan/scanoptions.h"
#include "ui/dialoghost.h"

namespace quillfen {

using namespace Qt::StringLiterals;

void DialogHost::showScanPaths() {
    // Until the Scan paths dialog exists, a folder chooser adds one path
    // entry with the current filter settings.
    const QString folder =
        m_context.choosers.chooseFolder(m_context.owner, u"Select a path to scan"_s);
    if (folder.isEmpty())
        return;
    const auto& lists = m_context.state.settings.patternlists;
    const QString patterns = lists.empty() ? u"*.*"_s : lists.front().patterns;
    m_context.state.scanpaths.pathtable.push_back(newpathentry(m_context.state, folder, patterns));
}

void DialogHost::showSettings(int) {}

void DialogHost::showSettingsPreview() {
    // A scan starts unconfirmed until the Settings preview exists.
    m_context.state.scanconfirmed = true;
}

void DialogHost::showCompare() {}

} // namespace quillfen

// Information boxes: About this program and Version history.

#include "ui/aboutdialog.h"
#include "ui/dialoghost.h"
#include "ui/versionhistorydialog.h"

namespace quillfen {

void DialogHost::showAbout() {
    // Loaded once and hidden by "&Done": its load step runs on first use only.
    if (!m_about)
        m_about = new ui::AboutDialog(m_context.state.appversion, m_context.owner);
    m_about->exec();
}

void DialogHost::showVersionHistory() {
    // Loaded afresh each time; "Done" unloads it.
    ui::VersionHistoryDialog history(m_context.owner);
    history.exec();
}

} // namespace quillfen

// Scan set-up dialogs: Scan paths, Settings, Settings preview, Compare files.

#include "ui/comparedialog.h"
#include "ui/dialoghost.h"
#include "ui/scanpathsdialog.h"
#include "ui/settingsdialog.h"
#include "ui/settingspreviewdialog.h"

namespace quillfen {

using namespace Qt::StringLiterals;

void DialogHost::showScanPaths() {
    if (!m_scanPaths)
        m_scanPaths = new ui::ScanPathsDialog(m_context.state, m_context.frontend.messages(),
                                              m_context.choosers, m_context.owner);
    if (m_scanPaths->isVisible()) {
        m_scanPaths->raise();
        return;
    }
    m_scanPaths->exec();
}

void DialogHost::showSettings(int tab) {
    if (!m_settings)
        m_settings = new ui::SettingsDialog(m_context.state, m_context.frontend.messages(),
                                            m_context.choosers, m_context.owner);
    if (tab >= 0)
        m_settings->setCurrentTab(tab);
    if (m_settings->isVisible()) {
        m_settings->raise();
        return;
    }
    m_settings->exec();
}

void DialogHost::showSettingsPreview() {
    // Anything but "&Begin" with a path to scan leaves the scan unconfirmed.
    m_context.state.scanconfirmed = false;
    ui::SettingsPreviewDialog dialog(
        m_context.state, m_context.frontend.messages(), [this] { showScanPaths(); },
        [this](int tab) { showSettings(tab); }, m_context.owner);
    dialog.exec();
}

void DialogHost::showCompare() {
    ui::CompareDialog dialog(m_context.state, m_context.frontend, m_context.owner);
    dialog.exec();
}

} // namespace quillfen

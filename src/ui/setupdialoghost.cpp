// Scan set-up dialogs: Scan paths, Settings, Settings preview, Compare files.

#include "ui/comparedialog.h"
#include "ui/dialoghost.h"
#include "ui/scanpathsdialog.h"
#include "ui/settingsdialog.h"
#include "ui/settingspreviewdialog.h"

namespace quillfen {

using namespace Qt::StringLiterals;

void DialogHost::showScanPaths() {
    auto* dialog = qobject_cast<ui::ScanPathsDialog*>(m_scanPaths.data());
    if (!dialog) {
        dialog = new ui::ScanPathsDialog(m_context.state, m_context.frontend.messages(),
                                         m_context.choosers, m_context.owner);
        m_scanPaths = dialog;
    }
    if (dialog->isVisible()) {
        dialog->raise();
        return;
    }
    dialog->exec();
}

void DialogHost::showSettings(int tab) {
    auto* dialog = qobject_cast<ui::SettingsDialog*>(m_settings.data());
    if (!dialog) {
        dialog = new ui::SettingsDialog(m_context.state, m_context.frontend.messages(),
                                        m_context.choosers, m_context.owner);
        m_settings = dialog;
    }
    if (tab >= 0)
        dialog->setCurrentTab(tab);
    if (dialog->isVisible()) {
        dialog->raise();
        return;
    }
    dialog->exec();
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

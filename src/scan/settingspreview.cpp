#include "scan/settingspreview.h"

#include "scan/scanoptions.h"

namespace quillfen {

using namespace Qt::StringLiterals;

PreviewContents previewfill(const AppState& state) {
    PreviewContents contents;
    for (const PathEntry& entry : state.scanpaths.pathtable)
        contents.paths << entry.text;

    QStringList extensions;
    for (const CheckedEntry& entry : state.settings.skipextlist) {
        if (entry.checked)
            extensions << entry.text;
    }
    contents.extensions = extensions.join(u", "_s);
    contents.extensionsshown = !contents.extensions.isEmpty();

    for (const CheckedEntry& entry : state.settings.skipfolderlist) {
        if (entry.checked)
            contents.folders << entry.text;
    }
    contents.foldersshown = !contents.folders.isEmpty();
    for (const QString& folder : contents.folders) {
        for (const PathEntry& entry : state.scanpaths.pathtable) {
            if (!skipfolderapplies(folder, entry.folder())) {
                contents.setaside << folder;
                break;
            }
        }
    }

    const SettingsDialogState& settings = state.settings;
    const struct {
        bool ticked;
        QString line;
    } passes[] = {{settings.fuzzy == 1, u" \u2022 Perform a Fuzzy comparison"_s},
                  {settings.crc == 1, u" \u2022 Perform a CRC comparison"_s},
                  {settings.bytewise == 1, u" \u2022 Perform a Bytewise comparison"_s}};
    for (const auto& pass : passes) {
        if (pass.ticked) {
            contents.aftersearch += pass.line + u"\r\n"_s;
            ++contents.bullets;
        }
    }
    if (contents.bullets == 0) {
        contents.aftersearch = u" \u2022 Do nothing"_s;
        contents.bullets = 1;
    }
    return contents;
}

bool previewbegin(AppState& state) {
    state.scanconfirmed = !state.scanpaths.pathtable.empty();
    return state.scanconfirmed;
}

} // namespace quillfen

#pragma once

// The Settings preview's contents, taken afresh from the path table and the
// Settings dialog's lists and boxes each time it fills itself, and its
// "&Begin" check.

#include "core/appstate.h"

#include <QString>
#include <QStringList>

namespace quillfen {

struct PreviewContents {
    QStringList paths;  // the path list's texts, in order
    QString extensions; // the ticked extensions joined by ", "
    bool extensionsshown = false;
    QStringList folders; // the ticked skip folders, in order
    bool foldersshown = false;
    // Ticked skip folders that hold the folder of a path entry, so are not
    // applied to it.
    QStringList setaside;
    QString aftersearch; // the bullet lines of "After the search is done.."
    int bullets = 0;     // how many bullet lines it holds
};

PreviewContents previewfill(const AppState& state);

// "&Begin": scanconfirmed is set exactly when the path table has an entry.
// Returns it; when false the dialog asks whether to add a path.
bool previewbegin(AppState& state);

} // namespace quillfen

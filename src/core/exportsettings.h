#pragma once

#include <QString>
#include <QStringList>

namespace quillfen {

// The controls of the "Export Report" dialog, kept while it is hidden.
struct ExportSettings {
    QString path;                            // Text1
    bool html = true;                        // "HTML file" (else "Text file")
    bool onlypath = false;                   // "Only save the path"
    bool allentries = false;                 // "Export all entries, not only the checked ones"
    QString separator = QStringLiteral("|"); // Combo1's text

    // The items of the separator list, first one the default.
    static QStringList separators() { return {QStringLiteral("|"), QStringLiteral("*")}; }
};

} // namespace quillfen

#include "scan/quickstart.h"

#include <QSet>

namespace quillfen {

using namespace Qt::StringLiterals;

void quickstartpaths(AppState& state) {
    std::vector<PathEntry> table;
    QSet<QString> keys;
    for (const DriveRow& row : state.scanpaths.drivelist) {
        const platform::Drive& drive = row.drive;
        if (!drive.fixed || drive.root.isEmpty())
            continue;
        const QString root = drive.root.endsWith(u'/') ? drive.root : drive.root + u'/';
        if (keys.contains(root))
            continue;
        keys.insert(root);
        PathEntry entry;
        entry.text = root + u"*.*"_s;
        entry.key = root;
        entry.options.minsizeon = true;
        entry.options.minsize = SizeLimit::fromKb(10);
        entry.options.readonly = entry.options.hidden = entry.options.archive = true;
        table.push_back(std::move(entry));
    }
    state.scanpaths.pathtable.swap(table);
}

void quickstartaccuracy(AppState& state, bool fastest) {
    SettingsDialogState& boxes = state.settings;
    boxes.donothing = 0;
    boxes.fuzzy = 1;
    boxes.crc = fastest ? 1 : 0;
    boxes.bytewise = fastest ? 0 : 1;
}

QString quickstartsummary(const AppState& state, bool fastest) {
    const std::vector<PathEntry>& table = state.scanpaths.pathtable;
    QStringList texts;
    texts.reserve(qsizetype(table.size()));
    for (const PathEntry& entry : table)
        texts.append(entry.text);
    const QString crlf = u"\r\n"_s;
    const QString sentence =
        fastest ? u"All the files will be checked for definate duplicates using the Fuzzy and CRC "
                  u"algorithms when the scan is completed."_s
                : u"All the files will be checked for definate duplicates using the Fuzzy and "
                  u"Bytewise algorithms when the scan is completed."_s;
    return QString::number(table.size()) + u" path(s) will be scanned for duplicates."_s + crlf +
           u"These are the path(s):"_s + crlf + crlf + texts.join(crlf) + crlf + crlf + sentence;
}

} // namespace quillfen

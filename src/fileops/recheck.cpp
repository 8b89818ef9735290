#include "fileops/recheck.h"

#include "fileops/operations.h"
#include "platform/folder.h"

#include <cerrno>

namespace quillfen {

RecheckedList recheckresults(const ResultList& list) {
    RecheckedList result;
    ResultList kept;
    kept.reserve(list.size());
    // Rows of one folder share their folder text: open each folder once.
    QString openPath;
    platform::Folder folder;
    platform::FileInfo folderInfo;
    for (const ResultEntry& row : list) {
        if (row.isSeparator()) {
            kept.push_back(row);
            continue;
        }
        if (!folder.isOpen() || row.path != openPath) {
            openPath = row.path;
            folder = platform::Folder(row.path);
            folderInfo = folder.info();
        }
        const platform::FileInfo info = folder.entryInfo(row.filename);
        if (!folderInfo.exists() || !info.exists()) {
            ++result.vanished;
            continue;
        }
        if (folderInfo.id != row.folderid || !info.isRegular() || info.id != row.id ||
            info.size != row.size || info.mtime != row.mtime || info.mtimensec != row.mtimensec) {
            ++result.changed;
            continue;
        }
        kept.push_back(row);
    }
    result.list = tidiedlist(kept);
    return result;
}

} // namespace quillfen

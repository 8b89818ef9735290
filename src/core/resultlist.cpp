#include "core/resultlist.h"

#include "core/format.h"

#include <algorithm>

namespace quillfen {

QString ResultEntry::sizembText() const {
    return size < 0 ? QString() : sizeMbText(size);
}

QString ResultEntry::sizebyteText() const {
    return size < 0 ? QString() : QString::number(size);
}

QString ResultEntry::filedateText() const {
    switch (dateform) {
    case DateForm::Scan:
        return scanDateText(mtime);
    case DateForm::General:
        return generalDateText(mtime);
    case DateForm::None:
        break;
    }
    return {};
}

qsizetype countnamedrows(const ResultList& list) {
    return std::count_if(list.begin(), list.end(),
                         [](const ResultEntry& entry) { return !entry.isSeparator(); });
}

QString folderOf(const QString& fullPath) {
    return fullPath.left(fullPath.lastIndexOf(u'/') + 1);
}

QString nameOf(const QString& fullPath) {
    return fullPath.mid(fullPath.lastIndexOf(u'/') + 1);
}

} // namespace quillfen

#pragma once

#include "core/resultlist.h"

#include <QString>

namespace quillfen::bench {

// `files` files in groups of 2, 3 and 4, separated, alternately coloured,
// largest sizes first: the result list after a comparison.
inline ResultList bigResultList(qint64 files) {
    using namespace Qt::StringLiterals;
    ResultList list;
    list.reserve(size_t(files + files / 2));
    qint64 made = 0;
    for (qint64 group = 0; made < files; ++group) {
        if (group > 0)
            list.push_back(ResultEntry::separator());
        const int members = 2 + int(group % 3);
        for (int k = 0; k < members; ++k, ++made) {
            ResultEntry entry;
            entry.path = u"/data/folder%1/sub%2/"_s.arg(group % 997).arg(k);
            entry.filename = u"file%1-%2.bin"_s.arg(group).arg(k);
            entry.size = 1000000 + (files - group) * 10;
            entry.mtime = 1600000000 + (group * 7 + k * 13) % 100000;
            entry.dateform = DateForm::Scan;
            entry.colour = group % 2 ? RowColour::Black : RowColour::Blue;
            list.push_back(std::move(entry));
        }
    }
    return list;
}

} // namespace quillfen::bench

#include "compare/comparejob.h"

#include <QSet>

namespace quillfen {

using namespace Qt::StringLiterals;

std::vector<TableEntry> entryTable(const ResultList& list) {
    std::vector<TableEntry> table;
    table.reserve(list.size());
    for (const ResultEntry& row : list) {
        if (row.isSeparator())
            table.push_back({QString(), 0});
        else
            table.push_back({row.fullPath(), row.size < 0 ? 0 : row.size});
    }
    return table;
}

ResultList rebuildList(const std::vector<PassItem>& kept, bool lastPass) {
    ResultList list;
    list.reserve(kept.size());
    // Rows of one folder share its text, which keeps a big list small.
    QSet<QString> folders;
    for (const PassItem& item : kept) {
        ResultEntry row;
        row.filename = nameOf(item.path);
        QString folder = folderOf(item.path);
        const auto known = folders.constFind(folder);
        if (known != folders.constEnd())
            folder = *known;
        else
            folders.insert(folder);
        row.path = std::move(folder);
        const platform::FileInfo info = platform::fileInfo(item.path);
        if (info.isRegular()) {
            row.size = info.size;
            row.mtime = info.mtime;
            row.dateform = DateForm::General;
        }
        row.subgroupstart = lastPass && item.subgroupstart;
        list.push_back(std::move(row));
    }
    return list;
}

CompareJobResult runComparison(CompareJobInput input, AppState& status) {
    CompareJobResult result;
    result.curstep = input.curstep;
    result.compareplan = input.plan;
    const ReadControl control{&status.stopflag, &status, input.gentle, input.files};
    QString planleft = input.plan;
    ResultList list = std::move(input.list);

    for (;;) {
        const std::vector<TableEntry> table = entryTable(list);
        ++result.curstep;
        PassKind kind = PassKind::None;
        auto take = [&](QChar code) {
            if (!planleft.contains(code))
                return false;
            result.compareplan = QString(code);
            result.plandone += code;
            planleft.remove(code);
            return true;
        };
        if (take(u'1')) {
            result.list = std::move(list);
            return result;
        }
        if (take(u'2'))
            kind = PassKind::Fuzzy;
        else if (take(u'3'))
            kind = PassKind::Crc;
        else if (take(u'4'))
            kind = PassKind::Bytewise;
        else
            planleft.clear(); // codes we do not know must not repeat the pass for ever

        ++result.passes;
        std::vector<PassItem> kept;
        const PassProgress progress{&status, result.curstep, input.totalsteps};
        if (!runPass(kind, table, kept, control, progress)) {
            result.stopped = true;
            return result;
        }
        list = rebuildList(kept, planleft.isEmpty());
        if (planleft.isEmpty())
            break;
    }
    result.list = std::move(list);
    return result;
}

} // namespace quillfen

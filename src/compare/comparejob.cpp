#include "compare/comparejob.h"

#include "compare/checksumcache.h"

#include <unordered_map>

namespace quillfen {

using namespace Qt::StringLiterals;

qint64 ResultListSource::size(qint64 k) const {
    const ResultEntry& row = m_list[std::size_t(k)];
    return row.isSeparator() || row.size < 0 ? 0 : row.size;
}

QString ResultListSource::path(qint64 k) const {
    const ResultEntry& row = m_list[std::size_t(k)];
    return row.isSeparator() ? QString() : row.fullPath();
}

QString ResultListSource::folder(qint64 k) const {
    return m_list[std::size_t(k)].path;
}

QString ResultListSource::name(qint64 k) const {
    return m_list[std::size_t(k)].filename;
}

const QChar* ResultListSource::folderAddress(qint64 k) const {
    return m_list[std::size_t(k)].path.constData();
}

platform::FileIdentity ResultListSource::fileId(qint64 k) const {
    return m_list[std::size_t(k)].id;
}

platform::FileIdentity ResultListSource::folderId(qint64 k) const {
    return m_list[std::size_t(k)].folderid;
}

qint64 ResultListSource::sameAs(qint64 k) const {
    if (!m_labels || std::size_t(k) >= m_labels->size())
        return -1;
    return (*m_labels)[std::size_t(k)];
}

// The rows of a rebuilt list carry what the pass before saw.
SeenFile ResultListSource::seenBefore(qint64 k) const {
    const ResultEntry& row = m_list[std::size_t(k)];
    SeenFile seen;
    seen.id = row.id;
    seen.folderid = row.folderid;
    seen.size = row.size;
    seen.mtime = row.mtime;
    seen.mtimensec = row.mtimensec;
    seen.ctimens = row.ctimens;
    if (m_cacheslots && std::size_t(k) < m_cacheslots->size())
        seen.cacheslot = (*m_cacheslots)[std::size_t(k)];
    return seen;
}

size_t ResultListSource::pathHash(qint64 k) const {
    const ResultEntry& row = m_list[std::size_t(k)];
    return qHashMulti(0, row.path, row.filename);
}

bool ResultListSource::samePath(qint64 a, qint64 b) const {
    const ResultEntry& x = m_list[std::size_t(a)];
    const ResultEntry& y = m_list[std::size_t(b)];
    // Folders end in "/" and names hold none, so equal pieces mean equal paths.
    return x.path == y.path && x.filename == y.filename;
}

namespace {

// The row of a kept file: its names and identity, and what the pass saw of it.
ResultEntry keptRow(ResultEntry&& old, const KeptRow& item, bool lastPass) {
    ResultEntry row;
    row.filename = std::move(old.filename);
    row.path = std::move(old.path);
    row.id = old.id;
    row.folderid = old.folderid;
    const SeenFile& seen = item.seen;
    if (seen.size >= 0) {
        row.id = seen.id;
        row.folderid = seen.folderid;
        row.size = seen.size;
        row.mtime = seen.mtime;
        row.mtimensec = seen.mtimensec;
        row.ctimens = seen.ctimens;
        row.dateform = DateForm::General;
    }
    row.subgroupstart = lastPass && item.subgroupstart;
    return row;
}

} // namespace

ResultList rebuildList(ResultList list, const std::vector<KeptRow>& kept, bool lastPass) {
    // Rebuilt in place: a fresh list cost more in page faults than all the
    // moves. Place o gets the row of kept[o]; places before o are written
    // already, so a row kept from one of them was set aside before its place
    // was written over. A pass keeps rows in list order but for the order of
    // the sets within a size run, so little is ever set aside.
    std::vector<bool> wanted(list.size());
    for (const KeptRow& item : kept)
        wanted[std::size_t(item.index)] = true;
    std::unordered_map<std::size_t, ResultEntry> aside;
    for (std::size_t place = 0; place < kept.size(); ++place) {
        const auto from = std::size_t(kept[place].index);
        ResultEntry row;
        if (from >= place) {
            row = std::move(list[from]);
        } else if (auto node = aside.extract(from)) {
            row = std::move(node.mapped());
        }
        wanted[from] = false;
        if (from != place && wanted[place])
            aside.emplace(place, std::move(list[place]));
        list[place] = keptRow(std::move(row), kept[place], lastPass);
    }
    list.erase(list.begin() + qsizetype(kept.size()), list.end());
    // The room of the rows a pass dropped is given back unless they were few:
    // the list lives on through the passes and the grouping after them.
    if (list.capacity() - list.size() > list.size() / 8)
        list.shrink_to_fit();
    return list;
}

CompareJobResult runComparison(CompareJobInput input, RunProgress& status) {
    CompareJobResult result;
    result.curstep = input.curstep;
    result.compareplan = input.plan;
    ReadControl control{&status.stopflag, &status, input.gentle, input.files};
    // Checksums kept from the file system cannot stand for a file access of
    // its own, which reads differently.
    std::shared_ptr<ChecksumCache> cache;
    const bool reads = input.plan.contains(ComparePass::Fuzzy) || input.plan.readsWholeFiles();
    if (!input.files && reads) {
        if (input.openingcache.valid())
            cache = input.openingcache.get();
        else if (!input.cachepath.isEmpty())
            cache = std::make_shared<ChecksumCache>(input.cachepath);
    }
    if (cache && cache->isOpen()) {
        cache->preload(qint64(input.list.size()));
        control.cache = cache.get();
    }
    ComparePlan planleft = input.plan;
    ResultList list = std::move(input.list);
    // Small files the fuzzy pass read whole, labelled by their bytes for a
    // bytewise pass right after it.
    std::vector<qint64> labels;
    // What the checksum cache answered for each row, so that no pass asks twice.
    std::vector<qint32> cacheslots;

    for (;;) {
        ++result.curstep;
        PassKind kind = PassKind::None;
        if (const std::optional<ComparePass> pass = planleft.first()) {
            result.compareplan = ComparePlan{*pass};
            result.plandone.add(*pass);
            planleft.remove(*pass);
            switch (*pass) {
            case ComparePass::NoComparison:
                result.list = std::move(list);
                return result;
            case ComparePass::Fuzzy:
                kind = PassKind::Fuzzy;
                break;
            case ComparePass::Crc:
                kind = PassKind::Crc;
                break;
            case ComparePass::Bytewise:
                kind = PassKind::Bytewise;
                break;
            }
        }

        ++result.passes;
        std::vector<KeptRow> kept;
        const PassProgress progress{&status, result.curstep, input.totalsteps};
        const bool label = kind == PassKind::Fuzzy && !planleft.contains(ComparePass::Crc) &&
                           planleft.contains(ComparePass::Bytewise);
        if (!runPass(kind, ResultListSource(list, &labels, &cacheslots), kept, control, progress,
                     label)) {
            result.stopped = true;
            return result;
        }
        // What the pass stored is written while the next steps go on: a
        // pass gets its entries one by one in the order of sizes, and the
        // steps after the last pass use one core only.
        if (control.cache)
            control.cache->writeStored();
        ResultList rebuilt = rebuildList(std::move(list), kept, planleft.isEmpty());
        labels.clear();
        cacheslots.clear();
        if (control.cache) {
            cacheslots.reserve(kept.size());
            for (const KeptRow& row : kept)
                cacheslots.push_back(row.seen.cacheslot);
        }
        if (label) {
            labels.reserve(kept.size());
            for (const KeptRow& row : kept)
                labels.push_back(row.sameAs);
        }
        kept = {};
        list = std::move(rebuilt);
        if (planleft.isEmpty())
            break;
    }
    result.list = std::move(list);
    return result;
}

} // namespace quillfen

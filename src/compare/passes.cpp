#include "compare/passes.h"

#include "core/format.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <cstring>
#include <memory>

namespace quillfen {

using namespace Qt::StringLiterals;

namespace {

// Bytewise splitting: buffers of all files of a class being read side by
// side stay within this, blocks shrinking down to the minimum for big
// classes; blocks grow while a class keeps together.
constexpr qint64 splitBudget = 2 * 1024 * 1024;
constexpr qint64 firstBlock = 64 * 1024;
constexpr qint64 largestBlock = 256 * 1024;
constexpr qint64 smallestBlock = 4 * 1024;
// Files held open at once while a run is split; beyond it files are opened
// again for every block, so huge runs never hit the open-file limit.
constexpr int openFileCap = 128;
// The CPU-gentle mode pauses once per this many bytes read side by side (a
// pair of blocks, as comparing two files pauses).
constexpr qint64 gentleBytes = 2 * byteBlockAdvance;

void setGroupDone(AppState* status, qint64 done) {
    if (status)
        status->groupdone.store(done, std::memory_order_relaxed);
}

// Gives each distinct key a class number in the order the keys first appear.
template <typename Key> class ClassNumbers {
public:
    int classOf(const Key& key) {
        const auto it = m_numbers.constFind(key);
        if (it != m_numbers.constEnd())
            return *it;
        const int number = int(m_numbers.size());
        m_numbers.insert(key, number);
        return number;
    }

private:
    QHash<Key, int> m_numbers;
};

bool classifyFuzzy(const std::vector<QString>& paths, std::vector<int>& classes,
                   const ReadControl& control, AppState* status) {
    ClassNumbers<QByteArray> numbers;
    QByteArray key;
    QByteArray samples;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (control.stopRequested())
            return false;
        if (control.gentle && !control.pause(gentlePauseMs))
            return false;
        setGroupDone(status, qint64(i) + 1);
        platform::InputFile file;
        if (!control.access().openAvailable(file, paths[i]))
            continue;
        const platform::FileInfo& info = file.openedInfo();
        if (!readFuzzySamples(file, paths[i], info.size, samples, control))
            continue;
        key.resize(sizeof(qint64));
        std::memcpy(key.data(), &info.size, sizeof(qint64));
        key += samples;
        classes[i] = numbers.classOf(key);
    }
    return true;
}

bool classifyCrc(const std::vector<QString>& paths, std::vector<int>& classes,
                 const ReadControl& control, AppState* status) {
    // Files whose length no other file of the run has are never read, as
    // comparing lengths decides first.
    std::vector<qint64> lengths(paths.size(), -1);
    QHash<qint64, int> lengthCount;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (control.stopRequested())
            return false;
        // The length query is the reachability check too.
        lengths[i] = control.access().length(paths[i]);
        if (lengths[i] >= 0)
            ++lengthCount[lengths[i]];
    }
    ClassNumbers<std::pair<qint64, quint32>> numbers;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (control.stopRequested())
            return false;
        setGroupDone(status, qint64(i) + 1);
        if (lengths[i] < 0 || lengthCount.value(lengths[i]) < 2)
            continue;
        if (control.gentle && !control.pause(gentlePauseMs))
            return false;
        const FileCrc crc = fileCrc32(paths[i], control);
        if (crc.status == FileCrc::Stopped)
            return false;
        if (crc.status == FileCrc::Done)
            classes[i] = numbers.classOf({lengths[i], crc.crc});
    }
    return true;
}

// Splits the files of a run into classes of equal content, reading all
// files of a class side by side in blocks. A file stops being read as soon
// as no other file has matched it so far.
class ByteSplitter {
public:
    ByteSplitter(const std::vector<QString>& paths, std::vector<int>& classes,
                 const ReadControl& control, AppState* status)
        : m_paths(paths), m_classes(classes), m_control(control), m_status(status),
          m_slots(paths.size()) {}

    bool run();

private:
    struct Slot {
        platform::InputFile file;
        platform::FileIdentity id;
        qint64 length = -1;
        bool opened = false; // opened once: id and length are known
    };
    struct Work {
        std::vector<int> files; // all of the same length, equal up to offset
        qint64 offset = 0;
        qint64 block = firstBlock;
    };

    bool openSlot(int i);
    void closeSlot(int i);
    void settle(int i, int cls);
    bool split(Work& work, std::vector<Work>& stack);
    bool pauseIfGentle(qint64 bytes);

    const std::vector<QString>& m_paths;
    std::vector<int>& m_classes;
    const ReadControl& m_control;
    AppState* m_status;
    std::vector<Slot> m_slots;
    std::unique_ptr<char[]> m_buffer;
    qint64 m_bufferSize = 0;
    int m_openCount = 0;
    int m_nextClass = 0;
    qint64 m_settled = 0;
    qint64 m_gentleRead = 0;
};

bool ByteSplitter::openSlot(int i) {
    Slot& slot = m_slots[std::size_t(i)];
    if (slot.file.isOpen())
        return true;
    if (!m_control.access().openAvailable(slot.file, m_paths[std::size_t(i)]))
        return false;
    ++m_openCount;
    const platform::FileInfo& info = slot.file.openedInfo();
    if (!slot.opened) {
        slot.opened = true;
        slot.id = info.id;
        slot.length = info.isRegular() ? info.size : -1;
        if (slot.length > largestBlock)
            slot.file.adviseSequential();
        return slot.length >= 0;
    }
    // Opened again for a later block: it must still be the same file.
    if (!info.isRegular() || info.id != slot.id || info.size != slot.length) {
        closeSlot(i);
        return false;
    }
    return true;
}

void ByteSplitter::closeSlot(int i) {
    Slot& slot = m_slots[std::size_t(i)];
    if (slot.file.isOpen()) {
        slot.file.close();
        --m_openCount;
    }
}

void ByteSplitter::settle(int i, int cls) {
    m_classes[std::size_t(i)] = cls;
    closeSlot(i);
    setGroupDone(m_status, ++m_settled);
}

bool ByteSplitter::pauseIfGentle(qint64 bytes) {
    if (!m_control.gentle)
        return true;
    m_gentleRead += bytes;
    while (m_gentleRead >= gentleBytes) {
        m_gentleRead -= gentleBytes;
        if (!m_control.pause(gentlePauseMs))
            return false;
    }
    return true;
}

bool ByteSplitter::run() {
    // Open every reachable file once to learn its length; files of one
    // length form the first classes.
    QHash<qint64, std::vector<int>> byLength;
    std::vector<qint64> order; // lengths in order of first appearance
    for (int i = 0; i < int(m_paths.size()); ++i) {
        if (m_control.stopRequested())
            return false;
        if (!openSlot(i)) {
            settle(i, -1);
            continue;
        }
        const qint64 length = m_slots[std::size_t(i)].length;
        auto& files = byLength[length];
        if (files.empty())
            order.push_back(length);
        files.push_back(i);
        if (m_openCount > openFileCap)
            closeSlot(i);
    }
    std::vector<Work> stack;
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        std::vector<int>& files = byLength[*it];
        if (files.size() < 2) {
            settle(files.front(), -1);
        } else if (*it == 0) {
            const int cls = m_nextClass++;
            for (int i : files)
                settle(i, cls);
        } else {
            stack.push_back({std::move(files), 0, firstBlock});
        }
    }
    while (!stack.empty()) {
        Work work = std::move(stack.back());
        stack.pop_back();
        if (!split(work, stack))
            return false;
    }
    return true;
}

bool ByteSplitter::split(Work& work, std::vector<Work>& stack) {
    const qint64 length = m_slots[std::size_t(work.files.front())].length;
    const qint64 count = qint64(work.files.size());
    qint64 block = qMin(work.block, qMax(smallestBlock, splitBudget / count));
    block = qMin(block, length - work.offset);
    if (m_bufferSize < block * count) {
        m_buffer.reset();
        m_bufferSize = block * count;
        m_buffer = std::make_unique<char[]>(std::size_t(m_bufferSize));
    }

    // Read the block of every file; a file that fails is equal to nothing.
    std::vector<int> readable;
    readable.reserve(work.files.size());
    for (int i : work.files) {
        if (m_control.stopRequested())
            return false;
        char* target = m_buffer.get() + qint64(readable.size()) * block;
        const bool ok = openSlot(i) && m_control.access().readAt(
                                           m_slots[std::size_t(i)].file, m_paths[std::size_t(i)],
                                           work.offset, target, block) == block;
        if (!ok) {
            settle(i, -1);
            continue;
        }
        m_control.countRead(block);
        if (!pauseIfGentle(block))
            return false;
        if (m_openCount > openFileCap)
            closeSlot(i);
        readable.push_back(i);
    }

    // Part the files by the block's content, in the order they come.
    auto blockOf = [&](std::size_t k) { return m_buffer.get() + qint64(k) * block; };
    std::vector<std::vector<int>> parts;
    std::vector<std::size_t> partFirst; // buffer slot of each part's first file
    QMultiHash<size_t, std::size_t> partsByHash;
    const bool hashed = readable.size() > 8;
    for (std::size_t k = 0; k < readable.size(); ++k) {
        const char* data = blockOf(k);
        std::size_t found = parts.size();
        if (hashed) {
            const size_t hash = qHashBits(data, size_t(block));
            for (auto it = partsByHash.constFind(hash);
                 it != partsByHash.constEnd() && it.key() == hash; ++it) {
                if (std::memcmp(blockOf(partFirst[*it]), data, size_t(block)) == 0) {
                    found = *it;
                    break;
                }
            }
            if (found == parts.size())
                partsByHash.insert(hash, parts.size());
        } else {
            for (std::size_t p = 0; p < parts.size(); ++p) {
                if (std::memcmp(blockOf(partFirst[p]), data, size_t(block)) == 0) {
                    found = p;
                    break;
                }
            }
        }
        if (found == parts.size()) {
            parts.emplace_back();
            partFirst.push_back(k);
        }
        parts[found].push_back(readable[k]);
    }

    const qint64 next = work.offset + block;
    const qint64 grown = qMin(largestBlock, work.block * 4);
    // Pushed in reverse so that the parts are worked through in order.
    for (auto it = parts.rbegin(); it != parts.rend(); ++it) {
        if (it->size() < 2) {
            settle(it->front(), -1);
        } else if (next >= length) {
            const int cls = m_nextClass++;
            for (int i : *it)
                settle(i, cls);
        } else {
            stack.push_back({std::move(*it), next, grown});
        }
    }
    return true;
}

// Appends the kept files of a size run (entries first..first + m - 1 of
// the source): the files of every class of two or more, each class together
// in list order with the sub-group start on its first file, the classes in
// the order of their first files. Comparing each file with the later files
// of its run until the first match keeps the same files with the same
// sub-group starts, but in the order the matches are found, which can put a
// file after the start of another class: the grouping would then show it
// among files it does not equal. A path already kept from this run is not
// added again.
void keepMatches(const std::vector<QString>& paths, const std::vector<int>& classes, qint64 first,
                 std::vector<KeptRow>& kept, AppState* status) {
    const int classCount =
        classes.empty() ? 0 : *std::max_element(classes.begin(), classes.end()) + 1;
    if (classCount == 0)
        return;
    std::vector<int> members(std::size_t(classCount), 0); // readable files of each class
    for (int cls : classes) {
        if (cls >= 0)
            ++members[std::size_t(cls)];
    }
    // Files of each class in list order, classes by their first file.
    std::vector<int> classOrder;
    std::vector<std::vector<int>> files{std::size_t(classCount)};
    for (int i = 0; i < int(paths.size()); ++i) {
        const int cls = classes[std::size_t(i)];
        if (cls < 0 || members[std::size_t(cls)] < 2)
            continue;
        if (files[std::size_t(cls)].empty())
            classOrder.push_back(cls);
        files[std::size_t(cls)].push_back(i);
    }
    QSet<QString> runKeys;
    for (int cls : classOrder) {
        bool head = true;
        for (int i : files[std::size_t(cls)]) {
            const QString& path = paths[std::size_t(i)];
            if (runKeys.contains(path))
                continue;
            runKeys.insert(path);
            kept.push_back({first + i, head});
            head = false;
        }
    }
    if (status) {
        // The last pair the pairwise comparison would have matched: the last
        // file that has a later file of its class, and that file.
        for (int i = int(paths.size()) - 1; i >= 0; --i) {
            const int cls = classes[std::size_t(i)];
            if (cls < 0 || files[std::size_t(cls)].empty() || files[std::size_t(cls)].back() == i)
                continue;
            const auto& list = files[std::size_t(cls)];
            const int j = *std::upper_bound(list.begin(), list.end(), i);
            status->comparefile1.set(paths[std::size_t(j)]);
            status->comparefile2.set(paths[std::size_t(i)]);
            break;
        }
    }
}

// A path kept from two runs stays only where it was kept first. (The lists
// the program builds never hold a path twice, so this rarely removes
// anything; it only keeps the result exact for lists that do.)
void dropRepeatedPaths(const PassSource& source, std::vector<KeptRow>& kept) {
    std::vector<std::pair<size_t, std::size_t>> hashes; // path hash, place in kept
    hashes.reserve(kept.size());
    for (std::size_t k = 0; k < kept.size(); ++k)
        hashes.push_back({source.pathHash(kept[k].index), k});
    std::sort(hashes.begin(), hashes.end());
    std::vector<bool> drop(kept.size(), false);
    bool any = false;
    for (std::size_t a = 0; a < hashes.size();) {
        std::size_t b = a + 1;
        while (b < hashes.size() && hashes[b].first == hashes[a].first)
            ++b;
        for (std::size_t x = a + 1; x < b; ++x) {
            for (std::size_t y = a; y < x; ++y) {
                if (!drop[hashes[y].second] &&
                    source.samePath(kept[hashes[y].second].index, kept[hashes[x].second].index)) {
                    drop[hashes[x].second] = true;
                    any = true;
                    break;
                }
            }
        }
        a = b;
    }
    if (!any)
        return;
    std::size_t out = 0;
    for (std::size_t k = 0; k < kept.size(); ++k) {
        if (!drop[k])
            kept[out++] = kept[k];
    }
    kept.resize(out);
}

class TableSource : public PassSource {
public:
    explicit TableSource(const std::vector<TableEntry>& table) : m_table(table) {}
    qint64 count() const override { return qint64(m_table.size()); }
    qint64 size(qint64 k) const override { return m_table[std::size_t(k)].size; }
    QString path(qint64 k) const override { return m_table[std::size_t(k)].path; }

private:
    const std::vector<TableEntry>& m_table;
};

QString runText(qint64 files, qint64 size) {
    const double megabytes = roundHalfEven(double(size) * double(files) / 1000000.0, 2);
    return QString::number(files) + u" files compared. "_s + generalNumberText(megabytes) +
           u" MB total."_s;
}

} // namespace

QString passName(PassKind kind) {
    switch (kind) {
    case PassKind::Fuzzy:
        return u"Fuzzy comparison"_s;
    case PassKind::Crc:
        return u"CRC comparison"_s;
    case PassKind::Bytewise:
        return u"Bytewise comparison"_s;
    case PassKind::None:
        break;
    }
    return QString();
}

bool classifyRun(PassKind kind, const std::vector<QString>& paths, std::vector<int>& classes,
                 const ReadControl& control, AppState* status) {
    classes.assign(paths.size(), -1);
    if (status)
        status->groupmax.store(qint64(paths.size()), std::memory_order_relaxed);
    setGroupDone(status, 0);
    switch (kind) {
    case PassKind::Fuzzy:
        return classifyFuzzy(paths, classes, control, status);
    case PassKind::Crc:
        return classifyCrc(paths, classes, control, status);
    case PassKind::Bytewise:
        return ByteSplitter(paths, classes, control, status).run();
    case PassKind::None:
        break;
    }
    return !control.stopRequested();
}

size_t PassSource::pathHash(qint64 k) const {
    return qHash(path(k));
}

bool PassSource::samePath(qint64 a, qint64 b) const {
    return path(a) == path(b);
}

bool runPass(PassKind kind, const PassSource& source, std::vector<KeptRow>& kept,
             const ReadControl& control, const PassProgress& progress) {
    AppState* status = progress.status;
    kept.clear();
    const qint64 count = source.count();
    const qint64 last = count - 1;
    if (status) {
        status->progressmax.store(count, std::memory_order_relaxed);
        status->progressdone.store(0, std::memory_order_relaxed);
        status->progressvisible.store(true, std::memory_order_relaxed);
    }
    // Texts are refreshed at most this often; the window shows them on its
    // own timer anyway.
    constexpr quint32 textInterval = 20;
    quint32 lastText = platform::tickCount() - textInterval;
    auto showProgress = [&](qint64 pos, qint64 runFiles, qint64 size, bool force) {
        if (!status)
            return;
        status->progressdone.store(pos, std::memory_order_relaxed);
        const quint32 now = platform::tickCount();
        if (!force && now - lastText < textInterval)
            return;
        lastText = now;
        status->curfolder.set(runText(runFiles, size));
        if (last > 0 && kind != PassKind::None) {
            const double share = roundHalfEven(double(pos) / double(last), 2) * 100.0;
            status->label5.set(u"Step %1/%2 [%3%] - %4"_s.arg(progress.curstep)
                                   .arg(progress.totalsteps)
                                   .arg(generalNumberText(share), passName(kind)));
        }
    };

    std::vector<QString> paths;
    std::vector<int> classes;
    qint64 pos = 0;
    while (pos < count) {
        const qint64 size = source.size(pos);
        qint64 end = pos + 1;
        while (end < count && source.size(end) == size)
            ++end;
        const qint64 runFiles = end - pos;
        if (control.stopRequested())
            return false;
        // Runs that take a while always show themselves; the many small ones
        // only every few milliseconds.
        showProgress(pos, runFiles, size,
                     runFiles > 1000 || double(size) * double(runFiles) >= 10e6);
        if (runFiles >= 2 && kind != PassKind::None) {
            paths.clear();
            for (qint64 k = pos; k < end; ++k)
                paths.push_back(source.path(k));
            if (!classifyRun(kind, paths, classes, control, status))
                return false;
            keepMatches(paths, classes, pos, kept, status);
        }
        if (status)
            status->filescompared.fetch_add(runFiles, std::memory_order_relaxed);
        pos = end;
    }
    if (control.stopRequested())
        return false;
    dropRepeatedPaths(source, kept);
    return true;
}

bool runPass(PassKind kind, const std::vector<TableEntry>& table, std::vector<PassItem>& kept,
             const ReadControl& control, const PassProgress& progress) {
    std::vector<KeptRow> rows;
    if (!runPass(kind, TableSource(table), rows, control, progress))
        return false;
    for (const KeptRow& row : rows)
        kept.push_back({table[std::size_t(row.index)].path, row.subgroupstart});
    return true;
}

} // namespace quillfen

#include "compare/passes.h"

#include "compare/checksumcache.h"
#include "compare/crc32.h"
#include "compare/xxh3dispatch.h"
#include "core/format.h"
#include "core/resultlist.h"
#include "platform/filename.h"
#include "platform/folder.h"
#include "platform/limits.h"

#include <QDateTime>
#include <QHash>
#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <numeric>
#include <thread>
#include <unordered_map>

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
// Files read side by side at most; a longer run, or one longer than the
// open-file limit leaves room for, is first parted by a hash of each whole
// file and then compared class by class in windows. Keeps the buffers of a
// run (window times the smallest block) at 16 MB whatever its length.
constexpr qint64 windowCap = 4096;
// Files up to this length are read whole by a fuzzy pass that labels equal
// files for a bytewise pass after it: the samples of such a file span nearly
// all of it anyway. The files of a run are held until the run is labelled,
// so only runs of at most wholeRunBytes are read whole.
constexpr qint64 wholeLength = 64 * 1024;
constexpr qint64 wholeRunBytes = 8 * 1024 * 1024;
// Descriptors left for the rest of the program.
constexpr qint64 openHeadroom = 32;
// Opening ahead: files held open before their turn at most, the bytes asked
// of the kernel for them at most, and for one file at most (the kernel's own
// read-ahead follows a long file once it is being read).
constexpr qint64 aheadFiles = 64;
constexpr qint64 aheadBytes = 32 * 1024 * 1024;
constexpr qint64 aheadFileBytes = 2 * 1024 * 1024;
// Rows looked at ahead of the pass at most: rows looked at long before their
// turn have left the processor's caches when it comes.
constexpr qint64 aheadRows = 1024;
// Folders held open by a pass at most (fewer under a low open-file limit).
// A pass meets the folders in no order (its files go by size), so a tree of
// more folders than are held opens a folder again for most of its files.
constexpr qint64 folderCacheSize = 65536;
// The CPU-gentle mode pauses once per this many bytes read side by side (a
// pair of blocks, as comparing two files pauses).
constexpr qint64 gentleBytes = 2 * byteBlockAdvance;

void setGroupDone(RunProgress* status, qint64 done) {
    if (status)
        status->groupdone.store(done, std::memory_order_relaxed);
}

// Opens the files of a pass from the descriptors of their folders, and tells
// after the last read whether the file is still the one that was opened.
class PassFiles {
public:
    // budget: the files it may hold open at once; -1: what is left now.
    explicit PassFiles(const ReadControl& control, qint64 budget = -1)
        : m_control(control), m_filesLeft(budget) {}

    // Opens the file and records its facts; false when it cannot be opened,
    // or its folder or itself is not the one the row stands for.
    bool open(const RunFile& run, platform::InputFile& file, SeenFile& seen) {
        m_reached = qMax(m_reached, run.row);
        if (takeAhead(run.row, file, seen))
            return true;
        return openNow(run, file, seen);
    }

    // Opening ahead. A pass reads its files one after another, and on a cold
    // disk each read would wait for the one before. So the files of the runs
    // to come are opened a little before their turn, and the kernel is asked
    // to start fetching what the pass will read of them: many requests are
    // in flight at once, and a warm cache pays one hint per file. A file is
    // still opened once, and checked after its last read as ever.
    void openAhead(const PassSource& source, PassKind kind, bool readWhole) {
        if (m_control.gentle || kind == PassKind::None)
            return;
        m_source = &source;
        m_kind = kind;
        m_readWhole = readWhole;
        m_cacheHeld = m_control.cache && m_control.cache->holdsEntries();
        m_aheadLimit = qBound<qint64>(0, filesLeft() / 8, aheadFiles);
        m_end = source.count();
    }

    // The pass goes on at row begin and stops before end: what was opened
    // ahead for elsewhere is let go.
    void moveTo(qint64 begin, qint64 end) {
        m_ahead.clear();
        m_aheadBytes = 0;
        m_next = begin;
        m_reached = begin;
        m_end = end;
    }

    // The pass begins the run at row: files opened ahead for the rows before
    // it were not wanted after all (their checksums were kept).
    void reach(qint64 row) {
        while (!m_ahead.empty() && m_ahead.front().row < row)
            dropFront();
        m_next = qMax(m_next, row);
        m_reached = row;
        fillAhead();
    }

private:
    bool openNow(const RunFile& run, platform::InputFile& file, SeenFile& seen) {
        const Cached* cached = folderOf(run);
        if (!cached)
            return false;
        const QByteArray name = platform::encodeFileName(run.name());
        if (name.isEmpty() || name.contains('/') || name.contains('\0'))
            return false;
        const auto openIn = [&](const Cached& in) {
            return m_control.access().openIn(file, in.folder.fd(), name, run.accessPath(m_control));
        };
        if (!openIn(*cached)) {
            // Out of descriptors (another thread took the last ones): what
            // is held is let go and the file asked for again, rather than
            // counted as a file equal to nothing.
            if (!platform::outOfDescriptors(file.error()) || !letGo())
                return false;
            cached = folderOf(run);
            if (!cached || !openIn(*cached))
                return false;
        }
        const platform::FileInfo& info = file.openedInfo();
        if (!info.isRegular() || (run.id != platform::FileIdentity() && info.id != run.id)) {
            file.close();
            return false;
        }
        seen.id = info.id;
        seen.folderid = cached->id;
        seen.size = info.size;
        seen.mtime = info.mtime;
        seen.mtimensec = info.mtimensec;
        seen.ctimens = platform::nanoseconds(info.ctime, info.ctimensec);
        return true;
    }

public:
    // The facts of the file by its name, without opening it: for files whose
    // checksums an earlier run kept. False as open() would be.
    bool stat(const RunFile& run, platform::FileInfo& info, SeenFile& seen) {
        const Cached* cached = folderOf(run);
        const QString name = run.name();
        if (!cached || name.isEmpty() || name.contains(u'/'))
            return false;
        info = cached->folder.entryInfo(name);
        if (!info.isRegular() || (run.id != platform::FileIdentity() && info.id != run.id))
            return false;
        seen = factsOf(info);
        seen.folderid = cached->id;
        seen.stated = true;
        return true;
    }

    // Opened again (a long run is read twice): the same file, unchanged.
    bool reopen(const RunFile& run, platform::InputFile& file, const SeenFile& seen) {
        SeenFile again;
        if (!open(run, file, again))
            return false;
        if (!sameFacts(again, seen)) {
            file.close();
            return false;
        }
        return true;
    }

    // After the last read: the name still leads to the file that was opened,
    // in the same folder, and the file shows no write since (an editor that
    // saves by renaming a new file over the name, or one that writes in
    // place). A stat of the name is a stat of the open file whenever it
    // still leads there, so one query covers both.
    bool unchanged(const RunFile& run, const SeenFile& seen) {
        const Cached* cached = folderOf(run);
        if (!cached || cached->id != seen.folderid)
            return false;
        const platform::FileInfo named = cached->folder.entryInfo(run.name());
        return named.isRegular() && sameFacts(factsOf(named), seen);
    }

    // Files that may be held open side by side: what was left when the pass
    // began, less the folders it may hold, the files opened ahead and some
    // headroom.
    qint64 fileWindow() const {
        return filesLeft() - qint64(capacity()) - m_aheadLimit - openHeadroom;
    }

private:
    struct Ahead {
        qint64 row = 0;
        platform::InputFile file;
        SeenFile seen;
        qint64 bytes = 0; // asked of the kernel
    };

    bool takeAhead(qint64 row, platform::InputFile& file, SeenFile& seen) {
        const auto it = std::find_if(m_ahead.begin(), m_ahead.end(),
                                     [row](const Ahead& ahead) { return ahead.row == row; });
        if (it == m_ahead.end())
            return false;
        file = std::move(it->file);
        seen = it->seen;
        m_aheadBytes -= it->bytes;
        m_ahead.erase(it);
        fillAhead();
        return true;
    }

    void dropFront() {
        m_aheadBytes -= m_ahead.front().bytes;
        m_ahead.pop_front();
    }

    void fillAhead() {
        if (!m_source)
            return;
        const qint64 end = qMin(m_end, m_reached + aheadRows);
        while (m_next < end && qint64(m_ahead.size()) < m_aheadLimit && m_aheadBytes < aheadBytes &&
               !m_control.stopRequested()) {
            const qint64 k = m_next++;
            if (!readSoon(k))
                continue;
            const RunFile run{m_source,
                              k,
                              m_source->fileId(k),
                              m_source->folderId(k),
                              m_source->sameAs(k),
                              m_source->seenBefore(k)};
            Ahead ahead;
            if (!openNow(run, ahead.file, ahead.seen))
                continue; // its turn will try again, and fail as surely
            ahead.row = k;
            if (needsAdvice(ahead.file, ahead.seen.size)) {
                ahead.bytes = adviseReads(ahead.file, ahead.seen.size);
                m_aheadBytes += ahead.bytes;
            }
            m_ahead.push_back(std::move(ahead));
        }
    }

    // Whether the pass will read entry k: a file of a run of two or more that
    // no earlier pass handed on whole and whose kept checksums will not do.
    bool readSoon(qint64 k) const {
        const qint64 size = m_source->size(k);
        if (size <= 0 || m_source->sameAs(k) >= 0)
            return false;
        const bool inRun = (k > 0 && m_source->size(k - 1) == size) ||
                           (k + 1 < m_source->count() && m_source->size(k + 1) == size);
        if (!inRun)
            return false;
        if (!m_control.cache)
            return true;
        const qint32 slot = m_source->seenBefore(k).cacheslot;
        if (slot == SeenFile::kNotAsked)
            return !m_cacheHeld;
        if (slot == SeenFile::kNothingKept)
            return true;
        const CachedChecksums sums = m_control.cache->recalled(slot);
        return m_kind == PassKind::Fuzzy ? sums.fuzzy == 0 : !sums.whole;
    }

    // Whether the kernel should be asked for the file's bytes. On a warm
    // cache the hints are wasted calls, so only every so many files is looked
    // at; one found not in memory has the next ones asked for unseen.
    bool needsAdvice(const platform::InputFile& file, qint64 length) {
        if (m_coldLeft > 0) {
            if (--m_coldLeft == 0)
                m_sinceProbe = probeEvery - 1; // the next file tells whether it stays cold
            return true;
        }
        if (++m_sinceProbe < probeEvery)
            return false;
        m_sinceProbe = 0;
        const qint64 first = m_kind == PassKind::Fuzzy && !(m_readWhole && length <= wholeLength)
                                 ? fuzzyStep(length) - 1
                                 : 0;
        if (file.isCachedAt(first))
            return false;
        m_coldLeft = coldSpell;
        return true;
    }

    // Asks the kernel for what the pass will read of the file; the bytes asked.
    qint64 adviseReads(platform::InputFile& file, qint64 length) const {
        if (m_kind != PassKind::Fuzzy || (m_readWhole && length <= wholeLength)) {
            const qint64 bytes = qMin(length, aheadFileBytes);
            file.adviseWillNeed(0, bytes);
            return bytes;
        }
        const qint64 step = fuzzyStep(length);
        const int samples = fuzzySamplesFor(length);
        const qint64 first = step - 1;
        const qint64 end = qMin(length, (samples - 1) * step + first + fuzzySampleLength);
        if (end - first <= aheadFileBytes) {
            file.adviseWillNeed(first, end - first);
            return end - first;
        }
        for (int k = 0; k < samples; ++k)
            file.adviseWillNeed(first + k * step, fuzzySampleLength);
        return samples * fuzzySampleLength;
    }

    struct Cached {
        platform::Folder folder;
        platform::FileIdentity id;
        std::vector<const QChar*> addresses; // its aliases in m_byAddress
    };

    static SeenFile factsOf(const platform::FileInfo& info) {
        SeenFile facts;
        facts.id = info.id;
        facts.size = info.isRegular() ? info.size : -1;
        facts.mtime = info.mtime;
        facts.mtimensec = info.mtimensec;
        facts.ctimens = platform::nanoseconds(info.ctime, info.ctimensec);
        return facts;
    }

    static bool sameFacts(const SeenFile& a, const SeenFile& b) {
        return a.size >= 0 && a.id == b.id && a.size == b.size && a.mtime == b.mtime &&
               a.mtimensec == b.mtimensec;
    }

    // The folders the pass may hold: half of the descriptors left when it
    // began, within bounds.
    qint64 filesLeft() const {
        if (m_filesLeft < 0)
            m_filesLeft = qMax<qint64>(0, m_control.access().openFileBudget());
        return m_filesLeft;
    }

    std::size_t capacity() const {
        return std::size_t(qBound<qint64>(4, filesLeft() / 2, folderCacheSize));
    }

    // The open folder of the file (null when it cannot be opened or is not
    // the folder the row stands for). Rows of one folder share the folder
    // text, so a folder is found by the text's address first: hashing and
    // comparing whole paths for every file cost more than the rest of the
    // lookup.
    const Cached* folderOf(const RunFile& run) {
        QString folder; // copied only when the list does not share its texts, or on a miss
        const QChar* address = run.source->folderAddress(run.row);
        if (!address) {
            folder = run.folder();
            address = folder.constData();
        }
        if (const auto alias = m_byAddress.find(address); alias != m_byAddress.end())
            return usable(*alias->second.folder, run);
        if (folder.isNull())
            folder = run.folder();
        auto it = m_folders.find(folder);
        if (it == m_folders.end()) {
            if (m_folders.size() >= capacity())
                letOneFolderGo();
            Cached cached;
            cached.folder = platform::Folder(folder);
            if (!cached.folder.isOpen() && platform::outOfDescriptors(cached.folder.error()) &&
                letGo())
                cached.folder = platform::Folder(folder);
            if (!cached.folder.isOpen() && platform::outOfDescriptors(cached.folder.error()))
                return nullptr; // not kept: asked again for the next file
            if (cached.folder.isOpen())
                cached.id = cached.folder.info().id;
            it = m_folders.emplace(folder, std::move(cached)).first;
        }
        // Rows that spell one folder in texts of their own get an address
        // each; the addresses are let go before they outnumber the folders
        // by much.
        if (m_byAddress.size() >= 4 * capacity()) {
            m_byAddress.clear();
            for (auto& [text, held] : m_folders)
                held.addresses.clear();
        }
        m_byAddress.emplace(address, Alias{folder, &it->second});
        it->second.addresses.push_back(address);
        return usable(it->second, run);
    }

    // A pass over more folders than it may hold lets one go to open the
    // next. It meets folders in the order of its sizes, so none is likelier
    // to be wanted soon than another: the one let go is whichever comes
    // next in the table's order. (Letting all go at once opened each folder
    // again and again once a tree had a few more folders than the limit.)
    void letOneFolderGo() {
        const std::size_t buckets = m_folders.bucket_count();
        std::size_t bucket = m_nextToLetGo % buckets;
        while (m_folders.bucket_size(bucket) == 0)
            bucket = (bucket + 1) % buckets;
        m_nextToLetGo = bucket + 1;
        const auto gone = m_folders.find(m_folders.begin(bucket)->first);
        for (const QChar* address : gone->second.addresses)
            m_byAddress.erase(address);
        m_folders.erase(gone);
    }

    // Closes the files opened ahead and the folders held; false when none
    // were held.
    bool letGo() {
        const bool held = !m_ahead.empty() || !m_folders.empty();
        m_ahead.clear();
        m_aheadBytes = 0;
        m_folders.clear();
        m_byAddress.clear();
        return held;
    }

    // A folder that another one has replaced under its name is not entered.
    static const Cached* usable(const Cached& cached, const RunFile& run) {
        if (!cached.folder.isOpen() ||
            (run.folderid != platform::FileIdentity() && cached.id != run.folderid))
            return nullptr;
        return &cached;
    }

    const ReadControl& m_control;
    std::unordered_map<QString, Cached> m_folders;
    struct Alias {
        QString text; // held, so that its address stays its own
        const Cached* folder = nullptr;
    };
    std::unordered_map<const QChar*, Alias> m_byAddress;
    std::size_t m_nextToLetGo = 0; // the bucket of m_folders looked at first
    mutable qint64 m_filesLeft;

    const PassSource* m_source = nullptr; // null: nothing is opened ahead
    PassKind m_kind = PassKind::None;
    bool m_readWhole = false; // the fuzzy pass reads small files whole
    bool m_cacheHeld = false; // the cache held entries when the pass began
    qint64 m_aheadLimit = 0;
    qint64 m_next = 0;    // the next entry to consider
    qint64 m_reached = 0; // the row the pass is at
    qint64 m_end = 0;     // and the end of the entries this opener works through
    std::deque<Ahead> m_ahead;
    qint64 m_aheadBytes = 0;
    // Files opened ahead are looked at once in probeEvery; one not in memory
    // has the next coldSpell files asked for without a look.
    static constexpr int probeEvery = 16;
    static constexpr int coldSpell = 256;
    int m_sinceProbe = probeEvery - 1;
    int m_coldLeft = 0;
};

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

// The small files of a run read whole, side by side in one buffer that a
// thread keeps from run to run.
class WholeFiles {
public:
    void prepare(std::size_t files, qint64 length) {
        m_length = length;
        m_bytes.resize(files * std::size_t(length));
        m_read.assign(files, false);
    }
    qint64 length() const { return m_length; }
    char* place(std::size_t i) { return m_bytes.data() + i * std::size_t(m_length); }
    void markRead(std::size_t i) { m_read[i] = true; }
    bool isRead(std::size_t i) const { return m_read[i]; }
    QByteArrayView file(std::size_t i) const {
        return {m_bytes.data() + i * std::size_t(m_length), m_length};
    }

private:
    qint64 m_length = 0;
    std::vector<char> m_bytes;
    std::vector<bool> m_read;
};

// The fuzzy samples of a whole file, as readFuzzySamples reads them.
void samplesOf(QByteArrayView content, QByteArray& samples) {
    FuzzySampler sampler(content.size());
    sampler.feed(0, content.constData(), content.size());
    samples = sampler.samples();
}

// The checksums an earlier run kept for the file, when every fact they were
// kept under still holds; seen then gets the facts they were found by. The
// facts the scan or the pass before saw are as good as a look now (and cost
// nothing); where they are not known, the name is looked at.
std::optional<CachedChecksums> cachedSums(const RunFile& run, SeenFile& seen,
                                          const ReadControl& control, PassFiles& opener) {
    if (!control.cache)
        return std::nullopt;
    // An earlier pass of this run asked already.
    if (run.before.cacheslot != SeenFile::kNotAsked) {
        if (run.before.cacheslot == SeenFile::kNothingKept)
            return std::nullopt;
        seen = run.before;
        seen.stated = true;
        return control.cache->recalled(run.before.cacheslot);
    }
    SeenFile facts = run.before;
    CacheKey key;
    if (facts.ctimens > 0 && facts.size >= 0 && run.id != platform::FileIdentity() &&
        facts.id == run.id && run.folderid != platform::FileIdentity() &&
        facts.folderid == run.folderid) {
        key = {facts.id.device,
               facts.id.inode,
               facts.size,
               facts.mtime,
               facts.mtimensec,
               facts.ctimens / 1'000'000'000,
               quint32(facts.ctimens % 1'000'000'000)};
        facts.stated = true;
    } else {
        platform::FileInfo info;
        if (!opener.stat(run, info, facts))
            return std::nullopt;
        key = CacheKey::of(info);
    }
    qint32 slot = SeenFile::kNothingKept;
    auto sums = control.cache->find(key, &slot);
    if (sums) {
        seen = facts;
        seen.cacheslot = slot;
    }
    return sums;
}

// Seconds a file's change time must lie before its read began for its
// checksums to be kept: a write in the same tick of a coarse file-system
// clock (two seconds on FAT) would not move the change time.
constexpr qint64 settledNanoseconds = 3'000'000'000;

// Now, as file times are given.
qint64 nowNanoseconds() {
    return QDateTime::currentMSecsSinceEpoch() * 1'000'000;
}

// Keeps the checksums of a file read whole from its start to its end (or
// only its fuzzy digest), unless it changed so recently that a later write
// might not show.
bool settledBefore(const platform::FileInfo& opened, qint64 readStart) {
    return platform::nanoseconds(opened.ctime, opened.ctimensec) < readStart - settledNanoseconds;
}

void keepSums(const ReadControl& control, const platform::FileInfo& opened,
              const CachedChecksums& sums, qint64 readStart) {
    if (control.cache && settledBefore(opened, readStart))
        control.cache->store(CacheKey::of(opened), sums);
}

// The fuzzy digest of a file the pass read, to be kept once the pass knows
// that no other file matched it (the CRC pass keeps whole checksums of the
// others).
struct FreshDigest {
    CacheKey key;
    quint64 digest = 0;
};

// wholes, when given, gets the whole content of small files, read in one go
// instead of the samples.
bool classifyFuzzy(const std::vector<RunFile>& files, std::vector<int>& classes,
                   std::vector<SeenFile>& seen, const ReadControl& control, RunProgress* status,
                   PassFiles& opener, WholeFiles* wholes,
                   std::vector<std::optional<FreshDigest>>& fresh) {
    ClassNumbers<QByteArray> numbers;
    QByteArray key;
    QByteArray samples;
    // With a cache, files are told apart by the digest of their samples, the
    // one form the cache holds them in.
    const qint64 readStart = nowNanoseconds();
    auto setKey = [&](qint64 length, quint64 digest) {
        key.resize(2 * sizeof(qint64));
        std::memcpy(key.data(), &length, sizeof(qint64));
        std::memcpy(key.data() + sizeof(qint64), &digest, sizeof(quint64));
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (control.stopRequested())
            return false;
        setGroupDone(status, qint64(i) + 1);
        // Kept checksums spare the read of a small file too: a later bytewise
        // pass then reads only files whose checksums agree.
        if (const auto sums = cachedSums(files[i], seen[i], control, opener);
            sums && sums->fuzzy != 0) {
            setKey(seen[i].size, sums->fuzzy);
            classes[i] = numbers.classOf(key);
            continue;
        }
        seen[i] = SeenFile();
        if (control.gentle && !control.pause(gentlePauseMs))
            return false;
        platform::InputFile file;
        if (!opener.open(files[i], file, seen[i]))
            continue;
        if (control.cache)
            seen[i].cacheslot = SeenFile::kNothingKept; // asked above
        const qint64 length = seen[i].size;
        const QString path = files[i].accessPath(control);
        bool sampled = false;
        // A file that is not the length of its run is not read whole.
        if (wholes && length == wholes->length()) {
            if (control.access().readAt(file, path, 0, wholes->place(i), length) == length) {
                samplesOf(wholes->file(i), samples);
                wholes->markRead(i);
                sampled = true;
            }
        }
        if (!sampled && !readFuzzySamples(file, path, length, samples, control))
            continue;
        if (control.cache) {
            const quint64 digest = fuzzyDigest(length, samples);
            setKey(length, digest);
            const platform::FileInfo& opened = file.openedInfo();
            if (settledBefore(opened, readStart))
                fresh[i] = FreshDigest{CacheKey::of(opened), digest};
        } else {
            key.resize(sizeof(qint64));
            std::memcpy(key.data(), &length, sizeof(qint64));
            key += samples;
        }
        classes[i] = numbers.classOf(key);
    }
    return true;
}

// The bytewise classes of files that the pass before read whole and
// labelled by their bytes: taken as they were read, without opening the
// files again (their names are checked afterwards like those of files read
// now).
void classifyLabelled(const std::vector<RunFile>& files, std::vector<int>& classes,
                      std::vector<SeenFile>& seen, const ReadControl& control,
                      RunProgress* status) {
    ClassNumbers<qint64> numbers;
    for (std::size_t i = 0; i < files.size(); ++i) {
        seen[i] = files[i].before;
        classes[i] = numbers.classOf(files[i].sameAs);
        control.countRead(files[i].before.size);
        setGroupDone(status, qint64(i) + 1);
    }
}

// The labels of files read whole: the row of the first file of the run with
// the same bytes. Only files that equal another file under the pass's test
// can equal one byte for byte. hashes gets the XXH3-128 of each file
// labelled, which the checksum cache keeps too.
void labelEqualFiles(const std::vector<RunFile>& files, const std::vector<int>& classes,
                     const std::vector<int>& members, const WholeFiles& wholes,
                     std::vector<qint64>& labels,
                     std::vector<std::optional<XXH128_hash_t>>& hashes) {
    labels.assign(files.size(), -1);
    hashes.assign(files.size(), std::nullopt);
    // The first file of each set of equal bytes, by a hash of the bytes;
    // files of one hash are told apart by their bytes.
    QMultiHash<quint64, std::size_t> firsts;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const int cls = classes[i];
        if (cls < 0 || members[std::size_t(cls)] < 2 || !wholes.isRead(i))
            continue;
        const QByteArrayView bytes = wholes.file(i);
        hashes[i] = XXH3_128bits(bytes.data(), std::size_t(bytes.size()));
        const quint64 hash = hashes[i]->low64;
        for (auto it = firsts.constFind(hash); it != firsts.constEnd() && it.key() == hash; ++it) {
            if (wholes.file(*it) == bytes) {
                labels[i] = files[*it].row;
                break;
            }
        }
        if (labels[i] < 0) {
            firsts.insert(hash, i);
            labels[i] = files[i].row;
        }
    }
}

// The checksums of a whole file read in one piece, as the cache keeps them.
CachedChecksums wholeSums(QByteArrayView content, quint64 fuzzy,
                          std::optional<XXH128_hash_t> known) {
    const XXH128_hash_t hash =
        known ? *known : XXH3_128bits(content.constData(), std::size_t(content.size()));
    CachedChecksums sums;
    sums.crc32 =
        crc32Update(0xFFFFFFFFu, content.constData(), std::size_t(content.size())) ^ 0xFFFFFFFFu;
    sums.hashlow = hash.low64;
    sums.hashhigh = hash.high64;
    sums.fuzzy = fuzzy;
    return sums;
}

// The key of the CRC pass: length, CRC-32 and XXH3-64 of the same read.
struct CrcKey {
    qint64 length = 0;
    quint32 crc = 0;
    quint64 check = 0;
    quint64 checkhigh = 0;
    friend bool operator==(const CrcKey&, const CrcKey&) = default;
};
size_t qHash(const CrcKey& key, size_t seed = 0) {
    return qHashMulti(seed, key.length, key.crc, key.check);
}

// Files longer than this are first told apart by their first bytes, in runs
// of at most crcHeadFiles (the first bytes are held until the file is read on).
constexpr qint64 crcHeadLength = 4096;
constexpr qint64 crcHeadFiles = 256;

// The CRC class of an open file read from its start to its end, its
// checksums kept for later runs; false when stopped.
bool classifyWhole(std::size_t i, platform::InputFile& file, QByteArrayView head,
                   const std::vector<RunFile>& files, std::vector<int>& classes,
                   const std::vector<SeenFile>& seen, const ReadControl& control,
                   ClassNumbers<CrcKey>& numbers, qint64 readStart) {
    FuzzySampler sampler(control.cache ? seen[i].size : 0);
    const FileCrc crc = readFileCrc(file, files[i].accessPath(control), control,
                                    control.cache ? &sampler : nullptr, head);
    if (crc.status == FileCrc::Stopped)
        return false;
    if (crc.status == FileCrc::Done && crc.bytes == seen[i].size) {
        classes[i] = numbers.classOf({seen[i].size, crc.crc, crc.check, crc.checkhigh});
        keepSums(
            control, file.openedInfo(),
            {crc.crc, crc.check, crc.checkhigh, fuzzyDigest(seen[i].size, sampler.samples()), true},
            readStart);
    }
    return true;
}

bool classifyCrc(const std::vector<RunFile>& files, std::vector<int>& classes,
                 std::vector<SeenFile>& seen, const ReadControl& control, RunProgress* status,
                 PassFiles& opener) {
    ClassNumbers<CrcKey> numbers;
    const qint64 readStart = nowNanoseconds();
    std::vector<std::size_t> unread; // files with no kept checksums
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (control.stopRequested())
            return false;
        if (const auto sums = cachedSums(files[i], seen[i], control, opener); sums && sums->whole) {
            classes[i] =
                numbers.classOf({seen[i].size, sums->crc32, sums->hashlow, sums->hashhigh});
            setGroupDone(status, qint64(i) + 1);
        } else {
            unread.push_back(i);
        }
    }
    // A file whose first bytes no other file of the run shares shares no
    // checksum with one either, and is not read on. Only when every file of
    // the run is read (one known by its kept checksums might share them
    // unseen) and all may be held open at once.
    const bool byHeads = unread.size() == files.size() && unread.size() >= 2 &&
                         qint64(unread.size()) <= qMin(crcHeadFiles, opener.fileWindow());
    std::vector<platform::InputFile> opened(byHeads ? files.size() : 1);
    std::vector<QByteArray> heads(byHeads ? files.size() : 0);
    QHash<QByteArray, int> sharing; // files with these first bytes
    const auto open = [&](std::size_t i, platform::InputFile& file) {
        seen[i] = SeenFile();
        if (control.gentle && !control.pause(gentlePauseMs))
            return false;
        if (opener.open(files[i], file, seen[i]) && control.cache)
            seen[i].cacheslot = SeenFile::kNothingKept; // no whole checksums kept
        return true;
    };
    if (byHeads) {
        for (std::size_t i : unread) {
            if (control.stopRequested() || !open(i, opened[i]))
                return false;
            if (!opened[i].isOpen() || seen[i].size <= crcHeadLength)
                continue;
            QByteArray head(crcHeadLength, Qt::Uninitialized);
            if (control.access().readAt(opened[i], files[i].accessPath(control), 0, head.data(),
                                        crcHeadLength) != crcHeadLength) {
                opened[i].close(); // unreadable: equal to nothing
                continue;
            }
            control.countRead(crcHeadLength);
            ++sharing[head];
            heads[i] = std::move(head);
        }
    }
    for (std::size_t i : unread) {
        if (control.stopRequested())
            return false;
        setGroupDone(status, qint64(i) + 1);
        platform::InputFile& file = opened[byHeads ? i : 0];
        if (!byHeads && !open(i, file))
            return false;
        if (!file.isOpen())
            continue;
        const QByteArrayView head = byHeads ? QByteArrayView(heads[i]) : QByteArrayView();
        if (!head.isEmpty() && sharing.value(heads[i]) < 2) {
            file.close();
            continue;
        }
        if (!classifyWhole(i, file, head, files, classes, seen, control, numbers, readStart))
            return false;
        file.close();
        if (byHeads)
            heads[i] = QByteArray();
    }
    return true;
}

// Splits the files of a run into classes of equal content, reading all
// files of a class side by side in blocks, each file opened once. A file
// stops being read as soon as no other file has matched it so far. A run
// longer than the window is first parted by a hash of each whole file (the
// files are then opened a second time, and must be unchanged); a class still
// longer than the window is compared with its first file in batches.
class ByteSplitter {
public:
    ByteSplitter(const std::vector<RunFile>& files, std::vector<int>& classes,
                 std::vector<SeenFile>& seen, const ReadControl& control, RunProgress* status,
                 PassFiles& opener, bool keepSums = true)
        : m_files(files), m_classes(classes), m_seen(seen), m_control(control), m_status(status),
          m_opener(opener), m_open(files.size()), m_opened(files.size(), false),
          m_keepSums(keepSums && control.cache), m_readStart(nowNanoseconds()) {}

    bool run();
    // The same when the files are already parted into groups that no file
    // of another group can equal.
    bool runParted(std::vector<std::vector<int>> groups);

private:
    // The checksums of the bytes the files of a work share, up to its
    // offset: taken once for all of them, and kept for each file of a class
    // that was read to its end.
    struct SharedSums {
        explicit SharedSums(qint64 length) : sampler(length) { XXH3_128bits_reset(state.get()); }
        SharedSums(const SharedSums& other) : crc(other.crc), sampler(other.sampler) {
            XXH3_copyState(state.get(), other.state.get());
        }
        void feed(qint64 offset, const char* data, qint64 count) {
            crc = crc32Update(crc, data, std::size_t(count));
            XXH3_128bits_update(state.get(), data, std::size_t(count));
            sampler.feed(offset, data, count);
        }
        quint32 crc = 0xFFFFFFFFu;
        std::unique_ptr<XXH3_state_t, decltype(&XXH3_freeState)> state{XXH3_createState(),
                                                                       &XXH3_freeState};
        FuzzySampler sampler;
    };

    struct Work {
        std::vector<int> files; // all of the same length, equal up to offset
        qint64 offset = 0;
        qint64 block = firstBlock;
        std::shared_ptr<const SharedSums> sums{}; // null: none are kept
    };

    qint64 length(int i) const { return m_seen[std::size_t(i)].size; }
    bool openSlot(int i);
    void closeSlot(int i);
    void settle(int i, int cls);
    bool splitAll(std::vector<int> files);
    bool split(Work& work, std::vector<Work>& stack);
    bool hashAll(std::vector<std::vector<int>>& groups);
    bool compareInBatches(std::vector<int> files);
    bool readBlock(int i, qint64 offset, char* target, qint64 block);
    void keepClassSums(const std::vector<int>& files, const SharedSums& sums);
    bool pauseIfGentle(qint64 bytes);

    const std::vector<RunFile>& m_files;
    std::vector<int>& m_classes;
    std::vector<SeenFile>& m_seen;
    const ReadControl& m_control;
    RunProgress* m_status;
    PassFiles& m_opener;
    // The open files (only those of the window are); a long run keeps no
    // more than a pointer and a flag for each of its other files.
    std::vector<std::unique_ptr<platform::InputFile>> m_open;
    std::vector<bool> m_opened; // opened once: its facts are in m_seen
    std::unique_ptr<char[]> m_buffer;
    qint64 m_bufferSize = 0;
    qint64 m_window = windowCap;
    bool m_keepSums; // the checksums of files read to their end go to the cache
    qint64 m_readStart;
    int m_nextClass = 0;
    qint64 m_settled = 0;
    qint64 m_gentleRead = 0;
};

bool ByteSplitter::openSlot(int i) {
    std::unique_ptr<platform::InputFile>& file = m_open[std::size_t(i)];
    if (file)
        return true;
    const RunFile& run = m_files[std::size_t(i)];
    SeenFile& seen = m_seen[std::size_t(i)];
    auto opened = std::make_unique<platform::InputFile>();
    if (m_opened[std::size_t(i)]) {
        if (!m_opener.reopen(run, *opened, seen))
            return false;
    } else {
        m_opened[std::size_t(i)] = true;
        if (!m_opener.open(run, *opened, seen))
            return false;
        if (seen.size > largestBlock)
            opened->adviseSequential();
    }
    file = std::move(opened);
    return true;
}

void ByteSplitter::closeSlot(int i) {
    m_open[std::size_t(i)].reset();
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

bool ByteSplitter::readBlock(int i, qint64 offset, char* target, qint64 block) {
    if (!openSlot(i) || m_control.access().readAt(*m_open[std::size_t(i)],
                                                  m_files[std::size_t(i)].accessPath(m_control),
                                                  offset, target, block) != block)
        return false;
    m_control.countRead(block);
    return true;
}

bool ByteSplitter::run() {
    const qint64 count = qint64(m_files.size());
    m_window = qBound<qint64>(2, m_opener.fileWindow(), windowCap);
    if (count <= m_window) {
        std::vector<int> all(m_files.size());
        std::iota(all.begin(), all.end(), 0);
        return splitAll(std::move(all));
    }
    std::vector<std::vector<int>> groups;
    if (!hashAll(groups))
        return false;
    return runParted(std::move(groups));
}

bool ByteSplitter::runParted(std::vector<std::vector<int>> groups) {
    m_window = qBound<qint64>(2, m_opener.fileWindow(), windowCap);
    for (std::vector<int>& group : groups) {
        if (group.size() == 1) {
            settle(group.front(), -1);
        } else if (group.empty()) {
            continue;
        } else if (qint64(group.size()) <= m_window) {
            if (!splitAll(std::move(group)))
                return false;
        } else if (!compareInBatches(std::move(group))) {
            return false;
        }
    }
    return true;
}

// Opens the files (at most the window of them) to learn their lengths;
// files of one length form the first classes.
bool ByteSplitter::splitAll(std::vector<int> files) {
    QHash<qint64, std::vector<int>> byLength;
    std::vector<qint64> order; // lengths in order of first appearance
    for (int i : files) {
        if (m_control.stopRequested())
            return false;
        if (!openSlot(i)) {
            settle(i, -1);
            continue;
        }
        auto& same = byLength[length(i)];
        if (same.empty())
            order.push_back(length(i));
        same.push_back(i);
    }
    std::vector<Work> stack;
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        std::vector<int>& same = byLength[*it];
        if (same.size() < 2) {
            settle(same.front(), -1);
        } else if (*it == 0) {
            const int cls = m_nextClass++;
            for (int i : same)
                settle(i, cls);
        } else {
            std::shared_ptr<const SharedSums> sums;
            if (m_keepSums)
                sums = std::make_shared<const SharedSums>(*it);
            stack.push_back({std::move(same), 0, firstBlock, std::move(sums)});
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

// Reads each file whole for a 128-bit hash and closes it again: equal files
// have equal hashes, so the groups of one hash can be compared apart.
bool ByteSplitter::hashAll(std::vector<std::vector<int>>& groups) {
    struct Key {
        qint64 length;
        XXH128_hash_t hash;
        bool operator==(const Key& other) const {
            return length == other.length && XXH128_isEqual(hash, other.hash);
        }
    };
    struct KeyHash {
        size_t operator()(const Key& key) const { return size_t(key.hash.low64); }
    };
    std::unordered_map<Key, std::size_t, KeyHash> groupOf;
    std::unique_ptr<XXH3_state_t, decltype(&XXH3_freeState)> state(XXH3_createState(),
                                                                   &XXH3_freeState);
    const qint64 block = largestBlock;
    const auto buffer = std::make_unique<char[]>(std::size_t(block));
    if (!state)
        return false;
    for (int i = 0; i < int(m_files.size()); ++i) {
        if (m_control.stopRequested())
            return false;
        bool ok = openSlot(i);
        XXH3_128bits_reset(state.get());
        for (qint64 offset = 0; ok && offset < length(i); offset += block) {
            const qint64 wanted = qMin(block, length(i) - offset);
            ok = readBlock(i, offset, buffer.get(), wanted);
            if (ok)
                XXH3_128bits_update(state.get(), buffer.get(), std::size_t(wanted));
            if (!pauseIfGentle(wanted))
                return false;
        }
        if (!ok) {
            settle(i, -1);
            continue;
        }
        closeSlot(i);
        const Key key{length(i), XXH3_128bits_digest(state.get())};
        const auto [it, added] = groupOf.try_emplace(key, groups.size());
        if (added)
            groups.emplace_back();
        groups[it->second].push_back(i);
    }
    for (std::vector<int>& group : groups) {
        if (group.size() < 2) {
            settle(group.front(), -1);
            group.clear();
        }
    }
    return true;
}

// A class longer than the window: its first file against the others, a
// window of them at a time; the files that differ from it are compared the
// same way afterwards.
bool ByteSplitter::compareInBatches(std::vector<int> files) {
    const qint64 block = largestBlock;
    const auto first = std::make_unique<char[]>(std::size_t(block));
    const auto other = std::make_unique<char[]>(std::size_t(block));
    while (files.size() >= 2) {
        const int head = files.front();
        const int cls = m_nextClass++;
        bool headFailed = !openSlot(head);
        std::vector<int> rest;
        const std::size_t batchSize = std::size_t(qMax<qint64>(1, m_window - 1));
        for (std::size_t from = 1; from < files.size(); from += batchSize) {
            const std::size_t to = qMin(files.size(), from + batchSize);
            if (headFailed) {
                rest.insert(rest.end(), files.begin() + qsizetype(from), files.end());
                break;
            }
            std::vector<int> alive;
            for (std::size_t k = from; k < to; ++k) {
                if (m_control.stopRequested())
                    return false;
                if (openSlot(files[k]))
                    alive.push_back(files[k]);
                else
                    settle(files[k], -1);
            }
            const qint64 size = length(head);
            for (qint64 offset = 0; offset < size && !alive.empty(); offset += block) {
                const qint64 wanted = qMin(block, size - offset);
                if (!readBlock(head, offset, first.get(), wanted)) {
                    headFailed = true;
                    break;
                }
                std::vector<int> still;
                for (int i : alive) {
                    if (m_control.stopRequested())
                        return false;
                    if (!readBlock(i, offset, other.get(), wanted)) {
                        settle(i, -1);
                    } else if (std::memcmp(first.get(), other.get(), std::size_t(wanted)) != 0) {
                        closeSlot(i);
                        rest.push_back(i);
                    } else {
                        still.push_back(i);
                    }
                    if (!pauseIfGentle(wanted))
                        return false;
                }
                alive = std::move(still);
            }
            if (headFailed) {
                for (int i : alive) {
                    closeSlot(i);
                    rest.push_back(i);
                }
                rest.insert(rest.end(), files.begin() + qsizetype(to), files.end());
                break;
            }
            for (int i : alive)
                settle(i, cls);
        }
        settle(head, headFailed ? -1 : cls);
        std::sort(rest.begin(), rest.end());
        files = std::move(rest);
    }
    for (int i : files)
        settle(i, -1);
    return true;
}

bool ByteSplitter::split(Work& work, std::vector<Work>& stack) {
    const qint64 length = this->length(work.files.front());
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
        if (!readBlock(i, work.offset, target, block)) {
            settle(i, -1);
            continue;
        }
        if (!pauseIfGentle(block))
            return false;
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
    for (std::size_t p = parts.size(); p-- > 0;) {
        std::vector<int>& part = parts[p];
        if (part.size() < 2) {
            settle(part.front(), -1);
            continue;
        }
        std::shared_ptr<SharedSums> sums;
        if (work.sums) {
            sums = std::make_shared<SharedSums>(*work.sums);
            sums->feed(work.offset, blockOf(partFirst[p]), block);
        }
        if (next >= length) {
            if (sums)
                keepClassSums(part, *sums);
            const int cls = m_nextClass++;
            for (int i : part)
                settle(i, cls);
        } else {
            stack.push_back({std::move(part), next, grown, std::move(sums)});
        }
    }
    return true;
}

void ByteSplitter::keepClassSums(const std::vector<int>& files, const SharedSums& sums) {
    const XXH128_hash_t hash = XXH3_128bits_digest(sums.state.get());
    const CachedChecksums kept{sums.crc ^ 0xFFFFFFFFu, hash.low64, hash.high64,
                               fuzzyDigest(length(files.front()), sums.sampler.samples()), true};
    for (int i : files) {
        if (const auto& file = m_open[std::size_t(i)])
            keepSums(m_control, file->openedInfo(), kept, m_readStart);
    }
}

// Which of count rows repeat the path of an earlier row. Rows of one path
// show one file, so the rows are put together by the file they showed,
// which needs no path, and only rows of one file compare their paths: a few
// one with another, the many hard links of one file by a hash of the path.
// Rows whose file is not known go together by the hash of the path.
template <typename IdOf, typename HashOf, typename Same>
std::vector<bool> repeatedPaths(std::size_t count, IdOf idOf, HashOf hashOf, Same same) {
    struct Place {
        quint64 a = 0;
        quint64 b = 0;
        std::size_t k = 0;
        auto operator<=>(const Place&) const = default;
    };
    std::vector<bool> repeated(count, false);
    if (count < 2)
        return repeated;
    std::vector<Place> places;
    places.reserve(count);
    for (std::size_t k = 0; k < count; ++k) {
        const platform::FileIdentity id = idOf(k);
        places.push_back(id != platform::FileIdentity() ? Place{id.device, id.inode, k}
                                                        : Place{~quint64(0), hashOf(k), k});
    }
    std::sort(places.begin(), places.end());
    // Within [first, end) of one key, the rows in their order: an earlier
    // row of the path stays.
    const auto compareGroup = [&](auto first, auto end) {
        for (auto x = first + 1; x < end; ++x) {
            for (auto y = first; y < x; ++y) {
                if (!repeated[y->k] && same(y->k, x->k)) {
                    repeated[x->k] = true;
                    break;
                }
            }
        }
    };
    // Calls visit for each stretch of [first, last) whose places share a key.
    const auto eachGroup = [](auto first, auto last, auto sameKey, auto visit) {
        while (first != last) {
            const auto end =
                std::find_if(first, last, [&](const Place& p) { return !sameKey(p, *first); });
            visit(first, end);
            first = end;
        }
    };
    constexpr std::ptrdiff_t fewLinks = 16;
    eachGroup(
        places.begin(), places.end(),
        [](const Place& x, const Place& y) { return x.a == y.a && x.b == y.b; },
        [&](auto first, auto end) {
            if (end - first <= fewLinks || first->a == ~quint64(0)) {
                compareGroup(first, end);
                return;
            }
            for (auto it = first; it != end; ++it)
                it->b = hashOf(it->k);
            std::sort(first, end); // one identity: by path hash, then in order
            eachGroup(
                first, end, [](const Place& x, const Place& y) { return x.b == y.b; },
                compareGroup);
        });
    return repeated;
}

// Appends the kept files of a size run (entries first..first + m - 1 of
// the source): the files of every class of two or more, each class together
// in list order with the sub-group start on its first file, the classes in
// the order of their first files. Comparing each file with the later files
// of its run until the first match keeps the same files with the same
// sub-group starts, but in the order the matches are found, which can put a
// file after the start of another class: the grouping would then show it
// among files it does not equal. A path already kept from this run is not
// added again. status, when given, is shown the last pair matched.
void keepMatches(const std::vector<RunFile>& files, const std::vector<int>& classes,
                 const std::vector<SeenFile>& seen, qint64 first, std::vector<KeptRow>& kept,
                 RunProgress* status, const std::vector<qint64>* labels) {
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
    std::vector<std::vector<int>> classFiles{std::size_t(classCount)};
    for (int i = 0; i < int(files.size()); ++i) {
        const int cls = classes[std::size_t(i)];
        if (cls < 0 || members[std::size_t(cls)] < 2)
            continue;
        if (classFiles[std::size_t(cls)].empty())
            classOrder.push_back(cls);
        classFiles[std::size_t(cls)].push_back(i);
    }
    std::vector<int> order; // the files to keep, in the order they are kept
    for (int cls : classOrder)
        order.insert(order.end(), classFiles[std::size_t(cls)].begin(),
                     classFiles[std::size_t(cls)].end());
    const auto fileOf = [&](std::size_t k) -> const RunFile& {
        return files[std::size_t(order[k])];
    };
    const std::vector<bool> repeated = repeatedPaths(
        order.size(), [&](std::size_t k) { return seen[std::size_t(order[k])].id; },
        [&](std::size_t k) { return fileOf(k).source->pathHash(fileOf(k).row); },
        [&](std::size_t a, std::size_t b) {
            return fileOf(a).source->samePath(fileOf(a).row, fileOf(b).row);
        });
    std::size_t place = 0;
    for (int cls : classOrder) {
        bool head = true;
        for (int i : classFiles[std::size_t(cls)]) {
            if (repeated[place++])
                continue;
            kept.push_back(
                {first + i, head, seen[std::size_t(i)], labels ? (*labels)[std::size_t(i)] : -1});
            head = false;
        }
    }
    if (status) {
        // The last pair the pairwise comparison would have matched: the last
        // file that has a later file of its class, and that file.
        for (int i = int(files.size()) - 1; i >= 0; --i) {
            const int cls = classes[std::size_t(i)];
            if (cls < 0 || classFiles[std::size_t(cls)].empty() ||
                classFiles[std::size_t(cls)].back() == i)
                continue;
            const auto& list = classFiles[std::size_t(cls)];
            const int j = *std::upper_bound(list.begin(), list.end(), i);
            status->comparefile1.set(files[std::size_t(j)].path());
            status->comparefile2.set(files[std::size_t(i)].path());
            break;
        }
    }
}

// A path kept from two runs stays only where it was kept first. (The lists
// the program builds never hold a path twice, so this rarely removes
// anything; it only keeps the result exact for lists that do.)
void dropRepeatedPaths(const PassSource& source, std::vector<KeptRow>& kept) {
    const std::vector<bool> drop = repeatedPaths(
        kept.size(), [&](std::size_t k) { return kept[k].seen.id; },
        [&](std::size_t k) { return source.pathHash(kept[k].index); },
        [&](std::size_t a, std::size_t b) {
            return source.samePath(kept[a].index, kept[b].index);
        });
    if (std::find(drop.begin(), drop.end(), true) == drop.end())
        return;
    std::size_t out = 0;
    for (std::size_t k = 0; k < kept.size(); ++k) {
        if (!drop[k])
            kept[out++] = kept[k];
    }
    kept.resize(out);
}

// The files of a run parted by the checksums an earlier run kept, when it
// kept them for every file: files with different checksums differ, so only
// files of one part need their bytes compared (the bytes still decide).
std::optional<std::vector<std::vector<int>>>
cachedGroups(const std::vector<RunFile>& files, const ReadControl& control, PassFiles& opener) {
    if (!control.cache)
        return std::nullopt;
    std::vector<std::vector<int>> groups;
    QHash<CrcKey, std::size_t> groupOf;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (control.stopRequested())
            return std::nullopt;
        SeenFile facts;
        const auto sums = cachedSums(files[i], facts, control, opener);
        if (!sums || !sums->whole)
            return std::nullopt;
        const CrcKey key{facts.size, sums->crc32, sums->hashlow, sums->hashhigh};
        auto it = groupOf.constFind(key);
        if (it == groupOf.constEnd()) {
            it = groupOf.insert(key, groups.size());
            groups.emplace_back();
        }
        groups[*it].push_back(int(i));
    }
    return groups;
}

// The info line of the comparison: the files and bytes of every run reached
// so far, so that it agrees with the "Files compared" counter.
QString runText(qint64 files, qint64 bytes) {
    const double megabytes = roundHalfEven(double(bytes) / 1000000.0, 2);
    return QString::number(files) + u" files compared. "_s + generalNumberText(megabytes) +
           u" MB total."_s;
}

// The classes of a run, the files reached through opener (which keeps the
// folders of the pass open).
bool classify(PassKind kind, const std::vector<RunFile>& files, std::vector<int>& classes,
              std::vector<SeenFile>& seen, const ReadControl& control, RunProgress* status,
              PassFiles& opener, WholeFiles* wholes = nullptr,
              std::vector<qint64>* labels = nullptr) {
    classes.assign(files.size(), -1);
    seen.assign(files.size(), SeenFile());
    if (status)
        status->groupmax.store(qint64(files.size()), std::memory_order_relaxed);
    setGroupDone(status, 0);
    bool done = false;
    std::vector<std::optional<FreshDigest>> fresh;
    switch (kind) {
    case PassKind::Fuzzy:
        fresh.assign(files.size(), std::nullopt);
        done = classifyFuzzy(files, classes, seen, control, status, opener, wholes, fresh);
        break;
    case PassKind::Crc:
        done = classifyCrc(files, classes, seen, control, status, opener);
        break;
    case PassKind::Bytewise:
        if (std::all_of(files.begin(), files.end(),
                        [](const RunFile& f) { return f.sameAs >= 0; })) {
            classifyLabelled(files, classes, seen, control, status);
            done = !control.stopRequested();
        } else if (auto groups = cachedGroups(files, control, opener)) {
            // Their checksums are kept already.
            done = ByteSplitter(files, classes, seen, control, status, opener, false)
                       .runParted(std::move(*groups));
        } else {
            done = ByteSplitter(files, classes, seen, control, status, opener).run();
        }
        break;
    case PassKind::None:
        return !control.stopRequested();
    }
    if (!done)
        return false;
    // After the last reads: a file whose name no longer shows it as it was
    // opened changed meanwhile and is equal to nothing. Files equal to
    // nothing anyway need no check, nor files read whole for labels: the
    // bytewise pass that takes the labels checks them after it, against the
    // facts seen here.
    std::vector<int> members;
    for (int cls : classes) {
        if (cls >= 0) {
            if (std::size_t(cls) >= members.size())
                members.resize(std::size_t(cls) + 1, 0);
            ++members[std::size_t(cls)];
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        const int cls = classes[i];
        const bool labelled = wholes && labels && wholes->isRead(i);
        if (cls >= 0 && members[std::size_t(cls)] >= 2 && !seen[i].stated && !labelled &&
            !opener.unchanged(files[i], seen[i]))
            classes[i] = -1;
    }
    std::vector<std::optional<XXH128_hash_t>> hashes;
    if (wholes && labels)
        labelEqualFiles(files, classes, members, *wholes, *labels, hashes);
    // The digests of files the fuzzy samples already set apart, and the
    // checksums of files read whole that another may equal: a later run
    // need not read them again.
    for (std::size_t i = 0; i < fresh.size(); ++i) {
        const int cls = classes[i];
        if (!fresh[i] || cls < 0)
            continue;
        if (members[std::size_t(cls)] == 1) {
            CachedChecksums sums;
            sums.fuzzy = fresh[i]->digest;
            sums.whole = false;
            control.cache->store(fresh[i]->key, sums);
        } else if (wholes && wholes->isRead(i)) {
            control.cache->store(fresh[i]->key,
                                 wholeSums(wholes->file(i), fresh[i]->digest,
                                           i < hashes.size() ? hashes[i] : std::nullopt));
        }
    }
    return true;
}

// A stretch of entries that one thread of a pass works through: whole runs.
struct Stretch {
    qint64 begin = 0;
    qint64 end = 0;
};

// The work of a run, for cutting the entries into stretches: an open for
// each file, and the bytes of the whole files the pass reads.
double runWork(PassKind kind, qint64 files, qint64 size) {
    constexpr double openWork = 16 * 1024; // an open costs about as much as a read of 16 kB
    return double(files) * (openWork + (kind == PassKind::Fuzzy ? 0.0 : double(size)));
}

// The end of the run of equal sizes that begins at pos, at most limit.
qint64 runEnd(const PassSource& source, qint64 pos, qint64 limit) {
    const qint64 size = source.size(pos);
    qint64 end = pos + 1;
    while (end < limit && source.size(end) == size)
        ++end;
    return end;
}

// The entries cut at run boundaries into about pieces stretches of equal work.
std::vector<Stretch> cutStretches(const PassSource& source, PassKind kind, int pieces) {
    const qint64 count = source.count();
    std::vector<std::pair<qint64, double>> runs; // end and work of each run of two or more
    double total = 0;
    for (qint64 pos = 0; pos < count;) {
        const qint64 end = runEnd(source, pos, count);
        if (end - pos >= 2) {
            runs.push_back({end, runWork(kind, end - pos, source.size(pos))});
            total += runs.back().second;
        }
        pos = end;
    }
    std::vector<Stretch> stretches;
    const double share = total / double(qMax(1, pieces));
    double work = 0;
    qint64 begin = 0;
    for (const auto& [end, runwork] : runs) {
        work += runwork;
        if (work >= share && end < count) {
            stretches.push_back({begin, end});
            begin = end;
            work = 0;
        }
    }
    stretches.push_back({begin, count});
    return stretches;
}

// The threads a pass runs on: one per core up to four, unless asked
// otherwise, and fewer when the files that may be open would not go round.
int passThreads(PassKind kind, const ReadControl& control, qint64 budget) {
    if (kind == PassKind::None || control.gentle)
        return 1;
    constexpr int mostThreads = 4;
    constexpr qint64 leastBudget = 256; // files each thread may hold open
    const int wanted = control.threads > 0
                           ? control.threads
                           : qBound(1, int(std::thread::hardware_concurrency()), mostThreads);
    return int(qBound<qint64>(1, budget / leastBudget, qint64(wanted)));
}

// One pass: its entries in stretches that its threads take in turn, each
// thread with files of its own open, and the kept rows of the stretches put
// together in list order, as one thread going through them all would have
// kept them.
class PassRun {
public:
    PassRun(PassKind kind, const PassSource& source, const ReadControl& control,
            const PassProgress& progress, bool labelEqual)
        : m_kind(kind), m_source(source), m_control(control), m_progress(progress),
          m_readWhole(kind == PassKind::Fuzzy && labelEqual) {}

    bool runAll(std::vector<KeptRow>& kept) {
        const qint64 budget = qMax<qint64>(0, m_control.access().openFileBudget());
        const int threads = passThreads(m_kind, m_control, budget);
        // Several stretches for each thread, so that one slow stretch does
        // not leave the others idle for long.
        const std::vector<Stretch> stretches = threads > 1
                                                   ? cutStretches(m_source, m_kind, threads * 8)
                                                   : std::vector<Stretch>{{0, m_source.count()}};
        std::vector<std::vector<KeptRow>> keptOf(stretches.size());
        std::atomic<std::size_t> next{0};
        std::atomic<bool> stopped{false};
        auto work = [&](int number) {
            Worker worker(*this, number, budget / threads);
            for (std::size_t k; (k = next.fetch_add(1)) < stretches.size();) {
                // Room for all, so that the rows are never moved as the list
                // grows; what is not used is never touched.
                keptOf[k].reserve(std::size_t(stretches[k].end - stretches[k].begin));
                if (!worker.runStretch(stretches[k], keptOf[k])) {
                    stopped = true;
                    return;
                }
            }
        };
        std::vector<std::thread> helpers;
        for (int number = 1; number < threads && number < int(stretches.size()); ++number)
            helpers.emplace_back(work, number);
        work(0);
        for (std::thread& helper : helpers)
            helper.join();
        if (stopped || m_control.stopRequested())
            return false;
        std::size_t total = 0;
        for (const auto& part : keptOf)
            total += part.size();
        kept.reserve(total);
        for (auto& part : keptOf)
            std::move(part.begin(), part.end(), std::back_inserter(kept));
        return true;
    }

private:
    // A thread of the pass, with its own open files and buffers.
    class Worker {
    public:
        Worker(PassRun& run, int number, qint64 budget)
            : m_run(run), m_number(number), m_opener(run.m_control, budget) {
            m_opener.openAhead(run.m_source, run.m_kind, run.m_readWhole);
        }

        bool runStretch(const Stretch& stretch, std::vector<KeptRow>& kept) {
            const PassSource& source = m_run.m_source;
            m_opener.moveTo(stretch.begin, stretch.end);
            for (qint64 pos = stretch.begin; pos < stretch.end;) {
                const qint64 end = runEnd(source, pos, stretch.end);
                if (!passRun(pos, end, source.size(pos), kept))
                    return false;
                pos = end;
            }
            return true;
        }

    private:
        // The run of entries pos to end, all of the given size.
        bool passRun(qint64 pos, qint64 end, qint64 size, std::vector<KeptRow>& kept) {
            const PassSource& source = m_run.m_source;
            const ReadControl& control = m_run.m_control;
            RunProgress* status = m_run.m_progress.status;
            const qint64 runFiles = end - pos;
            if (control.stopRequested())
                return false;
            // Runs that take a while always show themselves; the many small
            // ones only every few milliseconds.
            const bool shown = m_run.showProgress(
                runFiles, size, runFiles > 1000 || double(size) * double(runFiles) >= 10e6);
            if (runFiles >= 2 && m_run.m_kind != PassKind::None) {
                m_opener.reach(pos);
                m_files.clear();
                for (qint64 k = pos; k < end; ++k) {
                    m_files.push_back({&source, k, source.fileId(k), source.folderId(k),
                                       source.sameAs(k), source.seenBefore(k)});
                }
                // The files of a run of small files are read whole and labelled.
                const bool whole = m_run.m_readWhole && size <= wholeLength &&
                                   double(size) * double(runFiles) <= double(wholeRunBytes);
                if (whole)
                    m_wholes.prepare(std::size_t(runFiles), size);
                auto* wholes = whole ? &m_wholes : nullptr;
                auto* labels = whole ? &m_labels : nullptr;
                // The group counters show the run of one thread at a time.
                int none = -1;
                const bool shows =
                    status && (m_run.m_groupShower.compare_exchange_strong(none, m_number) ||
                               none == m_number);
                const bool done = classify(m_run.m_kind, m_files, m_classes, m_seen, control,
                                           shows ? status : nullptr, m_opener, wholes, labels);
                if (shows)
                    m_run.m_groupShower.store(-1);
                if (!done)
                    return false;
                // The pair compared last shows with the texts, as often as
                // they are refreshed: building its paths for every run cost
                // a pass over files whose checksums were kept a tenth of
                // its time.
                keepMatches(m_files, m_classes, m_seen, pos, kept, shown ? status : nullptr,
                            labels);
            }
            m_run.m_rowsDone.fetch_add(runFiles, std::memory_order_relaxed);
            if (status) {
                status->filescompared.fetch_add(runFiles, std::memory_order_relaxed);
                status->bytescompared.fetch_add(size * runFiles, std::memory_order_relaxed);
            }
            return true;
        }

        PassRun& m_run;
        int m_number;
        PassFiles m_opener;
        WholeFiles m_wholes;
        std::vector<qint64> m_labels;
        std::vector<RunFile> m_files;
        std::vector<int> m_classes;
        std::vector<SeenFile> m_seen;
    };

    // Texts are refreshed at most this often; the window shows them on its
    // own timer anyway. True when they were.
    bool showProgress(qint64 runFiles, qint64 size, bool force) {
        RunProgress* status = m_progress.status;
        if (!status)
            return false;
        const qint64 done = m_rowsDone.load(std::memory_order_relaxed);
        status->progressdone.store(done, std::memory_order_relaxed);
        constexpr quint32 textInterval = 20;
        const quint32 now = platform::tickCount();
        quint32 last = m_lastText.load(std::memory_order_relaxed);
        if (!force && now - last < textInterval)
            return false;
        if (!m_lastText.compare_exchange_strong(last, now, std::memory_order_relaxed) && !force)
            return false; // another thread refreshed them just now
        status->curfolder.set(runText(status->filescompared.load() + runFiles,
                                      status->bytescompared.load() + size * runFiles));
        const qint64 lastRow = m_source.count() - 1;
        if (lastRow > 0 && m_kind != PassKind::None) {
            const double share = roundHalfEven(double(done) / double(lastRow), 2) * 100.0;
            status->label5.set(u"Step %1/%2 [%3%] - %4"_s.arg(m_progress.curstep)
                                   .arg(m_progress.totalsteps)
                                   .arg(generalNumberText(share), passName(m_kind)));
        }
        return true;
    }

    PassKind m_kind;
    const PassSource& m_source;
    const ReadControl& m_control;
    const PassProgress& m_progress;
    bool m_readWhole; // the fuzzy pass reads small files whole and labels them
    std::atomic<qint64> m_rowsDone{0};
    std::atomic<quint32> m_lastText{platform::tickCount() - 20};
    std::atomic<int> m_groupShower{-1}; // the thread whose run the group counters show
};

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

QString PassSource::folder(qint64 k) const {
    return folderOf(path(k));
}

QString PassSource::name(qint64 k) const {
    return nameOf(path(k));
}

size_t PassSource::pathHash(qint64 k) const {
    return qHash(path(k));
}

bool PassSource::samePath(qint64 a, qint64 b) const {
    return path(a) == path(b);
}

bool runPass(PassKind kind, const PassSource& source, std::vector<KeptRow>& kept,
             const ReadControl& control, const PassProgress& progress, bool labelEqual) {
    kept.clear();
    PassRun run(kind, source, control, progress, labelEqual);
    if (RunProgress* status = progress.status) {
        status->progressmax.store(source.count(), std::memory_order_relaxed);
        status->progressdone.store(0, std::memory_order_relaxed);
        status->progressvisible.store(true, std::memory_order_relaxed);
    }
    if (!run.runAll(kept))
        return false;
    dropRepeatedPaths(source, kept);
    return true;
}

} // namespace quillfen

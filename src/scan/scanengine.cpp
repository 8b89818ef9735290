#include "scan/scanengine.h"

#include "platform/filename.h"
#include "platform/folder.h"
#include "platform/limits.h"
#include "platform/patternmatch.h"
#include "platform/platform.h"
#include "scan/scanoptions.h"
#include "scan/sorting.h"

#include <QSet>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <numeric>
#include <optional>
#include <thread>
#include <tuple>

namespace quillfen {

using namespace Qt::StringLiterals;

QString addbackslash(const QString& path) {
    return path.endsWith(u'/') ? path : path + u'/';
}

QString trimnul(const QString& text) {
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

bool matchpattern(QStringView name, const QString& pattern) {
    return platform::matchSpec(name, pattern);
}

namespace {

// A recorded file without its size (the size travels in its own array for
// the sort). The folder text is shared by every file of a folder.
struct CandidateFile {
    QString name;
    quint32 folder = 0; // index into CandidateStore::folders
    quint32 mtimensec = 0;
    qint64 mtime = 0; // from the same query as the size
    quint64 inode = 0;
    quint64 device = 0;
    qint64 ctimens = 0;
};

// Ranges of candpaths recorded from one listing of a folder.
using RecordedRanges = std::vector<std::pair<std::size_t, std::size_t>>;

struct CandidateStore {
    std::vector<QString> folders;
    std::vector<platform::FileIdentity> folderids; // parallel to folders
    std::vector<qint64> candsizes;
    std::vector<CandidateFile> candpaths;

    // "Already recorded" goes by file identity, so that a hard link, a bind
    // mount, a second path entry or a second pattern records a file once.
    // During the walk, cheaply: a file with one name lives in one folder, so
    // it was recorded before only by an earlier listing of the same folder
    // (same identity, even through a bind mount): those are looked up in the
    // folder's earlier ranges, and only files with several names go into a
    // scan-wide set. A hash set of every file costs a tenth of the walk. The
    // one case this misses, a file bound onto another name (one link, two
    // folders), is caught after the sort: see markRows.
    QHash<platform::FileIdentity, RecordedRanges> listedfolders;
    QSet<platform::FileIdentity> linkedfiles;
};

class Walk {
public:
    Walk(RunProgress& progress, const ScanInput& input, CandidateStore& store)
        : m_progress(progress), m_input(input), m_store(store) {}
    ~Walk() { joinLookers(); }
    Walk(const Walk&) = delete;
    Walk& operator=(const Walk&) = delete;

    bool stopped() const { return m_progress.stopflag.load(std::memory_order_relaxed); }

    // One walk of a path entry's tree with one pattern.
    // skips: the skip folders in force for this entry.
    void run(const QString& root, const QString& pattern, const EntryOptions& options,
             const QStringList& skips) {
        m_matcher = platform::PatternMatcher(pattern);
        m_options = &options;
        m_skips = &skips;
        // The user's own root may lie behind links; below it nothing does.
        enter(root);
        platform::Folder folder(root);
        if (!folder.isOpen()) {
            m_progress.filesunreadable.fetch_add(1, std::memory_order_relaxed);
            return;
        }
        walktree(root, std::move(folder));
        finishWalk();
    }

private:
    // Whether the walk may enter the subfolders of folder: not when folder
    // lies in or equals a skip folder (its own files are still examined).
    bool mayDescendFrom(const QString& folder) const {
        if (!m_options->subdirs)
            return false;
        for (const QString& skip : *m_skips) {
            if (folder.startsWith(skip))
                return false;
        }
        return true;
    }

    void countEvent(const QString& folder) {
        if (++m_refresh >= 20) {
            m_refresh = 0;
            m_progress.curfolder.set(folder);
        }
    }

    void enter(const QString& folder) {
        if (m_input.enteringfolder)
            m_input.enteringfolder(folder);
    }

    // A file of a listed folder, waiting for its facts.
    struct ListedFile {
        QString name;
        quint32 folder = 0;   // its folder in its batch
        qsizetype rawAt = 0;  // its name as the system spells it, in the batch's raw names
        bool skipped = false; // its extension is skipped: its facts are not needed
        bool known = false;   // info holds its facts
        platform::FileInfo info;
    };

    // A listed folder whose files wait to be looked up and recorded.
    struct ListedFolder {
        QString folder;
        platform::Folder handle; // a descriptor of its own, for the lookups
        platform::FileInfo self;
        std::size_t firstFile = 0; // its files in its batch
        std::size_t endFile = 0;
    };

    // Listed folders and their files, waiting to be looked up and recorded.
    struct Batch {
        std::vector<ListedFolder> listed;
        std::vector<ListedFile> files;
        QByteArray rawNames; // the files' names as the system spells them, each ending in NUL
        std::size_t toLookUp = 0;
        void clear() {
            listed.clear();
            files.clear();
            rawNames.clear();
            toLookUp = 0;
        }
    };

    // A batch is handed on once this many files wait for a lookup or this
    // many folders are held open for them.
    static constexpr std::size_t batchFiles = 8192;
    static constexpr std::size_t batchFolders = 256;
    // Fewer lookups are not worth a second thread.
    static constexpr std::size_t parallelLookUps = 1024;
    static constexpr int mostLookUpThreads = 4;
    static constexpr std::size_t lookUpShare = 256;

    // A folder of the branch being walked: its open descriptor and the
    // subfolders its listing found, walked in turn from the next one.
    struct Level {
        QString folder;
        platform::Folder handle;
        std::vector<QByteArray> subfolders;
        std::size_t next = 0;
    };

    // Walks the tree below an open folder, depth first. Every subfolder is
    // opened from its parent's descriptor without following a link: a
    // folder swapped for a link meanwhile is not entered, and the depth is
    // bounded neither by the length of a path nor by the stack. Only the
    // descriptors of the current branch stay open.
    void walktree(const QString& root, platform::Folder&& handle) {
        std::vector<Level> branch;
        branch.push_back({root, std::move(handle), {}, 0});
        listfolder(branch.back());
        while (!branch.empty()) {
            if (stopped())
                return;
            Level& level = branch.back();
            if (level.next == level.subfolders.size()) {
                branch.pop_back();
                continue;
            }
            const QByteArray& name = level.subfolders[level.next++];
            QString path = level.folder + platform::decodeFileName(name) + u'/';
            enter(path);
            platform::Folder subfolder(level.handle, name.constData());
            if (!subfolder.isOpen() && platform::outOfDescriptors(subfolder.error())) {
                releaseDescriptors();
                subfolder = platform::Folder(level.handle, name.constData());
            }
            if (!subfolder.isOpen()) {
                // Replaced by a link or a file since the listing: not a folder to walk.
                if (subfolder.error() != ELOOP && subfolder.error() != ENOTDIR)
                    m_progress.filesunreadable.fetch_add(1, std::memory_order_relaxed);
                continue;
            }
            Level child{std::move(path), std::move(subfolder), {}, 0};
            listfolder(child);
            branch.push_back(std::move(child));
        }
    }

    // Lists one open folder: notes its files for the batch and the
    // subfolders to walk.
    void listfolder(Level& level) {
        if (stopped())
            return;
        const QString& folder = level.folder;
        std::optional<platform::DirectoryListing> opened(std::in_place, level.handle);
        if (!opened->isOpen() && platform::outOfDescriptors(opened->error())) {
            releaseDescriptors();
            opened.emplace(level.handle);
        }
        platform::DirectoryListing& listing = *opened;
        if (!listing.isOpen()) {
            m_progress.filesunreadable.fetch_add(1, std::memory_order_relaxed);
            return;
        }
        const bool descend = mayDescendFrom(folder);
        Batch& batch = m_batch;
        ListedFolder listed{folder, {}, listing.folderInfo(), batch.files.size(), 0};
        while (listing.next()) {
            if (stopped())
                return;
            countEvent(folder);
            platform::FileType type = listing.quickType();
            platform::FileInfo info;
            if (type == platform::FileType::Unknown) {
                info = listing.info();
                type = info.type;
                if (!info.exists()) {
                    m_progress.filesunreadable.fetch_add(1, std::memory_order_relaxed);
                    continue;
                }
            }
            if (type == platform::FileType::Folder) {
                // Hidden folders are never entered.
                if (descend && listing.rawName()[0] != '.')
                    level.subfolders.emplace_back(listing.rawName());
                continue;
            }
            // Symbolic links are never followed nor recorded; FIFOs,
            // sockets and devices are not files to compare.
            if (type != platform::FileType::Regular)
                continue;
            QString name = listing.name();
            if (!m_matcher.matches(name))
                continue;
            ListedFile file;
            file.skipped = extensionSkipped(name);
            file.name = std::move(name);
            file.folder = quint32(batch.listed.size());
            file.rawAt = batch.rawNames.size();
            file.known = info.exists();
            file.info = info;
            batch.rawNames.append(listing.rawName(), qsizetype(std::strlen(listing.rawName())) + 1);
            if (!file.skipped && !file.known)
                ++batch.toLookUp;
            batch.files.push_back(std::move(file));
        }
        if (listing.error() != 0)
            m_progress.filesunreadable.fetch_add(1, std::memory_order_relaxed);
        listed.endFile = batch.files.size();
        if (listed.endFile == listed.firstFile)
            return;
        listed.handle = level.handle.duplicate();
        if (!listed.handle.isOpen()) {
            // No descriptor to spare: this folder's files are looked up now.
            for (std::size_t k = listed.firstFile; k < listed.endFile; ++k)
                lookUp(batch, batch.files[k], level.handle);
        }
        batch.listed.push_back(std::move(listed));
        if (batch.toLookUp >= batchFiles || batch.listed.size() >= batchFolders)
            handOn();
    }

    // The batches hold a descriptor for each of their folders until their
    // files are looked up, as many as the limit allows; another thread (the
    // checksum cache opening beside the walk) may then take the last one.
    // A folder that cannot be opened for want of descriptors is opened again
    // once the batches are finished, instead of being passed over.
    void releaseDescriptors() {
        handOn();
        finishLooking();
    }

    // Looks up the facts of a listed file whose facts are needed.
    static void lookUp(const Batch& batch, ListedFile& file, const platform::Folder& folder) {
        if (file.skipped || file.known)
            return;
        file.info = folder.entryInfo(batch.rawNames.constData() + file.rawAt);
        file.known = true;
    }

    // The lookups are most of the walk (a system call for each file), so
    // the batch listed so far is looked up on other threads, on all cores,
    // while the walk lists on, and the batch looked up before it is
    // recorded meanwhile. Batches are recorded in the order they were
    // listed, so files are recorded as if each had been recorded at once.
    void handOn() {
        joinLookers();
        Batch looked = std::move(m_looking);
        m_looking = std::move(m_batch);
        m_batch = Batch();
        if (stopped()) {
            m_looking.clear();
            return;
        }
        const std::size_t count = m_looking.files.size();
        const int threads =
            m_looking.toLookUp < parallelLookUps
                ? 1
                : qBound(1, int(std::thread::hardware_concurrency()), mostLookUpThreads);
        // The threads take the files a few hundred at a time, so that none
        // waits idle for another that drew slower folders.
        m_nextLookUp = 0;
        for (int part = 0; part < threads; ++part) {
            m_lookers.emplace_back([this, count] {
                for (;;) {
                    const std::size_t begin = m_nextLookUp.fetch_add(lookUpShare);
                    if (begin >= count || stopped())
                        return;
                    for (std::size_t k = begin; k < std::min(count, begin + lookUpShare); ++k) {
                        ListedFile& file = m_looking.files[k];
                        lookUp(m_looking, file, m_looking.listed[file.folder].handle);
                    }
                }
            });
        }
        recordBatch(looked);
        looked.clear();
        m_batch = std::move(looked); // its room serves the next listing
    }

    // Records what is left at the end of a walk. Nothing is listed any more,
    // so a small last batch is looked up here rather than on a thread started
    // for it (a path table of many small folders would start one per entry).
    void finishWalk() {
        if (m_batch.toLookUp >= parallelLookUps) {
            handOn();
        } else {
            finishLooking();
            for (ListedFile& file : m_batch.files) {
                if (stopped())
                    break;
                lookUp(m_batch, file, m_batch.listed[file.folder].handle);
            }
            std::swap(m_looking, m_batch);
        }
        finishLooking();
    }

    // Waits for the lookups of the batch handed on and records it.
    void finishLooking() {
        joinLookers();
        recordBatch(m_looking);
        m_looking.clear();
    }

    void joinLookers() {
        for (std::thread& looker : m_lookers)
            looker.join();
        m_lookers.clear();
    }

    void recordBatch(Batch& batch) {
        for (const ListedFolder& listed : batch.listed) {
            if (stopped())
                break;
            recordFolder(batch, listed);
        }
    }

    // Records the files of one listed folder that pass the filters.
    void recordFolder(Batch& batch, const ListedFolder& listed) {
        qint64 folderIndex = -1;
        const platform::FileInfo& self = listed.self;
        m_folderKnown = self.exists();
        m_folderId = self.id;
        m_recordedHere.clear();
        if (m_folderKnown) {
            const auto earlier = m_store.listedfolders.constFind(self.id);
            if (earlier != m_store.listedfolders.cend()) {
                for (const auto& [begin, end] : *earlier) {
                    for (std::size_t k = begin; k < end; ++k)
                        m_recordedHere.insert(m_store.candpaths[k].inode);
                }
            }
        }
        const std::size_t firstRecorded = m_store.candpaths.size();
        for (std::size_t k = listed.firstFile; k < listed.endFile; ++k)
            filterfile(listed.folder, folderIndex, batch.files[k]);
        if (m_folderKnown && m_store.candpaths.size() > firstRecorded)
            m_store.listedfolders[self.id].emplace_back(firstRecorded, m_store.candpaths.size());
    }

    bool extensionSkipped(const QString& name) const {
        const qsizetype dot = name.lastIndexOf(u'.');
        if (dot < 0)
            return false;
        const QStringView extension = QStringView(name).mid(dot + 1);
        for (const QString& skip : m_input.skipexts) {
            if (extension.compare(skip, Qt::CaseInsensitive) == 0)
                return true;
        }
        return false;
    }

    void filterfile(const QString& folder, qint64& folderIndex, ListedFile& file) {
        const EntryOptions& options = *m_options;
        const platform::FileInfo& info = file.info;
        bool skip = file.skipped;
        if (!skip) {
            if (!info.exists()) {
                // Counted as found (or skipped under a lower limit) like any
                // file, and as unreadable; never a candidate, since files of
                // no known size would all stand as copies of each other.
                m_progress.filesunreadable.fetch_add(1, std::memory_order_relaxed);
                (options.minsizeon ? m_progress.filesskipped : m_progress.filesfound)
                    .fetch_add(1, std::memory_order_relaxed);
                return;
            }
            if (!info.isRegular()) // replaced since it was listed
                return;
            const qint64 size = info.size;
            if (options.minsizeon && size < options.minsize.bytes())
                skip = true;
            if (options.maxsizeon && size >= options.maxsize.bytes())
                skip = true;
            if (options.ignorezero && size == 0)
                skip = true;
            if (!options.attributesAllowed(info.attributes))
                skip = true;
        }
        if (!skip) {
            // Only files that pass the filters count as recorded, so a file
            // one path entry filters out can still be found by another.
            skip = m_recordedHere.contains(info.id.inode);
            if (!skip && (info.links > 1 || !m_folderKnown)) {
                const qsizetype before = m_store.linkedfiles.size();
                m_store.linkedfiles.insert(info.id);
                skip = m_store.linkedfiles.size() == before;
            }
        }
        if (skip) {
            m_progress.filesskipped.fetch_add(1, std::memory_order_relaxed);
            return;
        }
        if (folderIndex < 0) {
            folderIndex = qint64(m_store.folders.size());
            m_store.folders.push_back(folder);
            m_store.folderids.push_back(m_folderId);
        }
        m_store.candsizes.push_back(info.size);
        m_store.candpaths.push_back({std::move(file.name), quint32(folderIndex), info.mtimensec,
                                     info.mtime, info.id.inode, info.id.device,
                                     platform::nanoseconds(info.ctime, info.ctimensec)});
        m_progress.filesfound.fetch_add(1, std::memory_order_relaxed);
    }

    RunProgress& m_progress;
    const ScanInput& m_input;
    CandidateStore& m_store;
    platform::PatternMatcher m_matcher{QString()};
    const EntryOptions* m_options = nullptr;
    int m_refresh = 0;
    // The folder being listed: whether its identity is known, and the files
    // earlier listings of it recorded.
    bool m_folderKnown = false;
    platform::FileIdentity m_folderId;
    QSet<quint64> m_recordedHere;
    const QStringList* m_skips = nullptr;
    Batch m_batch;                             // being listed
    Batch m_looking;                           // being looked up by m_lookers
    std::vector<std::thread> m_lookers;        // joined before m_looking is touched
    std::atomic<std::size_t> m_nextLookUp = 0; // the next file of m_looking to look up
};

// The walking phase over the whole path table; false when stopped.
bool walkPathTable(const ScanInput& input, RunProgress& progress, CandidateStore& store) {
    Walk walk(progress, input, store);
    for (const PathEntry& entry : input.pathtable) {
        const QString folder = entry.folder();
        const EntryOptions& options = entry.options;
        // A skip folder that holds the entry's own folder does not apply to
        // it: the user chose to scan in there.
        const QStringList skips = skipfoldersfor(input.skipfolders, addbackslash(folder));
        for (const QString& pattern : splitpatterns(entry.patterntext())) {
            if (walk.stopped())
                return false;
            walk.run(addbackslash(folder), pattern, options, skips);
        }
    }
    return !walk.stopped();
}

// Marks in row the candidates that become result entries: those whose size
// another candidate shares, counting every file once. Two names of one file
// have its size, so they meet in its run of equal sizes (the files are
// sorted by size); of those the name recorded first stays (folders are
// numbered in the order their first file was recorded). Returns the number
// of second names found, which the walk counted as found files.
qint64 markRows(const std::vector<qint64>& sizes, const std::vector<CandidateFile>& files,
                std::vector<bool>& row, std::size_t& rows) {
    const std::size_t n = sizes.size();
    row.assign(n, false);
    rows = 0;
    qint64 secondnames = 0;
    std::vector<std::uint32_t> order;
    for (std::size_t begin = 0; begin < n;) {
        std::size_t end = begin + 1;
        while (end < n && sizes[end] == sizes[begin])
            ++end;
        if (end - begin >= 2) {
            order.resize(end - begin);
            std::iota(order.begin(), order.end(), std::uint32_t(begin));
            std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
                const CandidateFile& x = files[a];
                const CandidateFile& y = files[b];
                return std::tie(x.device, x.inode, x.folder) <
                       std::tie(y.device, y.inode, y.folder);
            });
            std::size_t distinct = 0;
            for (std::size_t i = 0; i < order.size(); ++i) {
                const CandidateFile& file = files[order[i]];
                const bool second = i > 0 && files[order[i - 1]].inode == file.inode &&
                                    files[order[i - 1]].device == file.device;
                if (!second) {
                    row[order[i]] = true;
                    ++distinct;
                }
            }
            secondnames += qint64(order.size() - distinct);
            if (distinct < 2) {
                for (const std::uint32_t k : order)
                    row[k] = false;
            } else {
                rows += distinct;
            }
        }
        begin = end;
    }
    return secondnames;
}

} // namespace

ScanResult scanfiles(const ScanInput& input, RunProgress& progress) {
    ScanResult result;
    CandidateStore store;
    if (!walkPathTable(input, progress, store)) {
        result.stopped = true;
        return result;
    }
    store.listedfolders = {};
    store.linkedfiles = {};

    std::vector<qint64>& sizes = store.candsizes;
    std::vector<CandidateFile>& files = store.candpaths;
    quicksortsizes(sizes, files);
    if (progress.stopflag.load(std::memory_order_relaxed)) {
        result.stopped = true;
        return result;
    }

    // Keep the candidates whose size another file shares.
    const std::size_t n = sizes.size();
    std::vector<bool> row;
    std::size_t kept = 0;
    const qint64 secondnames = markRows(sizes, files, row, kept);
    progress.filesfound.fetch_sub(secondnames);
    progress.filesskipped.fetch_add(secondnames);
    result.candcount = qint64(n) - secondnames;

    // Fill largest first. The names move into the entries, the folder texts
    // are shared, and the date comes from the walk's query.
    ResultList& list = result.list;
    list.reserve(kept);
    progress.progressmax.store(n > 0 ? qint64(n) - 1 : 0);
    progress.progressdone.store(0);
    std::size_t visited = 0;
    for (std::size_t k = n; k-- > 0;) {
        if ((++visited & 0x1FF) == 0) {
            progress.progressdone.store(qint64(visited), std::memory_order_relaxed);
            if (progress.stopflag.load(std::memory_order_relaxed)) {
                result.list = {};
                result.stopped = true;
                return result;
            }
        }
        if (!row[k])
            continue;
        CandidateFile& file = files[k];
        ResultEntry entry;
        entry.filename = std::move(file.name);
        entry.path = store.folders[file.folder];
        entry.size = sizes[k];
        entry.mtime = file.mtime;
        entry.mtimensec = file.mtimensec;
        entry.ctimens = file.ctimens;
        entry.id = {file.device, file.inode};
        entry.folderid = store.folderids[file.folder];
        entry.dateform = DateForm::Scan;
        list.push_back(std::move(entry));
    }
    progress.progressdone.store(progress.progressmax.load());
    return result;
}

} // namespace quillfen

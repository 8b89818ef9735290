#pragma once

// Checksums of files read whole by earlier runs, kept in an SQLite database
// under $XDG_CACHE_HOME/quillfen/ so that a scan of unchanged files reads
// almost nothing again. An entry is used only when the file's device, inode,
// size, modification time and change time (both to the nanosecond) are all
// those it was stored under; the change time moves with every write and no
// user can set it back. A damaged database is thrown away and started anew,
// never trusted. The passes of a comparison may ask and store from several
// threads at once.

#include "platform/platform.h"

#include <QSet>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace quillfen {

struct CacheKey {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 mtime = 0;
    quint32 mtimensec = 0;
    qint64 ctime = 0;
    quint32 ctimensec = 0;

    static CacheKey of(const platform::FileInfo& info);
    friend bool operator==(const CacheKey&, const CacheKey&) = default;
};

struct CachedChecksums {
    quint32 crc32 = 0;
    quint64 hashlow = 0; // the second checksum (XXH3), low and high 64 bits
    quint64 hashhigh = 0;
    quint64 fuzzy = 0; // digest of the fuzzy samples; 0: not known
    // The checksums above are known: the file was read whole. False for a
    // file of which only the fuzzy samples were read.
    bool whole = true;
    friend bool operator==(const CachedChecksums&, const CachedChecksums&) = default;
};

class ChecksumCache {
public:
    static QString defaultPath();                      // $XDG_CACHE_HOME/quillfen/checksums.sqlite
    static constexpr qint64 kDefaultLimit = 4'000'000; // entries (about 80 bytes each)
    // An entry's use is recorded again only when its record is older than
    // this, so that runs over unchanged files write almost nothing.
    static constexpr qint64 kDefaultUseGrain = 3600; // seconds

    explicit ChecksumCache(const QString& path = defaultPath(), qint64 limit = kDefaultLimit,
                           qint64 useGrain = kDefaultUseGrain);
    ~ChecksumCache(); // stores what is pending
    ChecksumCache(const ChecksumCache&) = delete;
    ChecksumCache& operator=(const ChecksumCache&) = delete;

    // False when the database could not be opened or made: the cache then
    // finds nothing and stores nothing.
    bool isOpen() const { return m_db != nullptr; }
    // Whether any entry was found when the database was opened, or stored since.
    bool holdsEntries() const;
    // slot, when given, gets a slot for recalled() when an entry is found.
    std::optional<CachedChecksums> find(const CacheKey& key, qint32* slot = nullptr);
    // Reads every entry into memory when there are at most a few times as
    // many as the lookups expected, so that find() answers without asking
    // SQLite file by file.
    void preload(qint64 expectedLookups);
    // Entries are written in batches, on a thread of their own while the
    // passes go on; flush() writes what is left and removes the entries used
    // longest ago while the cache is over its limit.
    void store(const CacheKey& key, const CachedChecksums& sums);
    // Hands what was stored so far to the writer thread, so that it is
    // written while the caller goes on.
    void writeStored();
    void flush();

    // What find() gave for a file, for the later passes of the run so that
    // they need not ask again.
    CachedChecksums recalled(qint32 slot) const;

    // Removes the database (Settings, "Clear"); true when none is left.
    static bool clear(const QString& path = defaultPath());

private:
    bool openDatabase(const QByteArray& file);
    void closeDatabase();
    bool execute(const char* sql);
    void joinBatch(); // statements run in batches of one transaction
    struct Fresh {
        CacheKey key;
        CachedChecksums sums;
    };
    void writeEntries(std::vector<Fresh>& entries);
    struct Place { // of an entry in the order it is written in
        quint64 device = 0;
        quint64 inode = 0;
        std::size_t index = 0;
    };
    void writeQueued();                                  // the writer thread
    void queueFresh(std::unique_lock<std::mutex>& lock); // unlocks
    void commit(); // ends the batch and removes what is over the limit
    // Writes the entries of one row (one device, neighbouring inodes) over
    // what it held.
    void writeBucket(const std::vector<Fresh>& entries, std::vector<Place>::const_iterator first,
                     std::vector<Place>::const_iterator end);
    bool countEntries();

    // m_mutex guards the entries waiting to be written, the writer's state
    // and m_found; m_dbMutex the database and its statements.
    mutable std::mutex m_mutex;
    std::mutex m_dbMutex;
    std::condition_variable m_wake; // for the writer: a batch waits, or the cache closes
    std::condition_variable m_idle; // for flush(): the writer wrote all it was given
    std::vector<std::vector<Fresh>> m_queue;
    bool m_writing = false;
    bool m_closing = false;
    std::thread m_writer;
    qint64 m_limit;
    qint64 m_useGrain;
    std::atomic<qint64> m_entries = 0; // at least the entries there are
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_find = nullptr;
    sqlite3_stmt* m_store = nullptr;
    sqlite3_stmt* m_touch = nullptr;
    qint64 m_pending = 0;
    // Entries stored but not yet handed to the writer; a run does not find
    // its own.
    std::vector<Fresh> m_fresh;
    std::vector<CachedChecksums> m_found;
    struct Entry {
        CacheKey key;
        CachedChecksums sums;
        qint64 used = 0;
    };
    std::vector<Entry> m_entriesRead; // used when m_preloaded, in search order
    bool m_preloaded = false;
    const Entry* preloaded(const CacheKey& key) const;
    std::optional<CachedChecksums> answer(const CacheKey& key, const CachedChecksums& sums,
                                          qint64 used);
    qint64 m_stamp = 0; // this run's use stamp
    // Rows whose use this run recorded already (device, row).
    QSet<std::pair<quint64, quint64>> m_touched;
};

// Opens the cache on a thread of its own and reads a small one into memory,
// so that this overlaps the scan; the comparison takes it when it begins.
using OpeningCache = std::shared_future<std::shared_ptr<ChecksumCache>>;
OpeningCache openChecksumCache(const QString& path = ChecksumCache::defaultPath());

} // namespace quillfen

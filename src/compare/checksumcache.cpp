#include "compare/checksumcache.h"

#include "platform/filename.h"
#include "platform/folders.h"

#include <QDateTime>
#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <sqlite3.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace quillfen {

using namespace Qt::StringLiterals;

namespace {

// Statements per transaction.
constexpr qint64 kBatch = 1 << 18;
// Entries kept in memory before they are handed to the writer (about 90
// bytes each). A run finds its files in the order of their sizes, all over
// the table: every batch rewrites most rows, so batches are large.
constexpr qint64 kFreshBatch = 1 << 18;
// Entries read into memory at most (about 100 bytes each).
constexpr qint64 kPreloadCap = 1 << 20;

// A row holds the entries of up to 32 neighbouring inode numbers of one
// device (files of one folder mostly have neighbouring numbers): SQLite
// spends a few microseconds on every row it writes or reads, so a row per
// file made keeping checksums cost a first run more than a fifth of its time.
constexpr int kBucketBits = 5;
constexpr qsizetype kMaxRecords = qsizetype(1) << kBucketBits;

const char* const kSchema = "DROP TABLE IF EXISTS checksums;" // one row per file, before
                            "CREATE TABLE IF NOT EXISTS buckets ("
                            " device INTEGER NOT NULL, bucket INTEGER NOT NULL,"
                            " used INTEGER NOT NULL, records BLOB NOT NULL,"
                            " UNIQUE (device, bucket));";

quint64 bucketOf(quint64 inode) {
    return inode >> kBucketBits;
}

// An entry in a row, 72 bytes, little-endian: inode, size, mtime, ctime (8
// bytes each), mtime and ctime nanoseconds, CRC-32, whole (4 bytes each),
// the two halves of the second checksum and the fuzzy digest (8 each).
constexpr qsizetype kRecordBytes = 72;

template <typename T> void put(char* at, T value) {
    qToLittleEndian(value, at);
}

template <typename T> T take(const char* at) {
    return qFromLittleEndian<T>(at);
}

void encodeRecord(const CacheKey& key, const CachedChecksums& sums, char* at) {
    put<quint64>(at, key.inode);
    put<qint64>(at + 8, key.size);
    put<qint64>(at + 16, key.mtime);
    put<qint64>(at + 24, key.ctime);
    put<quint32>(at + 32, key.mtimensec);
    put<quint32>(at + 36, key.ctimensec);
    put<quint32>(at + 40, sums.crc32);
    put<quint32>(at + 44, sums.whole ? 1 : 0);
    put<quint64>(at + 48, sums.hashlow);
    put<quint64>(at + 56, sums.hashhigh);
    put<quint64>(at + 64, sums.fuzzy);
}

void decodeRecord(const char* at, quint64 device, CacheKey& key, CachedChecksums& sums) {
    key = {device,
           take<quint64>(at),
           take<qint64>(at + 8),
           take<qint64>(at + 16),
           take<quint32>(at + 32),
           take<qint64>(at + 24),
           take<quint32>(at + 36)};
    sums = {take<quint32>(at + 40), take<quint64>(at + 48), take<quint64>(at + 56),
            take<quint64>(at + 64), take<quint32>(at + 44) != 0};
}

// The records of a row, or an empty view when the row is not one this
// program wrote for that bucket: such a row is never trusted.
QByteArrayView recordsOf(sqlite3_stmt* statement, int column, quint64 bucket) {
    const auto* data = static_cast<const char*>(sqlite3_column_blob(statement, column));
    const qsizetype bytes = sqlite3_column_bytes(statement, column);
    if (!data || bytes % kRecordBytes != 0 || bytes > kMaxRecords * kRecordBytes)
        return {};
    for (qsizetype at = 0; at < bytes; at += kRecordBytes) {
        if (bucketOf(take<quint64>(data + at)) != bucket)
            return {};
    }
    return {data, bytes};
}

// The order in which preloaded entries are searched: by size, then identity.
std::tuple<qint64, quint64, quint64> searchOrder(const CacheKey& key) {
    return {key.size, key.device, key.inode};
}

void bindBucket(sqlite3_stmt* statement, const CacheKey& key) {
    sqlite3_bind_int64(statement, 1, sqlite3_int64(key.device));
    sqlite3_bind_int64(statement, 2, sqlite3_int64(bucketOf(key.inode)));
}

} // namespace

CacheKey CacheKey::of(const platform::FileInfo& info) {
    return {info.id.device, info.id.inode, info.size,     info.mtime,
            info.mtimensec, info.ctime,    info.ctimensec};
}

QString ChecksumCache::defaultPath() {
    return platform::userFolder("XDG_CACHE_HOME", u".cache"_s) + u"quillfen/checksums.sqlite"_s;
}

ChecksumCache::ChecksumCache(const QString& path, qint64 limit, qint64 useGrain)
    : m_limit(limit), m_useGrain(useGrain), m_stamp(QDateTime::currentSecsSinceEpoch()) {
    const QByteArray file = platform::encodeFileName(path);
    platform::makeFolders(path.left(path.lastIndexOf(u'/')), 0700);
    // A database that cannot be read as ours is removed and made anew.
    if (!openDatabase(file)) {
        closeDatabase();
        ::unlink(file.constData());
        for (const char* companion : {"-journal", "-wal", "-shm"})
            ::unlink((file + companion).constData());
        if (!openDatabase(file))
            closeDatabase();
    }
}

ChecksumCache::~ChecksumCache() {
    {
        const std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_wake.notify_all();
    if (m_writer.joinable())
        m_writer.join(); // after writing what it was given
    flush();
    closeDatabase();
}

bool ChecksumCache::execute(const char* sql) {
    return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool ChecksumCache::openDatabase(const QByteArray& file) {
    if (sqlite3_open_v2(file.constData(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOFOLLOW,
                        nullptr) != SQLITE_OK)
        return false;
    ::chmod(file.constData(), 0600);
    sqlite3_busy_timeout(m_db, 2000);
    // quick_check reads every page: a torn or foreign file fails here, not later.
    sqlite3_stmt* check = nullptr;
    bool healthy =
        sqlite3_prepare_v2(m_db, "PRAGMA quick_check", -1, &check, nullptr) == SQLITE_OK &&
        sqlite3_step(check) == SQLITE_ROW &&
        qstrcmp(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok") == 0;
    sqlite3_finalize(check);
    // A write-ahead log commits without waiting for the disk and is never
    // left half-written by a crash.
    // Pages are read through a mapping (no system call per page) and a run's
    // changes stay in memory until they are written together. A new database
    // gets pages of 8 kB, which hold three full rows: a page of 4 kB held
    // one, and was nearly half empty.
    healthy = healthy &&
              execute("PRAGMA page_size=8192; PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;"
                      " PRAGMA mmap_size=268435456; PRAGMA cache_size=-16384;") &&
              execute(kSchema);
    healthy = healthy && countEntries();
    // The statements fail on a table of another layout.
    return healthy &&
           sqlite3_prepare_v2(m_db,
                              "SELECT records, used FROM buckets WHERE device = ?1 AND bucket = ?2",
                              -1, &m_find, nullptr) == SQLITE_OK &&
           sqlite3_prepare_v2(m_db,
                              "INSERT OR REPLACE INTO buckets (device, bucket, used, records)"
                              " VALUES (?1, ?2, ?3, ?4)",
                              -1, &m_store, nullptr) == SQLITE_OK &&
           sqlite3_prepare_v2(m_db,
                              "UPDATE buckets SET used = ?3 WHERE device = ?1 AND bucket = ?2", -1,
                              &m_touch, nullptr) == SQLITE_OK;
}

bool ChecksumCache::countEntries() {
    sqlite3_stmt* count = nullptr;
    const bool counted = sqlite3_prepare_v2(m_db, "SELECT total(length(records)) FROM buckets", -1,
                                            &count, nullptr) == SQLITE_OK &&
                         sqlite3_step(count) == SQLITE_ROW;
    if (counted)
        m_entries = qint64(sqlite3_column_double(count, 0)) / kRecordBytes;
    sqlite3_finalize(count);
    return counted;
}

void ChecksumCache::closeDatabase() {
    for (sqlite3_stmt** statement : {&m_find, &m_store, &m_touch}) {
        sqlite3_finalize(*statement);
        *statement = nullptr;
    }
    if (m_db)
        sqlite3_close(m_db);
    m_db = nullptr;
}

void ChecksumCache::joinBatch() {
    // Only the transaction ends here: writing the fresh entries would join
    // the batch again, before it was ended.
    if (m_pending >= kBatch)
        commit();
    if (m_pending++ == 0)
        execute("BEGIN");
}

void ChecksumCache::preload(qint64 expectedLookups) {
    const std::lock_guard lock(m_dbMutex);
    if (!m_db || m_preloaded || m_entries > 4 * expectedLookups || m_entries > kPreloadCap)
        return;
    sqlite3_stmt* all = nullptr;
    if (sqlite3_prepare_v2(m_db, "SELECT device, bucket, used, records FROM buckets", -1, &all,
                           nullptr) != SQLITE_OK)
        return;
    std::vector<Entry> entries;
    entries.reserve(std::size_t(m_entries));
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(all)) == SQLITE_ROW) {
        const auto device = quint64(sqlite3_column_int64(all, 0));
        const auto bucket = quint64(sqlite3_column_int64(all, 1));
        const qint64 used = sqlite3_column_int64(all, 2);
        const QByteArrayView records = recordsOf(all, 3, bucket);
        for (qsizetype at = 0; at < records.size(); at += kRecordBytes) {
            Entry& entry = entries.emplace_back();
            decodeRecord(records.data() + at, device, entry.key, entry.sums);
            entry.used = used;
        }
    }
    sqlite3_finalize(all);
    if (step != SQLITE_DONE)
        return; // asked one by one then
    // A comparison asks for its files in the order of their sizes. Searched
    // in that order, the entries it meets are those it met just before, in
    // the processor's caches; a hash table sent every lookup to memory.
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return searchOrder(a.key) < searchOrder(b.key);
    });
    m_entriesRead = std::move(entries);
    m_preloaded = true;
}

const ChecksumCache::Entry* ChecksumCache::preloaded(const CacheKey& key) const {
    const auto it = std::lower_bound(
        m_entriesRead.begin(), m_entriesRead.end(), searchOrder(key),
        [](const Entry& entry, const auto& order) { return searchOrder(entry.key) < order; });
    if (it == m_entriesRead.end() || searchOrder(it->key) != searchOrder(key))
        return nullptr;
    return &*it;
}

std::optional<CachedChecksums> ChecksumCache::answer(const CacheKey& key,
                                                     const CachedChecksums& sums, qint64 used) {
    if (used <= m_stamp - m_useGrain && !m_touched.contains({key.device, bucketOf(key.inode)})) {
        m_touched.insert({key.device, bucketOf(key.inode)});
        joinBatch();
        sqlite3_reset(m_touch);
        bindBucket(m_touch, key);
        sqlite3_bind_int64(m_touch, 3, m_stamp);
        sqlite3_step(m_touch);
    }
    return sums;
}

bool ChecksumCache::holdsEntries() const {
    const std::lock_guard lock(m_mutex);
    return m_entries > 0 || !m_fresh.empty() || !m_queue.empty() || m_writing;
}

std::optional<CachedChecksums> ChecksumCache::find(const CacheKey& key, qint32* slot) {
    // A preloaded cache is read without the lock: what preload() read stays
    // as it is until the cache goes.
    if (m_preloaded) {
        const Entry* entry = preloaded(key);
        if (!entry || entry->key != key)
            return std::nullopt;
        if (slot)
            *slot = qint32(entry - m_entriesRead.data());
        if (entry->used > m_stamp - m_useGrain)
            return entry->sums;
        const std::lock_guard lock(m_dbMutex);
        return answer(key, entry->sums, entry->used);
    }
    const std::lock_guard lock(m_dbMutex);
    if (!m_db)
        return std::nullopt;
    // Reads are batched too: a query of its own takes and drops the file
    // lock and looks for a journal every time.
    joinBatch();
    sqlite3_reset(m_find);
    bindBucket(m_find, key);
    if (sqlite3_step(m_find) != SQLITE_ROW)
        return std::nullopt;
    const QByteArrayView records = recordsOf(m_find, 0, bucketOf(key.inode));
    const qint64 used = sqlite3_column_int64(m_find, 1);
    std::optional<CachedChecksums> match;
    for (qsizetype at = 0; at < records.size() && !match; at += kRecordBytes) {
        CacheKey stored;
        CachedChecksums sums;
        decodeRecord(records.data() + at, key.device, stored, sums);
        if (stored == key)
            match = sums;
    }
    sqlite3_reset(m_find);
    if (!match)
        return std::nullopt;
    const CachedChecksums sums = *match;
    if (slot) {
        const std::lock_guard found(m_mutex);
        *slot = qint32(m_entriesRead.size() + m_found.size());
        m_found.push_back(sums);
    }
    return answer(key, sums, used);
}

void ChecksumCache::store(const CacheKey& key, const CachedChecksums& sums) {
    if (!m_db)
        return;
    std::unique_lock lock(m_mutex);
    m_fresh.push_back({key, sums});
    if (qint64(m_fresh.size()) < kFreshBatch)
        return;
    queueFresh(lock);
}

void ChecksumCache::writeStored() {
    if (!m_db)
        return;
    std::unique_lock lock(m_mutex);
    if (!m_fresh.empty())
        queueFresh(lock);
}

void ChecksumCache::queueFresh(std::unique_lock<std::mutex>& lock) {
    m_queue.push_back(std::move(m_fresh));
    m_fresh = {};
    if (!m_writer.joinable())
        m_writer = std::thread(&ChecksumCache::writeQueued, this);
    lock.unlock();
    m_wake.notify_one();
}

void ChecksumCache::writeQueued() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return !m_queue.empty() || m_closing; });
        if (m_queue.empty())
            return;
        std::vector<Fresh> batch = std::move(m_queue.front());
        m_queue.erase(m_queue.begin());
        m_writing = true;
        lock.unlock();
        {
            const std::lock_guard db(m_dbMutex);
            writeEntries(batch);
            commit();
        }
        lock.lock();
        m_writing = false;
        m_idle.notify_all();
    }
}

void ChecksumCache::writeEntries(std::vector<Fresh>& entries) {
    if (entries.empty())
        return;
    // In key order the entries of a row come together, and the rows land on
    // neighbouring pages. The entries stay where they are (sorting them moved
    // a hundred bytes at a time); their places are sorted, and of two entries
    // for one file the later one is written last.
    std::vector<Place> places;
    places.reserve(entries.size());
    for (std::size_t k = 0; k < entries.size(); ++k)
        places.push_back({entries[k].key.device, entries[k].key.inode, k});
    std::sort(places.begin(), places.end(), [](const Place& a, const Place& b) {
        return std::tie(a.device, a.inode, a.index) < std::tie(b.device, b.inode, b.index);
    });
    joinBatch();
    for (auto first = places.cbegin(); first != places.cend();) {
        const auto end = std::find_if(first, places.cend(), [&](const Place& place) {
            return place.device != first->device || bucketOf(place.inode) != bucketOf(first->inode);
        });
        writeBucket(entries, first, end);
        first = end;
    }
}

void ChecksumCache::writeBucket(const std::vector<Fresh>& entries,
                                std::vector<Place>::const_iterator first,
                                std::vector<Place>::const_iterator end) {
    const CacheKey& key = entries[first->index].key;
    QByteArray records;
    sqlite3_reset(m_find);
    bindBucket(m_find, key);
    if (sqlite3_step(m_find) == SQLITE_ROW)
        records = recordsOf(m_find, 0, bucketOf(key.inode)).toByteArray();
    sqlite3_reset(m_find);
    const qint64 before = records.size() / kRecordBytes;
    // A file's new entry takes the place of its old one.
    for (auto place = first; place != end; ++place) {
        const Fresh& fresh = entries[place->index];
        qsizetype at = 0;
        while (at < records.size() && take<quint64>(records.constData() + at) != fresh.key.inode)
            at += kRecordBytes;
        if (at == records.size())
            records.resize(at + kRecordBytes);
        encodeRecord(fresh.key, fresh.sums, records.data() + at);
    }
    sqlite3_reset(m_store);
    bindBucket(m_store, key);
    sqlite3_bind_int64(m_store, 3, m_stamp);
    sqlite3_bind_blob(m_store, 4, records.constData(), int(records.size()), SQLITE_STATIC);
    if (sqlite3_step(m_store) == SQLITE_DONE)
        m_entries += records.size() / kRecordBytes - before;
    sqlite3_reset(m_store);
}

CachedChecksums ChecksumCache::recalled(qint32 slot) const {
    // Slots below the preloaded entries' count are theirs, the rest m_found's.
    if (std::size_t(slot) < m_entriesRead.size())
        return m_entriesRead[std::size_t(slot)].sums;
    const std::lock_guard lock(m_mutex);
    return m_found[std::size_t(slot) - m_entriesRead.size()];
}

void ChecksumCache::flush() {
    std::vector<Fresh> rest;
    {
        std::unique_lock lock(m_mutex);
        rest = std::move(m_fresh);
        m_fresh = {};
        m_idle.wait(lock, [this] { return m_queue.empty() && !m_writing; });
    }
    const std::lock_guard db(m_dbMutex);
    if (!m_db)
        return;
    writeEntries(rest);
    commit();
}

void ChecksumCache::commit() {
    if (m_pending == 0)
        return;
    m_pending = 0;
    execute("COMMIT");
    if (m_entries <= m_limit || !countEntries() || m_entries <= m_limit)
        return;
    // The rows used longest ago go, down to nine tenths of the limit.
    sqlite3_stmt* oldest = nullptr;
    sqlite3_stmt* drop = nullptr;
    if (sqlite3_prepare_v2(m_db,
                           "SELECT device, bucket, length(records) FROM buckets ORDER BY used", -1,
                           &oldest, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(m_db, "DELETE FROM buckets WHERE device = ?1 AND bucket = ?2", -1, &drop,
                           nullptr) == SQLITE_OK) {
        std::vector<std::pair<sqlite3_int64, sqlite3_int64>> rows;
        qint64 left = m_entries;
        while (left > m_limit * 9 / 10 && sqlite3_step(oldest) == SQLITE_ROW) {
            rows.emplace_back(sqlite3_column_int64(oldest, 0), sqlite3_column_int64(oldest, 1));
            left -= sqlite3_column_int64(oldest, 2) / kRecordBytes;
        }
        sqlite3_reset(oldest);
        execute("BEGIN");
        for (const auto& [device, bucket] : rows) {
            sqlite3_reset(drop);
            sqlite3_bind_int64(drop, 1, device);
            sqlite3_bind_int64(drop, 2, bucket);
            sqlite3_step(drop);
        }
        if (execute("COMMIT"))
            m_entries = left;
    }
    sqlite3_finalize(oldest);
    sqlite3_finalize(drop);
}

bool ChecksumCache::clear(const QString& path) {
    const QByteArray file = platform::encodeFileName(path);
    for (const char* companion : {"-journal", "-wal", "-shm"})
        ::unlink((file + companion).constData());
    return ::unlink(file.constData()) == 0 || errno == ENOENT;
}

OpeningCache openChecksumCache(const QString& path) {
    return std::async(std::launch::async, [path] {
        auto cache = std::make_shared<ChecksumCache>(path);
        // Up to a quarter of a million entries (about 25 MB): a comparison
        // asks about most of them unless the cache holds other folders.
        cache->preload(1 << 16);
        return cache;
    });
}

} // namespace quillfen

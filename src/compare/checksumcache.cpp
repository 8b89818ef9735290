#include "compare/checksumcache.h"

#include "platform/filename.h"
#include "platform/folders.h"

#include <QDateTime>
#include <algorithm>
#include <cerrno>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillfen {

using namespace Qt::StringLiterals;

namespace {

// Statements per transaction: entries of neighbouring inodes share pages,
// so one run's entries are written once rather than batch after batch.
constexpr qint64 kBatch = 1 << 18;
// Entries kept in memory before they are handed to the writer (about 100
// bytes each): small batches, so that little is left to write at the end.
constexpr qint64 kFreshBatch = 1 << 13;
// Entries read into memory at most (about 100 bytes each).
constexpr qint64 kPreloadCap = 1 << 20;

const char* const kSchema = "CREATE TABLE IF NOT EXISTS checksums ("
                            " device INTEGER NOT NULL, inode INTEGER NOT NULL,"
                            " size INTEGER NOT NULL, mtime INTEGER NOT NULL,"
                            " mtimensec INTEGER NOT NULL, ctime INTEGER NOT NULL,"
                            " ctimensec INTEGER NOT NULL, crc32 INTEGER NOT NULL,"
                            " hashlow INTEGER NOT NULL, hashhigh INTEGER NOT NULL,"
                            " fuzzy INTEGER NOT NULL, whole INTEGER NOT NULL,"
                            " used INTEGER NOT NULL,"
                            " PRIMARY KEY (device, inode)) WITHOUT ROWID;"
                            // Pruning is rare; an index would cost every write.
                            "DROP INDEX IF EXISTS checksums_used;";

// The order of the table's key: device, then inode.
bool keyBefore(const CacheKey& a, const CacheKey& b) {
    return std::pair(a.device, a.inode) < std::pair(b.device, b.inode);
}

void bindKey(sqlite3_stmt* statement, const CacheKey& key) {
    sqlite3_bind_int64(statement, 1, sqlite3_int64(key.device));
    sqlite3_bind_int64(statement, 2, sqlite3_int64(key.inode));
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
    // changes stay in memory until they are written together.
    healthy = healthy &&
              execute("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;"
                      " PRAGMA mmap_size=268435456; PRAGMA cache_size=-16384;") &&
              execute(kSchema);
    sqlite3_stmt* count = nullptr;
    healthy = healthy &&
              sqlite3_prepare_v2(m_db, "SELECT count(*) FROM checksums", -1, &count, nullptr) ==
                  SQLITE_OK &&
              sqlite3_step(count) == SQLITE_ROW;
    if (healthy)
        m_entries = sqlite3_column_int64(count, 0);
    sqlite3_finalize(count);
    // The statements fail on a table of another layout (an older version's).
    return healthy &&
           sqlite3_prepare_v2(m_db,
                              "SELECT size, mtime, mtimensec, ctime, ctimensec, crc32, hashlow,"
                              " hashhigh, fuzzy, whole, used FROM checksums"
                              " WHERE device = ?1 AND inode = ?2",
                              -1, &m_find, nullptr) == SQLITE_OK &&
           sqlite3_prepare_v2(m_db,
                              "INSERT OR REPLACE INTO checksums VALUES"
                              " (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13)",
                              -1, &m_store, nullptr) == SQLITE_OK &&
           sqlite3_prepare_v2(m_db,
                              "UPDATE checksums SET used = ?3 WHERE device = ?1 AND inode = ?2", -1,
                              &m_touch, nullptr) == SQLITE_OK;
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
    if (sqlite3_prepare_v2(m_db,
                           "SELECT device, inode, size, mtime, mtimensec, ctime, ctimensec, crc32,"
                           " hashlow, hashhigh, fuzzy, whole, used FROM checksums",
                           -1, &all, nullptr) != SQLITE_OK)
        return;
    std::vector<Entry> entries;
    entries.reserve(std::size_t(m_entries));
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(all)) == SQLITE_ROW) {
        const auto column = [all](int k) { return sqlite3_column_int64(all, k); };
        entries.push_back({{quint64(column(0)), quint64(column(1)), column(2), column(3),
                            quint32(column(4)), column(5), quint32(column(6))},
                           {quint32(column(7)), quint64(column(8)), quint64(column(9)),
                            quint64(column(10)), column(11) != 0},
                           column(12)});
    }
    sqlite3_finalize(all);
    if (step != SQLITE_DONE)
        return; // asked one by one then
    // An open-addressed index by file identity, at most half full: a lookup
    // touches one or two places where a binary search touched twenty.
    std::size_t places = 16;
    while (places < 2 * entries.size())
        places *= 2;
    m_index.assign(places, 0);
    for (std::size_t k = 0; k < entries.size(); ++k) {
        std::size_t place = placeOf(entries[k].key);
        while (m_index[place] != 0)
            place = (place + 1) & (places - 1);
        m_index[place] = quint32(k + 1);
    }
    m_entriesRead = std::move(entries);
    m_preloaded = true;
}

std::size_t ChecksumCache::placeOf(const CacheKey& key) const {
    // The inode spreads well; the multiplication mixes in the device.
    const quint64 mixed =
        (key.inode ^ (key.device * 0x9E3779B97F4A7C15ULL)) * 0xBF58476D1CE4E5B9ULL;
    return std::size_t(mixed >> 32) & (m_index.size() - 1);
}

const ChecksumCache::Entry* ChecksumCache::preloaded(const CacheKey& key) const {
    for (std::size_t place = placeOf(key); m_index[place] != 0;
         place = (place + 1) & (m_index.size() - 1)) {
        const Entry& entry = m_entriesRead[m_index[place] - 1];
        if (entry.key.inode == key.inode && entry.key.device == key.device)
            return &entry;
    }
    return nullptr;
}

std::optional<CachedChecksums> ChecksumCache::answer(const CacheKey& key,
                                                     const CachedChecksums& sums, qint64 used) {
    if (used <= m_stamp - m_useGrain) {
        joinBatch();
        sqlite3_reset(m_touch);
        bindKey(m_touch, key);
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
    bindKey(m_find, key);
    if (sqlite3_step(m_find) != SQLITE_ROW)
        return std::nullopt;
    const CacheKey stored{key.device,
                          key.inode,
                          sqlite3_column_int64(m_find, 0),
                          sqlite3_column_int64(m_find, 1),
                          quint32(sqlite3_column_int64(m_find, 2)),
                          sqlite3_column_int64(m_find, 3),
                          quint32(sqlite3_column_int64(m_find, 4))};
    if (stored != key) {
        sqlite3_reset(m_find);
        return std::nullopt;
    }
    const CachedChecksums sums{
        quint32(sqlite3_column_int64(m_find, 5)), quint64(sqlite3_column_int64(m_find, 6)),
        quint64(sqlite3_column_int64(m_find, 7)), quint64(sqlite3_column_int64(m_find, 8)),
        sqlite3_column_int64(m_find, 9) != 0};
    const qint64 used = sqlite3_column_int64(m_find, 10);
    sqlite3_reset(m_find);
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
    // In key order the entries land on neighbouring pages instead of
    // splitting pages all over the table.
    std::sort(entries.begin(), entries.end(),
              [](const Fresh& a, const Fresh& b) { return keyBefore(a.key, b.key); });
    joinBatch();
    for (const auto& [key, sums] : entries)
        insert(key, sums);
    // Replaced entries count too: recounted when over the limit.
    m_entries += qint64(entries.size());
}

void ChecksumCache::insert(const CacheKey& key, const CachedChecksums& sums) {
    sqlite3_reset(m_store);
    bindKey(m_store, key);
    const sqlite3_int64 values[] = {key.size,
                                    key.mtime,
                                    key.mtimensec,
                                    key.ctime,
                                    key.ctimensec,
                                    sums.crc32,
                                    sqlite3_int64(sums.hashlow),
                                    sqlite3_int64(sums.hashhigh),
                                    sqlite3_int64(sums.fuzzy),
                                    sums.whole ? 1 : 0,
                                    m_stamp};
    for (int k = 0; k < 11; ++k)
        sqlite3_bind_int64(m_store, k + 3, values[k]);
    sqlite3_step(m_store);
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
    if (m_entries <= m_limit)
        return;
    sqlite3_stmt* count = nullptr;
    qint64 entries = 0;
    if (sqlite3_prepare_v2(m_db, "SELECT count(*) FROM checksums", -1, &count, nullptr) ==
            SQLITE_OK &&
        sqlite3_step(count) == SQLITE_ROW)
        entries = sqlite3_column_int64(count, 0);
    sqlite3_finalize(count);
    m_entries = entries;
    if (entries <= m_limit)
        return;
    // The entries used longest ago go, down to nine tenths of the limit.
    const QByteArray prune = "DELETE FROM checksums WHERE (device, inode) IN (SELECT device, inode"
                             " FROM checksums ORDER BY used LIMIT " +
                             QByteArray::number(entries - m_limit * 9 / 10) + ")";
    if (execute(prune.constData()))
        m_entries = m_limit * 9 / 10;
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

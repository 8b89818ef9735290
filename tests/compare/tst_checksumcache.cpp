#include "compare/checksumcache.h"
#include "temptree.h"

#include <QtTest>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>

using namespace quillfen;
using namespace Qt::StringLiterals;

namespace {

const CacheKey kKey{2049, 77, 5000, 1700000000, 123456789, 1700000100, 42};
const CachedChecksums kSums{0xCBF43926u, 0x0123456789ABCDEFull, 0xFEDCBA9876543210ull, 99};

} // namespace

class ChecksumCacheTest : public QObject {
    Q_OBJECT
private slots:
    void entriesOnlyForTheSameFile_data();
    void entriesOnlyForTheSameFile();
    void aRewriteWithItsDateSetBackIsAnotherFile();
    void damagedDatabasesAreStartedAnew_data();
    void damagedDatabasesAreStartedAnew();
    void theLimitDropsTheEntriesUsedLongestAgo();
    void neighboursStoredApartAreAllKept();
    void rowsThatDoNotFitTheirPlaceAreNotTrusted_data();
    void rowsThatDoNotFitTheirPlaceAreNotTrusted();
    void longRunsOfLookupsKeepWhatWasStored();
};

void ChecksumCacheTest::entriesOnlyForTheSameFile_data() {
    QTest::addColumn<CacheKey>("asked");
    QTest::addColumn<bool>("found");
    QTest::addRow("the same file") << kKey << true;
    auto changed = [](auto change) {
        CacheKey key = kKey;
        change(key);
        return key;
    };
    QTest::addRow("device") << changed([](CacheKey& k) { k.device = 2050; }) << false;
    QTest::addRow("inode") << changed([](CacheKey& k) { k.inode = 78; }) << false;
    QTest::addRow("size") << changed([](CacheKey& k) { k.size = 5001; }) << false;
    QTest::addRow("mtime") << changed([](CacheKey& k) { k.mtime += 1; }) << false;
    QTest::addRow("mtime nanoseconds") << changed([](CacheKey& k) { k.mtimensec += 1; }) << false;
    QTest::addRow("ctime") << changed([](CacheKey& k) { k.ctime += 1; }) << false;
    QTest::addRow("ctime nanoseconds") << changed([](CacheKey& k) { k.ctimensec += 1; }) << false;
}

void ChecksumCacheTest::entriesOnlyForTheSameFile() {
    QFETCH(CacheKey, asked);
    QFETCH(bool, found);
    testing::TempTree tree;
    const QString path = tree.path(u"cache/checksums.sqlite"_s);
    {
        ChecksumCache cache(path);
        QVERIFY(cache.isOpen());
        cache.store(kKey, kSums);
        // Neighbours on both devices, so that lookups in memory meet
        // other files' entries on their way.
        for (quint64 inode = 1000; inode < 1300; ++inode) {
            for (quint64 device : {kKey.device, kKey.device + 1})
                cache.store({device, inode, 5000, 1, 2, 3, 4}, {1, 2, 3, 4});
        }
    }
    // A later run, asking the database and asking what it read into memory.
    for (const bool preloaded : {false, true}) {
        ChecksumCache cache(path);
        if (preloaded)
            cache.preload(1000);
        const std::optional<CachedChecksums> sums = cache.find(asked);
        QCOMPARE(bool(sums), found);
        if (found)
            QCOMPARE(*sums, kSums);
        QCOMPARE(bool(cache.find({kKey.device + 1, 1299, 5000, 1, 2, 3, 4})), true);
    }
    QVERIFY(ChecksumCache::clear(path));
    QVERIFY(!ChecksumCache(path).find(kKey));
}

void ChecksumCacheTest::aRewriteWithItsDateSetBackIsAnotherFile() {
    testing::TempTree tree;
    const QString file = tree.writeFile(u"data.bin"_s, QByteArray(4096, 'a'));
    const CacheKey before = CacheKey::of(platform::fileInfo(file));
    QTest::qSleep(20); // the change time has nanoseconds, but a coarse clock may tick slowly
    tree.writeFile(u"data.bin"_s, QByteArray(4096, 'b'));
    const struct timespec times[2] = {{0, UTIME_OMIT}, {before.mtime, long(before.mtimensec)}};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(file).constData(), times, 0), 0);
    const CacheKey after = CacheKey::of(platform::fileInfo(file));
    QCOMPARE(after.size, before.size);
    QCOMPARE(after.mtime, before.mtime);
    QCOMPARE(after.mtimensec, before.mtimensec);
    QVERIFY(after != before);
}

void ChecksumCacheTest::damagedDatabasesAreStartedAnew_data() {
    QTest::addColumn<int>("damage");
    QTest::addRow("garbage") << 0;
    QTest::addRow("cut short") << 1;
    QTest::addRow("pages overwritten") << 2;
}

void ChecksumCacheTest::damagedDatabasesAreStartedAnew() {
    QFETCH(int, damage);
    testing::TempTree tree;
    const QString path = tree.path(u"checksums.sqlite"_s);
    {
        ChecksumCache cache(path);
        for (quint64 k = 0; k < 3000; ++k)
            cache.store({k, k, 1, 1, 1, 1, 1}, kSums);
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    if (damage == 0) {
        file.resize(0);
        file.write(QByteArray(100000, '\x5a'));
    } else if (damage == 1) {
        file.resize(file.size() / 3);
    } else {
        file.seek(4096);
        file.write(QByteArray(3 * 4096, '\xff'));
    }
    file.close();

    ChecksumCache cache(path);
    QVERIFY(cache.isOpen());
    // Nothing of the damaged file is trusted, and the new one works.
    QVERIFY(!cache.find({5, 5, 1, 1, 1, 1, 1}));
    cache.store(kKey, kSums);
    cache.flush();
    QCOMPARE(cache.find(kKey), std::optional<CachedChecksums>(kSums));
}

void ChecksumCacheTest::theLimitDropsTheEntriesUsedLongestAgo() {
    testing::TempTree tree;
    const QString path = tree.path(u"checksums.sqlite"_s);
    // Entries of neighbouring inodes share a row and go together; these are
    // far apart, so that each goes on its own.
    const auto key = [](quint64 k) { return CacheKey{1, k * 1000, 10, 1, 1, 1, 1}; };
    {
        ChecksumCache cache(path, 100);
        for (quint64 k = 0; k < 100; ++k)
            cache.store(key(k), kSums);
    }
    QTest::qSleep(1100);               // a later run, a later use stamp
    ChecksumCache cache(path, 100, 0); // every use recorded
    QVERIFY(cache.find(key(7)));
    for (quint64 k = 100; k < 120; ++k)
        cache.store(key(k), kSums);
    cache.flush();
    int left = 0;
    for (quint64 k = 0; k < 120; ++k)
        left += cache.find(key(k)) ? 1 : 0;
    QCOMPARE(left, 90);
    QVERIFY(cache.find(key(7)));   // used in this run
    QVERIFY(cache.find(key(119))); // stored in this run
}

void ChecksumCacheTest::neighboursStoredApartAreAllKept() {
    // Files of neighbouring inodes share a row: what one run stores must not
    // wipe what another stored, and a file's new entry replaces its old one.
    testing::TempTree tree;
    const QString path = tree.path(u"checksums.sqlite"_s);
    const auto key = [](quint64 inode) { return CacheKey{7, inode, 10, 1, 1, 1, 1}; };
    const CachedChecksums other{1, 2, 3, 4};
    const CachedChecksums newest{5, 6, 7, 8};
    {
        ChecksumCache cache(path);
        cache.store(key(64), kSums);
        cache.store(key(65), kSums);
    }
    {
        ChecksumCache cache(path);
        cache.store(key(66), kSums);
        cache.store(key(65), other);
        cache.store(key(65), newest); // stored twice in one run: the last counts
        // Many files stored twice, as a sort that let equal keys trade places
        // would show.
        for (const CachedChecksums& sums : {other, newest}) {
            for (quint64 inode = 100; inode < 400; ++inode)
                cache.store(key(inode), sums);
        }
        cache.store(key(68), other);
        cache.writeStored(); // written while the run goes on
        cache.store(key(68), newest);
    }
    for (const bool preloaded : {false, true}) {
        ChecksumCache cache(path);
        if (preloaded)
            cache.preload(10);
        QCOMPARE(cache.find(key(64)), std::optional(kSums));
        QCOMPARE(cache.find(key(65)), std::optional(newest));
        QCOMPARE(cache.find(key(66)), std::optional(kSums));
        QVERIFY(!cache.find(key(67)));
        QCOMPARE(cache.find(key(68)), std::optional(newest));
        for (quint64 inode = 100; inode < 400; ++inode)
            QCOMPARE(cache.find(key(inode)), std::optional(newest));
    }
}

void ChecksumCacheTest::rowsThatDoNotFitTheirPlaceAreNotTrusted_data() {
    QTest::addColumn<QByteArray>("sql");
    QTest::addRow("moved to another row") << QByteArray("UPDATE buckets SET bucket = bucket + 1");
    QTest::addRow("cut short") << QByteArray("UPDATE buckets SET records = substr(records, 1, 50)");
    QTest::addRow("not a blob") << QByteArray("UPDATE buckets SET records = 'text'");
}

void ChecksumCacheTest::rowsThatDoNotFitTheirPlaceAreNotTrusted() {
    QFETCH(QByteArray, sql);
    testing::TempTree tree;
    const QString path = tree.path(u"checksums.sqlite"_s);
    const auto key = [](quint64 inode) { return CacheKey{7, inode, 10, 1, 1, 1, 1}; };
    {
        ChecksumCache cache(path);
        for (quint64 inode = 64; inode < 64 + 32; ++inode)
            cache.store(key(inode), kSums);
    }
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    for (const bool preloaded : {false, true}) {
        ChecksumCache cache(path);
        if (preloaded)
            cache.preload(10);
        for (quint64 inode : {64, 65, 95, 96, 127})
            QVERIFY(!cache.find(key(inode)));
    }
    // The row is written afresh.
    ChecksumCache cache(path);
    cache.store(key(70), kSums);
    cache.flush();
    QCOMPARE(cache.find(key(70)), std::optional(kSums));
    QVERIFY(!cache.find(key(71)));
}

void ChecksumCacheTest::longRunsOfLookupsKeepWhatWasStored() {
    // A run over a big tree asks for hundreds of thousands of files while
    // entries wait to be written, and are written meanwhile; once its
    // transaction grew long this overflowed the stack.
    testing::TempTree tree;
    const QString path = tree.path(u"checksums.sqlite"_s);
    const auto key = [](quint64 k) { return CacheKey{3, k, 10, 1, 1, 1, 1}; };
    constexpr quint64 stored = 30000;
    {
        ChecksumCache cache(path);
        cache.store(kKey, kSums);
        const CacheKey other{2049, 78, 5000, 1700000000, 123456789, 1700000100, 42};
        for (quint64 k = 0; k < 10 * stored; ++k) {
            QVERIFY(!cache.find(other));
            if (k % 10 == 0)
                cache.store(key(k / 10), kSums);
        }
    }
    ChecksumCache reopened(path);
    QCOMPARE(reopened.find(kKey), std::optional(kSums));
    quint64 found = 0;
    for (quint64 k = 0; k < stored; ++k)
        found += reopened.find(key(k)) ? 1 : 0;
    QCOMPARE(found, stored);
}

QTEST_GUILESS_MAIN(ChecksumCacheTest)
#include "tst_checksumcache.moc"

#include "compare/passes.h"
#include "failingaccess.h"
#include "pairwise.h"
#include "temptree.h"

#include <QDir>
#include <QSet>
#include <QtTest>
#include <numeric>
#include <random>
#include <sys/resource.h>
#include <unistd.h>

using namespace quillfen;
using namespace quillfen::testing;
using namespace Qt::StringLiterals;

namespace {

// The comparison as it is defined pair by pair: every file of a size run is
// compared with the later files of the run until the first match; a match
// keeps both files, the first one starting a sub-group. Left alone, the files
// come out in the order the matches are found, which can put a file after
// the start of another set (A1 B1 B2 A2 A3 gives ^A1 A2 ^B1 B2 A3, and the
// grouping would show A3 among the Bs); so each file is moved, in order, to
// the set of the file it matched, as the program does.
std::vector<PassItem> pairwisePass(PassKind kind, const std::vector<TableEntry>& table,
                                   const ReadControl& control) {
    std::vector<PassItem> passresult;
    QSet<QString> passKeys;
    const std::size_t n = table.size();
    for (std::size_t pos = 0; pos < n; ++pos) {
        const qint64 s = table[pos].size;
        std::vector<QString> sizegroup{table[pos].path};
        std::size_t k = 1;
        while (pos + k < n && table[pos + k].size == s)
            sizegroup.push_back(table[pos + k++].path);
        pos = pos + k - 1;

        std::vector<PassItem> matchedset;
        std::vector<int> setOf; // for each matchedset item: the set it joined
        QHash<QString, int> matchedKeys;
        int sets = 0;
        const std::size_t m = sizegroup.size();
        for (std::size_t i = 0; i < m; ++i) {
            for (std::size_t j = i + 1; j < m; ++j) {
                const QString& a = sizegroup[i];
                const QString& b = sizegroup[j];
                bool equal = false;
                if (fileavailable(a, control) && fileavailable(b, control)) {
                    if (kind == PassKind::Fuzzy)
                        equal = fuzzycompare(a, b, control);
                    else if (kind == PassKind::Crc)
                        equal = crccompare(a, b, control);
                    else if (kind == PassKind::Bytewise)
                        equal = bytecompare(a, b, control);
                }
                if (equal) {
                    if (!matchedKeys.contains(a)) {
                        matchedKeys.insert(a, sets);
                        matchedset.push_back({a, true});
                        setOf.push_back(sets++);
                    }
                    if (!matchedKeys.contains(b)) {
                        matchedKeys.insert(b, matchedKeys.value(a));
                        matchedset.push_back({b, false});
                        setOf.push_back(matchedKeys.value(a));
                    }
                    break;
                }
            }
        }
        std::vector<std::size_t> order(matchedset.size());
        std::iota(order.begin(), order.end(), std::size_t(0));
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t x, std::size_t y) { return setOf[x] < setOf[y]; });
        for (std::size_t at : order) {
            const PassItem& item = matchedset[at];
            if (!passKeys.contains(item.path)) {
                passKeys.insert(item.path);
                passresult.push_back(item);
            }
        }
    }
    return passresult;
}

QString describe(const std::vector<PassItem>& items) {
    QStringList parts;
    for (const PassItem& item : items)
        parts << (item.subgroupstart ? u"^"_s : QString()) + item.path.section(u'/', -2);
    return parts.join(u", "_s);
}

// A random table of size runs: files equal in content classes, near copies
// that differ in one byte (sampled by the fuzzy comparison or not), files
// that vanished, cannot be measured, opened or read, files whose length
// changed since the table was made, separator records and repeated paths.
class RandomTable {
public:
    RandomTable(testing::TempTree& tree, std::mt19937& random, testing::FailingAccess& access,
                const QString& folder, int maxRunFiles)
        : m_tree(tree), m_random(random), m_access(access), m_folder(folder),
          m_maxRunFiles(maxRunFiles) {}

    std::vector<TableEntry> build() {
        std::vector<TableEntry> table;
        const int runs = 1 + pick(6);
        for (int r = 0; r < runs; ++r) {
            if (pick(6) == 0)
                table.push_back({QString(), 0});
            addRun(table, r);
        }
        if (pick(3) == 0 && !table.empty()) {
            // The entries of an earlier run once more, after a separator: the
            // same paths kept by two runs must stay where they were kept first.
            const std::size_t from = std::size_t(pick(int(table.size())));
            std::size_t to = from;
            while (to < table.size() && table[to].size == table[from].size)
                ++to;
            table.push_back({QString(), 0});
            for (std::size_t k = from; k < to; ++k)
                table.push_back(table[k]);
        }
        return table;
    }

private:
    int pick(int below) { return int(m_random() % unsigned(below)); }

    qint64 pickSize() {
        switch (pick(11)) {
        case 0:
            return 0;
        case 1:
            return 1 + pick(3);
        case 2:
        case 3:
            return 4 + pick(120);
        case 4:
        case 5:
        case 6:
            return 1000 + pick(4000);
        case 7:
        case 8:
            return 60000 + pick(250000);
        case 9: {
            // Lengths at the edges of the blocks read side by side.
            const qint64 edges[] = {4096, 65536, 65537, 327680, 327681, 1000001, 1376256};
            return edges[pick(7)] - 1 + pick(3);
        }
        default:
            return pick(3) == 0 ? 1000000 + pick(1200000) : 130 + pick(900);
        }
    }

    QByteArray randomBytes(qint64 size) {
        QByteArray data(qsizetype(size), Qt::Uninitialized);
        for (qsizetype k = 0; k < data.size(); ++k)
            data[k] = char(m_random() & 0xFF);
        return data;
    }

    void addRun(std::vector<TableEntry>& table, int run) {
        const qint64 size = pickSize();
        const int files = 1 + pick(m_maxRunFiles);
        const int classes = 1 + pick(4);
        std::vector<QByteArray> bases;
        for (int c = 0; c < classes; ++c)
            bases.push_back(randomBytes(size));
        // A few shared one-byte changes, so that near copies can equal each other.
        std::vector<qint64> changes;
        for (int c = 0; c < 3 && size > 0; ++c) {
            const int where = pick(5);
            if (where == 0 && size > 100) {
                // On a fuzzy sample position.
                const qint64 step = fuzzyStep(size);
                changes.push_back(qMin(size - 1, step * (1 + pick(10)) - 1 + pick(101)));
            } else if (where == 1) {
                changes.push_back(size - 1 - pick(int(qMin<qint64>(size, 3)))); // at the end
            } else if (where == 2) {
                // Around the edges of blocks read side by side or pairwise.
                const qint64 edges[] = {65535, 65536, 327679, 327680, 999999, 1000000, 1000001};
                const qint64 edge = edges[pick(7)];
                changes.push_back(edge < size ? edge : qint64(m_random() % quint64(size)));
            } else {
                changes.push_back(qint64(m_random() % quint64(size)));
            }
        }
        std::vector<QString> written;
        for (int f = 0; f < files; ++f) {
            if (!written.empty() && pick(25) == 0) {
                table.push_back({written[std::size_t(pick(int(written.size())))], size});
                continue;
            }
            if (!written.empty() && pick(25) == 0) {
                // Hard links: one file under several names, each kept once;
                // sometimes more than are compared one with another.
                const QString target = written[std::size_t(pick(int(written.size())))];
                const int links = pick(3) == 0 ? 20 : 1 + pick(3);
                for (int l = 0; l < links; ++l) {
                    const QString link =
                        m_tree.path(u"%1/r%2f%3l%4"_s.arg(m_folder).arg(run).arg(f).arg(l));
                    if (::link(QFile::encodeName(target).constData(),
                               QFile::encodeName(link).constData()) == 0)
                        table.push_back({link, size});
                    if (pick(4) == 0)
                        table.push_back({link, size}); // and the name once more
                }
                continue;
            }
            const QString name = u"%1/r%2f%3"_s.arg(m_folder).arg(run).arg(f);
            QByteArray content = bases[std::size_t(pick(classes))];
            if (!changes.empty() && pick(3) == 0) {
                const qint64 at = changes[std::size_t(pick(int(changes.size())))];
                content[qsizetype(at)] = char(content[qsizetype(at)] ^ 0x5A);
            }
            const int fault = pick(40);
            if (fault == 1 && size > 1)
                content.chop(1); // shorter than the table says
            else if (fault == 2)
                content.append('+');
            QString path = m_tree.path(name);
            if (fault == 8 && !written.empty()) // now a symbolic link to another file
                QFile::link(written.front(), path);
            else if (fault != 3) // fault 3: the file vanished
                path = m_tree.writeFile(name, content);
            if (fault == 4)
                m_access.unopenable.insert(path);
            else if (fault == 5)
                m_access.unmeasurable.insert(path);
            else if ((fault == 6 || fault == 7) && size > 0)
                m_access.failFrom.insert(path, qint64(m_random() % quint64(size)));
            table.push_back({path, size});
            written.push_back(path);
        }
    }

    testing::TempTree& m_tree;
    std::mt19937& m_random;
    testing::FailingAccess& m_access;
    QString m_folder;
    int m_maxRunFiles;
};

// Counts the descriptors open while a pass reads, to see how many it holds.
class CountingAccess : public testing::FailingAccess {
public:
    qint64 readAt(platform::InputFile& file, const QString& path, qint64 offset, char* buffer,
                  qint64 length) const override {
        if (counting)
            mostOpen = qMax(mostOpen, openDescriptors());
        return FailingAccess::readAt(file, path, offset, buffer, length);
    }
    static qint64 openDescriptors() {
        return QDir(u"/proc/self/fd"_s).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size();
    }
    bool counting = false;
    mutable qint64 mostOpen = 0;
};

// Fails the first open of chosen files for want of descriptors, as when
// another thread took the last ones: for that call no new descriptor is allowed.
class CrowdedAccess : public testing::FailingAccess {
public:
    bool openIn(platform::InputFile& file, int folderFd, const QByteArray& name,
                const QString& path) const override {
        if (!crowded.remove(path))
            return FailingAccess::openIn(file, folderFd, name, path);
        rlimit saved{};
        ::getrlimit(RLIMIT_NOFILE, &saved);
        rlimit none = saved;
        none.rlim_cur = 0;
        ::setrlimit(RLIMIT_NOFILE, &none);
        const bool opened = FailingAccess::openIn(file, folderFd, name, path);
        ::setrlimit(RLIMIT_NOFILE, &saved);
        return opened;
    }
    mutable QSet<QString> crowded;
};

QStringList paths(const std::vector<PassItem>& items) {
    QStringList result;
    for (const PassItem& item : items)
        result << item.path;
    return result;
}

} // namespace

class PassesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void twoSetsInOneRun();
    void interleavedSetsStayApart();
    void threeEqualFilesAreKept();
    void separatorsAndLoneSizesKeepNothing();
    void classesGiveThePairwiseResult_data();
    void classesGiveThePairwiseResult();
    void differencesAtBlockEdges();
    void eachFileIsReadOncePerPass();
    void bigRunsStayWithinOpenFiles();
    void longRunsKeepToTheOpenFileBudget_data();
    void longRunsKeepToTheOpenFileBudget();
    void lowOpenFileLimitMissesNothing();
    void fileRefusedForWantOfDescriptorsIsAskedAgain();
    void progressIsReported();
    void cleanupTestCase();

private:
    testing::TempTree m_tree;
    // What the random tables exercised, so that they cannot pass by being trivial.
    int m_keptFiles = 0;
    int m_fuzzyKeptMore = 0;
    int m_faults = 0;
    int m_labelled = 0;
};

void PassesTest::initTestCase() {
    QVERIFY(m_tree.isValid());
}

void PassesTest::twoSetsInOneRun() {
    const QByteArray one(3000, 'a');
    const QByteArray two(3000, 'b');
    const std::vector<TableEntry> table = {
        {m_tree.writeFile(u"sets/A"_s, one), 3000},
        {m_tree.writeFile(u"sets/B"_s, two), 3000},
        {m_tree.writeFile(u"sets/C"_s, one), 3000},
        {m_tree.writeFile(u"sets/D"_s, two), 3000},
    };
    for (PassKind kind : {PassKind::Fuzzy, PassKind::Crc, PassKind::Bytewise}) {
        std::vector<PassItem> kept;
        QVERIFY(runPass(kind, table, kept, ReadControl{}));
        const std::vector<PassItem> expected = {{table[0].path, true},
                                                {table[2].path, false},
                                                {table[1].path, true},
                                                {table[3].path, false}};
        QCOMPARE(describe(kept), describe(expected));
    }
}

void PassesTest::interleavedSetsStayApart() {
    // A1 B1 B2 A2 A3: found pair by pair, A3 would come after the Bs and be
    // shown in their group, where a selection that keeps one file per group
    // could keep A3 and give up every B.
    const QByteArray a(2000, 'a');
    const QByteArray b(2000, 'b');
    const std::vector<TableEntry> table = {
        {m_tree.writeFile(u"mix/A1"_s, a), 2000}, {m_tree.writeFile(u"mix/B1"_s, b), 2000},
        {m_tree.writeFile(u"mix/B2"_s, b), 2000}, {m_tree.writeFile(u"mix/A2"_s, a), 2000},
        {m_tree.writeFile(u"mix/A3"_s, a), 2000},
    };
    std::vector<PassItem> kept;
    QVERIFY(runPass(PassKind::Bytewise, table, kept, ReadControl{}));
    QCOMPARE(describe(kept), u"^mix/A1, mix/A2, mix/A3, ^mix/B1, mix/B2"_s);
}

void PassesTest::threeEqualFilesAreKept() {
    const std::vector<TableEntry> table = {
        {m_tree.writeFile(u"three/A"_s, 500, 'z'), 500},
        {m_tree.writeFile(u"three/B"_s, 500, 'z'), 500},
        {m_tree.writeFile(u"three/C"_s, 500, 'z'), 500},
    };
    std::vector<PassItem> kept;
    QVERIFY(runPass(PassKind::Bytewise, table, kept, ReadControl{}));
    const std::vector<PassItem> expected = {
        {table[0].path, true}, {table[1].path, false}, {table[2].path, false}};
    QCOMPARE(describe(kept), describe(expected));
}

void PassesTest::separatorsAndLoneSizesKeepNothing() {
    const std::vector<TableEntry> table = {
        {m_tree.writeFile(u"lone/a"_s, 30, 'x'), 30},
        {QString(), 0},
        {m_tree.writeFile(u"lone/b"_s, 20, 'x'), 20},
        {m_tree.writeFile(u"lone/c"_s, 10, 'x'), 10},
    };
    for (PassKind kind : {PassKind::Fuzzy, PassKind::Crc, PassKind::Bytewise, PassKind::None}) {
        std::vector<PassItem> kept;
        QVERIFY(runPass(kind, table, kept, ReadControl{}));
        QVERIFY(kept.empty());
    }
    // Empty files on either side of a separator form one run (a separator
    // counts as size 0) and are all equal.
    const std::vector<TableEntry> empties = {
        {m_tree.writeFile(u"lone/e1"_s, QByteArray()), 0},
        {m_tree.writeFile(u"lone/e2"_s, QByteArray()), 0},
        {QString(), 0},
        {m_tree.writeFile(u"lone/e3"_s, QByteArray()), 0},
    };
    std::vector<PassItem> kept;
    QVERIFY(runPass(PassKind::Bytewise, empties, kept, ReadControl{}));
    QCOMPARE(describe(kept), describe(pairwisePass(PassKind::Bytewise, empties, ReadControl{})));
    QCOMPARE(kept.size(), 3u);
}

void PassesTest::classesGiveThePairwiseResult_data() {
    QTest::addColumn<int>("seed");
    QTest::addColumn<int>("maxRunFiles");
    QTest::addColumn<int>("threads"); // the pass's threads: the result never depends on them
    for (int seed = 1; seed <= 60; ++seed)
        QTest::addRow("seed %d", seed) << seed << (seed % 10 == 0 ? 40 : 12) << 1 + seed % 3;
}

void PassesTest::classesGiveThePairwiseResult() {
    QFETCH(int, seed);
    QFETCH(int, maxRunFiles);
    QFETCH(int, threads);
    std::mt19937 random{unsigned(seed)};
    testing::FailingAccess access;
    RandomTable maker(m_tree, random, access, u"seed%1"_s.arg(seed), maxRunFiles);
    const std::vector<TableEntry> table = maker.build();
    ReadControl control{nullptr, nullptr, false, &access};
    control.threads = threads;
    int fuzzyKept = 0;
    for (PassKind kind : {PassKind::Fuzzy, PassKind::Crc, PassKind::Bytewise, PassKind::None}) {
        std::vector<PassItem> kept;
        QVERIFY(runPass(kind, table, kept, control));
        const std::vector<PassItem> expected = pairwisePass(kind, table, control);
        QCOMPARE(describe(kept), describe(expected));
        QVERIFY(kept == expected);
        m_keptFiles += int(kept.size());
        if (kind == PassKind::Fuzzy)
            fuzzyKept = int(kept.size());
        if (kind == PassKind::Bytewise && fuzzyKept > int(kept.size()))
            ++m_fuzzyKeptMore;
    }
    // The bytewise pass after a fuzzy pass that read small files whole and
    // labelled them by their bytes.
    std::vector<TableEntry> labelled;
    QVERIFY(runLabellingPass(table, labelled, control));
    std::vector<PassItem> kept;
    QVERIFY(runPass(PassKind::Bytewise, labelled, kept, control));
    QCOMPARE(describe(kept), describe(pairwisePass(PassKind::Bytewise, labelled, control)));
    m_labelled += int(std::count_if(labelled.begin(), labelled.end(),
                                    [](const TableEntry& entry) { return entry.sameAs >= 0; }));
    m_faults += int(access.unopenable.size() + access.unmeasurable.size() + access.failFrom.size());
}

void PassesTest::cleanupTestCase() {
    QVERIFY(m_keptFiles > 200);
    QVERIFY(m_fuzzyKeptMore > 3);
    QVERIFY(m_faults > 10);
    QVERIFY(m_labelled > 50);
}

void PassesTest::differencesAtBlockEdges() {
    // Lengths and single-byte differences at the edges of the blocks that
    // are read side by side (64 KiB growing by four up to 1 MiB) and of the
    // blocks of the pairwise comparison (1,000,001 bytes).
    std::mt19937 random(5);
    std::vector<TableEntry> table;
    const qint64 lengths[] = {1,      2,      4095,    4097,    65535,   65536,   65537,  327679,
                              327680, 327681, 1000000, 1000001, 1000002, 1376256, 1376257};
    int made = 0;
    for (qint64 length : lengths) {
        QByteArray base(qsizetype(length), Qt::Uninitialized);
        for (char& ch : base)
            ch = char(random() & 0xFF);
        table.push_back({m_tree.writeFile(u"edges/%1a"_s.arg(made), base), length});
        QSet<qint64> positions;
        for (qint64 at : {qint64(0), qint64(1), length / 2, length - 2, length - 1, qint64(4095),
                          qint64(4096), qint64(65535), qint64(65536), qint64(327679),
                          qint64(327680), qint64(999999), qint64(1000000), qint64(1000001)}) {
            if (at >= 0 && at < length)
                positions.insert(at);
        }
        for (qint64 at : positions) {
            QByteArray changed = base;
            changed[qsizetype(at)] = char(changed[qsizetype(at)] ^ 1);
            table.push_back(
                {m_tree.writeFile(u"edges/%1c%2"_s.arg(made).arg(at), changed), length});
        }
        table.push_back({m_tree.writeFile(u"edges/%1b"_s.arg(made), base), length});
        ++made;
    }
    for (PassKind kind : {PassKind::Crc, PassKind::Bytewise}) {
        std::vector<PassItem> kept;
        QVERIFY(runPass(kind, table, kept, ReadControl{}));
        QCOMPARE(describe(kept), describe(pairwisePass(kind, table, ReadControl{})));
        QCOMPARE(kept.size(), 2 * std::size(lengths));
    }
}

void PassesTest::eachFileIsReadOncePerPass() {
    const QByteArray big(3000000, 'm');
    QByteArray early = big;
    early[100] = 'x';
    QByteArray late = big;
    late[2999999] = 'x';
    const std::vector<TableEntry> table = {
        {m_tree.writeFile(u"once/a"_s, big), 3000000},
        {m_tree.writeFile(u"once/b"_s, early), 3000000},
        {m_tree.writeFile(u"once/c"_s, big), 3000000},
        {m_tree.writeFile(u"once/d"_s, late), 3000000},
        {m_tree.writeFile(u"once/e"_s, big), 3000000},
    };
    testing::FailingAccess access;
    RunProgress counters;
    const ReadControl control{nullptr, &counters, false, &access};
    std::vector<PassItem> kept;
    QVERIFY(runPass(PassKind::Bytewise, table, kept, control));
    QCOMPARE(paths(kept), (QStringList{table[0].path, table[2].path, table[4].path}));
    // a, c, e and d read in full, b only until it parted from the others.
    QVERIFY(access.bytesRead <= 4 * 3000000 + 64 * 1024);
    QVERIFY(access.bytesRead >= 4 * 3000000);
    QCOMPARE(counters.kbdoneValue(), double(access.bytesRead) / 1000.0);

    // The CRC pass too reads b only until its first bytes differ from all.
    access.bytesRead = 0;
    kept.clear();
    QVERIFY(runPass(PassKind::Crc, table, kept, control));
    QCOMPARE(paths(kept), (QStringList{table[0].path, table[2].path, table[4].path}));
    QVERIFY(access.bytesRead <= 4 * 3000000 + 64 * 1024);
    QVERIFY(access.bytesRead >= 4 * 3000000);

    // Two files that differ early are not read further.
    access.bytesRead = 0;
    kept.clear();
    const std::vector<TableEntry> pair = {table[0], table[1]};
    QVERIFY(runPass(PassKind::Bytewise, pair, kept, control));
    QVERIFY(kept.empty());
    QVERIFY(access.bytesRead <= 2 * 64 * 1024);
}

void PassesTest::bigRunsStayWithinOpenFiles() {
    // 300 files of one size, in ten classes, parted only at their last byte:
    // more files than are held open at once, read side by side to the end.
    std::mt19937 random(99);
    QByteArray base(20000, Qt::Uninitialized);
    for (char& ch : base)
        ch = char(random() & 0xFF);
    std::vector<TableEntry> table;
    for (int f = 0; f < 300; ++f) {
        QByteArray content = base;
        content[19999] = char('a' + (f * 7) % 10);
        table.push_back({m_tree.writeFile(u"big/f%1"_s.arg(f), content), 20000});
    }
    testing::FailingAccess access;
    access.failFrom.insert(table[17].path, 15000);
    const ReadControl control{nullptr, nullptr, false, &access};
    std::vector<PassItem> kept;
    QVERIFY(runPass(PassKind::Bytewise, table, kept, control));
    QVERIFY(access.bytesRead <= 300 * 20000);
    QCOMPARE(describe(kept), describe(pairwisePass(PassKind::Bytewise, table, control)));
    QCOMPARE(kept.size(), 299u);
}

void PassesTest::longRunsKeepToTheOpenFileBudget_data() {
    QTest::addColumn<int>("files");
    QTest::addColumn<int>("folders");
    QTest::addRow("one folder") << 3400 << 1;
    // More folders than the pass may hold open beside its files: it lets
    // some go and opens them again.
    QTest::addRow("150 folders") << 1500 << 150;
}

void PassesTest::longRunsKeepToTheOpenFileBudget() {
    // One long run of equal files, interleaved with a second set, files that
    // are unique, one that cannot be read to its end and one that cannot be
    // opened: with room for 100 open files the result is the pairwise one.
    QFETCH(int, files);
    QFETCH(int, folders);
    std::vector<TableEntry> table;
    std::size_t unique = 2; // the file that fails and the one that cannot be opened
    for (int f = 0; f < files; ++f) {
        QByteArray content(300, 'e');
        if (f % 8 == 3) {
            content.fill('s');
        } else if (f % 500 == 7) {
            content[299] = char(f);
            ++unique;
        }
        const QString name = u"long%1/d%2/f%3"_s.arg(folders).arg(f % folders).arg(f);
        table.push_back({m_tree.writeFile(name, content), 300});
    }
    CountingAccess access;
    access.budget = 100;
    access.failFrom.insert(table[100].path, 200);
    access.unopenable.insert(table[201].path);
    const ReadControl control{nullptr, nullptr, false, &access};
    const qint64 before = CountingAccess::openDescriptors();
    for (PassKind kind : {PassKind::Bytewise, PassKind::Crc}) {
        std::vector<PassItem> kept;
        access.counting = true;
        QVERIFY(runPass(kind, table, kept, control));
        access.counting = false;
        QCOMPARE(describe(kept), describe(pairwisePass(kind, table, control)));
        QCOMPARE(kept.size(), std::size_t(files) - unique);
    }
    // The files of the pass and the folders it holds (the listing counts itself).
    QVERIFY2(access.mostOpen <= before + 100 + 1, qPrintable(QString::number(access.mostOpen)));
}

void PassesTest::lowOpenFileLimitMissesNothing() {
    if (::geteuid() != 0)
        QSKIP("Lowering the open-file limit is tested as root only.");
    rlimit saved{};
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &saved) == 0);
    rlimit low = saved;
    low.rlim_cur = 64;
    if (saved.rlim_cur < 64 || ::setrlimit(RLIMIT_NOFILE, &low) != 0)
        QSKIP("The open-file limit cannot be lowered to 64.");
    std::vector<TableEntry> table;
    for (int f = 0; f < 257; ++f)
        table.push_back({m_tree.writeFile(u"limit/f%1"_s.arg(f), 5000, 'l'), 5000});
    std::vector<PassItem> kept;
    const bool done = runPass(PassKind::Bytewise, table, kept, ReadControl{});
    ::setrlimit(RLIMIT_NOFILE, &saved);
    QVERIFY(done);
    QCOMPARE(kept.size(), 257u);
}

void PassesTest::fileRefusedForWantOfDescriptorsIsAskedAgain() {
    // Another thread may take the last descriptors while a pass runs: a file
    // refused for that is no file equal to nothing.
    std::vector<TableEntry> table;
    for (int f = 0; f < 6; ++f)
        table.push_back(
            {m_tree.writeFile(u"crowded/d%1/f%2"_s.arg(f % 3).arg(f), 7000, 'c'), 7000});
    for (PassKind kind : {PassKind::Fuzzy, PassKind::Crc, PassKind::Bytewise}) {
        CrowdedAccess access;
        access.crowded = {table[1].path, table[4].path};
        // No file is opened ahead of its turn, where a refusal is tried again anyway.
        access.budget = 7;
        ReadControl control{nullptr, nullptr, false, &access};
        control.threads = 1; // the limit is lowered for the whole program
        std::vector<PassItem> kept;
        QVERIFY(runPass(kind, table, kept, control));
        QVERIFY(access.crowded.isEmpty());
        QCOMPARE(kept.size(), 6u);
    }
}

void PassesTest::progressIsReported() {
    RunProgress state;
    const std::vector<TableEntry> table = {
        {m_tree.writeFile(u"prog/a"_s, 1500000, 'p'), 1500000},
        {m_tree.writeFile(u"prog/b"_s, 1500000, 'p'), 1500000},
        {m_tree.writeFile(u"prog/c"_s, 1500000, 'p'), 1500000},
    };
    std::vector<PassItem> kept;
    QVERIFY(runPass(PassKind::Fuzzy, table, kept, ReadControl{nullptr, &state},
                    PassProgress{&state, 2, 3}));
    QCOMPARE(state.filescompared.load(), 3);
    QCOMPARE(state.progressmax.load(), 3);
    QCOMPARE(state.curfolder.get(), u"3 files compared. 4.5 MB total."_s);
    QCOMPARE(state.label5.get(), u"Step 2/3 [0%] - Fuzzy comparison"_s);
    QCOMPARE(state.comparefile1.get(), table[2].path);
    QCOMPARE(state.comparefile2.get(), table[1].path);
    QCOMPARE(state.groupmax.load(), 3);
    QCOMPARE(state.groupdone.load(), 3);

    // A run of many megabytes always shows itself, whatever came just before.
    const std::vector<TableEntry> second = {
        {m_tree.writeFile(u"prog/d"_s, 10, 'p'), 10},
        {m_tree.writeFile(u"prog/e"_s, 4000000, 'p'), 4000000},
        {m_tree.writeFile(u"prog/f"_s, 4000000, 'p'), 4000000},
        {m_tree.writeFile(u"prog/g"_s, 4000000, 'p'), 4000000},
    };
    kept.clear();
    QVERIFY(runPass(PassKind::Crc, second, kept, ReadControl{nullptr, &state},
                    PassProgress{&state, 3, 3}));
    QCOMPARE(state.filescompared.load(), 7);
    // The info line counts as the counter does: every file of the runs
    // reached so far, and their bytes, not just the run in hand.
    QCOMPARE(state.curfolder.get(), u"7 files compared. 16.5 MB total."_s);
    QCOMPARE(state.label5.get(), u"Step 3/3 [33%] - CRC comparison"_s);
    QCOMPARE(state.kbdoneValue(), 12000.0);
}

QTEST_GUILESS_MAIN(PassesTest)
#include "tst_passes.moc"

#include "compare/comparecontroller.h"
#include "compare/comparejob.h"
#include "compare/crc32.h"
#include "core/crc.h"
#include "core/format.h"
#include "failingaccess.h"
#include "fakefrontend.h"
#include "pairwise.h"
#include "temptree.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <random>
#include <sys/stat.h>

using namespace quillfen;
using namespace quillfen::testing;
using namespace Qt::StringLiterals;

namespace {

ResultEntry scannedRow(const QString& fullPath, qint64 size) {
    ResultEntry row;
    row.filename = nameOf(fullPath);
    row.path = folderOf(fullPath);
    row.size = size;
    row.mtime = 86400;
    row.dateform = DateForm::Scan;
    return row;
}

QStringList names(const ResultList& list) {
    QStringList result;
    for (const ResultEntry& row : list)
        result << (row.subgroupstart ? u"^"_s : QString()) + row.filename;
    return result;
}

QList<int> icons(const ResultList& list) {
    QList<int> result;
    for (const ResultEntry& row : list)
        result << row.icon;
    return result;
}

// File access that changes one file right after its first read, as an
// editor saving it meanwhile would.
class ChangingAccess : public testing::FailingAccess {
public:
    qint64 readAt(platform::InputFile& file, const QString& path, qint64 offset, char* buffer,
                  qint64 length) const override {
        const qint64 got = FailingAccess::readAt(file, path, offset, buffer, length);
        if (path == target && !changed) {
            changed = true;
            change();
        }
        return got;
    }
    QString target;
    std::function<void()> change;
    mutable bool changed = false;
};

ResultEntry identifiedRow(const QString& fullPath) {
    const platform::FileInfo info = platform::fileInfo(fullPath);
    ResultEntry row = scannedRow(fullPath, info.size);
    row.id = info.id;
    row.folderid = platform::fileInfo(folderOf(fullPath)).id;
    return row;
}

// A row with all the facts a scan records of the file.
ResultEntry observedRow(const QString& fullPath) {
    const platform::FileInfo info = platform::fileInfo(fullPath);
    ResultEntry row = identifiedRow(fullPath);
    row.mtime = info.mtime;
    row.mtimensec = info.mtimensec;
    row.ctimens = platform::nanoseconds(info.ctime, info.ctimensec);
    return row;
}

// Writes content over the file and sets its modification time back to what
// it was, to the nanosecond, as `touch -r` would.
bool rewriteKeepingDate(const QString& path, const QByteArray& content) {
    const QByteArray name = QFile::encodeName(path);
    struct stat before {};
    if (::stat(name.constData(), &before) != 0)
        return false;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return false;
    file.close();
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    return ::utimensat(AT_FDCWD, name.constData(), times, 0) == 0;
}

// Four bytes that, put at the end of data in place of its last four, give
// the CRC-32 wanted: the register is run backwards from the CRC wanted to
// the state before the four bytes.
void forceCrc(QByteArray& data, quint32 wanted) {
    const auto table = buildcrctable();
    quint32 reg = 0xFFFFFFFFu;
    for (qsizetype k = 0; k < data.size() - 4; ++k)
        reg = (reg >> 8) ^ table[(reg ^ quint8(data[k])) & 0xFF];
    quint32 before = wanted ^ 0xFFFFFFFFu;
    for (int step = 0; step < 4; ++step) {
        int index = 0;
        while ((table[index] >> 24) != (before >> 24))
            ++index;
        before = ((before ^ table[index]) << 8) | quint32(index);
    }
    const quint32 word = reg ^ before;
    for (int k = 0; k < 4; ++k)
        data[data.size() - 4 + k] = char((word >> (8 * k)) & 0xFF);
}

} // namespace

class ComparisonTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void passesRunInFixedOrder();
    void onlyTheLastPassMarksSubGroups();
    void planWithOneEndsAtOnce();
    void emptyAndUnknownPlansCompareNothing();
    void rebuiltRowsCarryCurrentValues();
    void rebuiltRowsFollowTheKeptOrder_data();
    void rebuiltRowsFollowTheKeptOrder();
    void stopLeavesTheResultUnused();
    void fileChangedWhileReadIsEqualToNothing_data();
    void fileChangedWhileReadIsEqualToNothing();
    void fileChangedBetweenPassesIsEqualToNothing();
    void fileReplacedBeforeItsTurnIsEqualToNothing();
    void equalCrcIsNoProof();
    void tableGrowsBeyondAMillionRows();
    void checksumCacheSparesReadsButNeverDecides_data();
    void checksumCacheSparesReadsButNeverDecides();

    void runEndsWithGroupsMessageAndAssistant();
    void fuzzyOnlyReportsPossibleDuplicates();
    void runWithoutDuplicatesReportsZero();
    void planOneAndEmptyPlanShowNoMessage();
    void stopEmptiesTheListQuickly();

private:
    // Two pairs of equal files of 4,000 bytes (A = C, B = D), a near copy of
    // A that differs outside the fuzzy samples (N), and a lone file.
    void makeFiles();
    ResultList scannedList() const;

    std::unique_ptr<testing::TempTree> m_tree;
    QString m_a, m_b, m_c, m_d, m_near, m_lone;
};

void ComparisonTest::init() {
    m_tree = std::make_unique<testing::TempTree>();
    QVERIFY(m_tree->isValid());
    makeFiles();
}

void ComparisonTest::makeFiles() {
    QByteArray one(4000, 'a');
    for (int k = 0; k < one.size(); ++k)
        one[k] = char(k * 7);
    QByteArray two = one;
    two[2000] = 'X'; // inside the sixth sample (step 333)
    QByteArray nearOne = one;
    nearOne[3900] = 'Y'; // after the last sample (3,330 to 3,430)
    m_a = m_tree->writeFile(u"x/A"_s, one);
    m_b = m_tree->writeFile(u"y/B"_s, two);
    m_c = m_tree->writeFile(u"z/C"_s, one);
    m_d = m_tree->writeFile(u"w/D"_s, two);
    m_near = m_tree->writeFile(u"v/N"_s, nearOne);
    m_lone = m_tree->writeFile(u"u/L"_s, 300, 'l');
}

ResultList ComparisonTest::scannedList() const {
    return {scannedRow(m_a, 4000), scannedRow(m_b, 4000),    scannedRow(m_c, 4000),
            scannedRow(m_d, 4000), scannedRow(m_near, 4000), scannedRow(m_lone, 300)};
}

void ComparisonTest::passesRunInFixedOrder() {
    for (const QString& plan : {u"23"_s, u"32"_s}) {
        AppState state;
        state.stopflag = false;
        CompareJobInput input;
        input.list = scannedList();
        input.plan = ComparePlan::fromCodes(plan);
        input.curstep = 1;
        input.totalsteps = 3;
        const CompareJobResult result = runComparison(std::move(input), state);
        QVERIFY(!result.stopped);
        QCOMPARE(result.plandone.codes(), u"23"_s);
        QCOMPARE(result.compareplan.codes(), u"3"_s);
        QCOMPARE(result.curstep, 3);
        // CRC drops the near copy that the fuzzy samples let through.
        QCOMPARE(names(result.list), (QStringList{u"^A"_s, u"C"_s, u"^B"_s, u"D"_s}));
        QVERIFY(state.label5.get().endsWith(u"CRC comparison"_s));
        QCOMPARE(state.filescompared.load(), 6 + 5);
    }
}

void ComparisonTest::onlyTheLastPassMarksSubGroups() {
    AppState state;
    state.stopflag = false;
    CompareJobInput input;
    input.list = scannedList();
    input.plan = ComparePlan::fromCodes(u"2");
    CompareJobResult fuzzy = runComparison(input, state);
    // The near copy N equals A in the samples: it joins A's set.
    QCOMPARE(names(fuzzy.list), (QStringList{u"^A"_s, u"C"_s, u"N"_s, u"^B"_s, u"D"_s}));

    // The first pass of two leaves no marks behind; the rows are rebuilt.
    const ResultList scanned = scannedList();
    const std::vector<KeptRow> kept = {{0, true, {}}, {2, false, {}}};
    QCOMPARE(names(rebuildList(scanned, kept, false)), (QStringList{u"A"_s, u"C"_s}));
    QCOMPARE(names(rebuildList(scanned, kept, true)), (QStringList{u"^A"_s, u"C"_s}));

    input.plan = ComparePlan::fromCodes(u"24");
    const CompareJobResult both = runComparison(input, state);
    QCOMPARE(both.plandone.codes(), u"24"_s);
    QCOMPARE(names(both.list), (QStringList{u"^A"_s, u"C"_s, u"^B"_s, u"D"_s}));
}

void ComparisonTest::planWithOneEndsAtOnce() {
    for (const QString& plan : {u"1"_s, u"21"_s, u"4321"_s}) {
        AppState state;
        state.stopflag = false;
        testing::FailingAccess access;
        CompareJobInput input;
        input.list = scannedList();
        input.plan = ComparePlan::fromCodes(plan);
        input.files = &access;
        const CompareJobResult result = runComparison(std::move(input), state);
        QCOMPARE(result.plandone.codes(), u"1"_s);
        QCOMPARE(result.compareplan.codes(), u"1"_s);
        QCOMPARE(result.curstep, 1);
        QCOMPARE(names(result.list), names(scannedList()));
        QCOMPARE(result.list[0].dateform, DateForm::Scan);
        QCOMPARE(access.opens, 0);
    }
}

void ComparisonTest::emptyAndUnknownPlansCompareNothing() {
    for (const QString& plan : {QString(), u"5"_s, u"x9"_s}) {
        AppState state;
        state.stopflag = false;
        testing::FailingAccess access;
        CompareJobInput input;
        input.list = scannedList();
        input.plan = ComparePlan::fromCodes(plan);
        input.files = &access;
        const CompareJobResult result = runComparison(std::move(input), state);
        QVERIFY(!result.stopped);
        QVERIFY(result.list.empty());
        QCOMPARE(result.plandone.codes(), QString());
        QCOMPARE(result.passes, 1);
        QCOMPARE(access.opens, 0);
    }
}

void ComparisonTest::rebuiltRowsCarryCurrentValues() {
    // The list says 4,000 bytes; both files have grown since the scan.
    const QString e = m_tree->writeFile(u"grown/E"_s, 4100, 'g');
    const QString f = m_tree->writeFile(u"grown/F"_s, 4100, 'g');
    QVERIFY(m_tree->setModified(u"grown/E"_s, 1600000000));
    AppState state;
    state.stopflag = false;
    CompareJobInput input;
    input.list = {scannedRow(e, 4000), scannedRow(f, 4000)};
    input.plan = ComparePlan::fromCodes(u"4");
    const CompareJobResult result = runComparison(std::move(input), state);
    QCOMPARE(result.list.size(), 2u);
    const ResultEntry& row = result.list[0];
    QCOMPARE(row.sizebyteText(), u"4100"_s);
    QCOMPARE(row.dateform, DateForm::General);
    QCOMPARE(row.mtime, 1600000000);
    QCOMPARE(row.filedateText(), generalDateText(1600000000));
    QCOMPARE(row.path, m_tree->path(u"grown/"_s));
    QVERIFY(!row.checked);

    // A row the pass did not read keeps its name only; the others carry what
    // the pass saw, whatever the name leads to by now.
    const QString gone = m_tree->path(u"grown/gone"_s);
    const ResultList before = {scannedRow(gone, 4000), scannedRow(e, 4000)};
    SeenFile seen;
    seen.id = {7, 8};
    seen.size = 4100;
    seen.mtime = 1500000000;
    seen.mtimensec = 5;
    const ResultList rows = rebuildList(before, {{0, true, {}}, {1, false, seen}}, true);
    QCOMPARE(rows[0].filename, u"gone"_s);
    QCOMPARE(rows[0].sizebyteText(), QString());
    QCOMPARE(rows[0].sizembText(), QString());
    QCOMPARE(rows[0].filedateText(), QString());
    QCOMPARE(rows[1].sizebyteText(), u"4100"_s);
    QCOMPARE(rows[1].mtime, 1500000000);
    QCOMPARE(rows[1].mtimensec, 5u);
    QCOMPARE(rows[1].id, seen.id);

    const ResultList entries = {scannedRow(e, 4000), ResultEntry::separator(), scannedRow(f, -1),
                                scannedRow(e, 9)};
    const ResultListSource table(entries);
    QCOMPARE(table.count(), 4);
    QCOMPARE(table.path(0), e);
    QCOMPARE(table.size(0), 4000);
    QCOMPARE(table.path(1), QString());
    QCOMPARE(table.size(1), 0);
    QCOMPARE(table.size(2), 0); // a size that could not be read counts as 0
    QVERIFY(table.samePath(0, 3));
    QCOMPARE(table.pathHash(0), table.pathHash(3));
    QVERIFY(!table.samePath(0, 2));
}

void ComparisonTest::rebuiltRowsFollowTheKeptOrder_data() {
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<bool>("anyOrder"); // kept rows in any order, not only within size runs
    for (quint32 seed = 1; seed <= 40; ++seed)
        QTest::addRow("seed %u%s", seed, seed % 4 == 0 ? " any order" : "")
            << seed << (seed % 4 == 0);
}

void ComparisonTest::rebuiltRowsFollowTheKeptOrder() {
    QFETCH(quint32, seed);
    QFETCH(bool, anyOrder);
    QRandomGenerator random(seed);
    const int count = 1 + int(random.bounded(300));
    ResultList list;
    for (int i = 0; i < count; ++i)
        list.push_back(scannedRow(u"/d/r%1"_s.arg(i), 100 + i / 7));
    // Runs of rows, each keeping some of its rows with the sets reordered,
    // as a pass keeps them.
    std::vector<KeptRow> kept;
    for (int begin = 0; begin < count;) {
        const int end = qMin(count, begin + 1 + int(random.bounded(12)));
        std::vector<KeptRow> run;
        for (int i = begin; i < end; ++i) {
            if (random.bounded(3) == 0)
                continue;
            KeptRow row{i, random.bounded(2) == 0, {}};
            if (random.bounded(2) == 0)
                row.seen.size = 5000 + i;
            run.push_back(row);
        }
        std::shuffle(run.begin(), run.end(), random);
        kept.insert(kept.end(), run.begin(), run.end());
        begin = end;
    }
    if (anyOrder)
        std::shuffle(kept.begin(), kept.end(), random);

    const ResultList rows = rebuildList(list, kept, true);
    QCOMPARE(rows.size(), kept.size());
    for (std::size_t k = 0; k < kept.size(); ++k) {
        const qint64 from = kept[k].index;
        QCOMPARE(rows[k].filename, u"r%1"_s.arg(from));
        QCOMPARE(rows[k].size, kept[k].seen.size >= 0 ? 5000 + from : -1);
        QCOMPARE(rows[k].subgroupstart, kept[k].subgroupstart);
    }
}

void ComparisonTest::stopLeavesTheResultUnused() {
    AppState state;
    state.stopflag = true;
    CompareJobInput input;
    input.list = scannedList();
    input.plan = ComparePlan::fromCodes(u"24");
    const CompareJobResult result = runComparison(std::move(input), state);
    QVERIFY(result.stopped);
    QCOMPARE(result.plandone.codes(), u"2"_s);
}

void ComparisonTest::fileChangedWhileReadIsEqualToNothing_data() {
    QTest::addColumn<QString>("plan");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("how");
    // "24": the fuzzy pass reads the small files whole and the bytewise
    // pass takes its labels without reading again.
    for (const QString& plan : {u"2"_s, u"3"_s, u"4"_s, u"24"_s}) {
        for (const QString& how : {u"renamed over"_s, u"written in place"_s})
            QTest::addRow("%s %s", qPrintable(plan), qPrintable(how))
                << plan << qint64(5000) << how;
    }
    // Read in several blocks side by side.
    QTest::addRow("4 big renamed over") << u"4"_s << qint64(3000000) << u"renamed over"_s;
    QTest::addRow("4 big written in place") << u"4"_s << qint64(3000000) << u"written in place"_s;
    // Replaced between the scan and the comparison.
    for (const QString& plan : {u"2"_s, u"3"_s, u"4"_s}) {
        QTest::addRow("%s other file", qPrintable(plan)) << plan << qint64(5000) << u"other file"_s;
        QTest::addRow("%s other folder", qPrintable(plan))
            << plan << qint64(5000) << u"other folder"_s;
    }
}

void ComparisonTest::fileChangedWhileReadIsEqualToNothing() {
    QFETCH(QString, plan);
    QFETCH(qint64, size);
    QFETCH(QString, how);
    std::mt19937 random(7);
    QByteArray content(qsizetype(size), Qt::Uninitialized);
    for (char& ch : content)
        ch = char(random() & 0xFF);
    const QString a = m_tree->writeFile(u"x/A"_s, content);
    const QString b = m_tree->writeFile(u"y/B"_s, content);
    const QString c = m_tree->writeFile(u"y/C"_s, content);
    // Old dates, so that a write now shows in the modification time.
    for (const QString& name : {u"x/A"_s, u"y/B"_s, u"y/C"_s})
        QVERIFY(m_tree->setModified(name, 1000000000));

    ChangingAccess access;
    QString replacement;
    CompareJobInput input;
    input.list = {identifiedRow(a), identifiedRow(b), identifiedRow(c)};
    if (how == u"renamed over"_s) {
        replacement = m_tree->writeFile(u"x/new"_s, size, 'n');
        access.change = [&] {
            QCOMPARE(std::rename(QFile::encodeName(replacement).constData(),
                                 QFile::encodeName(a).constData()),
                     0);
        };
    } else if (how == u"written in place"_s) {
        access.change = [&] {
            QFile file(a);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QCOMPARE(file.write("EDIT"), 4);
        };
    } else if (how == u"other file"_s) {
        input.list[0].id = input.list[1].id;
    } else {
        input.list[0].folderid = input.list[1].folderid;
    }
    access.target = access.change ? a : QString();
    const platform::FileInfo newFile = platform::fileInfo(replacement);

    AppState state;
    state.stopflag = false;
    input.plan = ComparePlan::fromCodes(plan);
    input.files = &access;
    const CompareJobResult result = runComparison(std::move(input), state);
    QCOMPARE(access.changed, bool(access.change));
    QCOMPARE(names(result.list), (QStringList{u"^B"_s, u"C"_s}));
    for (const ResultEntry& row : result.list) {
        const platform::FileInfo info = platform::fileInfo(row.fullPath());
        QVERIFY(row.id != newFile.id);
        QCOMPARE(row.id, info.id);
        QCOMPARE(row.size, size);
        QCOMPARE(row.mtime, 1000000000);
        QCOMPARE(row.dateform, DateForm::General);
    }
}

void ComparisonTest::fileReplacedBeforeItsTurnIsEqualToNothing() {
    // The files of a run are opened a little before their turn. One renamed
    // over in between is read as it was opened, equal to the others, and
    // must still drop out.
    for (const QString& plan : {u"2"_s, u"3"_s, u"4"_s}) {
        const QString a = m_tree->writeFile(u"ahead/A"_s, 5000, 'a');
        const QString b = m_tree->writeFile(u"ahead/B"_s, 5000, 'a');
        const QString c = m_tree->writeFile(u"ahead/C"_s, 5000, 'a');
        const QString replacement = m_tree->writeFile(u"ahead/new"_s, 5000, 'n');
        ChangingAccess access;
        access.target = a;
        access.change = [&] {
            QCOMPARE(std::rename(QFile::encodeName(replacement).constData(),
                                 QFile::encodeName(c).constData()),
                     0);
        };
        CompareJobInput input;
        input.list = {identifiedRow(a), identifiedRow(b), identifiedRow(c)};
        input.plan = ComparePlan::fromCodes(plan);
        input.files = &access;
        AppState state;
        state.stopflag = false;
        const CompareJobResult result = runComparison(std::move(input), state);
        QVERIFY(access.changed);
        QCOMPARE(names(result.list), (QStringList{u"^A"_s, u"B"_s}));
    }
}

void ComparisonTest::fileChangedBetweenPassesIsEqualToNothing() {
    // Small files that the fuzzy pass read whole are labelled by their bytes
    // for the bytewise pass after it; one written in between must still drop
    // out.
    const QString a = m_tree->writeFile(u"x/a"_s, 700, 's');
    const QString b = m_tree->writeFile(u"y/b"_s, 700, 's');
    const QString c = m_tree->writeFile(u"y/c"_s, 700, 's');
    for (const QString& name : {u"x/a"_s, u"y/b"_s, u"y/c"_s})
        QVERIFY(m_tree->setModified(name, 1000000000));
    const ResultList list = {identifiedRow(a), identifiedRow(b), identifiedRow(c)};
    testing::FailingAccess access;
    const ReadControl control{nullptr, nullptr, false, &access};
    std::vector<KeptRow> kept;
    QVERIFY(runPass(PassKind::Fuzzy, ResultListSource(list), kept, control, {}, true));
    const ResultList rebuilt = rebuildList(list, kept, false);
    std::vector<qint64> labels;
    for (const KeptRow& row : kept)
        labels.push_back(row.sameAs);
    QCOMPARE(labels, (std::vector<qint64>{0, 0, 0}));

    QFile file(a);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QCOMPARE(file.write("EDIT"), 4);
    file.close();
    const qint64 opens = access.opens;
    std::vector<KeptRow> second;
    QVERIFY(runPass(PassKind::Bytewise, ResultListSource(rebuilt, &labels), second, control));
    QCOMPARE(access.opens, opens); // not read again
    QCOMPARE(names(rebuildList(rebuilt, second, true)), (QStringList{u"^b"_s, u"c"_s}));
}

void ComparisonTest::checksumCacheSparesReadsButNeverDecides_data() {
    QTest::addColumn<bool>("factsKnown");
    QTest::addRow("facts from the scan") << true;
    QTest::addRow("facts looked up") << false;
}

void ComparisonTest::checksumCacheSparesReadsButNeverDecides() {
    QFETCH(bool, factsKnown);
    // Files of several blocks for the checksums a bytewise pass keeps, below.
    std::mt19937 random(5);
    QByteArray big(300000, Qt::Uninitialized);
    for (char& ch : big)
        ch = char(random() & 0xFF);
    const QString bigA = m_tree->writeFile(u"kept/A"_s, big);
    const QString bigC = m_tree->writeFile(u"kept/C"_s, big);
    // Checksums are kept only of files whose last change lies a few seconds
    // before they were read.
    QTest::qSleep(3500);
    const QString cache = m_tree->path(u"cache.sqlite"_s);
    qint64 bytesRead = 0;
    auto runOn = [&](const QStringList& paths, const QString& cachePath, const QString& plan) {
        AppState state;
        state.stopflag = false;
        CompareJobInput input;
        for (const QString& path : paths)
            input.list.push_back(factsKnown ? observedRow(path) : identifiedRow(path));
        input.plan = ComparePlan::fromCodes(plan);
        input.cachepath = cachePath;
        const CompareJobResult result = runComparison(std::move(input), state);
        bytesRead = state.kbdone.load() / 10;
        return names(result.list);
    };
    auto run = [&](const QString& plan) {
        return runOn({m_a, m_b, m_c, m_d, m_near}, cache, plan);
    };
    const QStringList pairs{u"^A"_s, u"C"_s, u"^B"_s, u"D"_s};
    QCOMPARE(run(u"23"_s), pairs);
    QCOMPARE_GT(bytesRead, 0);
    QCOMPARE(run(u"23"_s), pairs);
    QCOMPARE(bytesRead, 0);
    // The bytes of the files with equal checksums are still compared; the
    // near copy differs by its checksums and is not read.
    QCOMPARE(run(u"24"_s), pairs);
    QCOMPARE(bytesRead, 4 * 4000);

    // D rewritten with A's bytes and its date set back: its change time moved.
    QFile original(m_a);
    QVERIFY(original.open(QIODevice::ReadOnly));
    QVERIFY(rewriteKeepingDate(m_d, original.readAll()));
    QCOMPARE(run(u"23"_s), (QStringList{u"^A"_s, u"C"_s, u"D"_s}));
    QCOMPARE(bytesRead, 4000);

    // A bytewise pass keeps the checksums of the files it read to their end,
    // taken once for their whole class: a new copy that the CRC and fuzzy
    // passes read themselves must meet them.
    const QString kept = m_tree->path(u"kept.sqlite"_s);
    QVERIFY(ChecksumCache::clear(kept));
    auto runKept = [&](const QStringList& paths, const QString& plan) {
        return runOn(paths, kept, plan);
    };
    QCOMPARE(runKept({bigA, bigC}, u"4"_s), (QStringList{u"^A"_s, u"C"_s}));
    const QString copy = m_tree->writeFile(u"kept/E"_s, big);
    QCOMPARE(runKept({bigA, bigC, copy}, u"3"_s), (QStringList{u"^A"_s, u"C"_s, u"E"_s}));
    QCOMPARE(bytesRead, 300000);
    QCOMPARE(runKept({bigA, bigC, copy}, u"2"_s), (QStringList{u"^A"_s, u"C"_s, u"E"_s}));

    // So does a fuzzy pass that reads small files whole for a bytewise pass.
    QVERIFY(ChecksumCache::clear(kept));
    QCOMPARE(runKept({m_a, m_c}, u"24"_s), (QStringList{u"^A"_s, u"C"_s}));
    QFile small(m_a);
    QVERIFY(small.open(QIODevice::ReadOnly));
    const QString smallCopy = m_tree->writeFile(u"kept/F"_s, small.readAll());
    QCOMPARE(runKept({m_a, m_c, smallCopy}, u"3"_s), (QStringList{u"^A"_s, u"C"_s, u"F"_s}));
    QCOMPARE(bytesRead, 4000);
}

void ComparisonTest::equalCrcIsNoProof() {
    // Two files of 50,000 bytes that differ in one byte and in their last
    // four, set so that the CRC-32 is the same; all of it lies outside the
    // fuzzy samples.
    std::mt19937 random(11);
    QByteArray one(50000, Qt::Uninitialized);
    for (char& ch : one)
        ch = char(random() & 0xFF);
    QByteArray two = one;
    two[45000] = char(two[45000] ^ 0x40);
    forceCrc(two, crc32Update(0xFFFFFFFFu, one.constData(), std::size_t(one.size())) ^ 0xFFFFFFFFu);
    QVERIFY(one != two);
    const QString x = m_tree->writeFile(u"crc/x"_s, one);
    const QString y = m_tree->writeFile(u"crc/y"_s, two);
    QCOMPARE(filecrc(x), filecrc(y));
    QVERIFY(fuzzycompare(x, y));
    QVERIFY(!crccompare(x, y));
    for (const QString& plan : {u"3"_s, u"23"_s}) {
        AppState state;
        state.stopflag = false;
        CompareJobInput input;
        input.list = {scannedRow(x, 50000), scannedRow(y, 50000)};
        input.plan = ComparePlan::fromCodes(plan);
        const CompareJobResult result = runComparison(std::move(input), state);
        QCOMPARE(result.plandone.codes(), plan);
        QVERIFY(result.list.empty());
    }
}

void ComparisonTest::tableGrowsBeyondAMillionRows() {
    AppState state;
    state.stopflag = false;
    CompareJobInput input;
    const QString folder = m_tree->path(u"many/"_s);
    const int rows = 1100000;
    input.list.reserve(rows + 2);
    for (int k = 0; k < rows; ++k) {
        ResultEntry row;
        row.filename = u"f"_s;
        row.path = folder;
        row.size = 2000000 - k;
        input.list.push_back(row);
    }
    const QString p = m_tree->writeFile(u"many/p"_s, "same");
    const QString q = m_tree->writeFile(u"many/q"_s, "same");
    input.list.push_back(scannedRow(p, 4));
    input.list.push_back(scannedRow(q, 4));
    input.plan = ComparePlan::fromCodes(u"3");
    const CompareJobResult result = runComparison(std::move(input), state);
    QCOMPARE(names(result.list), (QStringList{u"^p"_s, u"q"_s}));
    QCOMPARE(state.filescompared.load(), rows + 2);
}

void ComparisonTest::runEndsWithGroupsMessageAndAssistant() {
    AppState state;
    state.resultlist = scannedList();
    state.compareplan = ComparePlan::fromCodes(u"24");
    state.curstep = 1;
    state.totalsteps = 3;
    testing::FakeFrontend frontend;
    frontend.notices[int(Notice::Warning)] = true;
    frontend.notices[int(Notice::Preview)] = true;
    CompareController controller(state, frontend);
    QSignalSpy finished(&controller, &CompareController::finished);
    QVERIFY(controller.start());
    QVERIFY(frontend.busy);
    QVERIFY(!state.stopflag);
    QVERIFY(!controller.start()); // one run at a time
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.at(0).at(0).toBool(), false);

    QCOMPARE(frontend.events, (QStringList{u"busy"_s, u"idle"_s, u"assistant"_s}));
    QVERIFY(state.stopflag);
    QCOMPARE(names(state.resultlist), (QStringList{u"A"_s, u"C"_s, QString(), u"D"_s, u"B"_s}));
    QCOMPARE(icons(state.resultlist), (QList<int>{3, 2, 0, 3, 2}));
    QCOMPARE(state.resultlist[3].colour, RowColour::Black);
    QCOMPARE(state.resultlist[0].colour, RowColour::Blue);
    QCOMPARE(state.labeldef1, u"4"_s);
    QCOMPARE(state.labelposs1, u"0"_s);
    QCOMPARE(frontend.boxes.shown.size(), 1);
    QCOMPARE(frontend.boxes.shown[0].text,
             u"Comparison successfully completed!\r\n\r\n4 definate duplicates found."_s);
    QCOMPARE(frontend.boxes.shown[0].icon, MessageIcon::Information);
    QCOMPARE(frontend.boxes.shown[0].buttons, MessageButtons::Ok);
    QVERIFY(frontend.noticeVisible(Notice::Completion));
    QVERIFY(!frontend.noticeVisible(Notice::Warning));
    QVERIFY(!frontend.noticeVisible(Notice::Preview));
    QCOMPARE(state.curfolder.get(), QString());
    QCOMPARE(state.progressdone.load(), state.progressmax.load());
    QCOMPARE(state.curstep, 3);
    QCOMPARE(state.compareplan.codes(), u"4"_s);
    QVERIFY(frontend.resets > 0);
}

void ComparisonTest::fuzzyOnlyReportsPossibleDuplicates() {
    AppState state;
    state.resultlist = scannedList();
    state.compareplan = ComparePlan::fromCodes(u"2");
    testing::FakeFrontend frontend;
    CompareController controller(state, frontend);
    QSignalSpy finished(&controller, &CompareController::finished);
    QVERIFY(controller.start());
    QVERIFY(finished.wait(10000));
    QCOMPARE(countnamedrows(state.resultlist), 5);
    // Each group holds only files that matched each other, sorted by folder.
    QCOMPARE(names(state.resultlist),
             (QStringList{u"N"_s, u"A"_s, u"C"_s, QString(), u"D"_s, u"B"_s}));
    QCOMPARE(state.labelposs1, u"5"_s);
    QCOMPARE(state.labeldef1, u"0"_s);
    QVERIFY(frontend.noticeVisible(Notice::Warning));
    QVERIFY(!frontend.noticeVisible(Notice::Completion));
    QCOMPARE(frontend.boxes.shown.size(), 1);
    QCOMPARE(frontend.boxes.shown[0].text,
             u"Comparison successfully completed!\r\n\r\n5 possible duplicates found."_s);
}

void ComparisonTest::runWithoutDuplicatesReportsZero() {
    AppState state;
    state.resultlist = {scannedRow(m_a, 4000), scannedRow(m_lone, 300)};
    state.compareplan = ComparePlan::fromCodes(u"4");
    testing::FakeFrontend frontend;
    CompareController controller(state, frontend);
    QSignalSpy finished(&controller, &CompareController::finished);
    QVERIFY(controller.start());
    QVERIFY(finished.wait(10000));
    QVERIFY(state.resultlist.empty());
    QCOMPARE(frontend.boxes.shown.size(), 1);
    QCOMPARE(frontend.boxes.shown[0].text,
             u"Comparison successfully completed!\r\n\r\n0 definate duplicates found."_s);
    QCOMPARE(state.labeldef1, u"0"_s);
    QCOMPARE(frontend.events.last(), u"assistant"_s);
}

void ComparisonTest::planOneAndEmptyPlanShowNoMessage() {
    for (const QString& plan : {u"1"_s, QString()}) {
        AppState state;
        state.resultlist = scannedList();
        state.compareplan = ComparePlan::fromCodes(plan);
        state.labelposs1 = u"6"_s;
        testing::FakeFrontend frontend;
        CompareController controller(state, frontend);
        QSignalSpy finished(&controller, &CompareController::finished);
        QVERIFY(controller.start());
        QVERIFY(finished.wait(10000));
        QVERIFY(frontend.boxes.shown.isEmpty());
        QVERIFY(!frontend.noticeVisible(Notice::Warning));
        QVERIFY(!frontend.noticeVisible(Notice::Completion));
        QCOMPARE(state.labelposs1, u"6"_s);
        QCOMPARE(frontend.events.last(), u"assistant"_s);
        if (plan.isEmpty()) {
            QVERIFY(state.resultlist.empty());
        } else {
            // The scanned list, grouped by size.
            QCOMPARE(countnamedrows(state.resultlist), 6);
            QCOMPARE(state.resultlist.size(), 7u);
        }
    }
}

void ComparisonTest::stopEmptiesTheListQuickly() {
    const qint64 size = 40LL * 1024 * 1024 * 1024;
    const QString a = m_tree->writeSparseFile(u"big/a"_s, size, 'a');
    const QString b = m_tree->writeSparseFile(u"big/b"_s, size, 'a');
    if (platform::fileLength(b) != size)
        QSKIP("The temporary folder cannot hold 40 GiB sparse files.");
    for (const QString& plan : {u"4"_s, u"3"_s}) {
        for (bool gentle : {false, true}) {
            AppState state;
            state.resultlist = {scannedRow(a, size), scannedRow(b, size)};
            state.compareplan = ComparePlan::fromCodes(plan);
            state.gentlecompare = gentle;
            testing::FakeFrontend frontend;
            CompareController controller(state, frontend);
            QSignalSpy finished(&controller, &CompareController::finished);
            QVERIFY(controller.start());
            QElapsedTimer stopped;
            QTimer::singleShot(300, [&] {
                state.stopflag = true; // what the Stop command does
                stopped.start();
            });
            QVERIFY(finished.wait(10000));
            const qint64 ms = stopped.elapsed();
            QCOMPARE(finished.at(0).at(0).toBool(), true);
            QVERIFY2(ms < 1000, qPrintable(QString::number(ms)));
            QVERIFY(state.resultlist.empty());
            QVERIFY(frontend.boxes.shown.isEmpty());
            QCOMPARE(frontend.events, (QStringList{u"busy"_s, u"idle"_s}));
            QVERIFY(!state.progressvisible);
            QVERIFY(state.stopflag);
        }
    }
}

QTEST_GUILESS_MAIN(ComparisonTest)
#include "tst_comparison.moc"

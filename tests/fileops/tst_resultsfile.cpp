#include "fakefrontend.h"
#include "fileops/recheck.h"
#include "fileops/savedresults.h"
#include "fixtures.h"
#include "report/resultsfile.h"
#include "resultrows.h"
#include "temptree.h"

#include <QtTest>
#include <sys/stat.h>

using namespace quillfen;
using namespace Qt::StringLiterals;

namespace {

ResultEntry rowFor(const QString& fullPath, bool checked) {
    ResultEntry row = fixtures::entryFor(fullPath, checked);
    const platform::FileInfo info = platform::fileInfo(fullPath);
    row.mtimensec = info.mtimensec;
    row.id = info.id;
    row.folderid = platform::fileInfo(row.path).id;
    row.dateform = DateForm::General;
    return row;
}

QStringList pathsOf(const ResultList& list) {
    QStringList paths;
    for (const ResultEntry& row : list)
        paths << (row.isSeparator() ? u"-"_s : row.fullPath());
    return paths;
}

QByteArray written(const ResultList& list, const RunSummary& run) {
    QByteArray all;
    QByteArray out;
    writeresults(list, run, out, [&](QByteArray& piece) {
        all += piece;
        piece.clear();
    });
    return all + out;
}

} // namespace

class ResultsFileTest : public QObject {
    Q_OBJECT
private slots:
    void savedResultsOpenAsTheyWere();
    void openingDropsWhatChanged();
    void damagedOrForeignFilesAreRefused_data();
    void damagedOrForeignFilesAreRefused();
    void openedResultsReplaceTheReviewOrNothing();
};

void ResultsFileTest::savedResultsOpenAsTheyWere() {
    testing::TempTree tree;
    const QByteArray odd("odd\nname \xE9.bin");
    tree.makeFolder(u"b"_s);
    const QString oddPath = platform::decodeFileName(tree.writeRawNamedFile("b/" + odd, "BBBB"));
    ResultList list{rowFor(tree.writeFile(u"a/1.bin"_s, "AAAAAA"), false),
                    rowFor(tree.writeFile(u"a/2.bin"_s, "AAAAAA"), true), ResultEntry::separator(),
                    rowFor(tree.writeFile(u"b/1.bin"_s, "BBBB"), true), rowFor(oddPath, false)};
    RunSummary run;
    run.definite = true;
    run.plan = u"fuzzy,bytewise"_s;
    run.filesfound = 12;
    run.filesunreadable = 1;
    run.kbdone = 40;
    run.definiteduplicates = 4;
    run.timespent = u"00:00:03"_s;

    QString error;
    const std::optional<OpenedResults> opened = readresults(written(list, run), error);
    QVERIFY2(opened, qPrintable(error));
    QCOMPARE(pathsOf(opened->list), pathsOf(list));
    for (std::size_t k = 0; k < list.size(); ++k) {
        QCOMPARE(opened->list[k].checked, list[k].checked);
        QCOMPARE(opened->list[k].size, list[k].size);
        QCOMPARE(opened->list[k].id, list[k].id);
        QCOMPARE(opened->list[k].folderid, list[k].folderid);
        QCOMPARE(opened->list[k].mtimensec, list[k].mtimensec);
    }
    QCOMPARE(platform::encodeFileName(opened->list[4].filename), odd);
    QCOMPARE(opened->run.plan, run.plan);
    QVERIFY(opened->run.definite);
    QCOMPARE(opened->run.filesfound, 12);
    QCOMPARE(opened->run.kbdone, 40);
    QCOMPARE(opened->run.definiteduplicates, 4);
    QCOMPARE(opened->run.timespent, run.timespent);

    const RecheckedList same = recheckresults(opened->list);
    QCOMPARE(pathsOf(same.list), pathsOf(list));
    QCOMPARE(same.vanished + same.changed, 0);
}

void ResultsFileTest::openingDropsWhatChanged() {
    testing::TempTree tree;
    ResultList list;
    for (const QString& name : {u"a1"_s, u"a2"_s})
        list.push_back(rowFor(tree.writeFile(u"a/"_s + name, "AAAA"), false));
    list.push_back(ResultEntry::separator());
    for (const QString& name : {u"b1"_s, u"b2"_s, u"b3"_s, u"b4"_s, u"b5"_s})
        list.push_back(rowFor(tree.writeFile(u"b/"_s + name, "BBBBBB"), false));
    list.push_back(ResultEntry::separator());
    for (const QString& name : {u"c1"_s, u"c2"_s})
        list.push_back(rowFor(tree.writeFile(u"c/"_s + name, "CC"), false));

    QVERIFY(QFile::remove(tree.path(u"a/a1"_s)));                        // vanished
    QVERIFY(QFile::rename(tree.path(u"b/b2"_s), tree.path(u"b/b2x"_s))); // vanished
    tree.setModified(u"b/b3"_s, 1000000000);                             // changed date
    tree.writeFile(u"b/new"_s, "BBBBBB");                                // replaced, same size
    QVERIFY(::rename(QFile::encodeName(tree.path(u"b/new"_s)).constData(),
                     QFile::encodeName(tree.path(u"b/b4"_s)).constData()) == 0);
    // A folder swapped for another one with the same names.
    QVERIFY(QDir().rename(tree.path(u"c"_s), tree.path(u"c-old"_s)));
    tree.writeFile(u"c/c1"_s, "CC");
    tree.writeFile(u"c/c2"_s, "CC");

    const RecheckedList rechecked = recheckresults(list);
    QCOMPARE(rechecked.vanished, 2);
    QCOMPARE(rechecked.changed, 4);
    // a2 lost its only duplicate; b1 and b5 stay together.
    QCOMPARE(pathsOf(rechecked.list), (QStringList{tree.path(u"b/b1"_s), tree.path(u"b/b5"_s)}));
}

void ResultsFileTest::damagedOrForeignFilesAreRefused_data() {
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QString>("message");
    ResultList list{testing::resultFile(u"/x/"_s, u"a"_s, 1),
                    testing::resultFile(u"/x/"_s, u"b"_s, 1)};
    const QByteArray good = written(list, RunSummary{});
    const QString damaged = u"The results file is damaged."_s;
    const QString foreign = u"The file is not a Quillfen results file."_s;
    QTest::addRow("cut short") << good.left(good.size() / 2) << damaged;
    QTest::addRow("not JSON") << QByteArray("\x89PNG\r\n") << foreign;
    QTest::addRow("other JSON") << QByteArray("{\"groups\": []}") << foreign;
    QTest::addRow("newer version")
        << QByteArray(good).replace("\"version\": 1", "\"version\": 7")
        << u"The results file was written by a newer version of Quillfen."_s;
    QTest::addRow("relative path") << QByteArray(good).replace("\"/x/a\"", "\"x/a\"") << damaged;
    QTest::addRow("negative size")
        << QByteArray(good).replace("\"size\": 1", "\"size\": -1") << damaged;
    QTest::addRow("no check mark")
        << QByteArray(good).replace("\"checked\": false", "\"checked\": 0") << damaged;
}

void ResultsFileTest::damagedOrForeignFilesAreRefused() {
    QFETCH(QByteArray, document);
    QFETCH(QString, message);
    QString error;
    QVERIFY(!readresults(document, error));
    QCOMPARE(error, message);
}

void ResultsFileTest::openedResultsReplaceTheReviewOrNothing() {
    testing::TempTree tree;
    AppState saved;
    saved.resultlist = {rowFor(tree.writeFile(u"a/1"_s, "AAAA"), false),
                        rowFor(tree.writeFile(u"a/2"_s, "AAAA"), true),
                        ResultEntry::separator(),
                        rowFor(tree.writeFile(u"b/1"_s, "BBBBBB"), true),
                        rowFor(tree.writeFile(u"b/2"_s, "BBBBBB"), false),
                        rowFor(tree.writeFile(u"b/3"_s, "BBBBBB"), false)};
    saved.plandone = {ComparePass::Fuzzy, ComparePass::Bytewise};
    saved.filesfound = 9;
    saved.labeldef1 = u"5"_s;
    testing::FakeFrontend window;
    const QString file = tree.path(u"review.json"_s);
    QVERIFY(saveresults(saved, window, file, u"00:01:02"_s));

    auto checksOf = [](const ResultList& list) {
        QList<bool> checks;
        for (const ResultEntry& row : list)
            checks << row.checked;
        return checks;
    };
    AppState state;
    testing::FakeFrontend reopened;
    QCOMPARE(openresults(state, reopened, file), std::optional<QString>(u"00:01:02"_s));
    QCOMPARE(pathsOf(state.resultlist), pathsOf(saved.resultlist));
    QCOMPARE(checksOf(state.resultlist), checksOf(saved.resultlist));
    QCOMPARE(state.labeldef1, u"5"_s);
    QCOMPARE(state.filesfound.load(), 9);
    QVERIFY(reopened.notices[int(Notice::Completion)]);
    QVERIFY(reopened.boxes.shown.isEmpty());

    // What vanished or changed since goes, and the message counts it.
    QVERIFY(QFile::remove(tree.path(u"a/1"_s)));
    QVERIFY(tree.setModified(u"b/2"_s, 1000000000));
    QVERIFY(openresults(state, reopened, file));
    QCOMPARE(pathsOf(state.resultlist), (QStringList{tree.path(u"b/1"_s), tree.path(u"b/3"_s)}));
    QCOMPARE(state.labeldef1, u"2"_s);
    QCOMPARE(reopened.boxes.shown.size(), 1);
    QCOMPARE(reopened.boxes.shown.back().text, droppedRowsMessage(1, 1));

    // A damaged file leaves the review as it is.
    QFile damaged(file);
    QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("{\"format\": \"quillfen-results\", \"version\": 1, \"groups\": [");
    damaged.close();
    QVERIFY(!openresults(state, reopened, file));
    QCOMPARE(pathsOf(state.resultlist), (QStringList{tree.path(u"b/1"_s), tree.path(u"b/3"_s)}));
    QCOMPARE(reopened.boxes.shown.size(), 2);
    QCOMPARE(reopened.boxes.shown.back().icon, MessageIcon::Critical);

    // A FIFO of that name is refused at once; nothing waits for a writer.
    const QString fifo = tree.path(u"review.fifo"_s);
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QVERIFY(!openresults(state, reopened, fifo));
    QCOMPARE(reopened.boxes.shown.size(), 3);
    QVERIFY(reopened.boxes.shown.back().text.endsWith(u"It is not a file."_s));
}

QTEST_GUILESS_MAIN(ResultsFileTest)
#include "tst_resultsfile.moc"

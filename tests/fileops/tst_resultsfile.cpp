#include "fileops/recheck.h"
#include "fixtures.h"
#include "report/resultsfile.h"
#include "resultrows.h"
#include "temptree.h"

#include <QtTest>

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

QTEST_GUILESS_MAIN(ResultsFileTest)
#include "tst_resultsfile.moc"

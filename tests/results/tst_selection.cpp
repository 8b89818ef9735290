#include "core/appstate.h"
#include "core/format.h"
#include "fakefrontend.h"
#include "platform/filename.h"
#include "resultrows.h"
#include "results/filecommands.h"
#include "results/selection.h"
#include "temptree.h"

#include <QtTest>
#include <sys/stat.h>

using namespace quillfen;
using namespace Qt::StringLiterals;

namespace {

ResultEntry file(const QString& path, const QString& name, qint64 size, bool checked = false) {
    return testing::resultFile(path, name, size, checked);
}

} // namespace

class SelectionTest : public QObject {
    Q_OBJECT
private slots:
    void recountRoundsAfterEveryAdditionInListOrder();
    void smallFilesNeverAddAndHideThePreview();
    void separatorRowsCannotBeChecked();
    void selectAllInverseAndUnselect();
    void folderCommandsCompareThePathExactly();
    void markedEntriesAreOnlyAdded();
    void emptyListIsLeftAlone();
    void fileCommandsNameTheClickedRow();
};

void SelectionTest::recountRoundsAfterEveryAdditionInListOrder() {
    testing::FakeFrontend frontend;
    AppState state;
    state.resultlist = {file(u"/a/"_s, u"1"_s, 1000000), file(u"/a/"_s, u"2"_s, 500000),
                        file(u"/a/"_s, u"3"_s, 500000), file(u"/a/"_s, u"4"_s, 500000)};
    selall(state, frontend);
    QCOMPARE(state.mbselected, 2); // 1, 2 (1.5 to even), 2 (2.5 to even), 2
    QCOMPARE(state.labelmbselected1, u"2 MB"_s);
    QVERIFY(frontend.noticeVisible(Notice::Preview));

    // The same rows with the big one last: 0, 0 (0.5), 0 (0.5), 1.
    std::rotate(state.resultlist.begin(), state.resultlist.begin() + 1, state.resultlist.end());
    recountselected(state, frontend);
    QCOMPARE(state.mbselected, 1);
    QCOMPARE(state.labelmbselected1, u"1 MB"_s);

    // Toggling follows list order too, not the order of the clicks.
    unsel(state, frontend);
    setrowchecked(state, frontend, 3, true);
    QCOMPARE(state.mbselected, 1);
    setrowchecked(state, frontend, 0, true);
    QCOMPARE(state.mbselected, 1); // 0.5 -> 0, then 1; in click order it would be 1.5 -> 2
    setrowchecked(state, frontend, 3, false);
    QCOMPARE(state.mbselected, 0);
}

void SelectionTest::smallFilesNeverAddAndHideThePreview() {
    testing::FakeFrontend frontend;
    AppState state;
    frontend.notices[int(Notice::Preview)] = true;
    for (int i = 0; i < 10; ++i)
        state.resultlist.push_back(file(u"/a/"_s, QString::number(i), 400000));
    selall(state, frontend);
    QCOMPARE(countnamedrows(state.resultlist), 10);
    QVERIFY(std::all_of(state.resultlist.begin(), state.resultlist.end(),
                        [](const ResultEntry& e) { return e.checked; }));
    QCOMPARE(state.mbselected, 0);
    QCOMPARE(state.labelmbselected1, u"0 MB"_s);
    QVERIFY(!frontend.noticeVisible(Notice::Preview));
}

void SelectionTest::separatorRowsCannotBeChecked() {
    testing::FakeFrontend frontend;
    AppState state;
    state.resultlist = {file(u"/a/"_s, u"x"_s, 2000000, true), ResultEntry::separator(),
                        file(u"/b/"_s, u"y"_s, 3000000)};
    recountselected(state, frontend);
    QCOMPARE(state.mbselected, 2);
    setrowchecked(state, frontend, 1, true);
    QCOMPARE(testing::checksOf(state.resultlist), (QList<bool>{true, false, false}));
    QCOMPARE(state.mbselected, 2);
    setrowchecked(state, frontend, 2, true);
    QCOMPARE(state.mbselected, 5);
    QVERIFY(frontend.checkChanges > 0);
}

void SelectionTest::selectAllInverseAndUnselect() {
    testing::FakeFrontend frontend;
    AppState state;
    state.resultlist = {file(u"/a/"_s, u"x"_s, 2000000, true), file(u"/a/"_s, u"y"_s, 2000000),
                        ResultEntry::separator(), file(u"/b/"_s, u"z"_s, 7000000)};
    selinv(state, frontend);
    QCOMPARE(testing::checksOf(state.resultlist), (QList<bool>{false, true, false, true}));
    QCOMPARE(state.mbselected, 9);

    selall(state, frontend);
    QCOMPARE(testing::checksOf(state.resultlist), (QList<bool>{true, true, false, true}));
    QCOMPARE(state.mbselected, 11);
    selinv(state, frontend);
    QCOMPARE(testing::checksOf(state.resultlist), (QList<bool>{false, false, false, false}));
    QCOMPARE(state.mbselected, 0);
    QVERIFY(!frontend.noticeVisible(Notice::Preview));

    selall(state, frontend);
    QVERIFY(frontend.noticeVisible(Notice::Preview));
    unsel(state, frontend);
    QCOMPARE(testing::checksOf(state.resultlist), (QList<bool>{false, false, false, false}));
    QCOMPARE(state.mbselected, 0);
    QCOMPARE(state.labelmbselected1, u"0 MB"_s);
    QVERIFY(!frontend.noticeVisible(Notice::Preview));
}

void SelectionTest::folderCommandsCompareThePathExactly() {
    testing::FakeFrontend frontend;
    AppState state;
    state.resultlist = {file(u"/Music/"_s, u"a"_s, 1000000), file(u"/music/"_s, u"b"_s, 1000000),
                        file(u"/Music/rock/"_s, u"c"_s, 1000000), ResultEntry::separator(),
                        file(u"/Music/"_s, u"d"_s, 1000000, false)};
    selalldir(state, frontend, 0);
    QCOMPARE(testing::checksOf(state.resultlist), (QList<bool>{true, false, false, false, true}));
    QCOMPARE(state.mbselected, 2);

    state.resultlist[1].checked = true;
    state.resultlist[2].checked = true;
    unseldir(state, frontend, 4);
    QCOMPARE(testing::checksOf(state.resultlist), (QList<bool>{false, true, true, false, false}));
    QCOMPARE(state.mbselected, 2);

    // No focused entry: nothing at all happens.
    const int changes = frontend.statusChanges;
    selalldir(state, frontend, -1);
    unseldir(state, frontend, 99);
    QCOMPARE(testing::checksOf(state.resultlist), (QList<bool>{false, true, true, false, false}));
    QCOMPARE(frontend.statusChanges, changes);
}

void SelectionTest::markedEntriesAreOnlyAdded() {
    testing::FakeFrontend frontend;
    AppState state;
    state.resultlist = {file(u"/a/"_s, u"x"_s, 1000000, true), file(u"/a/"_s, u"y"_s, 1000000),
                        ResultEntry::separator(), file(u"/b/"_s, u"z"_s, 1000000),
                        file(u"/b/"_s, u"w"_s, 1000000)};
    const std::vector<qsizetype> marked = {1, 2, 3, 42};
    selmark(state, frontend, marked);
    QCOMPARE(testing::checksOf(state.resultlist), (QList<bool>{true, true, false, true, false}));
    QCOMPARE(state.mbselected, 3);
}

void SelectionTest::emptyListIsLeftAlone() {
    testing::FakeFrontend frontend;
    AppState state;
    state.mbselected = 7;
    const std::vector<qsizetype> marked = {0};
    selall(state, frontend);
    selinv(state, frontend);
    unsel(state, frontend);
    selmark(state, frontend, marked);
    selalldir(state, frontend, 0);
    setrowchecked(state, frontend, 0, true);
    QCOMPARE(state.mbselected, 7);
    QCOMPARE(frontend.statusChanges, 0);
    QCOMPARE(frontend.checkChanges, 0);
}

void SelectionTest::fileCommandsNameTheClickedRow() {
    AppState state;
    state.viewerpath = u"/opt/My Editor/edit"_s;
    state.resultlist = {file(u"/home/u/Docs/"_s, u"-rf \"x\".txt"_s, 10), ResultEntry::separator(),
                        file(u"/"_s, u"top.txt"_s, 10)};
    QVERIFY(!editfilecommand(state)); // nothing clicked yet

    state.clickeditem = 1;
    const auto edit = editfilecommand(state);
    QVERIFY(edit);
    QCOMPARE(edit->program, u"/opt/My Editor/edit"_s);
    QCOMPARE(edit->arguments, QStringList{u"/home/u/Docs/-rf \"x\".txt"_s});
    QCOMPARE(openfoldertarget(state), u"/home/u/Docs"_s);

    state.clickeditem = 2; // a separator row
    QVERIFY(!clickedfile(state));
    state.clickeditem = 3;
    QCOMPARE(openfoldertarget(state), u"/"_s);
    state.clickeditem = 4; // rows were removed since the click
    QVERIFY(!clickedfile(state));
    QVERIFY(!openfoldertarget(state));

    state.clickeditem = 1;
    state.viewerpath.clear();
    QVERIFY(!editfilecommand(state));

    // A name that is not UTF-8 keeps its bytes in the URL.
    const QString odd = platform::decodeFileName(QByteArray("/tmp/caf\xE9 #1.txt"));
    const QUrl url = fileUrl(odd);
    QVERIFY(url.isValid());
    QCOMPARE(url.toEncoded(), QByteArray("file:///tmp/caf%E9%20%231.txt"));
    QCOMPARE(fileUrl(u"/tmp/a b.txt"_s).toLocalFile(), u"/tmp/a b.txt"_s);

    // Properties are read from the file as it is now.
    testing::TempTree tree;
    const QString ro = tree.writeFile(u"ro.txt"_s, "12345");
    ::chmod(platform::encodeFileName(ro).constData(), 0444);
    tree.setModified(u"ro.txt"_s, 1234567890);
    state.resultlist = {file(tree.root(), u"ro.txt"_s, 3), file(tree.root(), u"gone.txt"_s, 3)};
    state.clickeditem = 1;
    const auto properties = filepropertiesof(state);
    QVERIFY(properties && properties->exists);
    QCOMPARE(properties->name, u"ro.txt"_s);
    QCOMPARE(properties->folder, tree.root());
    QCOMPARE(properties->type, u"File"_s);
    QCOMPARE(properties->size, 5);
    QCOMPARE(properties->modified, scanDateText(1234567890));
    QVERIFY(properties->readonly);
    // The dates take the form the list shows: the comparison's after a comparison.
    state.resultlist[0].dateform = DateForm::General;
    QCOMPARE(filepropertiesof(state)->modified, generalDateText(1234567890));
    state.resultlist[0].dateform = DateForm::Scan;
    state.clickeditem = 2;
    QVERIFY(!filepropertiesof(state)->exists);
    state.clickeditem = 3;
    QVERIFY(!filepropertiesof(state));
}

QTEST_GUILESS_MAIN(SelectionTest)
#include "tst_selection.moc"

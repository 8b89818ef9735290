#include "compare/grouping.h"
#include "fakefrontend.h"

#include <QtTest>
#include <limits>

using namespace quillfen;
using namespace Qt::StringLiterals;

namespace {

ResultEntry fileRow(const QString& name, qint64 size, const QString& folder = u"/data/"_s) {
    ResultEntry row;
    row.filename = name;
    row.path = folder;
    row.size = size;
    row.mtime = 1700000000;
    row.dateform = DateForm::Scan;
    return row;
}

QList<int> icons(const ResultList& list) {
    QList<int> result;
    for (const ResultEntry& row : list)
        result << row.icon;
    return result;
}

QStringList names(const ResultList& list) {
    QStringList result;
    for (const ResultEntry& row : list)
        result << row.filename;
    return result;
}

// 'A' blue, 'B' black, '-' for a row without a name.
QString groupColours(const ResultList& list) {
    QString result;
    for (const ResultEntry& row : list) {
        if (row.isSeparator())
            result += u'-';
        else
            result += row.colour == RowColour::Blue ? u'A' : u'B';
    }
    return result;
}

} // namespace

class GroupingTest : public QObject {
    Q_OBJECT
private slots:
    void emptyListIsLeftAlone();
    void oneGroupNeedsOneCall();
    void twoCallsOnAFreshList();
    void threeGroupsAlternateColours();
    void furtherCallsChangeNothing();
    void subGroupStartsANewGroup();
    void nameStartingWithControlCharactersIsKept();
    void listWithoutEqualNeighboursStopsEarly();
    void loneLastRowAfterAGroup();
    void selectedSizeIsRoundedAfterEveryAddition();
    void groupsAreSortedByFolder();
    void sortLeavesSeparatorsAndBoundsAlone();
    void largeListIsGroupedWhole();
};

void GroupingTest::emptyListIsLeftAlone() {
    AppState state;
    state.mbselected = 7;
    state.labelmbselected1 = u"7 MB"_s;
    testing::FakeFrontend frontend;
    coloritems(state, frontend);
    QVERIFY(state.resultlist.empty());
    QCOMPARE(state.mbselected, 0);
    QCOMPARE(state.labelmbselected1, u"7 MB"_s);
    QCOMPARE(frontend.resets, 0);
}

void GroupingTest::oneGroupNeedsOneCall() {
    AppState state;
    state.resultlist = {fileRow(u"a"_s, 100), fileRow(u"b"_s, 100), fileRow(u"c"_s, 100)};
    testing::FakeFrontend frontend;
    coloritems(state, frontend);
    QCOMPARE(state.resultlist.size(), 3u);
    QCOMPARE(icons(state.resultlist), (QList<int>{3, 1, 2}));
    QCOMPARE(groupColours(state.resultlist), u"AAA"_s);
    for (const ResultEntry& row : state.resultlist)
        QVERIFY(row.bold);
    QCOMPARE(state.labelmbselected1, u"0 MB"_s);
    QVERIFY(!frontend.noticeVisible(Notice::Preview));
    QVERIFY(frontend.resets >= 1);
}

void GroupingTest::twoCallsOnAFreshList() {
    AppState state;
    state.resultlist = {fileRow(u"a1"_s, 100), fileRow(u"a2"_s, 100), fileRow(u"b1"_s, 50),
                        fileRow(u"b2"_s, 50), fileRow(u"b3"_s, 50)};
    testing::FakeFrontend frontend;

    coloritems(state, frontend);
    QCOMPARE(names(state.resultlist),
             (QStringList{u"a1"_s, u"a2"_s, QString(), u"b1"_s, u"b2"_s, u"b3"_s}));
    // The first call styles by positions that the insertion has shifted.
    QCOMPARE(icons(state.resultlist), (QList<int>{3, 0, 3, 1, 1, 2}));
    QCOMPARE(state.resultlist[2].colour, RowColour::Black);
    QVERIFY(state.resultlist[2].bold);
    QCOMPARE(state.resultlist[2].sizebyteText(), QString());

    coloritems(state, frontend);
    QCOMPARE(state.resultlist.size(), 6u);
    QCOMPARE(icons(state.resultlist), (QList<int>{3, 2, 0, 3, 1, 2}));
    QCOMPARE(groupColours(state.resultlist), u"AA-BBB"_s);
    for (int row : {0, 1, 3, 4, 5})
        QVERIFY(state.resultlist[row].bold);
}

void GroupingTest::threeGroupsAlternateColours() {
    AppState state;
    state.resultlist = {fileRow(u"a1"_s, 300), fileRow(u"a2"_s, 300), fileRow(u"b1"_s, 200),
                        fileRow(u"b2"_s, 200), fileRow(u"c1"_s, 100), fileRow(u"c2"_s, 100),
                        fileRow(u"c3"_s, 100), fileRow(u"c4"_s, 100)};
    testing::FakeFrontend frontend;
    coloritems(state, frontend);
    coloritems(state, frontend);
    QCOMPARE(groupColours(state.resultlist), u"AA-BB-AAAA"_s);
    QCOMPARE(icons(state.resultlist), (QList<int>{3, 2, 0, 3, 2, 0, 3, 1, 1, 2}));
    QCOMPARE(countnamedrows(state.resultlist), 8);
}

void GroupingTest::furtherCallsChangeNothing() {
    AppState state;
    state.resultlist = {fileRow(u"a1"_s, 9), fileRow(u"a2"_s, 9), fileRow(u"b1"_s, 5),
                        fileRow(u"b2"_s, 5)};
    testing::FakeFrontend frontend;
    coloritems(state, frontend);
    coloritems(state, frontend);
    const QStringList twice = names(state.resultlist);
    const QList<int> iconsTwice = icons(state.resultlist);
    const QString coloursTwice = groupColours(state.resultlist);
    coloritems(state, frontend);
    QCOMPARE(names(state.resultlist), twice);
    QCOMPARE(icons(state.resultlist), iconsTwice);
    QCOMPARE(groupColours(state.resultlist), coloursTwice);
}

void GroupingTest::subGroupStartsANewGroup() {
    // A run of one size holding two sets of equal files, as a comparison
    // leaves it: A, C, B, D with B starting the second set.
    AppState state;
    state.resultlist = {fileRow(u"A"_s, 10), fileRow(u"C"_s, 10), fileRow(u"B"_s, 10),
                        fileRow(u"D"_s, 10)};
    state.resultlist[0].subgroupstart = true;
    state.resultlist[2].subgroupstart = true;
    testing::FakeFrontend frontend;
    coloritems(state, frontend);
    QCOMPARE(names(state.resultlist), (QStringList{u"A"_s, u"C"_s, QString(), u"B"_s, u"D"_s}));
    for (const ResultEntry& row : state.resultlist)
        QVERIFY(!row.subgroupstart);
    coloritems(state, frontend);
    QCOMPARE(names(state.resultlist), (QStringList{u"A"_s, u"C"_s, QString(), u"B"_s, u"D"_s}));
    QCOMPARE(icons(state.resultlist), (QList<int>{3, 2, 0, 3, 2}));
    QCOMPARE(groupColours(state.resultlist), u"AA-BB"_s);
}

void GroupingTest::nameStartingWithControlCharactersIsKept() {
    // A real file may be called "\x01\x0Dreport": its name is not a marker.
    const QString odd = QString(QChar(1)) + QChar(13) + u"report"_s;
    AppState state;
    state.resultlist = {fileRow(u"x"_s, 10), fileRow(odd, 10), fileRow(u"y"_s, 10)};
    testing::FakeFrontend frontend;
    coloritems(state, frontend);
    coloritems(state, frontend);
    QCOMPARE(state.resultlist.size(), 3u);
    QCOMPARE(countnamedrows(state.resultlist), 3);
    QVERIFY(names(state.resultlist).contains(odd));
    QCOMPARE(icons(state.resultlist), (QList<int>{3, 1, 2}));
}

void GroupingTest::listWithoutEqualNeighboursStopsEarly() {
    AppState state;
    state.resultlist = {fileRow(u"a"_s, 100, u"/z/"_s), fileRow(u"b"_s, 50, u"/y/"_s),
                        fileRow(u"c"_s, 30, u"/x/"_s)};
    state.resultlist[0].checked = true;
    state.resultlist[0].size = 5000000;
    state.labelmbselected1 = u"12 MB"_s;
    testing::FakeFrontend frontend;
    frontend.notices[int(Notice::Preview)] = true;
    coloritems(state, frontend);
    // The walk ends at the last row before anything was styled: no recount,
    // label, notice or last-row icon.
    QCOMPARE(state.mbselected, 0);
    QCOMPARE(state.labelmbselected1, u"12 MB"_s);
    QVERIFY(frontend.noticeVisible(Notice::Preview));
    for (const ResultEntry& row : state.resultlist) {
        QVERIFY(!row.bold);
        QCOMPARE(row.icon, groupicon::None);
    }
    QCOMPARE(names(state.resultlist), (QStringList{u"a"_s, QString(), u"b"_s, u"c"_s}));
}

void GroupingTest::loneLastRowAfterAGroup() {
    AppState state;
    state.resultlist = {fileRow(u"a1"_s, 100), fileRow(u"a2"_s, 100), fileRow(u"c"_s, 70)};
    testing::FakeFrontend frontend;
    coloritems(state, frontend);
    // Past the last row the walk compares with the size it read before.
    QCOMPARE(names(state.resultlist), (QStringList{u"a1"_s, u"a2"_s, QString(), u"c"_s}));
    QCOMPARE(icons(state.resultlist), (QList<int>{3, 0, 3, 2}));
    QCOMPARE(groupColours(state.resultlist), u"AA-B"_s);
    QVERIFY(state.resultlist[3].bold);
}

void GroupingTest::selectedSizeIsRoundedAfterEveryAddition() {
    struct Case {
        QList<qint64> checkedSizes;
        int expected;
    };
    const QList<Case> cases = {
        {{400000}, 0},
        {{600000, 600000}, 2},           // 0.6 -> 1, 1.6 -> 2
        {{500000, 500000, 500000}, 0},   // 0.5 -> 0 each time
        {{1500000, 500000}, 2},          // 1.5 -> 2, 2.5 -> 2
        {{1000000, 500000}, 2},          // 1.5 -> 2
        {{400000, 400000, 400000}, 0},   // never reaches a half
        {{3000000000LL, 2500000}, 3002}, // beyond 32-bit byte counts
        // Beyond what the 32-bit count holds: the most it can say, not garbage.
        {{1000000000000000000LL, 1000000000000000000LL}, std::numeric_limits<int>::max()},
    };
    for (const Case& c : cases) {
        AppState state;
        for (qint64 size : c.checkedSizes) {
            state.resultlist.push_back(fileRow(u"f"_s, size));
            state.resultlist.back().checked = true;
            state.resultlist.push_back(fileRow(u"g"_s, size));
        }
        std::stable_sort(
            state.resultlist.begin(), state.resultlist.end(),
            [](const ResultEntry& a, const ResultEntry& b) { return a.size > b.size; });
        testing::FakeFrontend frontend;
        coloritems(state, frontend);
        QCOMPARE(state.mbselected, c.expected);
        QCOMPARE(state.labelmbselected1, QString::number(c.expected) + u" MB"_s);
        QCOMPARE(frontend.noticeVisible(Notice::Preview), c.expected > 0);
        QCOMPARE(selectedMegabytes(state.resultlist), c.expected);
    }
}

void GroupingTest::groupsAreSortedByFolder() {
    AppState state;
    state.resultlist = {fileRow(u"one"_s, 100, u"/d/b/"_s), fileRow(u"two"_s, 100, u"/c/a/"_s),
                        fileRow(u"three"_s, 100, u"/C/a/"_s), fileRow(u"x"_s, 50, u"/q/"_s),
                        fileRow(u"y"_s, 50, u"/p/"_s)};
    state.resultlist[0].checked = true;
    state.resultlist[0].size = 100;
    state.resultlist[1].mtime = 42;
    state.resultlist[1].mtimensec = 7;
    // Which file and folder a row stands for travels with it too: the file
    // operations act only on that file.
    for (int k = 0; k < 5; ++k) {
        state.resultlist[std::size_t(k)].id = {1, quint64(100 + k)};
        state.resultlist[std::size_t(k)].folderid = {1, quint64(200 + k)};
    }
    testing::FakeFrontend frontend;
    coloritems(state, frontend);
    coloritems(state, frontend);
    const ResultList& list = state.resultlist;
    QCOMPARE(names(list), (QStringList{u"three"_s, u"two"_s, u"one"_s, QString(), u"y"_s, u"x"_s}));
    QCOMPARE(list[0].path, u"/C/a/"_s);
    QCOMPARE(list[1].path, u"/c/a/"_s);
    QCOMPARE(list[1].mtime, 42); // the date travels with its file
    QCOMPARE(list[1].mtimensec, 7u);
    const quint64 from[] = {2, 1, 0, 0, 4, 3}; // the place each row had before
    for (std::size_t k : {0, 1, 2, 4, 5}) {
        QCOMPARE(list[k].id.inode, 100 + from[k]);
        QCOMPARE(list[k].folderid.inode, 200 + from[k]);
    }
    // The check box stays with the position, not with the file.
    QVERIFY(list[0].checked);
    QVERIFY(!list[2].checked);
    QCOMPARE(icons(list), (QList<int>{3, 1, 2, 0, 3, 2}));
}

void GroupingTest::sortLeavesSeparatorsAndBoundsAlone() {
    // A first row without a name ends the sort before anything moves.
    ResultList leading = {ResultEntry::separator(), fileRow(u"b"_s, 1, u"/b/"_s),
                          fileRow(u"a"_s, 1, u"/a/"_s)};
    sortgroupsbypath(leading);
    QCOMPARE(names(leading), (QStringList{QString(), u"b"_s, u"a"_s}));

    // A trailing separator stays a separator; the group above is sorted.
    ResultList trailing = {fileRow(u"b"_s, 1, u"/b/"_s), fileRow(u"a"_s, 1, u"/a/"_s),
                           ResultEntry::separator()};
    sortgroupsbypath(trailing);
    QCOMPARE(names(trailing), (QStringList{u"a"_s, u"b"_s, QString()}));

    // Two separators in a row and the last group reaching the end.
    ResultList doubled = {fileRow(u"b"_s, 1, u"/b/"_s), fileRow(u"a"_s, 1, u"/a/"_s),
                          ResultEntry::separator(),     ResultEntry::separator(),
                          fileRow(u"d"_s, 2, u"/d/"_s), fileRow(u"c"_s, 2, u"/c/"_s)};
    sortgroupsbypath(doubled);
    QCOMPARE(names(doubled), (QStringList{u"a"_s, u"b"_s, QString(), QString(), u"c"_s, u"d"_s}));

    // Equal folders keep their order.
    ResultList same = {fileRow(u"z"_s, 1, u"/f/"_s), fileRow(u"y"_s, 1, u"/f/"_s),
                       fileRow(u"x"_s, 1, u"/f/"_s)};
    sortgroupsbypath(same);
    QCOMPARE(names(same), (QStringList{u"z"_s, u"y"_s, u"x"_s}));
}

void GroupingTest::largeListIsGroupedWhole() {
    // 300,000 rows in pairs: 150,000 separators get inserted. Inserting them
    // one by one into the vector would take many minutes.
    AppState state;
    const int pairs = 150000;
    state.resultlist.reserve(pairs * 2);
    for (int k = 0; k < pairs; ++k) {
        state.resultlist.push_back(fileRow(u"a"_s, 1000000 - k, u"/b/"_s));
        state.resultlist.push_back(fileRow(u"b"_s, 1000000 - k, u"/a/"_s));
    }
    testing::FakeFrontend frontend;
    coloritems(state, frontend);
    coloritems(state, frontend);
    const ResultList& list = state.resultlist;
    QCOMPARE(list.size(), std::size_t(pairs * 3 - 1));
    for (std::size_t k = 0; k < list.size(); k += 3) {
        QCOMPARE(list[k].filename, u"b"_s);
        QCOMPARE(list[k].icon, groupicon::First);
        QCOMPARE(list[k + 1].icon, groupicon::Last);
        QCOMPARE(list[k].colour, (k / 3) % 2 == 0 ? RowColour::Blue : RowColour::Black);
        if (k + 2 < list.size())
            QVERIFY(list[k + 2].isSeparator());
    }
}

QTEST_GUILESS_MAIN(GroupingTest)
#include "tst_grouping.moc"

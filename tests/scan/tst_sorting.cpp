#include "scan/sorting.h"

#include <QtTest>
#include <random>

using namespace quillfen;
using namespace Qt::StringLiterals;

class SortingTest : public QObject {
    Q_OBJECT
private slots:
    void sizesCarryTheirPaths();
    void oneElementIsUntouched();
    void allEqualKeysKeepEveryEntry();
    void largeSortedInputStaysFast();
    void randomInputMatchesAReferenceSort();
    void foldersSortByCharacterCodes();
};

void SortingTest::sizesCarryTheirPaths() {
    std::vector<qint64> sizes{5, 3, 5, 1};
    std::vector<QString> paths{u"a5"_s, u"b3"_s, u"c5"_s, u"d1"_s};
    quicksortsizes(sizes, paths);
    QCOMPARE(sizes, (std::vector<qint64>{1, 3, 5, 5}));
    QCOMPARE(paths[0], u"d1"_s);
    QCOMPARE(paths[1], u"b3"_s);
    QVERIFY((paths[2] == u"a5"_s && paths[3] == u"c5"_s) ||
            (paths[2] == u"c5"_s && paths[3] == u"a5"_s));
}

void SortingTest::oneElementIsUntouched() {
    std::vector<qint64> sizes{7};
    std::vector<QString> paths{u"x"_s};
    quicksortsizes(sizes, paths);
    QCOMPARE(sizes.front(), 7);
    QCOMPARE(paths.front(), u"x"_s);
    std::vector<qint64> none;
    std::vector<QString> nopaths;
    quicksortsizes(none, nopaths);
    QVERIFY(none.empty());
}

void SortingTest::allEqualKeysKeepEveryEntry() {
    std::vector<qint64> sizes(1000, 42);
    std::vector<int> ids(1000);
    std::iota(ids.begin(), ids.end(), 0);
    quicksortsizes(sizes, ids);
    std::sort(ids.begin(), ids.end());
    for (int i = 0; i < 1000; ++i)
        QCOMPARE(ids[i], i);
}

void SortingTest::largeSortedInputStaysFast() {
    // Two million sorted candidates: a first-element pivot would recurse two
    // million levels deep here and overflow the stack.
    const int n = 2000000;
    std::vector<qint64> sizes(n);
    std::vector<int> ids(n);
    for (int i = 0; i < n; ++i)
        sizes[i] = ids[i] = i;
    quicksortsizes(sizes, ids);
    QCOMPARE(sizes[n - 1], n - 1);
    std::reverse(sizes.begin(), sizes.end());
    std::reverse(ids.begin(), ids.end());
    quicksortsizes(sizes, ids);
    for (int i = 0; i < n; i += 99991)
        QCOMPARE(ids[i], i);
}

void SortingTest::randomInputMatchesAReferenceSort() {
    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round) {
        const int n = int(random() % 300) + 1;
        std::vector<qint64> sizes(n);
        std::vector<int> ids(n);
        std::vector<std::pair<qint64, int>> reference;
        for (int i = 0; i < n; ++i) {
            sizes[i] = qint64(random() % 20);
            ids[i] = i;
            reference.push_back({sizes[i], i});
        }
        quicksortsizes(sizes, ids);
        QVERIFY(std::is_sorted(sizes.begin(), sizes.end()));
        std::vector<std::pair<qint64, int>> result;
        for (int i = 0; i < n; ++i)
            result.push_back({sizes[i], ids[i]});
        std::sort(result.begin(), result.end());
        std::sort(reference.begin(), reference.end());
        QVERIFY(result == reference);
    }
}

void SortingTest::foldersSortByCharacterCodes() {
    std::vector<QString> folders{u"/b/"_s, u"/A/"_s, u"/a/"_s, u"/B/"_s, u"/a/x/"_s};
    std::vector<QString> names{u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s};
    std::vector<QString> mb(5), bytes(5), dates(5);
    for (int i = 0; i < 5; ++i)
        mb[i] = bytes[i] = dates[i] = names[i];
    QuickSortpath(folders, names, mb, bytes, dates);
    QCOMPARE(folders, (std::vector<QString>{u"/A/"_s, u"/B/"_s, u"/a/"_s, u"/a/x/"_s, u"/b/"_s}));
    QCOMPARE(names, (std::vector<QString>{u"2"_s, u"4"_s, u"3"_s, u"5"_s, u"1"_s}));
    QCOMPARE(dates, names);
    QCOMPARE(bytes, names);
}

QTEST_GUILESS_MAIN(SortingTest)
#include "tst_sorting.moc"

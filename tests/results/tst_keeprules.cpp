#include "resultrows.h"
#include "results/keeprules.h"

#include <QtTest>

using namespace quillfen;
using namespace Qt::StringLiterals;

namespace {

// Rows from a short text: "name:size" per file ("a:10"), "-" a separator row;
// a size of -1 is a file that vanished during the comparison; "name:size:n"
// gives the file inode n.
ResultList rows(const QString& text) {
    ResultList list;
    for (const QString& item : text.split(u' ', Qt::SkipEmptyParts)) {
        if (item == u"-"_s) {
            list.push_back(ResultEntry::separator());
            continue;
        }
        const QStringList parts = item.split(u':');
        list.push_back(testing::resultFile(u"/d/"_s, parts[0], parts[1].toLongLong()));
        if (parts.size() > 2)
            list.back().id = {7, parts[2].toULongLong()};
    }
    return list;
}

// The names of a list, "-" for separator rows.
QString names(const ResultList& list) {
    QStringList out;
    for (const ResultEntry& row : list)
        out << (row.isSeparator() ? u"-"_s : row.filename);
    return out.join(u' ');
}

} // namespace

class KeepRulesTest : public QObject {
    Q_OBJECT
private slots:
    void groupsHaveTwoFilesWithASize_data();
    void groupsHaveTwoFilesWithASize();
    void rulesBecomeTheAssistantsPriorities();
    void everyGroupKeepsOneFile();
};

void KeepRulesTest::groupsHaveTwoFilesWithASize_data() {
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("groups");
    QTest::newRow("vanished file after a pair") << u"a:10 b:10 - c:-1"_s << u"a b"_s;
    QTest::newRow("pair with a vanished file") << u"a:10 b:-1"_s << QString();
    QTest::newRow("two vanished files") << u"a:10 - b:-1 c:-1"_s << QString();
    QTest::newRow("vanished file inside a group") << u"a:5 b:-1 c:5"_s << u"a c"_s;
    QTest::newRow("one file left by a separator") << u"a:10 b:10 - c:10"_s << u"a b"_s;
    QTest::newRow("sizes split groups") << u"a:20 b:20 c:10 d:10 e:7"_s << u"a b - c d"_s;
    QTest::newRow("stray separators") << u"- - a:5 b:5 - - - c:4 d:4 -"_s << u"a b - c d"_s;
    QTest::newRow("nothing left") << u"a:1 - b:2 - -"_s << QString();
    QTest::newRow("one file under two names") << u"a:9:1 b:9:1 - c:8:2 d:8:3 e:8:2"_s << u"c d"_s;
}

void KeepRulesTest::groupsHaveTwoFilesWithASize() {
    QFETCH(QString, list);
    QFETCH(QString, groups);
    const ResultList result = duplicategroups(rows(list));
    QCOMPARE(names(result), groups);
    // One colour per group, the next group in the other one, so that the
    // keep phase sees the same groups.
    for (size_t k = 1; k < result.size(); ++k) {
        if (!result[k].isSeparator() && !result[k - 1].isSeparator())
            QCOMPARE(result[k].colour, result[k - 1].colour);
        if (k >= 2 && result[k - 1].isSeparator())
            QVERIFY(result[k].colour != result[k - 2].colour);
    }
}

void KeepRulesTest::rulesBecomeTheAssistantsPriorities() {
    AssistantWorking defaults;
    QVERIFY(assistantworking(AssistantSettings(), defaults));
    AssistantWorking working;
    QVERIFY(keepworking({}, working));
    QCOMPARE(std::vector<KeepCriterion>(working.levels, working.levels + 3),
             std::vector<KeepCriterion>(defaults.levels, defaults.levels + 3));
    QCOMPARE(working.keepnewest, defaults.keepnewest);
    QCOMPARE(working.keeplongestname, defaults.keeplongestname);
    QCOMPARE(working.keeplongestfolder, defaults.keeplongestfolder);

    QVERIFY(keepworking({KeepRule::LongestFolder, KeepRule::Newest}, working));
    QCOMPARE(std::vector<KeepCriterion>(working.levels, working.levels + 3),
             (std::vector<KeepCriterion>{KeepCriterion::FolderLength, KeepCriterion::Date,
                                         KeepCriterion::NameLength}));
    QVERIFY(working.keepnewest && working.keeplongestfolder && !working.keeplongestname);

    QVERIFY(!keepworking({KeepRule::Oldest, KeepRule::Newest}, working));
    QVERIFY(
        !keepworking({KeepRule::ShortestName, KeepRule::Oldest, KeepRule::ShortestName}, working));
}

void KeepRulesTest::everyGroupKeepsOneFile() {
    ResultList list;
    for (const auto& [folder, name, size, date] :
         std::vector<std::tuple<QString, QString, qint64, qint64>>{{u"/a/"_s, u"x"_s, 30, 100},
                                                                   {u"/bb/"_s, u"yy"_s, 30, 100},
                                                                   {u"/a/"_s, u"zzz"_s, 30, 50},
                                                                   {u"/a/"_s, u"same"_s, 20, 7},
                                                                   {u"/a/"_s, u"same"_s, 20, 7},
                                                                   {u"/c/"_s, u"p"_s, 10, 1},
                                                                   {u"/cc/"_s, u"q"_s, 10, 2},
                                                                   {u"/ccc/"_s, u"r"_s, 10, 3}})
        list.push_back(testing::resultFile(folder, name, size, false, date));
    list = duplicategroups(std::move(list));
    const std::vector<std::vector<KeepRule>> ruleSets = {
        {},
        {KeepRule::Newest},
        {KeepRule::LongestName},
        {KeepRule::ShortestFolder, KeepRule::Newest, KeepRule::LongestName},
        {KeepRule::LongestFolder, KeepRule::ShortestName},
    };
    for (const std::vector<KeepRule>& rules : ruleSets) {
        AssistantWorking working;
        QVERIFY(keepworking(rules, working));
        selectallbutkept(list, working);
        const QString pattern = testing::checkPattern(list);
        for (const QString& group : pattern.split(u'-'))
            QCOMPARE(group.count(u'.'), 1);
    }
}

QTEST_GUILESS_MAIN(KeepRulesTest)
#include "tst_keeprules.moc"

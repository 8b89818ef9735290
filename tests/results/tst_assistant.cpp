#include "core/appstate.h"
#include "fakefrontend.h"
#include "resultrows.h"
#include "results/assistant.h"

#include <QtTest>

using namespace quillfen;
using namespace Qt::StringLiterals;

namespace {

ResultEntry file(const QString& path, const QString& name, qint64 size, qint64 mtime,
                 RowColour colour = RowColour::Blue) {
    return testing::resultFile(path, name, size, false, mtime, colour);
}

// Runs the assistant on list with settings and returns the check pattern.
QString run(const ResultList& list, const AssistantSettings& settings,
            testing::FakeFrontend* frontendOut = nullptr) {
    testing::FakeFrontend local;
    testing::FakeFrontend& frontend = frontendOut ? *frontendOut : local;
    AppState state;
    state.resultlist = list;
    state.assistant = settings;
    runassistant(state, frontend);
    return testing::checkPattern(state.resultlist);
}

} // namespace

class AssistantTest : public QObject {
    Q_OBJECT
private slots:
    void defaultsKeepTheOldestFile();
    void laterCriteriaDecideTiesInPriorityOrder();
    void sizeRuleLimitPassesBothWays();
    void nameAndWordRules();
    void folderRuleWithAndWithoutSubfolders();
    void ruleThatKeepsAFileKeepsTheKeepPhaseOut();
    void equalPrioritiesAndEmptyListChangeNothing();
    void sizeTextIsNormalised();
    void reportsTheCountAndRecounts();
    void folderListEditing();
};

void AssistantTest::defaultsKeepTheOldestFile() {
    const ResultList list = {file(u"/a/"_s, u"one"_s, 10, 1001),
                             file(u"/b/"_s, u"one"_s, 10, 1000),
                             file(u"/c/"_s, u"one"_s, 10, 1002),
                             ResultEntry::separator(),
                             file(u"/a/"_s, u"two"_s, 5, 900, RowColour::Black),
                             file(u"/b/"_s, u"two"_s, 5, 800, RowColour::Black),
                             file(u"/c/"_s, u"two"_s, 5, 800, RowColour::Black)};
    // One second apart is enough; of two equal oldest the later row is kept.
    QCOMPARE(run(list, AssistantSettings()), u"x.x-xx."_s);

    AssistantSettings newest;
    newest.keepnewest = true;
    QCOMPARE(run(list, newest), u"xx.-.xx"_s);

    // Without separators the colours tell the groups apart.
    ResultList adjacent = list;
    adjacent.erase(adjacent.begin() + 3);
    QCOMPARE(run(adjacent, AssistantSettings()), u"x.xxx."_s);
}

void AssistantTest::laterCriteriaDecideTiesInPriorityOrder() {
    // Same dates; names of 5, 3 and 3 characters.
    const ResultList names = {file(u"/a/"_s, u"abcde"_s, 1, 50), file(u"/b/"_s, u"abc"_s, 1, 50),
                              file(u"/c/"_s, u"xyz"_s, 1, 50)};
    QCOMPARE(run(names, AssistantSettings()), u"x.x"_s);
    AssistantSettings longest;
    longest.keeplongestname = true;
    QCOMPARE(run(names, longest), u".xx"_s);
    // Characters are counted, not bytes or UTF-16 units.
    const ResultList wide = {file(u"/a/"_s, u"\u00e9\u00e9\u00e9\u00e9"_s, 1, 50),
                             file(u"/b/"_s, u"\U0001F600\U0001F600\U0001F600"_s, 1, 50)};
    QCOMPARE(run(wide, AssistantSettings()), u"x."_s);

    // All three criteria agree: the third one's tie rule decides.
    const ResultList same = {file(u"/a/"_s, u"n1"_s, 1, 50), file(u"/b/"_s, u"n2"_s, 1, 50),
                             file(u"/c/"_s, u"n3"_s, 1, 50)};
    QCOMPARE(run(same, AssistantSettings()), u".xx"_s); // folder length: first of them
    AssistantSettings dateLast;
    dateLast.kee1 = 3;
    dateLast.kee2 = 1;
    dateLast.kee3 = 2;
    QCOMPARE(run(same, dateLast), u"xx."_s); // file date: last of them

    // The folder length decides before the date when it ranks first.
    const ResultList folders = {file(u"/long/er/"_s, u"f"_s, 1, 10), file(u"/s/"_s, u"f"_s, 1, 99),
                                file(u"/mid/"_s, u"f"_s, 1, 5)};
    AssistantSettings folderFirst;
    folderFirst.kee1 = 2;
    folderFirst.kee2 = 3;
    folderFirst.kee3 = 1;
    QCOMPARE(run(folders, folderFirst), u"x.x"_s);
    folderFirst.keeplongestfolder = true;
    QCOMPARE(run(folders, folderFirst), u".xx"_s);
    QCOMPARE(run(folders, AssistantSettings()), u"xx."_s);
}

void AssistantTest::sizeRuleLimitPassesBothWays() {
    const ResultList list = {file(u"/a/"_s, u"a"_s, 999, 1),
                             file(u"/a/"_s, u"b"_s, 1000, 2),
                             file(u"/a/"_s, u"c"_s, 1001, 3),
                             ResultEntry::separator(),
                             file(u"/b/"_s, u"d"_s, 1000, 4, RowColour::Black),
                             file(u"/b/"_s, u"e"_s, 1000, 5, RowColour::Black)};
    AssistantSettings settings;
    settings.sizeon = true;
    settings.sizetext = u"1000"_s;
    // 999 fails, so the first group keeps a file and stays as filtered; the
    // second group has all files checked and keeps its oldest.
    QCOMPARE(run(list, settings), u".xx-.x"_s);
    settings.sizeatleast = false;
    QCOMPARE(run(list, settings), u"xx.-.x"_s);
    settings.sizetext = u"1000.5"_s;
    QCOMPARE(run(list, settings), u"xx.-.x"_s);
    settings.sizeatleast = true;
    QCOMPARE(run(list, settings), u"..x-.."_s);
}

void AssistantTest::nameAndWordRules() {
    const ResultList list = {
        file(u"/a/"_s, u"Song.MP3"_s, 1, 1), file(u"/a/"_s, u"take.wav"_s, 1, 2),
        file(u"/a/"_s, u"notes.txt"_s, 1, 3), file(u"/mp3/"_s, u"x.ogg"_s, 1, 4)};
    AssistantSettings words;
    words.wordson = true;
    words.wordstext = u"  mp3/WAV "_s;
    QCOMPARE(run(list, words), u"xx.."_s); // the folder is not searched
    words.wordsmustcontain = false;
    QCOMPARE(run(list, words), u"..xx"_s);
    words.wordstext = u"mp3/"_s; // the empty word is in every name
    QCOMPARE(run(list, words), u"...."_s);
    words.wordsmustcontain = true;
    QCOMPARE(run(list, words), u".xxx"_s); // all checked: the oldest is kept
    words.wordstext = u"   "_s;            // blank: the rule is off
    QCOMPARE(run(list, words), u".xxx"_s);

    AssistantSettings name;
    name.nameon = true;
    name.nametext = u" song.mp3 "_s;
    QCOMPARE(run(list, name), u"x..."_s);
    name.namemustmatch = false;
    QCOMPARE(run(list, name), u".xxx"_s);
}

void AssistantTest::folderRuleWithAndWithoutSubfolders() {
    const ResultList list = {file(u"/music/"_s, u"a"_s, 1, 1),
                             file(u"/music/rock/"_s, u"a"_s, 1, 2),
                             file(u"/Music/"_s, u"a"_s, 1, 3), file(u"/musicals/"_s, u"a"_s, 1, 4)};
    AssistantSettings settings;
    addassistantfolder(settings, u"/music"_s);
    QCOMPARE(settings.folders, QStringList{u"/music/"_s});
    QCOMPARE(run(list, settings), u"x..."_s);
    settings.includesubdirs = true;
    QCOMPARE(run(list, settings), u"xx.."_s);
    settings.pathmustmatch = false;
    QCOMPARE(run(list, settings), u"..xx"_s);
    settings.includesubdirs = false;
    QCOMPARE(run(list, settings), u".xxx"_s);
}

void AssistantTest::ruleThatKeepsAFileKeepsTheKeepPhaseOut() {
    const ResultList list = {file(u"/a/"_s, u"keep.txt"_s, 1, 5), file(u"/b/"_s, u"x.txt"_s, 1, 9),
                             file(u"/c/"_s, u"y.txt"_s, 1, 7)};
    AssistantSettings settings;
    settings.nameon = true;
    settings.nametext = u"keep.txt"_s;
    settings.namemustmatch = false;
    // keep.txt stays unchecked by the rule, so the newer two are not spared.
    QCOMPARE(run(list, settings), u".xx"_s);
}

void AssistantTest::equalPrioritiesAndEmptyListChangeNothing() {
    testing::FakeFrontend frontend;
    AppState state;
    state.resultlist = {file(u"/a/"_s, u"a"_s, 1, 1), file(u"/b/"_s, u"a"_s, 1, 2)};
    state.resultlist[0].checked = true;
    state.assistant.kee2 = 1; // priorities 1, 1, 3
    QCOMPARE(runassistant(state, frontend), AssistantOutcome::EqualPriorities);
    QCOMPARE(testing::checkPattern(state.resultlist), u"x."_s);
    QCOMPARE(frontend.boxes.shown.size(), 1);
    QCOMPARE(frontend.boxes.shown[0].text,
             u"You must set a different priority for each of the fields."_s);
    QCOMPARE(frontend.boxes.shown[0].icon, MessageIcon::Exclamation);
    QVERIFY(frontend.events.isEmpty()); // the dialog stays open

    state.assistant.kee2 = 2;
    state.resultlist.clear();
    QCOMPARE(runassistant(state, frontend), AssistantOutcome::EmptyList);
    QCOMPARE(frontend.boxes.shown.size(), 1);
    QVERIFY(frontend.events.isEmpty());
}

void AssistantTest::sizeTextIsNormalised() {
    AssistantSettings settings;
    settings.sizetext = u"-5"_s;
    normalisesizetext(settings);
    QCOMPARE(settings.sizetext, u"1"_s);
    settings.sizetext = u"2000000000000 bytes"_s;
    normalisesizetext(settings);
    QCOMPARE(settings.sizetext, u"1000000000000"_s);
    settings.sizetext = u"12.5"_s;
    normalisesizetext(settings);
    QCOMPARE(settings.sizetext, u"12.5"_s);

    // -5 is used as 1: a file of 0 bytes no longer passes "at least".
    const ResultList list = {file(u"/a/"_s, u"e"_s, 0, 1), file(u"/b/"_s, u"f"_s, 1, 2),
                             file(u"/c/"_s, u"g"_s, 1, 3)};
    AssistantSettings rule;
    rule.sizeon = true;
    rule.sizetext = u"-5"_s;
    QCOMPARE(run(list, rule), u".xx"_s);
}

void AssistantTest::reportsTheCountAndRecounts() {
    testing::FakeFrontend frontend;
    AppState state;
    state.resultlist = {file(u"/a/"_s, u"a"_s, 3000000, 1),
                        file(u"/b/"_s, u"a"_s, 3000000, 2),
                        file(u"/c/"_s, u"a"_s, 3000000, 3),
                        ResultEntry::separator(),
                        file(u"/a/"_s, u"b"_s, 400000, 1, RowColour::Black),
                        file(u"/b/"_s, u"b"_s, 400000, 2, RowColour::Black)};
    state.resultlist[3].checked = true; // a stray check on a separator goes too
    QCOMPARE(runassistant(state, frontend), AssistantOutcome::Selected);
    QCOMPARE(testing::checkPattern(state.resultlist), u".xx-.x"_s);
    QCOMPARE(state.mbselected, 6);
    QCOMPARE(state.labelmbselected1, u"6 MB"_s);
    QVERIFY(frontend.noticeVisible(Notice::Preview));
    QCOMPARE(frontend.events, QStringList{u"close assistant"_s});
    QCOMPARE(frontend.boxes.shown.size(), 1);
    QCOMPARE(frontend.boxes.shown[0].text, u"3 file(s) have been selected!"_s);
    QCOMPARE(frontend.boxes.shown[0].icon, MessageIcon::Information);
}

void AssistantTest::folderListEditing() {
    AssistantSettings settings;
    testing::ScriptedMessageBoxes boxes;
    clearassistantfolders(settings, boxes); // an empty list is cleared without a question
    QVERIFY(boxes.shown.isEmpty());

    addassistantfolder(settings, u"/a/"_s);
    addassistantfolder(settings, u"/a"_s);
    addassistantfolder(settings, u"/b"_s);
    QCOMPARE(settings.folders, (QStringList{u"/a/"_s, u"/a/"_s, u"/b/"_s}));
    removeassistantfolder(settings, -1);
    removeassistantfolder(settings, 1);
    QCOMPARE(settings.folders, (QStringList{u"/a/"_s, u"/b/"_s}));

    clearassistantfolders(settings, boxes); // the default answer keeps the list
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].text, u"Are you sure that you would like to clear the list?"_s);
    QCOMPARE(boxes.shown[0].defaultButton, MessageAnswer::No);
    QCOMPARE(settings.folders.size(), 2);
    boxes.answer(MessageAnswer::Yes);
    clearassistantfolders(settings, boxes);
    QVERIFY(settings.folders.isEmpty());
}

QTEST_GUILESS_MAIN(AssistantTest)
#include "tst_assistant.moc"

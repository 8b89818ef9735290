#include "core/appstate.h"
#include "core/settingsedits.h"
#include "core/settingsfile.h"
#include "scriptedmessages.h"
#include "temptree.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace quillfen;
using namespace Qt::StringLiterals;

namespace {

using Box = AfterSearchBox;

struct Boxes {
    int donothing, fuzzy, crc, bytewise;
};

Boxes boxesOf(const SettingsDialogState& s) {
    return {s.donothing, s.fuzzy, s.crc, s.bytewise};
}

void setBoxes(SettingsDialogState& s, Boxes b) {
    s.donothing = b.donothing;
    s.fuzzy = b.fuzzy;
    s.crc = b.crc;
    s.bytewise = b.bytewise;
}

// The two rules: "Do nothing" excludes the passes; one box is always ticked.
bool rulesHold(const SettingsDialogState& s) {
    const bool pass = s.fuzzy == 1 || s.crc == 1 || s.bytewise == 1;
    if (s.donothing == 1 && pass)
        return false;
    return s.donothing == 1 || pass;
}

SettingsDialogState listsWithPatterns() {
    SettingsDialogState s;
    s.patternlists = {
        {u"Music Files"_s, u"*.mp3; *.wav"_s}, {u"Star"_s, u"*"_s}, {u"Odd"_s, u"*.a;; *.b ;"_s}};
    return s;
}

} // namespace

class SettingsEditsTest : public QObject {
    Q_OBJECT
private slots:
    void afterSearchClicksFollowTheRules();
    void afterSearchRulesHoldUnderAnyClickOrder();
    void skipFoldersAreAddedOnce();
    void skipExtensionsAreNormalisedAndAddedOnce();
    void patternListsAreAddedByAValidName();
    void editorOpensTheRowsPatterns();
    void editorAddRefusesForbiddenCharacters();
    void editorUpdateReplacesOnlyTheChosenPattern();
    void editorSaveChecksTheNameAndJoinsThePatterns();
    void editedListsSurviveTheSettingsFile();
};

void SettingsEditsTest::afterSearchClicksFollowTheRules() {
    SettingsDialogState s; // fuzzy and CRC ticked
    setAfterSearchBox(s, Box::Fuzzy, false);
    setAfterSearchBox(s, Box::Crc, false);
    // Unticking the last pass ticks "Do nothing".
    QCOMPARE(s.donothing, 1);

    // Ticking a pass unticks "Do nothing".
    setAfterSearchBox(s, Box::Bytewise, true);
    QCOMPARE(s.donothing, 0);
    QCOMPARE(s.bytewise, 1);

    // Ticking "Do nothing" unticks every pass.
    setAfterSearchBox(s, Box::DoNothing, true);
    QCOMPARE(s.donothing, 1);
    QCOMPARE(s.fuzzy + s.crc + s.bytewise, 0);

    // "Do nothing" cannot be unticked while no pass is ticked.
    setAfterSearchBox(s, Box::DoNothing, false);
    QCOMPARE(s.donothing, 1);

    // Unticking "Do nothing" while passes are ticked (a greyed box from the
    // settings file) leaves the passes.
    setBoxes(s, {2, 1, 0, 1});
    setAfterSearchBox(s, Box::DoNothing, false);
    QCOMPARE(s.donothing, 0);
    QCOMPARE(s.fuzzy, 1);
    QCOMPARE(s.bytewise, 1);
    QCOMPARE(afterSearchValue(s, Box::Bytewise), 1);
    QCOMPARE(afterSearchValue(s, Box::Crc), 0);
}

void SettingsEditsTest::afterSearchRulesHoldUnderAnyClickOrder() {
    // Every start state that keeps the rules, every box, ticked or not.
    const Box boxes[] = {Box::DoNothing, Box::Fuzzy, Box::Crc, Box::Bytewise};
    for (int bits = 0; bits < 16; ++bits) {
        SettingsDialogState start;
        setBoxes(start, {bits & 1, (bits >> 1) & 1, (bits >> 2) & 1, (bits >> 3) & 1});
        if (!rulesHold(start))
            continue;
        for (Box box : boxes) {
            for (bool ticked : {false, true}) {
                SettingsDialogState s = start;
                setAfterSearchBox(s, box, ticked);
                QVERIFY2(
                    rulesHold(s),
                    qPrintable(u"start %1 box %2 ticked %3"_s.arg(bits).arg(int(box)).arg(ticked)));
                // A ticked pass stays ticked; an unticked box stays unticked
                // unless it is "Do nothing" and nothing else is left.
                if (box != Box::DoNothing && ticked)
                    QCOMPARE(afterSearchValue(s, box), 1);
                if (box != Box::DoNothing && !ticked)
                    QCOMPARE(afterSearchValue(s, box), 0);
            }
        }
    }

    // Long random click sequences, as a user toggling the boxes would make them.
    QRandomGenerator random(20240611);
    SettingsDialogState s;
    for (int click = 0; click < 5000; ++click) {
        const Box box = boxes[random.bounded(4)];
        const bool ticked = afterSearchValue(s, box) != 1; // a click toggles
        const Boxes before = boxesOf(s);
        setAfterSearchBox(s, box, ticked);
        QVERIFY2(rulesHold(s), qPrintable(u"click %1"_s.arg(click)));
        if (box == Box::DoNothing && ticked)
            QCOMPARE(s.fuzzy + s.crc + s.bytewise, 0);
        if (box == Box::DoNothing && !ticked && before.fuzzy + before.crc + before.bytewise == 0)
            QCOMPARE(s.donothing, 1);
    }
}

void SettingsEditsTest::skipFoldersAreAddedOnce() {
    SettingsDialogState s;
    s.skipfolderlist = {{u"/loaded/"_s, false, false}};

    QVERIFY(addskipfolder(s, u"/data/music"_s));
    QCOMPARE(s.skipfolderlist.back().text, u"/data/music/"_s);
    QVERIFY(s.skipfolderlist.back().checked);
    QVERIFY(s.skipfolderlist.back().keyed);

    // The same folder with or without its slash, and a folder loaded from
    // the settings file, are not added again.
    QVERIFY(!addskipfolder(s, u"/data/music"_s));
    QVERIFY(!addskipfolder(s, u"/data/music/"_s));
    QVERIFY(!addskipfolder(s, u"/loaded"_s));
    QCOMPARE(s.skipfolderlist.size(), 2u);

    // Nothing chosen adds nothing; the text ends at a NUL; the root keeps one slash.
    QVERIFY(!addskipfolder(s, QString()));
    QVERIFY(!addskipfolder(s, QString(QChar(0)) + u"/x"_s));
    QVERIFY(addskipfolder(s, u"/cut"_s + QChar(0) + u"junk"_s));
    QCOMPARE(s.skipfolderlist.back().text, u"/cut/"_s);
    QVERIFY(addskipfolder(s, u"/"_s));
    QCOMPARE(s.skipfolderlist.back().text, u"/"_s);
    // Folder names differ by case on Linux.
    QVERIFY(addskipfolder(s, u"/Data/Music"_s));
    QCOMPARE(s.skipfolderlist.size(), 5u);

    QVERIFY(removeListRow(s.skipfolderlist, 0));
    QCOMPARE(s.skipfolderlist.front().text, u"/data/music/"_s);
    QVERIFY(!removeListRow(s.skipfolderlist, -1));
    QVERIFY(!removeListRow(s.skipfolderlist, 4));
    QCOMPARE(s.skipfolderlist.size(), 4u);
}

void SettingsEditsTest::skipExtensionsAreNormalisedAndAddedOnce() {
    SettingsDialogState s;
    s.skipextlist = {{u"DLL"_s, true, false}}; // as a hand-edited settings file may hold it

    QString box = u".MP3"_s;
    QVERIFY(addskipextension(s, box));
    QCOMPARE(s.skipextlist.back().text, u"mp3"_s);
    QVERIFY(s.skipextlist.back().checked);
    QVERIFY(box.isEmpty());

    // Only one leading dot is dropped.
    box = u"..Tar"_s;
    QVERIFY(addskipextension(s, box));
    QCOMPARE(s.skipextlist.back().text, u".tar"_s);

    // A listed extension in another case is refused and the box keeps its text.
    for (const QString& again : {u"mp3"_s, u"Mp3"_s, u".mp3"_s, u"dll"_s, u" .DLL "_s}) {
        box = again;
        QVERIFY2(!addskipextension(s, box), qPrintable(again));
        QCOMPARE(box, again);
    }
    // Nothing to add: an empty box, a lone dot, blanks.
    for (const QString& empty : {QString(), u"."_s, u"   "_s, u" . "_s}) {
        box = empty;
        QVERIFY2(!addskipextension(s, box), qPrintable(empty));
        QCOMPARE(box, empty);
    }
    QCOMPARE(s.skipextlist.size(), 3u);
    // Blanks typed around an extension would never match a file's extension.
    box = u" ogg "_s;
    QVERIFY(addskipextension(s, box));
    QCOMPARE(s.skipextlist.back().text, u"ogg"_s);
}

void SettingsEditsTest::patternListsAreAddedByAValidName() {
    AppState state;
    testing::ScriptedMessageBoxes boxes;
    QVERIFY(addpatternlist(state.settings, u"  My list  "_s, boxes));
    QCOMPARE(state.settings.patternlists.back().name, u"My list"_s);
    QVERIFY(state.settings.patternlists.back().patterns.isEmpty());
    QVERIFY(!addpatternlist(state.settings, u"   "_s, boxes));
    QVERIFY(boxes.shown.isEmpty());
    // A "|" would split the name from its patterns in the settings file.
    QVERIFY(!addpatternlist(state.settings, u"a|b"_s, boxes));
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].text, barInListNameMessage());
    QCOMPARE(boxes.shown[0].icon, MessageIcon::Exclamation);
    QCOMPARE(state.settings.patternlists.size(), 1u);

    restoredefaultpatterns(state);
    QCOMPARE(state.settings.patternlists.size(), 12u);
    QCOMPARE(state.settings.patternlists.front().name, u"All files"_s);
    restoredefaultpatterns(state);
    QCOMPARE(state.settings.patternlists.size(), 12u);
}

void SettingsEditsTest::editorOpensTheRowsPatterns() {
    SettingsDialogState s = listsWithPatterns();
    PatternEditor editor;
    QVERIFY(!editpatternlist(s, editor, -1));
    QVERIFY(!editpatternlist(s, editor, 3));
    QVERIFY(!editor.open);
    QCOMPARE(s.editingrow, -1);

    QVERIFY(editpatternlist(s, editor, 0));
    QVERIFY(editor.open);
    QCOMPARE(s.editingrow, 0);
    QCOMPARE(editor.name, u"Music Files"_s);
    QCOMPARE(editor.patterns, (QStringList{u"*.mp3"_s, u"*.wav"_s}));

    // Empty pieces are not offered as patterns; the others lose their blanks.
    QVERIFY(editpatternlist(s, editor, 2));
    QCOMPARE(editor.patterns, (QStringList{u"*.a"_s, u"*.b"_s}));

    // A one-character pattern is a pattern: saving must not lose it.
    QVERIFY(editpatternlist(s, editor, 1));
    QCOMPARE(editor.patterns, QStringList{u"*"_s});
    testing::ScriptedMessageBoxes boxes;
    QVERIFY(saveeditor(s, editor, boxes));
    QCOMPARE(s.patternlists[1].patterns, u"*"_s);
}

void SettingsEditsTest::editorAddRefusesForbiddenCharacters() {
    const QString warning = u"Your pattern can't contain the characters: /\\:?\"<>|;"_s;
    QCOMPARE(forbiddenPatternMessage(), warning);
    PatternEditor editor;
    editor.open = true;
    testing::ScriptedMessageBoxes boxes;
    for (const QString& bad : {u"a/b"_s, u"a\\b"_s, u"c:x"_s, u"?.txt"_s, u"\"q\""_s, u"<a"_s,
                               u"a>"_s, u"a|b"_s, u"*.a;*.b"_s}) {
        editor.newpattern = bad;
        QVERIFY(!addeditorpattern(editor, boxes));
        QCOMPARE(editor.newpattern, bad);
    }
    QCOMPARE(boxes.shown.size(), 9);
    for (const auto& shown : boxes.shown) {
        QCOMPARE(shown.text, warning);
        QCOMPARE(shown.icon, MessageIcon::Exclamation);
        QCOMPARE(shown.buttons, MessageButtons::Ok);
    }
    QVERIFY(editor.patterns.isEmpty());

    editor.newpattern = u"  *.ogg  "_s;
    QVERIFY(addeditorpattern(editor, boxes));
    QVERIFY(editor.newpattern.isEmpty());
    editor.newpattern = u"   "_s;
    QVERIFY(!addeditorpattern(editor, boxes));
    QCOMPARE(editor.patterns, QStringList{u"*.ogg"_s});
    QCOMPARE(boxes.shown.size(), 9);
}

void SettingsEditsTest::editorUpdateReplacesOnlyTheChosenPattern() {
    SettingsDialogState s = listsWithPatterns();
    PatternEditor editor;
    testing::ScriptedMessageBoxes boxes;
    QVERIFY(editpatternlist(s, editor, 0));

    // Nothing chosen since the editor opened: Update changes nothing.
    editor.changebox = u"*.x"_s;
    QVERIFY(!updateeditorpattern(s, editor, boxes));
    QCOMPARE(editor.patterns, (QStringList{u"*.mp3"_s, u"*.wav"_s}));

    selecteditorpattern(s, editor, 1);
    QCOMPARE(s.selectedpattern, 1);
    QCOMPARE(editor.changebox, u"*.wav"_s);
    editor.changebox = u" *.flac "_s;
    QVERIFY(updateeditorpattern(s, editor, boxes));
    QCOMPARE(editor.patterns, (QStringList{u"*.mp3"_s, u"*.flac"_s}));

    // A separator would cut the pattern apart when a path is scanned with it.
    editor.changebox = u"music/*.mp3"_s;
    QVERIFY(!updateeditorpattern(s, editor, boxes));
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].text, forbiddenPatternMessage());
    editor.changebox = QString();
    QVERIFY(!updateeditorpattern(s, editor, boxes));
    QCOMPARE(editor.patterns, (QStringList{u"*.mp3"_s, u"*.flac"_s}));

    // Out of range choices are ignored.
    selecteditorpattern(s, editor, 7);
    QCOMPARE(s.selectedpattern, 1);

    // After Remove or Clear nothing is chosen.
    removeeditorpattern(s, editor, 0);
    QCOMPARE(editor.patterns, QStringList{u"*.flac"_s});
    QCOMPARE(s.selectedpattern, -1);
    editor.changebox = u"*.y"_s;
    QVERIFY(!updateeditorpattern(s, editor, boxes));
    QCOMPARE(editor.patterns, QStringList{u"*.flac"_s});
    removeeditorpattern(s, editor, 5); // no current pattern: nothing removed
    QCOMPARE(editor.patterns.size(), 1);
    selecteditorpattern(s, editor, 0);
    cleareditorpatterns(s, editor);
    QCOMPARE(s.selectedpattern, -1);
    QVERIFY(editor.patterns.isEmpty());
    selecteditorpattern(s, editor, 0); // an empty list chooses nothing
    QCOMPARE(s.selectedpattern, -1);

    // A choice in one list does not carry over into the next one opened.
    QVERIFY(editpatternlist(s, editor, 0));
    selecteditorpattern(s, editor, 1);
    canceleditor(editor);
    QVERIFY(editpatternlist(s, editor, 2));
    editor.changebox = u"*.z"_s;
    QVERIFY(!updateeditorpattern(s, editor, boxes));
    QCOMPARE(editor.patterns, (QStringList{u"*.a"_s, u"*.b"_s}));
}

void SettingsEditsTest::editorSaveChecksTheNameAndJoinsThePatterns() {
    SettingsDialogState s = listsWithPatterns();
    PatternEditor editor;
    testing::ScriptedMessageBoxes boxes;
    QVERIFY(editpatternlist(s, editor, 2));
    editor.name = u"   "_s;
    editor.newpattern = u"*.c"_s;
    QVERIFY(!saveeditor(s, editor, boxes));
    QVERIFY(editor.open);
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].text, u"You must enter a name for the list of patterns!"_s);
    QCOMPARE(boxes.shown[0].icon, MessageIcon::Exclamation);
    editor.name = u"x|y"_s;
    QVERIFY(!saveeditor(s, editor, boxes));
    QCOMPARE(boxes.shown.size(), 2);
    QCOMPARE(s.patternlists[2].name, u"Odd"_s);

    QVERIFY(addeditorpattern(editor, boxes));
    editor.name = u" Letters "_s;
    editor.changebox = u"left over"_s;
    QVERIFY(saveeditor(s, editor, boxes));
    QVERIFY(!editor.open);
    QVERIFY(editor.changebox.isEmpty() && editor.newpattern.isEmpty());
    QCOMPARE(s.patternlists[2].name, u"Letters"_s);
    QCOMPARE(s.patternlists[2].patterns, u"*.a; *.b; *.c"_s);
    QCOMPARE(s.patternlists[0].name, u"Music Files"_s); // other rows untouched

    // An empty editor list gives an empty pattern column.
    QVERIFY(editpatternlist(s, editor, 0));
    cleareditorpatterns(s, editor);
    QVERIFY(saveeditor(s, editor, boxes));
    QCOMPARE(s.patternlists[0].name, u"Music Files"_s);
    QVERIFY(s.patternlists[0].patterns.isEmpty());

    // Cancel keeps the row as it was.
    QVERIFY(editpatternlist(s, editor, 2));
    editor.name = u"Other"_s;
    cleareditorpatterns(s, editor);
    editor.newpattern = u"*.q"_s;
    canceleditor(editor);
    QVERIFY(!editor.open);
    QVERIFY(editor.newpattern.isEmpty());
    QCOMPARE(s.patternlists[2].name, u"Letters"_s);
    QCOMPARE(s.patternlists[2].patterns, u"*.a; *.b; *.c"_s);
}

void SettingsEditsTest::editedListsSurviveTheSettingsFile() {
    testing::TempTree tree;
    AppState state;
    testing::ScriptedMessageBoxes boxes;
    QVERIFY(addskipfolder(state.settings, u"/srv/a,b"_s));
    QString box = u".Iso"_s;
    QVERIFY(addskipextension(state.settings, box));
    state.settings.skipextlist.back().checked = false;
    QVERIFY(addpatternlist(state.settings, u"Mine"_s, boxes));
    PatternEditor editor;
    QVERIFY(editpatternlist(state.settings, editor, 0));
    for (const QString& pattern : {u"*.x"_s, u"a*b"_s}) {
        editor.newpattern = pattern;
        QVERIFY(addeditorpattern(editor, boxes));
    }
    QVERIFY(!addpatternlist(state.settings, u"Mine|*.evil"_s, boxes));
    QVERIFY(saveeditor(state.settings, editor, boxes));
    setAfterSearchBox(state.settings, Box::Bytewise, true);

    const QString path = tree.path(u"settings.dat"_s);
    QVERIFY(savesettings(state, path));
    AppState loaded;
    QVERIFY(loadsettings(loaded, path));
    QCOMPARE(loaded.settings.skipfolderlist.size(), 1u);
    QCOMPARE(loaded.settings.skipfolderlist[0].text, u"/srv/a,b/"_s);
    QCOMPARE(loaded.settings.skipextlist.size(), 1u);
    QCOMPARE(loaded.settings.skipextlist[0].text, u"iso"_s);
    QVERIFY(!loaded.settings.skipextlist[0].checked);
    QCOMPARE(loaded.settings.patternlists.size(), 1u);
    QCOMPARE(loaded.settings.patternlists[0].name, u"Mine"_s);
    QCOMPARE(loaded.settings.patternlists[0].patterns, u"*.x; a*b"_s);
    QCOMPARE(loaded.settings.bytewise, 1);
    QCOMPARE(loaded.settings.donothing, 0);
}

QTEST_GUILESS_MAIN(SettingsEditsTest)
#include "tst_settingsedits.moc"

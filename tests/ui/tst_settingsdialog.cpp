#include "core/appstate.h"
#include "core/settingsedits.h"
#include "dialogchecks.h"
#include "scriptedchoosers.h"
#include "scriptedmessages.h"
#include "ui/settingsdialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest>

using namespace quillfen;
using namespace quillfen::ui;
using namespace Qt::StringLiterals;

namespace {

// A shown Settings dialog over a state of its own.
struct Fixture {
    Fixture() : dialog(state, boxes, choosers) {
        state.settings.skipfolderlist = {{u"/proc/"_s, true, true}, {u"/tmp/"_s, true, true}};
        state.settings.skipextlist = {{u"dll"_s, true, true}};
        state.settings.patternlists = {{u"Music Files"_s, u"*.mp3; *.wav"_s},
                                       {u"Text Files"_s, u"*.txt"_s}};
        state.settings.editorprogram = u"/usr/bin/gedit"_s;
        if (!testing::showActive(&dialog))
            qWarning("the Settings dialog did not become active");
    }
    template <typename T> T* find(const QString& name) { return testing::child<T>(&dialog, name); }
    void click(const QString& name) { testing::press(&dialog, name); }
    QStringList rows(const QString& view) { return testing::rowsOf(find<QTreeWidget>(view)); }
    void select(const QString& view, int row) {
        auto* tree = find<QTreeWidget>(view);
        tree->setCurrentItem(tree->topLevelItem(row));
    }
    QStringList editorPatterns() {
        QStringList texts;
        auto* list = find<QListWidget>(u"List1"_s);
        for (int i = 0; i < list->count(); ++i)
            texts << list->item(i)->text();
        return texts;
    }
    void type(const QString& box, const QString& text) {
        auto* edit = find<QLineEdit>(box);
        edit->clear();
        QTest::keyClicks(edit, text);
    }

    AppState state;
    testing::ScriptedMessageBoxes boxes;
    testing::ScriptedChoosers choosers;
    SettingsDialog dialog;
};

const char16_t* const boxNames[] = {u"Check11", u"Check22", u"Check33", u"Check44"};

} // namespace

class SettingsDialogTest : public QObject {
    Q_OBJECT
private slots:
    void tabsCaptionsAndNames();
    void showsTheStateAndTheStateFollowsTheControls();
    void afterSearchBoxesKeepTheirRulesUnderEveryClickOrder();
    void browseSetsTheViewerPath();
    void foldersTabAddsRemovesClearsAndRestores();
    void extensionsTabNormalisesAndRefusesDuplicates();
    void patternListsAreAddedByName();
    void patternEditorEditsOneList();
    void patternEditorCancelAndEscape();
    void okHidesTheDialog();
};

void SettingsDialogTest::tabsCaptionsAndNames() {
    Fixture f;
    auto* tabs = f.find<QTabWidget>(u"SSTab1"_s);
    QCOMPARE(tabs->count(), 4);
    QCOMPARE(tabs->tabText(0), u"  Standard  "_s);
    QCOMPARE(tabs->tabText(1), u"  Folders to skip  "_s);
    QCOMPARE(tabs->tabText(2), u"  Extensions to skip  "_s);
    QCOMPARE(tabs->tabText(3), u"Predefined filepatterns"_s);
    QCOMPARE(f.dialog.windowTitle(), u"Settings"_s);
    QCOMPARE(f.find<QCheckBox>(u"Check10"_s)->text(), u"Use CPU-gentle comparing (slower)"_s);
    QCOMPARE(f.find<QPushButton>(u"okbutton"_s)->text(), u"&OK"_s);
    QCOMPARE(f.find<QPushButton>(u"browsebutton"_s)->text(), u"&Browse.."_s);
    QCOMPARE(f.find<QGroupBox>(u"editorframe"_s)->title(), u"Edit pattern"_s);
    QVERIFY(!f.find<QCheckBox>(u"Check1"_s)->isVisible()); // the hidden autoselect box
    testing::verifyNamesAndTips(&f.dialog);
    f.dialog.setCurrentTab(SettingsDialog::ExtensionsToSkip);
    QCOMPARE(tabs->currentIndex(), 2);
}

void SettingsDialogTest::showsTheStateAndTheStateFollowsTheControls() {
    Fixture f;
    QCOMPARE(f.find<QCheckBox>(u"Check22"_s)->checkState(), Qt::Checked);
    QCOMPARE(f.find<QCheckBox>(u"Check11"_s)->checkState(), Qt::Unchecked);
    QCOMPARE(f.find<QLineEdit>(u"Text2"_s)->text(), u"/usr/bin/gedit"_s);
    QCOMPARE(f.rows(u"ListView4"_s), (QStringList{u"/proc/"_s, u"/tmp/"_s}));
    QCOMPARE(f.rows(u"ListView1"_s), QStringList{u"dll"_s});
    QCOMPARE(f.rows(u"ListView2"_s), (QStringList{u"Music Files"_s, u"Text Files"_s}));
    QCOMPARE(f.find<QTreeWidget>(u"ListView2"_s)->topLevelItem(0)->text(1), u"*.mp3; *.wav"_s);

    // Unticking a row acts on the list at once.
    f.find<QTreeWidget>(u"ListView4"_s)->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    QVERIFY(!f.state.settings.skipfolderlist[1].checked);
    f.click(u"Check10"_s);
    QCOMPARE(f.state.settings.gentle, 1);

    // Changes made while the dialog was hidden show when it opens again.
    f.dialog.hide();
    f.state.settings.bytewise = 1;
    f.state.settings.skipextlist.push_back({u"so"_s, false, true});
    f.state.settings.autoselectbox = 0;
    f.dialog.show();
    QCOMPARE(f.find<QCheckBox>(u"Check44"_s)->checkState(), Qt::Checked);
    QCOMPARE(f.rows(u"ListView1"_s), (QStringList{u"dll"_s, u"so"_s}));
    QCOMPARE(f.find<QTreeWidget>(u"ListView1"_s)->topLevelItem(1)->checkState(0), Qt::Unchecked);
    QCOMPARE(f.find<QCheckBox>(u"Check1"_s)->checkState(), Qt::Unchecked);
}

void SettingsDialogTest::afterSearchBoxesKeepTheirRulesUnderEveryClickOrder() {
    // Every sequence of four clicks, by mouse or by the space bar.
    for (int sequence = 0; sequence < 256; ++sequence) {
        Fixture f;
        f.find<QTabWidget>(u"SSTab1"_s)->setCurrentIndex(0);
        for (int step = 0; step < 4; ++step) {
            const int which = (sequence >> (2 * step)) & 3;
            auto* box = f.find<QCheckBox>(QString::fromUtf16(boxNames[which]));
            const bool wasTicked = box->isChecked();
            if (step % 2 == 0) {
                testing::clickIndicator(box);
            } else {
                box->setFocus();
                QTest::keyClick(box, Qt::Key_Space);
            }
            const SettingsDialogState& s = f.state.settings;
            const int values[] = {s.donothing, s.fuzzy, s.crc, s.bytewise};
            const bool pass = s.fuzzy == 1 || s.crc == 1 || s.bytewise == 1;
            const QByteArray where = QByteArray::number(sequence) + "/" + QByteArray::number(step);
            QVERIFY2(s.donothing == 1 ? !pass : pass, where.constData());
            for (int i = 0; i < 4; ++i) {
                QCOMPARE(f.find<QCheckBox>(QString::fromUtf16(boxNames[i]))->isChecked(),
                         values[i] == 1);
            }
            // A pass box follows the click; "Do nothing" ends ticked when it
            // was clicked on, or when nothing else is left.
            if (which != 0)
                QCOMPARE(values[which], wasTicked ? 0 : 1);
            if (which == 0 && !wasTicked)
                QCOMPARE(s.donothing, 1);
        }
    }
}

void SettingsDialogTest::browseSetsTheViewerPath() {
    Fixture f;
    f.state.viewerpath = u"/old/viewer"_s;
    f.choosers.answers = {u"/usr/bin/kate"_s};
    f.click(u"browsebutton"_s);
    QCOMPARE(f.choosers.asked.size(), 1);
    QCOMPARE(f.choosers.asked[0].kind, u"open"_s);
    QCOMPARE(f.choosers.asked[0].title, u"Select a file"_s);
    auto* box = f.find<QLineEdit>(u"Text2"_s);
    QCOMPARE(box->text(), u"/usr/bin/kate"_s);
    QCOMPARE(box->cursorPosition(), int(box->text().size()));
    QCOMPARE(f.state.viewerpath, u"/usr/bin/kate"_s);
    QCOMPARE(f.state.settings.editorprogram, u"/usr/bin/kate"_s);

    // Typing changes only what the settings file keeps ...
    f.type(u"Text2"_s, u"/opt/ed"_s);
    QCOMPARE(f.state.settings.editorprogram, u"/opt/ed"_s);
    QCOMPARE(f.state.viewerpath, u"/usr/bin/kate"_s);
    // ... until Browse, even a cancelled one, takes the box's text.
    f.click(u"browsebutton"_s);
    QCOMPARE(box->text(), u"/opt/ed"_s);
    QCOMPARE(f.state.viewerpath, u"/opt/ed"_s);
}

void SettingsDialogTest::foldersTabAddsRemovesClearsAndRestores() {
    Fixture f;
    f.dialog.setCurrentTab(SettingsDialog::FoldersToSkip);
    f.choosers.answers = {u"/home/u/cache"_s, u"/home/u/cache"_s, QString(), u"/tmp"_s};
    for (int i = 0; i < 4; ++i)
        f.click(u"addfolderbutton"_s);
    QCOMPARE(f.choosers.asked.size(), 4);
    QCOMPARE(f.choosers.asked[0].kind, u"folder"_s);
    QCOMPARE(f.choosers.asked[0].title, u"Select a folder to skip"_s);
    QCOMPARE(f.rows(u"ListView4"_s), (QStringList{u"/proc/"_s, u"/tmp/"_s, u"/home/u/cache/"_s}));
    QCOMPARE(f.find<QTreeWidget>(u"ListView4"_s)->topLevelItem(2)->checkState(0), Qt::Checked);
    QVERIFY(f.state.settings.skipfolderlist[2].checked);

    // Remove needs a selected row.
    f.find<QTreeWidget>(u"ListView4"_s)->clearSelection();
    f.click(u"removefolderbutton"_s);
    QCOMPARE(f.state.settings.skipfolderlist.size(), 3u);
    f.select(u"ListView4"_s, 0);
    f.click(u"removefolderbutton"_s);
    QCOMPARE(f.rows(u"ListView4"_s), (QStringList{u"/tmp/"_s, u"/home/u/cache/"_s}));
    QCOMPARE(f.state.settings.skipfolderlist[0].text, u"/tmp/"_s);

    f.click(u"clearfoldersbutton"_s);
    QVERIFY(f.state.settings.skipfolderlist.empty());
    QCOMPARE(f.find<QTreeWidget>(u"ListView4"_s)->topLevelItemCount(), 0);
    QVERIFY(f.boxes.shown.isEmpty()); // no question, no message

    f.click(u"restorefoldersbutton"_s);
    QVERIFY(!f.state.settings.skipfolderlist.empty());
    QCOMPARE(f.find<QTreeWidget>(u"ListView4"_s)->topLevelItemCount(),
             int(f.state.settings.skipfolderlist.size()));
    for (const CheckedEntry& entry : f.state.settings.skipfolderlist) {
        QVERIFY(entry.checked);
        QVERIFY(entry.text.endsWith(u'/'));
    }
}

void SettingsDialogTest::extensionsTabNormalisesAndRefusesDuplicates() {
    Fixture f;
    f.dialog.setCurrentTab(SettingsDialog::ExtensionsToSkip);
    auto* box = f.find<QLineEdit>(u"extensionbox"_s);
    f.type(u"extensionbox"_s, u".MP3"_s);
    f.click(u"addextensionbutton"_s);
    QCOMPARE(f.rows(u"ListView1"_s), (QStringList{u"dll"_s, u"mp3"_s}));
    QVERIFY(box->text().isEmpty());

    // Refused: the box keeps the text.
    f.type(u"extensionbox"_s, u"Mp3"_s);
    f.click(u"addextensionbutton"_s);
    QCOMPARE(box->text(), u"Mp3"_s);
    f.type(u"extensionbox"_s, u"."_s);
    f.click(u"addextensionbutton"_s);
    QCOMPARE(box->text(), u"."_s);
    QCOMPARE(f.state.settings.skipextlist.size(), 2u);

    // Return adds as A&dd does.
    f.type(u"extensionbox"_s, u"..iso"_s);
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(f.rows(u"ListView1"_s), (QStringList{u"dll"_s, u"mp3"_s, u".iso"_s}));
    QVERIFY(f.dialog.isVisible());

    f.select(u"ListView1"_s, 1);
    f.click(u"removeextensionbutton"_s);
    QCOMPARE(f.rows(u"ListView1"_s), (QStringList{u"dll"_s, u".iso"_s}));
    f.click(u"clearextensionsbutton"_s);
    QVERIFY(f.state.settings.skipextlist.empty());
    f.click(u"restoreextensionsbutton"_s);
    QCOMPARE(f.rows(u"ListView1"_s).mid(0, 3), (QStringList{u"dll"_s, u"exe"_s, u"cpl"_s}));
}

void SettingsDialogTest::patternListsAreAddedByName() {
    Fixture f;
    f.dialog.setCurrentTab(SettingsDialog::Patterns);
    f.type(u"listnamebox"_s, u"  Mine  "_s);
    f.click(u"addlistbutton"_s);
    QCOMPARE(f.rows(u"ListView2"_s), (QStringList{u"Music Files"_s, u"Text Files"_s, u"Mine"_s}));
    f.type(u"listnamebox"_s, u"   "_s);
    f.click(u"addlistbutton"_s);
    f.type(u"listnamebox"_s, u"a|b"_s);
    f.click(u"addlistbutton"_s);
    QCOMPARE(f.state.settings.patternlists.size(), 3u);
    QCOMPARE(f.boxes.shown.size(), 1);
    QCOMPARE(f.boxes.shown[0].text, barInListNameMessage());

    f.select(u"ListView2"_s, 0);
    f.click(u"removelistbutton"_s);
    QCOMPARE(f.rows(u"ListView2"_s), (QStringList{u"Text Files"_s, u"Mine"_s}));
    f.click(u"clearlistsbutton"_s);
    QCOMPARE(f.find<QTreeWidget>(u"ListView2"_s)->topLevelItemCount(), 0);
    f.click(u"restorelistsbutton"_s);
    QCOMPARE(f.find<QTreeWidget>(u"ListView2"_s)->topLevelItemCount(), 12);
    QCOMPARE(f.state.settings.patternlists.size(), 12u);
}

void SettingsDialogTest::patternEditorEditsOneList() {
    Fixture f;
    auto* tabs = f.find<QTabWidget>(u"SSTab1"_s);
    auto* frame = f.find<QGroupBox>(u"editorframe"_s);
    f.dialog.setCurrentTab(SettingsDialog::Patterns);

    // Edit with no list selected does nothing.
    f.find<QTreeWidget>(u"ListView2"_s)->clearSelection();
    f.click(u"editlistbutton"_s);
    QVERIFY(!frame->isVisible());
    for (int tab = 0; tab < 4; ++tab)
        QVERIFY(tabs->isTabEnabled(tab));

    f.select(u"ListView2"_s, 0);
    f.click(u"editlistbutton"_s);
    QVERIFY(frame->isVisible());
    QVERIFY(f.dialog.editorOpen());
    QCOMPARE(f.state.settings.editingrow, 0);
    for (int tab = 0; tab < 3; ++tab)
        QVERIFY(!tabs->isTabEnabled(tab));
    QVERIFY(tabs->isTabEnabled(3));
    QVERIFY(!f.find<QPushButton>(u"okbutton"_s)->isEnabled());
    // The row being edited cannot be removed under the editor.
    QVERIFY(!f.find<QPushButton>(u"removelistbutton"_s)->isEnabled());
    QVERIFY(!f.find<QPushButton>(u"clearlistsbutton"_s)->isEnabled());
    QCOMPARE(f.find<QLineEdit>(u"Text5"_s)->text(), u"Music Files"_s);
    QCOMPARE(f.editorPatterns(), (QStringList{u"*.mp3"_s, u"*.wav"_s}));

    // A forbidden character: the warning, nothing added, the box keeps it.
    f.type(u"Text6"_s, u"a/b"_s);
    f.click(u"editoraddbutton"_s);
    QCOMPARE(f.boxes.shown.size(), 1);
    QCOMPARE(f.boxes.shown[0].text, u"Your pattern can't contain the characters: /\\:?\"<>|;"_s);
    QCOMPARE(f.find<QLineEdit>(u"Text6"_s)->text(), u"a/b"_s);
    f.type(u"Text6"_s, u" *.ogg "_s);
    f.click(u"editoraddbutton"_s);
    QCOMPARE(f.editorPatterns(), (QStringList{u"*.mp3"_s, u"*.wav"_s, u"*.ogg"_s}));
    QVERIFY(f.find<QLineEdit>(u"Text6"_s)->text().isEmpty());

    // Choosing a pattern puts it into the change box; Update replaces it.
    auto* list = f.find<QListWidget>(u"List1"_s);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(1)).center());
    QCOMPARE(f.state.settings.selectedpattern, 1);
    auto* change = f.find<QLineEdit>(u"Text7"_s);
    QCOMPARE(change->text(), u"*.wav"_s);
    QVERIFY(change->hasFocus());
    f.type(u"Text7"_s, u"*.flac"_s);
    f.click(u"updatebutton"_s);
    QCOMPARE(f.editorPatterns(), (QStringList{u"*.mp3"_s, u"*.flac"_s, u"*.ogg"_s}));

    // Remove the current pattern; Update then does nothing.
    list->setCurrentRow(0);
    f.click(u"editorremovebutton"_s);
    QCOMPARE(f.editorPatterns(), (QStringList{u"*.flac"_s, u"*.ogg"_s}));
    QCOMPARE(f.state.settings.selectedpattern, -1);
    f.type(u"Text7"_s, u"*.x"_s);
    f.click(u"updatebutton"_s);
    QCOMPARE(f.editorPatterns(), (QStringList{u"*.flac"_s, u"*.ogg"_s}));

    // Save with an empty name warns and keeps the editor open.
    f.type(u"Text5"_s, u"  "_s);
    f.click(u"savebutton"_s);
    QCOMPARE(f.boxes.shown.size(), 2);
    QCOMPARE(f.boxes.shown[1].text, u"You must enter a name for the list of patterns!"_s);
    QVERIFY(frame->isVisible());
    QVERIFY(f.find<QLineEdit>(u"Text5"_s)->hasFocus());

    f.type(u"Text5"_s, u"Lossless"_s);
    f.click(u"savebutton"_s);
    QVERIFY(!frame->isVisible());
    QVERIFY(!f.dialog.editorOpen());
    for (int tab = 0; tab < 4; ++tab)
        QVERIFY(tabs->isTabEnabled(tab));
    QVERIFY(f.find<QPushButton>(u"okbutton"_s)->isEnabled());
    QVERIFY(f.find<QPushButton>(u"removelistbutton"_s)->isEnabled());
    QCOMPARE(f.state.settings.patternlists[0].name, u"Lossless"_s);
    QCOMPARE(f.state.settings.patternlists[0].patterns, u"*.flac; *.ogg"_s);
    QCOMPARE(f.find<QTreeWidget>(u"ListView2"_s)->topLevelItem(0)->text(1), u"*.flac; *.ogg"_s);
    QVERIFY(f.find<QLineEdit>(u"Text7"_s)->text().isEmpty());
}

void SettingsDialogTest::patternEditorCancelAndEscape() {
    Fixture f;
    f.dialog.setCurrentTab(SettingsDialog::Patterns);
    f.select(u"ListView2"_s, 1);
    f.click(u"editlistbutton"_s);
    f.click(u"editorclearbutton"_s);
    QVERIFY(f.editorPatterns().isEmpty());
    f.type(u"Text5"_s, u"Renamed"_s);
    f.type(u"Text6"_s, u"*.q"_s);

    // Escape cannot leave the dialog while the editor is open.
    QTest::keyClick(&f.dialog, Qt::Key_Escape);
    QVERIFY(f.dialog.isVisible());

    f.click(u"cancelbutton"_s);
    QVERIFY(!f.find<QGroupBox>(u"editorframe"_s)->isVisible());
    QVERIFY(f.find<QLineEdit>(u"Text6"_s)->text().isEmpty());
    QCOMPARE(f.state.settings.patternlists[1].name, u"Text Files"_s);
    QCOMPARE(f.state.settings.patternlists[1].patterns, u"*.txt"_s);
    QVERIFY(f.find<QTabWidget>(u"SSTab1"_s)->isTabEnabled(0));

    // Opened again, the editor shows the list as it is.
    f.select(u"ListView2"_s, 1);
    f.click(u"editlistbutton"_s);
    QCOMPARE(f.find<QLineEdit>(u"Text5"_s)->text(), u"Text Files"_s);
    QCOMPARE(f.editorPatterns(), QStringList{u"*.txt"_s});
}

void SettingsDialogTest::okHidesTheDialog() {
    AppState state;
    testing::ScriptedMessageBoxes boxes;
    testing::ScriptedChoosers choosers;
    QPointer<SettingsDialog> dialog = new SettingsDialog(state, boxes, choosers);
    dialog->show();
    QTest::mouseClick(dialog->findChild<QPushButton*>(u"okbutton"_s), Qt::LeftButton);
    QVERIFY(dialog);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    dialog->show();
    QTest::keyClick(dialog, Qt::Key_Escape);
    QVERIFY(dialog);
    QVERIFY(!dialog->isVisible());
    delete dialog;
}

QTEST_MAIN(SettingsDialogTest)
#include "tst_settingsdialog.moc"

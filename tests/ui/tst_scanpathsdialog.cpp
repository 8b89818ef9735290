#include "core/appstate.h"
#include "dialogchecks.h"
#include "scan/quickstart.h"
#include "scan/scancontroller.h"
#include "scan/scanengine.h"
#include "scan/scanpaths.h"
#include "scriptedchoosers.h"
#include "scriptedmessages.h"
#include "temptree.h"
#include "ui/scanpathsdialog.h"
#include "ui/settingsdialog.h"
#include "ui/settingspreviewdialog.h"
#include "ui/twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using namespace quillfen;
using namespace quillfen::ui;
using namespace Qt::StringLiterals;
using testing::rowsOf;

namespace {

platform::Drive drive(const QString& root, const QString& label) {
    platform::Drive d;
    d.root = root;
    d.label = label;
    d.text = root + u" ["_s + label + u']';
    return d;
}

void clickRow(QTreeWidget* tree, int row) {
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                      tree->visualItemRect(tree->topLevelItem(row)).center());
}

// A shown Scan paths dialog over a state of its own, with two drives.
struct Fixture {
    Fixture() : dialog(state, boxes, choosers) {
        state.settings.patternlists = {{u"All files"_s, u"*.*"_s},
                                       {u"Music Files"_s, u"*.mp3; *.wav"_s}};
        dialog.setDriveSource([] {
            return std::vector{drive(u"/"_s, u"root"_s), drive(u"/home/"_s, u"home"_s)};
        });
        testing::showActive(&dialog);
    }
    template <typename T> T* find(const QString& name) { return testing::child<T>(&dialog, name); }
    void click(const QString& name) { testing::press(&dialog, name); }
    void type(const QString& box, const QString& text) {
        auto* edit = find<QLineEdit>(box);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    void chooseSpecific() {
        auto* selector = find<QComboBox>(u"Combo1"_s);
        selector->setFocus();
        QTest::keyClick(selector, Qt::Key_Down);
    }
    const std::vector<PathEntry>& table() const { return state.scanpaths.pathtable; }

    AppState state;
    testing::ScriptedMessageBoxes boxes;
    testing::ScriptedChoosers choosers;
    ScanPathsDialog dialog;
};

} // namespace

class ScanPathsDialogTest : public QObject {
    Q_OBJECT
private slots:
    void accessKeysAreUnique();
    void opensWithItsStartValues();
    void advancedValuesReachTheColumnsAndTheScan();
    void specificPatternsDropSeparatorsAsTyped();
    void limitBoxesAreCorrectedWhenAPathIsAdded();
    void tickedDrivesAreAddedByTheirRoots();
    void removeAndClearKeepListAndTableAligned();
    void quickStartForNewUsersEmptiesTheSettingsView();
    void doneRemindsAndHides();
    void advancedToggleGrowsTheDialog();

    void previewFillsFromTheState();
    void previewWithoutTickedExtensionsMovesFoldersUp();
    void previewChangeLinksOpenTheRightDialog();
    void previewBeginAsksForAPathThenConfirms();
    void previewCancelLeavesTheScanUnconfirmed();
};

void ScanPathsDialogTest::opensWithItsStartValues() {
    Fixture f;
    QCOMPARE(f.dialog.windowTitle(), u"Path(s) to scan"_s);
    auto* selector = f.find<QComboBox>(u"Combo1"_s);
    QCOMPARE(selector->count(), 2);
    QCOMPARE(selector->itemText(0), u"Predefined filepatterns:"_s);
    QCOMPARE(selector->itemText(1), u"Specific filepatterns:"_s);
    QCOMPARE(selector->currentIndex(), 0);
    auto* chooser = f.find<QComboBox>(u"Combo2"_s);
    QCOMPARE(chooser->count(), 2);
    QCOMPARE(chooser->currentText(), u"All files"_s);
    QVERIFY(chooser->isVisible());
    auto* specific = f.find<QComboBox>(u"Text5"_s);
    QVERIFY(!specific->isVisible());
    QCOMPARE(specific->currentText(), u"*.*"_s);
    QCOMPARE(specific->count(), 15);
    QCOMPARE(specific->itemText(1), u"*.mp3; *.wma; *.wave"_s);

    QCOMPARE(f.find<QPushButton>(u"Command5"_s)->text(), u"Show advanced settings"_s);
    QVERIFY(!f.find<QWidget>(u"advancedpanel"_s)->isVisible());
    QVERIFY(f.find<QCheckBox>(u"Check1"_s)->isChecked());
    QCOMPARE(f.find<QLineEdit>(u"Text2"_s)->text(), u"10"_s);
    QVERIFY(!f.find<QCheckBox>(u"Check2"_s)->isChecked());
    QCOMPARE(f.find<QLineEdit>(u"Text4"_s)->text(), u"2000000"_s);
    QVERIFY(f.find<QCheckBox>(u"Check4"_s)->isChecked());
    QVERIFY(f.find<QCheckBox>(u"Check5"_s)->isChecked());
    QVERIFY(f.find<QCheckBox>(u"Check7"_s)->isChecked());
    QVERIFY(f.find<QCheckBox>(u"Check9"_s)->isChecked());
    QVERIFY(!f.find<QCheckBox>(u"Check8"_s)->isChecked());
    QVERIFY(f.find<QCheckBox>(u"Check6"_s)->isChecked());

    // The drives of the system, none ticked.
    auto* drives = f.find<QTreeWidget>(u"ListView2"_s);
    QCOMPARE(rowsOf(drives), (QStringList{u"/ [root]"_s, u"/home/ [home]"_s}));
    QCOMPARE(drives->topLevelItem(0)->checkState(0), Qt::Unchecked);
    QCOMPARE(drives->headerItem()->text(0), u"Drives"_s);
    QCOMPARE(f.find<QTreeWidget>(u"ListView1"_s)->headerItem()->text(0), u"Path"_s);
    QCOMPARE(f.find<QTreeWidget>(u"ListView4"_s)->headerItem()->text(0), u"Path settings"_s);
    testing::verifyNamesAndTips(&f.dialog);

    // Empty pattern lists get the presets when the dialog opens.
    f.dialog.hide();
    f.state.settings.patternlists.clear();
    f.chooseSpecific();
    f.dialog.show();
    QCOMPARE(chooser->count(), 12);
    QCOMPARE(selector->currentIndex(), 0);
    QVERIFY(chooser->isVisible());
}

void ScanPathsDialogTest::advancedValuesReachTheColumnsAndTheScan() {
    testing::TempTree tree;
    for (const char* name : {"tiny1.bin", "tiny2.bin"})
        tree.writeFile(QString::fromLatin1(name), 999, 'a');
    for (const char* name : {"low1.bin", "low2.bin"})
        tree.writeFile(QString::fromLatin1(name), 1000, 'b'); // at the lower limit: kept
    for (const char* name : {"mid1.bin", "mid2.bin"})
        tree.writeFile(QString::fromLatin1(name), 2999, 'c');
    for (const char* name : {"top1.bin", "top2.bin"})
        tree.writeFile(QString::fromLatin1(name), 3000, 'd'); // at the upper limit: skipped
    tree.writeFile(u"low.txt"_s, 1000, 'e');                  // another pattern
    tree.writeFile(u"sub/low3.bin"_s, 1000, 'f');             // below: not entered
    tree.writeFile(u".hidden.bin"_s, 1000, 'g');              // hidden files left out

    Fixture f;
    f.click(u"Command5"_s);
    QVERIFY(f.find<QWidget>(u"advancedpanel"_s)->isVisible());
    f.type(u"Text2"_s, u"1"_s);
    f.click(u"Check2"_s);
    f.type(u"Text4"_s, u"3"_s);
    f.click(u"Check4"_s);
    f.click(u"Check9"_s);
    f.chooseSpecific();
    f.type(u"Text5edit"_s, u"*.bin"_s);
    f.choosers.answers = {tree.root().chopped(1)};
    f.click(u"addfolderbutton"_s);

    QCOMPARE(f.choosers.asked.size(), 1);
    QCOMPARE(f.choosers.asked[0].title, u"Select a path to scan"_s);
    QCOMPARE(f.table().size(), 1u);
    const PathEntry& entry = f.table()[0];
    QCOMPARE(entry.text, tree.root() + u"*.bin"_s);
    const auto columns = optioncolumns(entry.options);
    QCOMPARE(QStringList(columns.begin(), columns.end()),
             (QStringList{u"True"_s, u"1"_s, u"True"_s, u"3"_s, u"False"_s, u"True"_s, u"RA"_s}));
    QCOMPARE(rowsOf(f.find<QTreeWidget>(u"ListView1"_s)), QStringList{entry.text});
    QCOMPARE(rowsOf(f.find<QTreeWidget>(u"ListView4"_s)),
             (QStringList{QString(), u"  Ignore files smaller than 1 kB"_s,
                          u"  Ignore files larger than 3 kB"_s, u"  Check subdirectories: No"_s,
                          u"  Ignore 0 byte files: Yes"_s, u"  File attributes: RA"_s}));

    ScanInput input;
    input.pathtable = f.table();
    f.state.stopflag = false; // a scan is running
    const ScanResult result = scanfiles(input, f.state);
    QStringList found;
    for (const ResultEntry& row : result.list)
        found << row.filename;
    found.sort();
    QCOMPARE(found, (QStringList{u"low1.bin"_s, u"low2.bin"_s, u"mid1.bin"_s, u"mid2.bin"_s}));
}

void ScanPathsDialogTest::specificPatternsDropSeparatorsAsTyped() {
    Fixture f;
    f.chooseSpecific();
    QCOMPARE(f.state.scanpaths.patternselector, PatternSource::Specific);
    QVERIFY(f.find<QComboBox>(u"Text5"_s)->isVisible());
    QVERIFY(!f.find<QComboBox>(u"Combo2"_s)->isVisible());
    f.type(u"Text5edit"_s, u"*.mp3;\\ /*.wav"_s);
    QCOMPARE(f.find<QComboBox>(u"Text5"_s)->currentText(), u"*.mp3; *.wav"_s);
    QCOMPARE(f.state.scanpaths.specificpatterns, u"*.mp3; *.wav"_s);

    f.choosers.answers = {u"/music"_s};
    f.click(u"addfolderbutton"_s);
    QCOMPARE(f.table().back().text, u"/music/*.mp3; *.wav"_s);

    // Back to the lists: the entry takes the chosen list's patterns.
    auto* selector = f.find<QComboBox>(u"Combo1"_s);
    QTest::keyClick(selector, Qt::Key_Up);
    QVERIFY(f.find<QComboBox>(u"Combo2"_s)->isVisible());
    f.find<QComboBox>(u"Combo2"_s)->setCurrentIndex(1);
    f.choosers.answers = {u"/"_s};
    f.click(u"addfolderbutton"_s);
    QCOMPARE(f.table().back().text, u"/*.mp3; *.wav"_s);

    // A cancelled browser adds nothing.
    f.click(u"addfolderbutton"_s);
    QCOMPARE(f.table().size(), 2u);
}

void ScanPathsDialogTest::limitBoxesAreCorrectedWhenAPathIsAdded() {
    Fixture f;
    f.click(u"Command5"_s);
    f.type(u"Text2"_s, u"abc"_s);
    f.click(u"Check2"_s);
    f.type(u"Text4"_s, u"5000000000"_s);
    f.choosers.answers = {u"/a"_s};
    f.click(u"addfolderbutton"_s);
    QCOMPARE(f.find<QLineEdit>(u"Text2"_s)->text(), u"1"_s);
    QCOMPARE(f.find<QLineEdit>(u"Text4"_s)->text(), u"1000000000"_s);
    QCOMPARE(optioncolumns(f.table()[0].options)[PathEntry::MinSizeKb], u"1"_s);
    QCOMPARE(optioncolumns(f.table()[0].options)[PathEntry::MaxSizeKb], u"1000000000"_s);

    // No attribute ticked: "Only normal"; values in the hidden panel stay in force.
    for (const char16_t* name : {u"Check7", u"Check9", u"Check6"})
        f.click(QString::fromUtf16(name));
    f.click(u"Command5"_s);
    QVERIFY(!f.find<QWidget>(u"advancedpanel"_s)->isVisible());
    f.choosers.answers = {u"/b"_s};
    f.click(u"addfolderbutton"_s);
    QCOMPARE(optioncolumns(f.table()[1].options)[PathEntry::Attributes], u"Only normal"_s);
    QCOMPARE(optioncolumns(f.table()[1].options)[PathEntry::MaxSizeOn], u"True"_s);
}

void ScanPathsDialogTest::tickedDrivesAreAddedByTheirRoots() {
    Fixture f;
    f.click(u"adddrivesbutton"_s);
    QCOMPARE(f.boxes.shown.size(), 1);
    QCOMPARE(f.boxes.shown[0].text, u"You must select a drive to search for files."_s);
    QCOMPARE(f.boxes.shown[0].icon, MessageIcon::Exclamation);
    QVERIFY(f.table().empty());

    auto* drives = f.find<QTreeWidget>(u"ListView2"_s);
    drives->topLevelItem(1)->setCheckState(0, Qt::Checked);
    QVERIFY(f.state.scanpaths.drivelist[1].ticked);
    f.find<QComboBox>(u"Combo2"_s)->setCurrentIndex(1);
    f.click(u"adddrivesbutton"_s);
    QCOMPARE(f.boxes.shown.size(), 1);
    QCOMPARE(f.table().size(), 1u);
    QCOMPARE(f.table()[0].text, u"/home/*.mp3; *.wav"_s);
    QCOMPARE(rowsOf(f.find<QTreeWidget>(u"ListView1"_s)), QStringList{u"/home/*.mp3; *.wav"_s});
    QCOMPARE(rowsOf(f.find<QTreeWidget>(u"ListView4"_s)).last(), u"  File attributes: RHA"_s);

    // The ticks stay while the dialog is hidden.
    f.dialog.hide();
    f.dialog.show();
    QCOMPARE(drives->topLevelItem(1)->checkState(0), Qt::Checked);
}

void ScanPathsDialogTest::removeAndClearKeepListAndTableAligned() {
    Fixture f;
    f.choosers.answers = {u"/a"_s, u"/b"_s, u"/c"_s};
    for (int i = 0; i < 3; ++i)
        f.click(u"addfolderbutton"_s);
    f.state.scanpaths.pathtable[0].options.subdirs = false;
    auto* paths = f.find<QTreeWidget>(u"ListView1"_s);
    auto* view = f.find<QTreeWidget>(u"ListView4"_s);
    // The row whose settings are shown is the highlighted one.
    QCOMPARE(paths->selectedItems(), QList<QTreeWidgetItem*>{paths->topLevelItem(2)});

    // Nothing selected: nothing removed.
    paths->clearSelection();
    f.click(u"removebutton"_s);
    QCOMPARE(f.table().size(), 3u);

    clickRow(paths, 0);
    QCOMPARE(rowsOf(view).at(1), u"  Ignore files smaller than 10 kB"_s);
    QCOMPARE(rowsOf(view).at(2), u"  Check subdirectories: No"_s);
    clickRow(paths, 1);
    const QStringList shown = rowsOf(view);
    QCOMPARE(shown.at(2), u"  Check subdirectories: Yes"_s);
    f.click(u"removebutton"_s);
    QCOMPARE(rowsOf(paths), (QStringList{u"/a/*.*"_s, u"/c/*.*"_s}));
    QCOMPARE(f.table()[1].text, u"/c/*.*"_s);
    QCOMPARE(optioncolumns(f.table()[0].options)[PathEntry::Subdirs], u"False"_s);
    QCOMPARE(rowsOf(view), shown); // one of several removed: the view stays

    // Clear asks, with No as the default; No keeps everything.
    f.find<QTreeWidget>(u"ListView2"_s)->topLevelItem(0)->setCheckState(0, Qt::Checked);
    f.boxes.answer(MessageAnswer::No);
    f.click(u"clearbutton"_s);
    QCOMPARE(f.boxes.shown.size(), 1);
    QCOMPARE(f.boxes.shown[0].text, u"Are you sure that you wan't to clear the list?"_s);
    QCOMPARE(f.boxes.shown[0].icon, MessageIcon::Exclamation);
    QCOMPARE(f.boxes.shown[0].buttons, MessageButtons::YesNo);
    QCOMPARE(f.boxes.shown[0].defaultButton, MessageAnswer::No);
    QCOMPARE(f.table().size(), 2u);
    f.boxes.answer(MessageAnswer::Yes);
    f.click(u"clearbutton"_s);
    QVERIFY(f.table().empty());
    QCOMPARE(paths->topLevelItemCount(), 0);
    QCOMPARE(view->topLevelItemCount(), 0);
    QVERIFY(f.state.scanpaths.drivelist[0].ticked);

    // Removing the last path empties the settings view.
    f.choosers.answers = {u"/z"_s};
    f.click(u"addfolderbutton"_s);
    QVERIFY(view->topLevelItemCount() > 0);
    clickRow(paths, 0);
    f.click(u"removebutton"_s);
    QVERIFY(f.table().empty());
    QCOMPARE(view->topLevelItemCount(), 0);
}

void ScanPathsDialogTest::quickStartForNewUsersEmptiesTheSettingsView() {
    Fixture f;
    f.choosers.answers = {u"/a"_s, u"/b"_s};
    f.click(u"addfolderbutton"_s);
    f.click(u"addfolderbutton"_s);
    auto* paths = f.find<QTreeWidget>(u"ListView1"_s);
    auto* view = f.find<QTreeWidget>(u"ListView4"_s);
    clickRow(paths, 0);
    QVERIFY(view->topLevelItemCount() > 0);
    f.dialog.hide();

    // "I'm new" in the wizard replaces the table while the dialog is hidden:
    // shown again, it shows no settings of an entry that has gone.
    f.state.scanpaths.drivelist[0].drive.fixed = true;
    quickstartpaths(f.state);
    testing::showActive(&f.dialog);
    QCOMPARE(rowsOf(paths), QStringList{u"/*.*"_s});
    QCOMPARE(view->topLevelItemCount(), 0);
    QVERIFY(paths->selectedItems().isEmpty());
}

void ScanPathsDialogTest::doneRemindsAndHides() {
    Fixture f;
    f.click(u"donebutton"_s);
    QCOMPARE(f.boxes.shown.size(), 1);
    QCOMPARE(f.boxes.shown[0].text,
             u"You still haven't added anything to scan!\r\n\r\nDon't forget to click on the 'Add "
             u"selected drives' or 'Add folder..'\r\nbutton to actually add a path to the list."_s);
    QCOMPARE(f.boxes.shown[0].icon, MessageIcon::Information);
    QVERIFY(!f.dialog.isVisible());

    f.dialog.show();
    f.choosers.answers = {u"/a"_s};
    f.click(u"addfolderbutton"_s);
    f.click(u"donebutton"_s);
    QCOMPARE(f.boxes.shown.size(), 1);
    QVERIFY(!f.dialog.isVisible());
    // Shown again, the dialog still holds its paths.
    f.dialog.show();
    QCOMPARE(rowsOf(f.find<QTreeWidget>(u"ListView1"_s)), QStringList{u"/a/*.*"_s});
}

void ScanPathsDialogTest::advancedToggleGrowsTheDialog() {
    Fixture f;
    const QRect before = f.dialog.geometry();
    f.click(u"Command5"_s);
    auto* toggle = f.find<QPushButton>(u"Command5"_s);
    QCOMPARE(toggle->text(), u"Hide advanced settings"_s);
    QVERIFY(f.dialog.advancedShown());
    QTRY_COMPARE(f.dialog.height(), before.height() + twipsToPixels(1000));
    QCOMPARE(f.dialog.y(), before.y() - twipsToPixels(500));
    QVERIFY(f.find<QWidget>(u"advancedpanel"_s)->isVisible());
    f.click(u"Command5"_s);
    QCOMPARE(toggle->text(), u"Show advanced settings"_s);
    QTRY_COMPARE(f.dialog.geometry(), before);
    QVERIFY(!f.find<QWidget>(u"advancedpanel"_s)->isVisible());
}

namespace {

// A preview over a state with two paths, two ticked extensions and two
// ticked folders; its Change links are recorded.
struct PreviewFixture {
    PreviewFixture()
        : dialog(
              state, boxes, [this] { opened << -1; }, [this](int tab) { opened << tab; }) {
        PathEntry a;
        a.text = u"/music/*.mp3"_s;
        a.options = {.minsizeon = true,
                     .minsize = SizeLimit::fromKb(10),
                     .readonly = true,
                     .hidden = true,
                     .archive = true};
        PathEntry b = a;
        b.text = u"/docs/*.*"_s;
        b.options = {.subdirs = false, .ignorezero = false, .archive = true};
        state.scanpaths.pathtable = {a, b};
        state.settings.skipextlist = {
            {u"dll"_s, true, true}, {u"exe"_s, false, true}, {u"so"_s, true, true}};
        state.settings.skipfolderlist = {
            {u"/proc/"_s, true, true}, {u"/sys/"_s, false, true}, {u"/tmp/"_s, true, true}};
        dialog.show();
    }
    template <typename T> T* find(const QString& name) {
        T* widget = dialog.findChild<T*>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }

    AppState state;
    testing::ScriptedMessageBoxes boxes;
    QList<int> opened;
    SettingsPreviewDialog dialog;
};

} // namespace

void ScanPathsDialogTest::previewFillsFromTheState() {
    PreviewFixture f;
    QCOMPARE(f.dialog.windowTitle(), u"Settings preview"_s);
    auto* paths = f.find<QTreeWidget>(u"ListView1"_s);
    QCOMPARE(rowsOf(paths), (QStringList{u"/music/*.mp3"_s, u"/docs/*.*"_s}));
    QCOMPARE(f.find<QPlainTextEdit>(u"Text1"_s)->toPlainText(), u"dll, so"_s);
    QCOMPARE(rowsOf(f.find<QTreeWidget>(u"ListView2"_s)), (QStringList{u"/proc/"_s, u"/tmp/"_s}));
    QCOMPARE(f.find<QLabel>(u"Label8"_s)->text(),
             u" \u2022 Perform a Fuzzy comparison\n \u2022 Perform a CRC comparison"_s);
    for (const char16_t* link : {u"Label9", u"Label10", u"Label11", u"Label13"})
        QCOMPARE(f.find<QLabel>(QString::fromUtf16(link))->text(), u"Change"_s);
    QCOMPARE(f.find<QPushButton>(u"Command1"_s)->text(), u"&Begin"_s);
    QCOMPARE(f.find<QPushButton>(u"Command3"_s)->text(), u"&Cancel"_s);
    testing::verifyNamesAndTips(&f.dialog);

    // A click on a path shows its settings; both limits off gives four lines.
    clickRow(paths, 1);
    QCOMPARE(rowsOf(f.find<QTreeWidget>(u"ListView4"_s)),
             (QStringList{QString(), u"  Check subdirectories: No"_s,
                          u"  Ignore 0 byte files: No"_s, u"  File attributes: A"_s}));
    clickRow(paths, 0);
    QCOMPARE(rowsOf(f.find<QTreeWidget>(u"ListView4"_s)).at(1),
             u"  Ignore files smaller than 10 kB"_s);

    // No pass ticked: the one line " • Do nothing", whatever "Do nothing" says.
    f.state.settings.fuzzy = f.state.settings.crc = 0;
    f.dialog.fill();
    QCOMPARE(f.find<QLabel>(u"Label8"_s)->text(), u" \u2022 Do nothing"_s);
    // The panel grows by a line for each bullet.
    const int oneLine = f.find<QLabel>(u"Label8"_s)->height();
    const int panel = f.find<QGroupBox>(u"Frame3"_s)->height();
    f.state.settings.fuzzy = f.state.settings.crc = f.state.settings.bytewise = 1;
    f.dialog.fill();
    QVERIFY(f.find<QLabel>(u"Label8"_s)->height() >= 3 * oneLine);
    QCOMPARE(f.find<QGroupBox>(u"Frame3"_s)->height(),
             panel + f.find<QLabel>(u"Label8"_s)->height() - oneLine);
}

void ScanPathsDialogTest::previewWithoutTickedExtensionsMovesFoldersUp() {
    PreviewFixture f;
    auto* extensions = f.find<QGroupBox>(u"Frame1"_s);
    auto* folders = f.find<QGroupBox>(u"Frame2"_s);
    auto* after = f.find<QGroupBox>(u"Frame3"_s);
    QVERIFY(extensions->isVisible());
    const int extensionsTop = extensions->y();
    const int foldersTop = folders->y();
    const int height = f.dialog.height();
    QVERIFY(foldersTop > extensionsTop);

    for (CheckedEntry& entry : f.state.settings.skipextlist)
        entry.checked = false;
    f.dialog.fill();
    QVERIFY(!extensions->isVisible());
    QCOMPARE(folders->y(), extensionsTop);
    QVERIFY(f.dialog.height() < height);

    // No ticked folders either: the after-search panel takes the place.
    f.state.settings.skipfolderlist.clear();
    f.dialog.fill();
    QVERIFY(!folders->isVisible());
    QCOMPARE(after->y(), extensionsTop);
    QVERIFY(after->isVisible());
}

void ScanPathsDialogTest::previewChangeLinksOpenTheRightDialog() {
    PreviewFixture f;
    // Each link opens its dialog; the preview fills itself again afterwards.
    const std::pair<const char16_t*, int> links[] = {
        {u"Label9", -1},
        {u"Label13", SettingsDialog::Standard},
        {u"Label11", SettingsDialog::FoldersToSkip},
        {u"Label10", SettingsDialog::ExtensionsToSkip}};
    for (const auto& [name, expected] : links) {
        f.state.settings.skipextlist.push_back({u"x"_s + QString::number(f.opened.size()), true});
        QTest::mouseClick(f.find<QLabel>(QString::fromUtf16(name)), Qt::LeftButton);
        QCOMPARE(f.opened.last(), expected);
        QVERIFY(f.find<QPlainTextEdit>(u"Text1"_s)
                    ->toPlainText()
                    .endsWith(u"x"_s + QString::number(f.opened.size() - 1)));
    }
    QCOMPARE(f.opened.size(), 4);
    // Keyboard users reach the links too.
    auto* link = f.find<QLabel>(u"Label11"_s);
    link->setFocus();
    QTest::keyClick(link, Qt::Key_Space);
    QCOMPARE(f.opened.size(), 5);
}

void ScanPathsDialogTest::previewBeginAsksForAPathThenConfirms() {
    AppState state;
    testing::ScriptedMessageBoxes boxes;
    testing::ScriptedChoosers choosers;
    QWidget owner;
    ScanPathsDialog scanPaths(state, boxes, choosers, &owner);
    scanPaths.setDriveSource([] { return std::vector<platform::Drive>{}; });
    SettingsPreviewDialog preview(
        state, boxes, [&] { scanPaths.exec(); }, [](int) {}, &owner);
    state.scanconfirmed = true;
    preview.show();
    QVERIFY(rowsOf(preview.findChild<QTreeWidget*>(u"ListView1"_s)).isEmpty());

    // Begin with an empty table asks; Yes opens the Scan paths dialog, where
    // a folder is added.
    boxes.answer(MessageAnswer::Yes);
    choosers.answers = {u"/data"_s};
    testing::whenShown<ScanPathsDialog>([](ScanPathsDialog* dialog) {
        QTest::mouseClick(dialog->findChild<QPushButton*>(u"addfolderbutton"_s), Qt::LeftButton);
        QTest::mouseClick(dialog->findChild<QPushButton*>(u"donebutton"_s), Qt::LeftButton);
    });
    auto* begin = preview.findChild<QPushButton*>(u"Command1"_s);
    QTest::mouseClick(begin, Qt::LeftButton);
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].text, noPathsMessage());
    QCOMPARE(boxes.shown[0].icon, MessageIcon::Exclamation);
    QCOMPARE(boxes.shown[0].buttons, MessageButtons::YesNo);
    QVERIFY(!state.scanconfirmed);
    QVERIFY(preview.isVisible());
    QCOMPARE(state.scanpaths.pathtable.size(), 1u);
    QCOMPARE(rowsOf(preview.findChild<QTreeWidget*>(u"ListView1"_s)), QStringList{u"/data/*.*"_s});

    // The second Begin confirms and closes.
    QTest::mouseClick(begin, Qt::LeftButton);
    QCOMPARE(boxes.shown.size(), 1);
    QVERIFY(state.scanconfirmed);
    QVERIFY(!preview.isVisible());
    QCOMPARE(preview.result(), int(QDialog::Accepted));

    // No keeps the preview open without opening anything.
    state.scanpaths.pathtable.clear();
    preview.show();
    boxes.answer(MessageAnswer::No);
    QTest::mouseClick(begin, Qt::LeftButton);
    QCOMPARE(boxes.shown.size(), 2);
    QVERIFY(preview.isVisible());
    QVERIFY(!state.scanconfirmed);
}

void ScanPathsDialogTest::previewCancelLeavesTheScanUnconfirmed() {
    PreviewFixture f;
    f.state.scanconfirmed = true;
    QTest::mouseClick(f.find<QPushButton>(u"Command3"_s), Qt::LeftButton);
    QVERIFY(!f.state.scanconfirmed);
    QVERIFY(!f.dialog.isVisible());
    f.state.scanconfirmed = true;
    f.dialog.show();
    QTest::keyClick(&f.dialog, Qt::Key_Escape);
    QVERIFY(!f.state.scanconfirmed);
}

void ScanPathsDialogTest::accessKeysAreUnique() {
    // One Alt key, one button: a shared key would only move the focus.
    Fixture f;
    QHash<QKeySequence, QString> owners;
    for (QAbstractButton* button : f.dialog.findChildren<QAbstractButton*>()) {
        const QKeySequence key = QKeySequence::mnemonic(button->text());
        if (key.isEmpty())
            continue;
        QVERIFY2(!owners.contains(key),
                 qPrintable(owners.value(key) + u" and "_s + button->text()));
        owners.insert(key, button->text());
    }
    QVERIFY(owners.size() >= 5);
}

QTEST_MAIN(ScanPathsDialogTest)
#include "tst_scanpathsdialog.moc"

// A scan set up through the dialogs from start to end: the Settings dialog,
// the Scan paths dialog, the Scan command with its preview, the scan, and
// the offer to compare.

#include "compare/comparecontroller.h"
#include "core/appstate.h"
#include "dialogchecks.h"
#include "scan/scancontroller.h"
#include "scriptedchoosers.h"
#include "scriptedmessages.h"
#include "temptree.h"
#include "ui/comparedialog.h"
#include "ui/dialoghost.h"
#include "ui/mainwindow.h"
#include "ui/scanpathsdialog.h"
#include "ui/selectfilesdialog.h"
#include "ui/settingsdialog.h"
#include "ui/settingspreviewdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QtTest>

using namespace quillfen;
using namespace quillfen::ui;
using namespace Qt::StringLiterals;
using testing::child;
using testing::press;
using testing::rowsOf;

namespace {

// The started program: the main window, with scripted message boxes and
// file choosers, and its own dialog host.
struct Program {
    Program() : window(state, &boxes, &choosers) {
        SystemFacts system;
        system.programFolder = settingsFolder.root();
        window.load(system);
        window.show();
    }
    ~Program() { window.scanController().waitForScan(); }
    DialogHost& host() { return window.dialogHost(); }

    testing::TempTree settingsFolder;
    AppState state;
    testing::ScriptedMessageBoxes boxes;
    testing::ScriptedChoosers choosers;
    MainWindow window;
};

// A completed comparison opens the selection assistant: it is left with
// Cancel, and `shown` tells that it came.
void leaveTheSelectionAssistant(bool& shown) {
    testing::whenShown<SelectFilesDialog>([&shown](SelectFilesDialog* assistant) {
        shown = true;
        press(assistant, u"Command2"_s);
    });
}

// Files of equal size in pairs, a single one and one of another pattern.
void makeTree(testing::TempTree& tree) {
    tree.writeFile(u"a.dat"_s, 100, 'x');
    tree.writeFile(u"sub/b.dat"_s, 100, 'x');
    tree.writeFile(u"c.dat"_s, 300, 'y');
    tree.writeFile(u"d.dat"_s, 300, 'z');
    tree.writeFile(u"lonely.dat"_s, 200, 'q');
    tree.writeFile(u"e.txt"_s, 100, 'x');
}

// Clears the skip folders (the test tree lies in /tmp, skipped by default)
// and clicks the given after-search boxes ("Do nothing" by default), in the
// Settings dialog.
void setUpSettings(Program& p, const QStringList& boxes = {u"Check11"_s}) {
    testing::whenShown<SettingsDialog>([boxes](SettingsDialog* dialog) {
        press(dialog, u"clearfoldersbutton"_s);
        dialog->setCurrentTab(SettingsDialog::Standard);
        for (const QString& box : boxes)
            press(dialog, box);
        press(dialog, u"okbutton"_s);
    });
    p.host().showSettings(SettingsDialog::FoldersToSkip);
}

// The names of the result list, separator rows as "".
QStringList listedNames(const AppState& state) {
    QStringList names;
    for (const ResultEntry& entry : state.resultlist)
        names << entry.filename;
    return names;
}

// Adds the tree with the pattern *.dat and no lower size limit, in the Scan
// paths dialog opened by the Paths command.
void addTreePath(Program& p, const testing::TempTree& tree) {
    p.choosers.answers = {tree.root()};
    testing::whenShown<ScanPathsDialog>([](ScanPathsDialog* dialog) {
        press(dialog, u"Command5"_s);
        press(dialog, u"Check1"_s);
        auto* selector = child<QComboBox>(dialog, u"Combo1"_s);
        selector->setFocus();
        QTest::keyClick(selector, Qt::Key_Down);
        auto* patterns = child<QLineEdit>(dialog, u"Text5edit"_s);
        patterns->selectAll();
        QTest::keyClicks(patterns, u"*.dat"_s);
        press(dialog, u"addfolderbutton"_s);
        press(dialog, u"donebutton"_s);
    });
    p.window.runCommand(MainWindow::Paths);
}

} // namespace

class SetupFlowTest : public QObject {
    Q_OBJECT
private slots:
    void scanSetUpInTheDialogsFindsThePossibleDuplicates();
    void scanWithComparisonPassesEndsWithDefiniteDuplicates();
    void emptyPathTableAtScanOpensTheScanPathsDialog();
    void foundMessageOffersTheCompareDialog();
};

void SetupFlowTest::scanSetUpInTheDialogsFindsThePossibleDuplicates() {
    testing::TempTree tree;
    makeTree(tree);
    Program p;
    setUpSettings(p);
    QVERIFY(p.state.settings.skipfolderlist.empty());
    QCOMPARE(p.state.settings.donothing, 1);
    QCOMPARE(p.state.settings.fuzzy + p.state.settings.crc + p.state.settings.bytewise, 0);
    addTreePath(p, tree);
    QCOMPARE(p.state.scanpaths.pathtable.size(), 1u);
    QCOMPARE(p.state.scanpaths.pathtable[0].text, tree.root() + u"*.dat"_s);
    QCOMPARE(optioncolumns(p.state.scanpaths.pathtable[0].options)[PathEntry::MinSizeOn],
             u"False"_s);

    // Scan: the preview shows the path and the plan, and Begin confirms it.
    QStringList previewPaths;
    QString previewPlan;
    testing::whenShown<SettingsPreviewDialog>([&](SettingsPreviewDialog* dialog) {
        previewPaths = rowsOf(child<QTreeWidget>(dialog, u"ListView1"_s));
        previewPlan = child<QLabel>(dialog, u"Label8"_s)->text();
        press(dialog, u"Command1"_s);
    });
    p.boxes.answer(MessageAnswer::No); // not now to the comparison
    QTest::mouseClick(p.window.commandButton(MainWindow::Scan), Qt::LeftButton);
    QCOMPARE(previewPaths, QStringList{tree.root() + u"*.dat"_s});
    QCOMPARE(previewPlan, u" \u2022 Do nothing"_s);
    QVERIFY(p.state.scanconfirmed);
    QTRY_VERIFY(!p.window.scanController().isScanning());
    QTRY_COMPARE(p.boxes.shown.size(), 1);
    QVERIFY(p.boxes.shown[0].text.contains(u"It has found 4 possible duplicates."_s));

    // Two groups of equal size, largest first, a separator between them.
    const ResultList& list = p.state.resultlist;
    QCOMPARE(list.size(), 5u);
    QStringList names;
    for (const ResultEntry& entry : list)
        names << entry.filename;
    QCOMPARE(names.mid(0, 2), (QStringList{u"c.dat"_s, u"d.dat"_s}));
    QVERIFY(names[2].isEmpty());
    QCOMPARE(QSet<QString>(names.begin() + 3, names.end()),
             (QSet<QString>{u"a.dat"_s, u"b.dat"_s}));
    QCOMPARE(p.state.labelposs1, u"4"_s);
    QVERIFY(p.window.findChild<QWidget*>(u"warningnotice"_s)->isVisible());
}

void SetupFlowTest::scanWithComparisonPassesEndsWithDefiniteDuplicates() {
    testing::TempTree tree;
    makeTree(tree);
    Program p;
    // Fuzzy and CRC are ticked from the start; bytewise is added.
    setUpSettings(p, {u"Check44"_s});
    QCOMPARE(p.state.settings.donothing, 0);
    QCOMPARE(p.state.settings.fuzzy + p.state.settings.crc + p.state.settings.bytewise, 3);
    addTreePath(p, tree);

    QString previewPlan;
    testing::whenShown<SettingsPreviewDialog>([&](SettingsPreviewDialog* dialog) {
        previewPlan = child<QLabel>(dialog, u"Label8"_s)->text();
        press(dialog, u"Command1"_s);
    });
    QSignalSpy compared(&p.window.compareController(), &CompareController::finished);
    bool assistant = false;
    leaveTheSelectionAssistant(assistant);
    QTest::mouseClick(p.window.commandButton(MainWindow::Scan), Qt::LeftButton);
    QCOMPARE(previewPlan, u" \u2022 Perform a Fuzzy comparison\n \u2022 Perform a CRC comparison\n "
                          u"\u2022 Perform a Bytewise comparison"_s);
    // The scan hands over to the comparison, which runs the three passes
    // and offers the selection assistant.
    QTRY_COMPARE_WITH_TIMEOUT(compared.size(), 1, 20000);
    QVERIFY(assistant);
    QCOMPARE(compared.first().first().toBool(), false);
    QCOMPARE(p.boxes.shown.size(), 1);
    QCOMPARE(p.boxes.shown[0].text,
             u"Comparison successfully completed!\r\n\r\n2 definate duplicates found."_s);
    // c.dat and d.dat share their size, not their contents.
    const QStringList names = listedNames(p.state);
    QCOMPARE(QSet<QString>(names.begin(), names.end()), (QSet<QString>{u"a.dat"_s, u"b.dat"_s}));
    QCOMPARE(p.state.labeldef1, u"2"_s);
    QCOMPARE(p.state.labelposs1, u"0"_s);
    QVERIFY(p.window.findChild<QWidget*>(u"completionnotice"_s)->isVisible());
}

void SetupFlowTest::emptyPathTableAtScanOpensTheScanPathsDialog() {
    testing::TempTree tree;
    makeTree(tree);
    Program p;
    setUpSettings(p);

    // Begin with no path asks; Yes opens the Scan paths dialog, where the
    // tree is added; the second Begin starts the scan.
    p.choosers.answers = {tree.root()};
    testing::whenShown<SettingsPreviewDialog>([&](SettingsPreviewDialog* dialog) {
        testing::whenShown<ScanPathsDialog>([](ScanPathsDialog* paths) {
            press(paths, u"Command5"_s);
            press(paths, u"Check1"_s);
            press(paths, u"addfolderbutton"_s);
            press(paths, u"donebutton"_s);
        });
        press(dialog, u"Command1"_s);
        press(dialog, u"Command1"_s);
    });
    p.boxes.answer(MessageAnswer::Yes);
    p.boxes.answer(MessageAnswer::No);
    p.window.runCommand(MainWindow::Scan);
    QTRY_VERIFY(!p.window.scanController().isScanning());
    QTRY_COMPARE(p.boxes.shown.size(), 2);
    QCOMPARE(p.boxes.shown[0].text, noPathsMessage());
    QVERIFY(p.boxes.shown[1].text.contains(u"It has found 5 possible duplicates."_s));
    QCOMPARE(p.state.scanpaths.pathtable[0].text, tree.root() + u"*.*"_s);
}

void SetupFlowTest::foundMessageOffersTheCompareDialog() {
    testing::TempTree tree;
    makeTree(tree);
    Program p;
    setUpSettings(p);
    addTreePath(p, tree);

    // Yes to the offer opens the Compare files dialog, preselected with
    // "Let the program decide"; row 3 is chosen and started.
    QString preselected;
    QSignalSpy compared(&p.window.compareController(), &CompareController::finished);
    testing::whenShown<SettingsPreviewDialog>(
        [](SettingsPreviewDialog* dialog) { press(dialog, u"Command1"_s); });
    QString plan;
    int steps = -1;
    bool fromScan = true;
    testing::whenShown<CompareDialog>([&](CompareDialog* dialog) {
        preselected =
            child<QRadioButton>(dialog, u"Option5"_s)->isChecked() ? u"Option5"_s : QString();
        press(dialog, u"Option4"_s);
        press(dialog, u"Command2"_s);
        // The run variables as Start left them, before the timer's tick.
        plan = p.state.compareplan.codes();
        steps = p.state.totalsteps;
        fromScan = p.state.scanstartscompare;
    });
    bool assistant = false;
    leaveTheSelectionAssistant(assistant);
    p.boxes.answer(MessageAnswer::Yes);
    p.window.runCommand(MainWindow::Scan);
    QTRY_VERIFY(!p.window.scanController().isScanning());
    QTRY_COMPARE(preselected, u"Option5"_s);
    QTRY_VERIFY(p.window.findChildren<CompareDialog*>().isEmpty());
    QCOMPARE(plan, u"24"_s);
    QCOMPARE(steps, 2);
    QVERIFY(!fromScan);
    // The next scan plans fuzzy and bytewise passes after the search.
    QCOMPARE(p.state.settings.donothing, 0);
    QCOMPARE(p.state.settings.fuzzy, 1);
    QCOMPARE(p.state.settings.crc, 0);
    QCOMPARE(p.state.settings.bytewise, 1);

    // The comparison runs after the dialog has gone: fuzzy, then bytewise,
    // and offers the selection assistant.
    QTRY_COMPARE_WITH_TIMEOUT(compared.size(), 1, 20000);
    QVERIFY(assistant);
    QCOMPARE(p.boxes.shown.size(), 2);
    QCOMPARE(p.boxes.shown[1].text,
             u"Comparison successfully completed!\r\n\r\n2 definate duplicates found."_s);
    const QStringList names = listedNames(p.state);
    QCOMPARE(QSet<QString>(names.begin(), names.end()), (QSet<QString>{u"a.dat"_s, u"b.dat"_s}));
}

QTEST_MAIN(SetupFlowTest)
#include "tst_setupflow.moc"

#include "core/appstate.h"
#include "core/busy.h"
#include "platform/platform.h"
#include "scan/scancontroller.h"
#include "scan/scanoptions.h"
#include "scriptedmessages.h"
#include "temptree.h"
#include "ui/commandbutton.h"
#include "ui/mainwindow.h"
#include "ui/scanpathsdialog.h"
#include "ui/selectfilesdialog.h"
#include "ui/settingspreviewdialog.h"
#include "windowfixture.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QtTest>

using namespace quillfen;
using namespace quillfen::ui;
using namespace Qt::StringLiterals;
using testing::press;

namespace {

using testing::Window;

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void startUpSetsTitleAndState();
    void everyControlHasANameAndATip();
    void emptyPathTableAsksToAddAPath();
    void scanFillsTheListLargestFirst();
    void busyStateLeavesOnlyStop();
    void stopDuringALongWalkEmptiesTheList();
    void closingWhileBusyIsRefused();
    void comparisonAfterTheScanKeepsTheDuplicates();
    void stopDuringAComparisonEmptiesTheList();
    void timeSpentBelongsToTheRuns();
};

void MainWindowTest::startUpSetsTitleAndState() {
    Window w;
    QCOMPARE(w.window.windowTitle(), u"Quillfen v"_s + programversion());
    QCOMPARE(w.state.appversion, programversion());
    QVERIFY(w.state.stopflag);
    QCOMPARE(w.window.size(), QSize(1000, 667)); // 15000 x 10000 twips
    QVERIFY(w.wizard);                           // no settings file yet
    QVERIFY(!w.state.settings.patternlists.empty());
    QVERIFY(!w.state.settings.skipextlist.empty());
    QVERIFY(w.idle());
    for (const QString& name : {u"labelfound1"_s, u"labelskipped1"_s, u"labelunreadable1"_s,
                                u"labelfilescomp1"_s, u"labelposs1"_s, u"labeldef1"_s})
        QCOMPARE(w.label(name), u"0"_s);
    QCOMPARE(w.label(u"labeltime1"_s), u"00:00:00"_s);
    QCOMPARE(w.label(u"labelmbnow1"_s), u"0 KB"_s);
    QCOMPARE(w.label(u"labelmbselected1"_s), u"0 MB"_s);
    QCOMPARE(w.label(u"labeldef1caption"_s), u"Definate duplicates"_s);
    QCOMPARE(w.label(u"labelmbselected1caption"_s), u"Selected files (size)"_s);
}

void MainWindowTest::everyControlHasANameAndATip() {
    Window w;
    for (QWidget* widget : w.window.findChildren<QWidget*>()) {
        // Qt's own parts of the view (scroll bars, viewport, header) are named by Qt.
        if (widget->objectName().startsWith(u"qt_"_s) || !widget->parent() ||
            widget->parentWidget()->inherits("QAbstractScrollArea") ||
            widget->inherits("QHeaderView") || widget->inherits("QScrollBar"))
            continue;
        QVERIFY2(!widget->objectName().isEmpty(), widget->metaObject()->className());
        QVERIFY2(
            !widget->accessibleName().isEmpty() ||
                (widget->inherits("QLabel") && !qobject_cast<QLabel*>(widget)->text().isEmpty()),
            qPrintable(widget->objectName()));
        // Containers and decorations the pointer cannot reach need no
        // tooltip of their own; controls do.
        const bool container = widget->testAttribute(Qt::WA_TransparentForMouseEvents) ||
                               QByteArray(widget->metaObject()->className()) == "QWidget" ||
                               widget->inherits("QStackedWidget") ||
                               widget->inherits("quillfen::ui::StatusPanel") ||
                               widget->inherits("quillfen::ui::WorkingPanel");
        QVERIFY2(container || !widget->toolTip().isEmpty(), qPrintable(widget->objectName()));
    }
}

void MainWindowTest::emptyPathTableAsksToAddAPath() {
    Window w;
    w.planScanOnly();
    // Begin in the Settings preview with no path asks for one; No keeps
    // the preview, whose Cancel leaves the window as it was.
    w.boxes.answer(MessageAnswer::No);
    testing::whenShown<SettingsPreviewDialog>([](SettingsPreviewDialog* preview) {
        press(preview, u"Command1"_s);
        press(preview, u"Command3"_s);
    });
    QTest::mouseClick(w.button(MainWindow::Scan), Qt::LeftButton);
    QCOMPARE(w.boxes.shown.size(), 1);
    QCOMPARE(w.boxes.shown[0].text, noPathsMessage());
    QCOMPARE(w.boxes.shown[0].icon, MessageIcon::Exclamation);
    QVERIFY(!w.state.scanconfirmed);
    QVERIFY(w.state.scanpaths.pathtable.empty());
    QVERIFY(w.idle());

    // Yes opens the Scan paths dialog, where a folder is added with the
    // dialog's filter options; the preview then lists it and Begin scans it.
    testing::TempTree tree;
    tree.writeFile(u"music/a.mp3"_s, 10, 'x');
    tree.writeFile(u"music/b.mp3"_s, 10, 'x');
    w.choosers.answers << tree.path(u"music"_s);
    w.boxes.answer(MessageAnswer::Yes);
    w.boxes.answer(MessageAnswer::No); // not now to the comparison
    QStringList listed;
    testing::whenShown<SettingsPreviewDialog>([&listed](SettingsPreviewDialog* preview) {
        testing::whenShown<ScanPathsDialog>([](ScanPathsDialog* paths) {
            press(paths, u"addfolderbutton"_s);
            press(paths, u"donebutton"_s);
        });
        press(preview, u"Command1"_s);
        listed = testing::rowsOf(testing::child<QTreeWidget>(preview, u"ListView1"_s));
        press(preview, u"Command1"_s);
    });
    QTest::mouseClick(w.button(MainWindow::Scan), Qt::LeftButton);
    QCOMPARE(w.state.scanpaths.pathtable.size(), 1u);
    QCOMPARE(w.state.scanpaths.pathtable[0].text, tree.path(u"music/*.*"_s));
    QCOMPARE(optioncolumns(w.state.scanpaths.pathtable[0].options)[PathEntry::Attributes],
             u"RHA"_s);
    QCOMPARE(listed, QStringList{tree.path(u"music/*.*"_s)});
    QTRY_VERIFY(w.idle() && !w.window.scanController().isScanning());
    QTRY_COMPARE(w.boxes.shown.size(), 3);
    QVERIFY(w.boxes.shown[2].text.contains(u"It has found 2 possible duplicates."_s));
    QCOMPARE(w.label(u"labelposs1"_s), u"2"_s);
}

void MainWindowTest::scanFillsTheListLargestFirst() {
    testing::TempTree tree;
    tree.writeFile(u"small1.txt"_s, 4999, 'a');
    tree.writeFile(u"sub/small2.txt"_s, 4999, 'b');
    tree.writeFile(u"big1.bin"_s, 2500000, 'c');
    tree.writeFile(u"sub/big2.bin"_s, 2500000, 'd');
    tree.writeFile(u"single"_s, 77, 'e');
    const QDateTime when(QDate(2020, 12, 31), QTime(23, 59, 58));
    QVERIFY(tree.setModified(u"big1.bin"_s, when.toSecsSinceEpoch()));
    Window w;
    w.planScanOnly();
    w.addPath(tree.root());
    QAbstractItemModelTester tester(&w.window.resultModel());
    QSignalSpy resets(&w.window.resultModel(), &QAbstractItemModel::modelReset);
    w.boxes.answer(MessageAnswer::No);
    w.scan();
    QTRY_VERIFY(w.idle() && !w.window.scanController().isScanning());
    QTRY_COMPARE(w.boxes.shown.size(), 1);
    QVERIFY(w.boxes.shown[0].text.contains(u"It has found 4 possible duplicates."_s));
    QVERIFY(w.window.findChild<QWidget*>(u"warningnotice"_s)->isVisible());

    const QAbstractItemModel& model = w.window.resultModel();
    // Emptied at the start, then once for each of the two grouping steps.
    QCOMPARE(resets.size(), 3);
    // Two groups, largest first, each sorted by folder, a separator between.
    QCOMPARE(model.rowCount(), 5);
    QCOMPARE(model.columnCount(), 5);
    const QStringList headers{u"Filename"_s, u"Size (MB)"_s, u"Size (Byte)"_s, u"File Date"_s,
                              u"Path"_s};
    for (int c = 0; c < 5; ++c)
        QCOMPARE(model.headerData(c, Qt::Horizontal).toString(), headers[c]);
    auto text = [&](int row, int column) { return model.index(row, column).data().toString(); };
    const QString point = QLocale().decimalPoint();
    const QStringList big1{u"big1.bin"_s, u"2"_s + point + u"5"_s, u"2500000"_s,
                           u"31/12/2020 23:59:58"_s, tree.root()};
    for (int c = 0; c < 5; ++c)
        QCOMPARE(text(0, c), big1[c]);
    QCOMPARE(text(1, 0), u"big2.bin"_s);
    QCOMPARE(text(1, 4), tree.path(u"sub/"_s));
    QCOMPARE(text(1, 2), u"2500000"_s);
    QVERIFY(text(2, 0).isEmpty()); // the separator row
    QVERIFY(!model.index(2, 0).data(Qt::CheckStateRole).isValid());
    QCOMPARE(text(3, 0), u"small1.txt"_s);
    QCOMPARE(text(4, 0), u"small2.txt"_s);
    for (int row : {3, 4}) {
        QCOMPARE(text(row, 1), u"0"_s + point + u"01"_s);
        QCOMPARE(text(row, 2), u"4999"_s);
    }
    QCOMPARE(model.index(0, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(0x455CA3));
    QCOMPARE(model.index(3, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::black));
    QVERIFY(!model.index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
    QCOMPARE(model.index(0, 1).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
    QCOMPARE(model.index(0, 4).data(Qt::TextAlignmentRole).toInt(),
             int(Qt::AlignLeft | Qt::AlignVCenter));
    QCOMPARE(model.index(0, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
    QCOMPARE(w.label(u"labelposs1"_s), u"4"_s);
    QCOMPARE(w.label(u"labelfound1"_s), u"5"_s);

    // The header never re-sorts the list.
    auto* view = w.window.findChild<QTreeView*>(u"ListView1"_s);
    QTest::mouseClick(view->header()->viewport(), Qt::LeftButton, {},
                      QPoint(view->header()->sectionPosition(2) + 5, 5));
    QCOMPARE(text(0, 0), u"big1.bin"_s);
    QCOMPARE(text(4, 0), u"small2.txt"_s);
}

void MainWindowTest::busyStateLeavesOnlyStop() {
    Window w;
    w.window.showBusy(true);
    QVERIFY(!w.button(MainWindow::Scan)->isEnabled());
    QVERIFY(!w.button(MainWindow::Paths)->isEnabled());
    QVERIFY(w.button(MainWindow::Stop)->isEnabled());
    QVERIFY(!w.window.findChild<QWidget*>(u"ListView1"_s)->isEnabled());
    QVERIFY(w.window.findChild<QWidget*>(u"workingpanel"_s)->isVisible());
    QCOMPARE(w.label(u"Label5"_s), u"Scan progress"_s);
    w.window.showBusy(false);
    QVERIFY(w.button(MainWindow::Scan)->isEnabled());
    QVERIFY(w.window.findChild<QWidget*>(u"ListView1"_s)->isEnabled());
}

void MainWindowTest::stopDuringALongWalkEmptiesTheList() {
    testing::TempTree tree;
    for (int i = 0; i < 300; ++i)
        tree.writeFile(u"d%1/f%2"_s.arg(i % 10).arg(i), i % 5, 'x');
    Window w;
    w.planScanOnly();
    for (int i = 0; i < 20000; ++i)
        w.addPath(tree.root());
    w.state.resultlist.resize(3); // left from an earlier run
    w.window.resultListReset();
    w.scan();
    QVERIFY(!w.idle());
    QCOMPARE(w.window.resultModel().rowCount(), 0);
    // The status panel follows the walk while it runs.
    QTRY_VERIFY_WITH_TIMEOUT(w.label(u"labelskipped1"_s).toLongLong() > 1000, 20000);
    QVERIFY(!w.window.findChild<QLineEdit*>(u"curdir1"_s)->text().isEmpty());
    QCOMPARE(w.label(u"Label5"_s), u"Step 1/1 - Scanning for files"_s);

    w.boxes.answer(MessageAnswer::Yes);
    QTest::mouseClick(w.button(MainWindow::Stop), Qt::LeftButton);
    // The walk of every entry would take minutes; the stop ends it early.
    QTRY_VERIFY_WITH_TIMEOUT(w.idle(), 60000);
    QVERIFY(w.state.filesskipped.load() < 20000LL * 300 / 2); // not half of it walked
    QCOMPARE(w.window.resultModel().rowCount(), 0);
    QVERIFY(w.button(MainWindow::Scan)->isEnabled());
    QCOMPARE(w.boxes.shown.size(), 1); // the stop question only
    QCOMPARE(w.boxes.shown[0].defaultButton, MessageAnswer::No);
}

void MainWindowTest::closingWhileBusyIsRefused() {
    testing::TempTree tree;
    for (int i = 0; i < 300; ++i)
        tree.writeFile(u"f%1"_s.arg(i), i % 5, 'x');
    Window w;
    w.planScanOnly();
    for (int i = 0; i < 20000; ++i)
        w.addPath(tree.root());
    w.scan();
    QVERIFY(!w.idle());
    QVERIFY(!w.window.close());
    QVERIFY(w.window.isVisible());
    QCOMPARE(w.boxes.shown.size(), 1);
    QCOMPARE(w.boxes.shown[0].text, u"You will need to stop the program before you quit."_s);
    QCOMPARE(w.boxes.shown[0].icon, MessageIcon::Exclamation);
    QCOMPARE(w.boxes.shown[0].buttons, MessageButtons::Ok);

    // Once stopped, the window closes.
    w.boxes.answer(MessageAnswer::Yes);
    QTest::mouseClick(w.button(MainWindow::Stop), Qt::LeftButton);
    QVERIFY(w.window.close());
    QVERIFY(!w.window.scanController().isScanning());
}

void MainWindowTest::comparisonAfterTheScanKeepsTheDuplicates() {
    testing::TempTree tree;
    tree.writeFile(u"a"_s, 10, 'x');
    tree.writeFile(u"b"_s, 10, 'y');
    tree.writeFile(u"one/c"_s, 20, 'z');
    tree.writeFile(u"two/d"_s, 20, 'z');
    Window w; // the Settings dialog's start values plan fuzzy and CRC passes
    w.addPath(tree.root());
    // The completed comparison offers the selection assistant; Cancel leaves it.
    bool assistant = false;
    testing::whenShown<SelectFilesDialog>([&assistant](SelectFilesDialog* dialog) {
        assistant = true;
        press(dialog, u"Command2"_s);
    });
    w.scan();
    QTRY_VERIFY(!w.window.scanController().isScanning());
    QTRY_VERIFY(!w.window.compareController().isRunning());
    QTRY_VERIFY(w.idle());
    QVERIFY(assistant);
    QCOMPARE(w.window.resultModel().rowCount(), 2);
    QCOMPARE(w.state.resultlist[0].fullPath(), tree.path(u"one/c"_s));
    QCOMPARE(w.state.resultlist[1].fullPath(), tree.path(u"two/d"_s));
    QCOMPARE(w.label(u"labeldef1"_s), u"2"_s);
    QCOMPARE(w.label(u"labelposs1"_s), u"0"_s);
    QCOMPARE(w.boxes.shown.size(), 1);
    QCOMPARE(w.boxes.shown[0].text,
             u"Comparison successfully completed!\r\n\r\n2 definate duplicates found."_s);
    QVERIFY(w.window.findChild<QWidget*>(u"completionnotice"_s)->isVisible());
    QVERIFY(!w.window.findChild<QWidget*>(u"warningnotice"_s)->isVisible());
}

void MainWindowTest::stopDuringAComparisonEmptiesTheList() {
    testing::TempTree tree;
    const qint64 size = 40LL * 1024 * 1024 * 1024;
    tree.writeSparseFile(u"a"_s, size, 'a');
    tree.writeSparseFile(u"b"_s, size, 'a');
    if (platform::fileLength(tree.path(u"b"_s)) != size)
        QSKIP("The temporary folder cannot hold 40 GiB sparse files.");
    Window w;
    w.state.settings.fuzzy = w.state.settings.crc = 0;
    w.state.settings.bytewise = 1;
    w.addPath(tree.root());
    w.scan();
    QTRY_VERIFY(w.window.compareController().isRunning());
    QTRY_VERIFY(w.state.kbdoneValue() > 0); // reading
    w.boxes.answer(MessageAnswer::Yes);
    QTest::mouseClick(w.button(MainWindow::Stop), Qt::LeftButton);
    // Reading 40 GiB takes many seconds; the stop ends it early.
    QTRY_VERIFY_WITH_TIMEOUT(w.idle(), 60000);
    QVERIFY(w.state.kbdoneValue() < 40.0 * 1024 * 1024 * 1024 / 1000);
    QCOMPARE(w.window.resultModel().rowCount(), 0);
    QCOMPARE(w.boxes.shown.size(), 1); // the stop question only
    QVERIFY(w.button(MainWindow::Scan)->isEnabled());
}

void MainWindowTest::timeSpentBelongsToTheRuns() {
    testing::TempTree tree;
    tree.writeFile(u"a"_s, 10, 'x');
    tree.writeFile(u"b"_s, 10, 'x');
    Window w; // fuzzy and CRC passes after the scan
    w.addPath(tree.root());
    testing::whenShown<SelectFilesDialog>(
        [](SelectFilesDialog* dialog) { press(dialog, u"Command2"_s); });
    w.scan();
    QTRY_VERIFY(!w.window.scanController().isScanning());
    QTRY_VERIFY(!w.window.compareController().isRunning());
    QTRY_VERIFY(w.idle());
    const QString spent = w.label(u"labeltime1"_s);

    // An hour later a file operation or an export runs in the busy state:
    // the time stays the comparison's, the caption is not the comparison's.
    w.state.starttick = platform::tickCount() - 3600u * 1000u;
    beginbusy(w.state, w.window);
    w.window.statusChanged();
    QCOMPARE(w.label(u"labeltime1"_s), spent);
    QVERIFY(!w.label(u"Label5"_s).contains(u"comparison"_s));
    QVERIFY(!w.label(u"Label5"_s).startsWith(u"Step"_s));
    endbusy(w.state, w.window);
    w.window.statusChanged();
    QCOMPARE(w.label(u"labeltime1"_s), spent);
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"

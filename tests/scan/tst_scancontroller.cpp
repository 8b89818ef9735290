#include "core/appstate.h"
#include "core/busy.h"
#include "fakefrontend.h"
#include "scan/scancontroller.h"
#include "scan/scanoptions.h"
#include "temptree.h"

#include <QtTest>

using namespace quillfen;
using namespace Qt::StringLiterals;

namespace {

// A state with the given after-search plan and a confirming preview.
struct Run {
    explicit Run(const QString& plan) : controller(state, frontend) {
        state.settings.donothing = plan.contains(u'1') ? 1 : 0;
        state.settings.fuzzy = plan.contains(u'2') ? 1 : 0;
        state.settings.crc = plan.contains(u'3') ? 1 : 0;
        state.settings.bytewise = plan.contains(u'4') ? 1 : 0;
        state.scanpaths.minsizebox = false;
        frontend.onSettingsPreview = [this] { state.scanconfirmed = true; };
    }
    void addPath(const QString& folder) {
        state.scanpaths.pathtable.push_back(newpathentry(state, folder, u"*.*"_s));
    }
    // Starts a scan and waits for its end steps.
    void scan() {
        controller.starter();
        controller.waitForScan();
    }
    AppState state;
    testing::FakeFrontend frontend;
    ScanController controller;
};

void makeDuplicates(testing::TempTree& tree) {
    tree.writeFile(u"a"_s, 100, 'x');
    tree.writeFile(u"b"_s, 100, 'y');
    tree.writeFile(u"c"_s, 300, 'z');
    tree.writeFile(u"d/e"_s, 300, 'z');
    tree.writeFile(u"lonely"_s, 200, 'q');
}

} // namespace

class ScanControllerTest : public QObject {
    Q_OBJECT
private slots:
    void unconfirmedPreviewStartsNothing();
    void emptyPathTableOffersToAddAPath();
    void scanOnlyPlanFillsGroupsAndOffersTheComparison();
    void scanOnlyPlanWithoutDuplicates();
    void comparisonPlanHandsOverWhileBusy();
    void comparisonPlanWithEmptyListEndsWithAWarning();
    void startResetsTheCountersAndTheList();
    void stopDuringTheWalkEmptiesTheList();
    void stopCommandAsksWhileBusy();
    void startcompareFromTheCompareDialogTakesItsMode();
};

void ScanControllerTest::unconfirmedPreviewStartsNothing() {
    Run run(u"1"_s);
    run.frontend.onSettingsPreview = [&] { run.state.scanconfirmed = false; };
    run.state.filesfound = 7;
    run.controller.starter();
    QCOMPARE(run.frontend.events, QStringList{u"preview"_s});
    QCOMPARE(run.state.filesfound.load(), 7);
    QVERIFY(run.frontend.boxes.shown.isEmpty());
}

void ScanControllerTest::emptyPathTableOffersToAddAPath() {
    Run run(u"1"_s);
    run.frontend.boxes.answer(MessageAnswer::No);
    run.controller.starter();
    QCOMPARE(run.frontend.boxes.shown.size(), 1);
    const auto& box = run.frontend.boxes.shown.first();
    QCOMPARE(box.text,
             u"You must add at least one path to scan.\r\n\r\nWould you like to add a path now?"_s);
    QCOMPARE(box.icon, MessageIcon::Exclamation);
    QCOMPARE(box.buttons, MessageButtons::YesNo);
    QVERIFY(!run.frontend.events.contains(u"scanpaths"_s));
    QVERIFY(!run.frontend.events.contains(u"busy"_s));

    run.frontend.boxes.answer(MessageAnswer::Yes);
    run.controller.starter();
    QCOMPARE(run.frontend.events.last(), u"scanpaths"_s);
    QVERIFY(!run.controller.isScanning());
    QVERIFY(run.state.stopflag);
}

void ScanControllerTest::scanOnlyPlanFillsGroupsAndOffersTheComparison() {
    testing::TempTree tree;
    makeDuplicates(tree);
    Run run(u"1"_s);
    run.addPath(tree.root());
    int groupings = 0;
    run.controller.setGrouping([&] {
        ++groupings;
        QVERIFY(run.frontend.busy); // grouping runs before the run ends
    });
    QSignalSpy ended(&run.controller, &ScanController::scanEnded);
    run.frontend.boxes.answer(MessageAnswer::Yes);
    run.scan();
    QCOMPARE(ended.size(), 1);
    QCOMPARE(groupings, 1);
    QVERIFY(run.state.stopflag);
    QVERIFY(!run.frontend.busy);
    QCOMPARE(run.state.resultlist.size(), 4u);
    QCOMPARE(run.state.resultlist.front().size, 300);
    QCOMPARE(run.state.resultlist.back().size, 100);
    QCOMPARE(run.state.labelposs1, u"4"_s);
    QCOMPARE(run.state.filesfound.load(), 5);
    QCOMPARE(run.frontend.boxes.shown.size(), 1);
    const auto& box = run.frontend.boxes.shown.first();
    QVERIFY(box.text.startsWith(
        u"The program has successfully finished!\r\n\r\nIt has found 4 possible duplicates.\r\n"_s));
    QVERIFY(box.text.endsWith(
        u"\r\n\r\nWould you like us to start the function which\r\nwill compare the files found?"_s));
    QCOMPARE(box.icon, MessageIcon::Information);
    QCOMPARE(box.buttons, MessageButtons::YesNo);
    QCOMPARE(run.frontend.events.last(), u"compare"_s);
    QVERIFY(!run.frontend.noticeVisible(Notice::Warning));

    // No: the warning notice instead of the dialog.
    run.frontend.boxes.answer(MessageAnswer::No);
    run.scan();
    QCOMPARE(run.frontend.events.last(), u"idle"_s);
    QVERIFY(run.frontend.noticeVisible(Notice::Warning));
}

void ScanControllerTest::scanOnlyPlanWithoutDuplicates() {
    testing::TempTree tree;
    tree.writeFile(u"one"_s, 1, 'x');
    tree.writeFile(u"two"_s, 2, 'x');
    Run run(u"1"_s);
    run.addPath(tree.root());
    run.scan();
    QVERIFY(run.state.resultlist.empty());
    QCOMPARE(run.state.labelposs1, u"0"_s);
    QCOMPARE(run.frontend.boxes.shown.size(), 1);
    QCOMPARE(run.frontend.boxes.shown.first().text, noDuplicatesMessage());
    QVERIFY(run.frontend.boxes.shown.first().text.contains(
        u"\r\nNo duplicate files were found.\r\n"_s));
    QCOMPARE(run.frontend.boxes.shown.first().buttons, MessageButtons::Ok);
    QVERIFY(run.state.stopflag);
}

void ScanControllerTest::comparisonPlanHandsOverWhileBusy() {
    testing::TempTree tree;
    makeDuplicates(tree);
    Run run(u"23"_s);
    run.addPath(tree.root());
    int groupings = 0;
    run.controller.setGrouping([&] { ++groupings; });
    run.scan();
    QCOMPARE(run.state.compareplan.codes(), u"23"_s);
    QCOMPARE(run.state.totalsteps, 3);
    QVERIFY(run.state.scanstartscompare);
    QVERIFY(run.frontend.comparisonTimerEnabled);
    QCOMPARE(groupings, 0);
    QVERIFY(run.frontend.boxes.shown.isEmpty());
    // Still busy: the comparison carries on from here.
    QVERIFY(run.frontend.busy);
    QVERIFY(!run.state.stopflag);
    QCOMPARE(run.state.resultlist.size(), 4u);
    QCOMPARE(run.state.label5.get(), u"Step 1/3 - Scanning for files"_s);
}

void ScanControllerTest::comparisonPlanWithEmptyListEndsWithAWarning() {
    testing::TempTree tree;
    tree.writeFile(u"one"_s, 1, 'x');
    Run run(u"4"_s);
    run.addPath(tree.root());
    run.scan();
    QVERIFY(!run.frontend.comparisonTimerEnabled);
    QVERIFY(!run.frontend.busy);
    QVERIFY(run.state.stopflag);
    QCOMPARE(run.frontend.boxes.shown.size(), 1);
    QCOMPARE(
        run.frontend.boxes.shown.first().text,
        u"You can't compare files unless you have scanned and found any\r\npotential duplicates that have been added to the list."_s);
    QCOMPARE(run.frontend.boxes.shown.first().icon, MessageIcon::Exclamation);
}

void ScanControllerTest::startResetsTheCountersAndTheList() {
    testing::TempTree tree;
    Run run(u"1"_s);
    run.addPath(tree.root());
    run.state.filesfound = 9;
    run.state.filesskipped = 9;
    run.state.filesunreadable = 9;
    run.state.filescompared = 9;
    run.state.addkbdone(5000);
    run.state.comparefile1.set(u"x"_s);
    run.state.labeldef1 = u"12"_s;
    run.state.labelmbselected1 = u"40 MB"_s;
    run.state.resultlist.resize(3);
    run.frontend.notices[0] = run.frontend.notices[1] = run.frontend.notices[2] = true;
    run.frontend.onSettingsPreview = [&] {
        run.state.scanconfirmed = true;
        run.frontend.boxes.answer(MessageAnswer::Ok);
    };
    run.controller.starter();
    // Checked right after the start, while the job may still be walking.
    QVERIFY(run.state.resultlist.empty());
    QCOMPARE(run.state.kbdone.load(), 0);
    QCOMPARE(run.state.filescompared.load(), 0);
    QCOMPARE(run.state.comparefile1.get(), QString());
    QCOMPARE(run.state.labeldef1, u"0"_s);
    QCOMPARE(run.state.labelposs1, u"0"_s);
    QCOMPARE(run.state.labelmbselected1, u"0 MB"_s);
    QVERIFY(!run.frontend.noticeVisible(Notice::Warning));
    QVERIFY(!run.frontend.noticeVisible(Notice::Completion));
    QVERIFY(!run.frontend.noticeVisible(Notice::Preview));
    QVERIFY(run.frontend.resets >= 1);
    run.controller.waitForScan();
    QCOMPARE(run.state.filesfound.load(), 0);
    QCOMPARE(run.state.filesskipped.load(), 0);
    QCOMPARE(run.state.filesunreadable.load(), 0);
}

void ScanControllerTest::stopDuringTheWalkEmptiesTheList() {
    testing::TempTree tree;
    for (int i = 0; i < 300; ++i)
        tree.writeFile(u"d%1/f%2"_s.arg(i % 10).arg(i), i % 5, 'x');
    Run run(u"1"_s);
    for (int i = 0; i < 20000; ++i)
        run.addPath(tree.root());
    QSignalSpy ended(&run.controller, &ScanController::scanEnded);
    run.controller.starter();
    QVERIFY(run.frontend.busy);
    QTRY_VERIFY_WITH_TIMEOUT(run.state.filesskipped.load() > 1000, 20000);
    run.frontend.boxes.answer(MessageAnswer::Yes);
    stopcommand(run.state, run.frontend.boxes);
    QVERIFY(run.state.stopflag);
    // The walk of every entry would take minutes; the stop ends it early.
    QVERIFY(ended.wait(60000));
    QVERIFY(run.state.filesskipped.load() < 20000LL * 300 / 2); // not half of it walked
    QVERIFY(run.state.resultlist.empty());
    QVERIFY(!run.frontend.busy);
    QVERIFY(!run.state.progressvisible);
    // Only the stop question; no message at the end.
    QCOMPARE(run.frontend.boxes.shown.size(), 1);
    QVERIFY(run.state.filesskipped.load() > 1000); // counters keep their values
}

void ScanControllerTest::stopCommandAsksWhileBusy() {
    AppState state;
    testing::ScriptedMessageBoxes boxes;
    // Idle: no question.
    stopcommand(state, boxes);
    QVERIFY(state.stopflag);
    QVERIFY(boxes.shown.isEmpty());

    state.stopflag = false;
    boxes.answer(MessageAnswer::No);
    stopcommand(state, boxes);
    QVERIFY(!state.stopflag);
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].text,
             u"If you stop the program all progress will be lost.\r\n\r\nDo you want to stop?"_s);
    QCOMPARE(boxes.shown[0].icon, MessageIcon::Critical);
    QCOMPARE(boxes.shown[0].defaultButton, MessageAnswer::No);

    boxes.answer(MessageAnswer::Yes);
    stopcommand(state, boxes);
    QVERIFY(state.stopflag);
    QCOMPARE(boxes.shown.size(), 2);
}

void ScanControllerTest::startcompareFromTheCompareDialogTakesItsMode() {
    Run run(u"23"_s);
    run.state.compareplan = ComparePlan::fromCodes(u"23");
    run.state.scanstartscompare = false;
    run.state.resultlist.resize(2);
    run.controller.startcompare(ComparePass::Bytewise);
    QCOMPARE(run.state.compareplan.codes(), u"4"_s);
    QVERIFY(run.frontend.comparisonTimerEnabled);

    run.state.scanstartscompare = true;
    run.state.compareplan = ComparePlan::fromCodes(u"23");
    run.controller.startcompare(ComparePass::Crc);
    QCOMPARE(run.state.compareplan.codes(), u"23"_s);
}

QTEST_GUILESS_MAIN(ScanControllerTest)
#include "tst_scancontroller.moc"

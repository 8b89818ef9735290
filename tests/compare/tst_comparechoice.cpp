#include "compare/comparechoice.h"
#include "compare/compareoptions.h"
#include "core/appstate.h"
#include "fakefrontend.h"

#include <QtTest>

using namespace quillfen;
using namespace Qt::StringLiterals;

namespace {

void setBoxes(SettingsDialogState& s, int donothing, int fuzzy, int crc, int bytewise) {
    s.donothing = donothing;
    s.fuzzy = fuzzy;
    s.crc = crc;
    s.bytewise = bytewise;
}

QString settingsBoxes(const SettingsDialogState& s) {
    return u"%1%2%3%4"_s.arg(s.donothing).arg(s.fuzzy).arg(s.crc).arg(s.bytewise);
}

} // namespace

class CompareChoiceTest : public QObject {
    Q_OBJECT
private slots:
    void preselectionFollowsTheSettings_data();
    void preselectionFollowsTheSettings();
    void readcompareoptionsBuildsThePlan();
    void startWithoutAnAlgorithmKeepsEverything();
    void startRunsTheTickedAlgorithmsAndWritesTheOptionBack();
    void everyOptionWritesItsCombination();
};

void CompareChoiceTest::preselectionFollowsTheSettings_data() {
    QTest::addColumn<QString>("boxes"); // Do nothing, fuzzy, CRC, bytewise
    QTest::addColumn<int>("option");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("ticked"); // the dialog's fuzzy, CRC, bytewise
    const int decide = int(CompareOption::ProgramDecides);
    QTest::newRow("do nothing") << u"1000"_s << decide << 0 << u"110"_s;
    QTest::newRow("do nothing wins") << u"1111"_s << decide << 0 << u"110"_s;
    QTest::newRow("fuzzy and crc") << u"0110"_s << int(CompareOption::FuzzyCrc) << 0 << u"110"_s;
    QTest::newRow("all three") << u"0111"_s << int(CompareOption::FuzzyCrc) << 0 << u"110"_s;
    QTest::newRow("crc") << u"0010"_s << int(CompareOption::Crc) << 1 << u"010"_s;
    QTest::newRow("crc and bytewise") << u"0011"_s << int(CompareOption::Crc) << 1 << u"010"_s;
    QTest::newRow("fuzzy and bytewise")
        << u"0101"_s << int(CompareOption::FuzzyBytewise) << 2 << u"101"_s;
    QTest::newRow("bytewise") << u"0001"_s << int(CompareOption::Bytewise) << 3 << u"001"_s;
    QTest::newRow("fuzzy alone") << u"0100"_s << decide << 0 << u"110"_s;
    QTest::newRow("nothing") << u"0000"_s << decide << 0 << u"110"_s;
    // A greyed box (2) from the settings file does not count as ticked.
    QTest::newRow("greyed crc") << u"0120"_s << decide << 0 << u"110"_s;
}

void CompareChoiceTest::preselectionFollowsTheSettings() {
    QFETCH(QString, boxes);
    QFETCH(int, option);
    QFETCH(int, row);
    QFETCH(QString, ticked);
    SettingsDialogState s;
    setBoxes(s, boxes[0].digitValue(), boxes[1].digitValue(), boxes[2].digitValue(),
             boxes[3].digitValue());
    const CompareOption chosen = preselectedoption(s);
    QCOMPARE(int(chosen), option);
    QCOMPARE(highlightrow(chosen), row);
    const CompareBoxes set = boxesforoption(chosen);
    QCOMPARE(u"%1%2%3"_s.arg(int(set.fuzzy)).arg(int(set.crc)).arg(int(set.bytewise)), ticked);
}

void CompareChoiceTest::readcompareoptionsBuildsThePlan() {
    AppState state;
    readcompareoptions(state);
    // The Settings dialog's start values: fuzzy and CRC.
    QCOMPARE(state.compareplan.codes(), u"23"_s);
    QCOMPARE(state.totalsteps, 3);
    QCOMPARE(state.curstep, 1);

    state.settings.donothing = 1;
    state.settings.fuzzy = 0;
    state.settings.crc = 2; // greyed counts as not ticked
    state.settings.bytewise = 1;
    state.settings.gentle = 1;
    readcompareoptions(state);
    QCOMPARE(state.compareplan.codes(), u"14"_s);
    QCOMPARE(state.totalsteps, 2);
    QVERIFY(state.gentlecompare);
}

void CompareChoiceTest::startWithoutAnAlgorithmKeepsEverything() {
    AppState state;
    testing::FakeFrontend frontend;
    setBoxes(state.settings, 1, 0, 0, 0);
    state.compareplan = ComparePlan::fromCodes(u"1");
    state.totalsteps = 1;
    state.filescompared = 7;
    QVERIFY(!startcomparison(state, frontend, CompareOption::FuzzyCrc, CompareBoxes{}));
    QCOMPARE(frontend.boxes.shown.size(), 1);
    QCOMPARE(frontend.boxes.shown[0].text,
             u"You must select at least one comparison mode.\r\n\r\nIn most cases we recommend "
             u"the combination of fuzzy with CRC."_s);
    QCOMPARE(frontend.boxes.shown[0].icon, MessageIcon::Information);
    QCOMPARE(frontend.boxes.shown[0].buttons, MessageButtons::Ok);
    QVERIFY(!frontend.comparisonTimerEnabled);
    QCOMPARE(settingsBoxes(state.settings), u"1000"_s);
    QCOMPARE(state.compareplan.codes(), u"1"_s);
    QCOMPARE(state.totalsteps, 1);
    QCOMPARE(state.filescompared.load(), 7);
}

void CompareChoiceTest::startRunsTheTickedAlgorithmsAndWritesTheOptionBack() {
    AppState state;
    testing::FakeFrontend frontend;
    setBoxes(state.settings, 1, 0, 0, 0);
    state.settings.gentle = 1;
    state.scanstartscompare = true;
    state.filescompared = 12;
    state.addkbdone(5000);
    state.curstep = 3;
    // Row 3 chosen, then fuzzy unticked in the dialog.
    CompareBoxes boxes = boxesforoption(CompareOption::FuzzyBytewise);
    boxes.fuzzy = false;
    QVERIFY(startcomparison(state, frontend, CompareOption::FuzzyBytewise, boxes));
    QVERIFY(frontend.comparisonTimerEnabled);
    QVERIFY(frontend.boxes.shown.isEmpty());
    // The run uses the dialog's boxes ...
    QCOMPARE(state.compareplan.codes(), u"4"_s);
    QCOMPARE(state.totalsteps, 1);
    QCOMPARE(state.curstep, 0);
    QVERIFY(!state.scanstartscompare);
    QCOMPARE(state.filescompared.load(), 0);
    QCOMPARE(state.kbdone.load(), 0);
    QVERIFY(state.gentlecompare);
    // ... the Settings dialog the option button's combination.
    QCOMPARE(settingsBoxes(state.settings), u"0101"_s);

    setBoxes(state.settings, 0, 0, 1, 0);
    QVERIFY(startcomparison(state, frontend, CompareOption::Crc, {true, true, true}));
    QCOMPARE(state.compareplan.codes(), u"234"_s);
    QCOMPARE(state.totalsteps, 3);
    QCOMPARE(settingsBoxes(state.settings), u"0010"_s);
}

void CompareChoiceTest::everyOptionWritesItsCombination() {
    const struct {
        CompareOption option;
        QString settings;
    } cases[] = {{CompareOption::ProgramDecides, u"0110"_s},
                 {CompareOption::FuzzyCrc, u"0110"_s},
                 {CompareOption::Crc, u"0010"_s},
                 {CompareOption::FuzzyBytewise, u"0101"_s},
                 {CompareOption::Bytewise, u"0001"_s}};
    for (const auto& c : cases) {
        AppState state;
        testing::FakeFrontend frontend;
        setBoxes(state.settings, 1, 0, 0, 0);
        QVERIFY(startcomparison(state, frontend, c.option, boxesforoption(c.option)));
        QCOMPARE(settingsBoxes(state.settings), c.settings);
        // The plan is the option's own combination, in the order fuzzy, CRC, bytewise.
        QString plan;
        if (c.settings[1] == u'1')
            plan += u'2';
        if (c.settings[2] == u'1')
            plan += u'3';
        if (c.settings[3] == u'1')
            plan += u'4';
        QCOMPARE(state.compareplan.codes(), plan);
        QCOMPARE(state.totalsteps, int(plan.size()));
    }
}

QTEST_GUILESS_MAIN(CompareChoiceTest)
#include "tst_comparechoice.moc"

#include "core/appstate.h"
#include "dialogchecks.h"
#include "fakefrontend.h"
#include "scriptedchoosers.h"
#include "ui/comparedialog.h"
#include "ui/dialoghost.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace quillfen;
using namespace quillfen::ui;
using namespace Qt::StringLiterals;

namespace {

struct Fixture {
    explicit Fixture(QString settingsBoxes = u"0110"_s) {
        SettingsDialogState& s = state.settings;
        s.donothing = settingsBoxes[0].digitValue();
        s.fuzzy = settingsBoxes[1].digitValue();
        s.crc = settingsBoxes[2].digitValue();
        s.bytewise = settingsBoxes[3].digitValue();
        dialog = std::make_unique<CompareDialog>(state, frontend);
        testing::showActive(dialog.get());
    }
    template <typename T> T* find(const QString& name) {
        T* widget = dialog->findChild<T*>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }
    void click(const QString& name) {
        auto* button = find<QAbstractButton>(name);
        if (qobject_cast<QPushButton*>(button))
            QTest::mouseClick(button, Qt::LeftButton);
        else
            testing::clickIndicator(button);
    }
    // The checked option button and the three algorithm boxes, e.g. "Option2 110".
    QString shown() {
        QString option;
        for (QRadioButton* button : dialog->findChildren<QRadioButton*>()) {
            if (button->isChecked())
                option = button->objectName();
        }
        QString boxes;
        for (const char16_t* name : {u"Check1", u"Check2", u"Check3"})
            boxes += find<QCheckBox>(QString::fromUtf16(name))->isChecked() ? u'1' : u'0';
        return option + u' ' + boxes;
    }
    // The table row the highlight bar lies behind, or -1.
    int highlighted() {
        const QFrame* bar = find<QFrame>(u"Shape10"_s);
        for (int row = 0; row < 4; ++row) {
            const QWidget* rowWidget = find<QWidget>(u"row%1"_s.arg(row + 1));
            if (bar->geometry().top() == rowWidget->y() && bar->height() == rowWidget->height() &&
                bar->width() >= rowWidget->width())
                return row;
        }
        return -1;
    }
    QString settingsBoxes() const {
        const SettingsDialogState& s = state.settings;
        return u"%1%2%3%4"_s.arg(s.donothing).arg(s.fuzzy).arg(s.crc).arg(s.bytewise);
    }
    QStringList help() {
        QStringList texts{find<QGroupBox>(u"helppanel"_s)->title()};
        for (const char16_t* name : {u"speed1", u"perks1", u"accuracy1", u"when1"})
            texts << find<QLabel>(QString::fromUtf16(name))->text();
        return texts;
    }

    AppState state;
    testing::FakeFrontend frontend;
    std::unique_ptr<CompareDialog> dialog;
};

} // namespace

class CompareDialogTest : public QObject {
    Q_OBJECT
private slots:
    void textsAndNames();
    void preselectionFollowsTheSettings_data();
    void preselectionFollowsTheSettings();
    void optionButtonsSetTheBoxesAndMoveTheBar();
    void helpPanelFollowsThePointer();
    void helpNeverMovesTheBoxesNorClipsItsTexts();
    void startWithoutAnAlgorithmStaysOpen();
    void startWritesTheOptionBackAndArmsTheTimer();
    void cancelChangesNothing();
    void hostOpensAFreshDialogEachTime();
};

void CompareDialogTest::textsAndNames() {
    Fixture f;
    QCOMPARE(f.dialog->windowTitle(), u"Compare files"_s);
    QCOMPARE(f.find<QLabel>(u"Label12"_s)->text(), u"Compare files"_s);
    QCOMPARE(f.find<QLabel>(u"heading"_s)->text(), u"Comparing the files"_s);
    QVERIFY(f.find<QLabel>(u"introduction"_s)->text().contains(u"it's advantages"_s));
    QCOMPARE(f.find<QRadioButton>(u"Option5"_s)->text(), u"Let the program decide"_s);
    const QStringList headings{u"File sizes"_s, u"Scanning speed"_s, u"Compare accuracy"_s,
                               u"Algorithm(s)"_s, u"More information"_s};
    for (int column = 0; column < 5; ++column)
        QCOMPARE(f.find<QLabel>(u"heading%1"_s.arg(column))->text(), headings[column]);
    const QStringList options{u"Option2"_s, u"Option1"_s, u"Option4"_s, u"Option3"_s};
    const QStringList sizes{u"Large/Mixed"_s, u"Small files"_s, u"Large/Mixed"_s, u"Small files"_s};
    const QStringList algorithms{u"Fuzzy + CRC"_s, u"CRC"_s, u"Fuzzy + Bytewise"_s, u"Bytewise"_s};
    for (int row = 0; row < 4; ++row) {
        auto* option = f.find<QRadioButton>(options[row]);
        QCOMPARE(option->text(), sizes[row]);
        QCOMPARE(option->parentWidget()->objectName(), u"row%1"_s.arg(row + 1));
        QCOMPARE(f.find<QLabel>(u"tablealgorithms%1"_s.arg(row + 1))->text(), algorithms[row]);
    }
    QCOMPARE(f.find<QLabel>(u"tableaccuracy3"_s)->text(), u"100%"_s);
    QCOMPARE(f.find<QLabel>(u"tableinformation2"_s)->text(), u"Fast scanning of small files."_s);
    QCOMPARE(f.help(), (QStringList{u"N/A"_s, u"N/A"_s, u"N/A"_s, u"N/A"_s, u"N/A"_s}));
    QCOMPARE(f.find<QPushButton>(u"Command2"_s)->text(), u"&Start"_s);
    QCOMPARE(f.find<QPushButton>(u"Command1"_s)->text(), u"&Cancel"_s);
    testing::verifyNamesAndTips(f.dialog.get());
}

void CompareDialogTest::preselectionFollowsTheSettings_data() {
    QTest::addColumn<QString>("settings"); // Do nothing, fuzzy, CRC, bytewise
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("row");
    QTest::newRow("do nothing") << u"1000"_s << u"Option5 110"_s << 0;
    QTest::newRow("fuzzy and crc") << u"0110"_s << u"Option2 110"_s << 0;
    QTest::newRow("crc") << u"0010"_s << u"Option1 010"_s << 1;
    QTest::newRow("crc and bytewise") << u"0011"_s << u"Option1 010"_s << 1;
    QTest::newRow("fuzzy and bytewise") << u"0101"_s << u"Option4 101"_s << 2;
    QTest::newRow("bytewise") << u"0001"_s << u"Option3 001"_s << 3;
    QTest::newRow("fuzzy alone") << u"0100"_s << u"Option5 110"_s << 0;
    QTest::newRow("all three") << u"0111"_s << u"Option2 110"_s << 0;
}

void CompareDialogTest::preselectionFollowsTheSettings() {
    QFETCH(QString, settings);
    QFETCH(QString, shown);
    QFETCH(int, row);
    Fixture f(settings);
    QCOMPARE(f.shown(), shown);
    QCOMPARE(f.highlighted(), row);
    // Opening the dialog changes nothing in the Settings dialog.
    QCOMPARE(f.settingsBoxes(), settings);
}

void CompareDialogTest::optionButtonsSetTheBoxesAndMoveTheBar() {
    Fixture f;
    const struct {
        const char16_t* option;
        const char16_t* shown;
        int row;
    } clicks[] = {{u"Option3", u"Option3 001", 3},
                  {u"Option4", u"Option4 101", 2},
                  {u"Option1", u"Option1 010", 1},
                  {u"Option5", u"Option5 110", 0},
                  {u"Option2", u"Option2 110", 0}};
    for (const auto& c : clicks) {
        f.click(QString::fromUtf16(c.option));
        QCOMPARE(f.shown(), QString::fromUtf16(c.shown));
        QCOMPARE(f.highlighted(), c.row);
    }
    // The bar keeps to its row when the dialog is resized.
    f.click(u"Option4"_s);
    f.dialog->resize(f.dialog->width() + 120, f.dialog->height() + 90);
    QTRY_COMPARE(f.highlighted(), 2);
}

void CompareDialogTest::helpPanelFollowsThePointer() {
    Fixture f;
    testing::hover(f.find<QCheckBox>(u"Check2"_s));
    QTRY_COMPARE(f.help().at(0), u"CRC comparison"_s);
    QCOMPARE(f.help(),
             (QStringList{u"CRC comparison"_s, u"Very High"_s,
                          u"The most powerful comparison algorithm that still maintains a good "
                          u"speed."_s,
                          u"99.9999999%"_s,
                          u"Recommended for most users unless you have an extremely high "
                          u"requirement for accuracy, in that case use bytewise comparison."_s}));
    testing::hover(f.find<QCheckBox>(u"Check1"_s));
    QTRY_COMPARE(f.help().at(0), u"Fuzzy comparison"_s);
    QCOMPARE(f.help(),
             (QStringList{u"Fuzzy comparison"_s, u"Highest"_s,
                          u"The fastest of the three algorithms, compares files of any size at "
                          u"the same speed."_s,
                          u"50%"_s,
                          u"Should be used in combination with CRC or Bytewise comparison. Good "
                          u"for quickly checking many files for potential duplicates to get rid "
                          u"of misleading files."_s}));
    testing::hover(f.find<QCheckBox>(u"Check3"_s));
    QTRY_COMPARE(f.help().at(0), u"Bytewise comparison"_s);
    QCOMPARE(f.help(),
             (QStringList{u"Bytewise comparison"_s, u"High"_s,
                          u"Finds duplicate files with a 100% success ratio."_s, u"100%"_s,
                          u"If you really, REALLY need to be certain that the files you find are "
                          u"in fact duplicates or not, then this is the best mode to use."_s}));
    // Elsewhere the panel keeps the last texts.
    testing::hover(f.find<QRadioButton>(u"Option5"_s));
    QTest::qWait(30);
    QCOMPARE(f.help().at(0), u"Bytewise comparison"_s);
}

void CompareDialogTest::helpNeverMovesTheBoxesNorClipsItsTexts() {
    Fixture f;
    auto geometries = [&] {
        QList<QRect> places;
        for (const char16_t* name : {u"Check1", u"Check2", u"Check3", u"heading1", u"heading2"})
            places << f.find<QWidget>(QString::fromUtf16(name))->geometry();
        return places;
    };
    const QList<QRect> before = geometries();
    // The keyboard reaches the help as well as the pointer.
    for (const char16_t* name : {u"Check1", u"Check2", u"Check3"}) {
        auto* box = f.find<QCheckBox>(QString::fromUtf16(name));
        box->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(f.help().at(0), box->text());
        QCoreApplication::processEvents();
        QCOMPARE(geometries(), before);
        for (const char16_t* value : {u"speed1", u"perks1", u"accuracy1", u"when1"}) {
            auto* label = f.find<QLabel>(QString::fromUtf16(value));
            QVERIFY2(label->height() >= label->heightForWidth(label->width()),
                     qPrintable(box->text() + u' ' + label->objectName()));
        }
    }
}

void CompareDialogTest::startWithoutAnAlgorithmStaysOpen() {
    Fixture f;
    for (const char16_t* name : {u"Check1", u"Check2"})
        f.click(QString::fromUtf16(name));
    QCOMPARE(f.shown(), u"Option2 000"_s);
    f.click(u"Command2"_s);
    QCOMPARE(f.frontend.boxes.shown.size(), 1);
    QCOMPARE(f.frontend.boxes.shown[0].text,
             u"You must select at least one comparison mode.\r\n\r\nIn most cases we recommend "
             u"the combination of fuzzy with CRC."_s);
    QCOMPARE(f.frontend.boxes.shown[0].icon, MessageIcon::Information);
    QVERIFY(f.dialog->isVisible());
    QVERIFY(!f.frontend.comparisonTimerEnabled);
    QCOMPARE(f.settingsBoxes(), u"0110"_s);
}

void CompareDialogTest::startWritesTheOptionBackAndArmsTheTimer() {
    Fixture f(u"1000"_s);
    f.state.scanstartscompare = true;
    f.state.filescompared = 5;
    f.state.addkbdone(123456);
    // Row 3, then fuzzy unticked: bytewise alone runs.
    f.click(u"Option4"_s);
    f.click(u"Check1"_s);
    QCOMPARE(f.shown(), u"Option4 001"_s);
    bool visibleWhenArmed = true;
    f.frontend.events.clear();
    QObject::connect(f.dialog.get(), &QDialog::finished, [&] {
        visibleWhenArmed = false;
        f.frontend.events << u"closed"_s;
    });
    f.click(u"Command2"_s);
    QVERIFY(f.frontend.comparisonTimerEnabled);
    QVERIFY(!visibleWhenArmed);
    // The timer is armed; its tick comes after the dialog has gone.
    QCOMPARE(f.frontend.events, (QStringList{u"comparisontimer"_s, u"closed"_s}));
    QVERIFY(!f.dialog->isVisible());
    QCOMPARE(f.dialog->result(), int(QDialog::Accepted));
    QCOMPARE(f.state.compareplan.codes(), u"4"_s);
    QCOMPARE(f.state.totalsteps, 1);
    QCOMPARE(f.state.curstep, 0);
    QVERIFY(!f.state.scanstartscompare);
    QCOMPARE(f.state.filescompared.load(), 0);
    QCOMPARE(f.state.kbdone.load(), 0);
    // The Settings dialog has fuzzy and bytewise ticked and "Do nothing" unticked.
    QCOMPARE(f.settingsBoxes(), u"0101"_s);
}

void CompareDialogTest::cancelChangesNothing() {
    Fixture f(u"0010"_s);
    f.state.compareplan = ComparePlan::fromCodes(u"3");
    f.click(u"Option3"_s);
    f.click(u"Check2"_s);
    f.click(u"Command1"_s);
    QVERIFY(!f.dialog->isVisible());
    QCOMPARE(f.dialog->result(), int(QDialog::Rejected));
    QCOMPARE(f.settingsBoxes(), u"0010"_s);
    QCOMPARE(f.state.compareplan.codes(), u"3"_s);
    QVERIFY(!f.frontend.comparisonTimerEnabled);
    QVERIFY(f.frontend.boxes.shown.isEmpty());
}

void CompareDialogTest::hostOpensAFreshDialogEachTime() {
    AppState state;
    testing::FakeFrontend frontend;
    testing::ScriptedChoosers choosers;
    QWidget owner;
    JobRunner runner;
    DialogHost host({state, frontend, choosers, &owner, runner, [] {}});
    // First opening: choose row 4 and cancel.
    testing::whenShown<CompareDialog>([](CompareDialog* dialog) {
        testing::clickIndicator(dialog->findChild<QRadioButton*>(u"Option3"_s));
        QTest::mouseClick(dialog->findChild<QPushButton*>(u"Command1"_s), Qt::LeftButton);
    });
    host.showCompare();
    QVERIFY(!frontend.comparisonTimerEnabled);
    QCOMPARE(owner.findChildren<CompareDialog*>().size(), 0);
    // Next opening starts from the settings again, not from the last choice.
    QString shown;
    testing::whenShown<CompareDialog>([&](CompareDialog* dialog) {
        shown =
            dialog->findChild<QRadioButton*>(u"Option2"_s)->isChecked() ? u"Option2"_s : QString();
        QTest::mouseClick(dialog->findChild<QPushButton*>(u"Command2"_s), Qt::LeftButton);
    });
    host.showCompare();
    QCOMPARE(shown, u"Option2"_s);
    QVERIFY(frontend.comparisonTimerEnabled);
    QCOMPARE(state.compareplan.codes(), u"23"_s);
}

QTEST_MAIN(CompareDialogTest)
#include "tst_comparedialog.moc"

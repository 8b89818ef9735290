#include "core/settingsfile.h"
#include "opsharness.h"
#include "temptree.h"
#include "ui/scanpathsdialog.h"
#include "ui/settingsdialog.h"
#include "ui/wizarddialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QtTest>

using namespace quillfen;
using namespace quillfen::ui;
using namespace Qt::StringLiterals;
using testing::child;
using testing::press;

namespace {

DriveRow drive(const QString& root, bool fixed) {
    DriveRow row;
    row.drive.root = root;
    row.drive.fixed = fixed;
    row.drive.text = root;
    return row;
}

// Two fixed file systems and a removable one.
void twoFixedDrives(AppState& state) {
    state.scanpaths.drivelist = {drive(u"/"_s, true), drive(u"/media/usb/"_s, false),
                                 drive(u"/srv/"_s, true)};
}

const QString kFastSentence = u"All the files will be checked for definate duplicates using the "
                              u"Fuzzy and CRC algorithms when the scan is completed."_s;
const QString kExactSentence = u"All the files will be checked for definate duplicates using the "
                               u"Fuzzy and Bytewise algorithms when the scan is completed."_s;

} // namespace

class WizardTest : public QObject {
    Q_OBJECT
private slots:
    void startState();
    void newUserScansTheFixedDrivesOnly();
    void summaryByteForByteAndBackRebuildsIt();
    void experiencedUserAddsPathsUntilOneExists();
    void dontShowAgainTakesEffectAtOnceAndPersists();
    void finishHidesAndStartsTheScanCloseUnloads();
    void shownBeforeTheWindowIs();
    void settingsDialogShowsTheChosenAccuracy();
};

void WizardTest::startState() {
    AppState state;
    WizardDialog wizard(state, {});
    QCOMPARE(wizard.windowTitle(), u"Quick Start Wizard"_s);
    QCOMPARE(wizard.page(), WizardDialog::Welcome);
    QCOMPARE(child<QLabel>(&wizard, u"Label1"_s)->text(), u"Getting a quick start..."_s);
    QCOMPARE(child<QLabel>(&wizard, u"Label3"_s)->text(), u"Click on Next to continue."_s);
    QVERIFY(!child<QPushButton>(&wizard, u"back1"_s)->isEnabled());
    QCOMPARE(child<QPushButton>(&wizard, u"back1"_s)->text(), u"< Back"_s);
    QCOMPARE(child<QPushButton>(&wizard, u"next1"_s)->text(), u"Next >"_s);
    QCOMPARE(child<QPushButton>(&wizard, u"Command3"_s)->text(), u"Close"_s);
    QVERIFY(child<QRadioButton>(&wizard, u"Option1"_s)->isChecked());
    QCOMPARE(child<QRadioButton>(&wizard, u"Option1"_s)->text(),
             u"I'm new, you make the best decisions for me"_s);
    QCOMPARE(child<QRadioButton>(&wizard, u"Option2"_s)->text(),
             u"I know what im doing, let me chose what to scan"_s);
    QVERIFY(child<QRadioButton>(&wizard, u"Option3"_s)->isChecked());
    QCOMPARE(child<QRadioButton>(&wizard, u"Option3"_s)->text(), u"99.9999999% Accuracy"_s);
    QCOMPARE(child<QRadioButton>(&wizard, u"Option4"_s)->text(), u"100% Accuracy"_s);
    QVERIFY(!child<QCheckBox>(&wizard, u"Check1"_s)->isChecked());
    QCOMPARE(child<QCheckBox>(&wizard, u"Check1"_s)->text(), u"Don't show this again"_s);
    QVERIFY(child<QRadioButton>(&wizard, u"Option1"_s)->font().bold());
    QVERIFY(!child<QRadioButton>(&wizard, u"Option2"_s)->font().bold());

    state.nowizard = true;
    WizardDialog ticked(state, {});
    QVERIFY(child<QCheckBox>(&ticked, u"Check1"_s)->isChecked());
}

void WizardTest::newUserScansTheFixedDrivesOnly() {
    AppState state;
    twoFixedDrives(state);
    state.scanpaths.pathtable.push_back({u"/home/old/*.txt"_s, {}, {}});
    WizardDialog wizard(state, {});
    wizard.show();
    press(&wizard, u"next1"_s);
    QCOMPARE(wizard.page(), WizardDialog::Step1);
    QVERIFY(child<QPushButton>(&wizard, u"back1"_s)->isEnabled());
    QCOMPARE(child<QLabel>(&wizard, u"Label4"_s)->text(), u"Step 1 of 2"_s);
    press(&wizard, u"next1"_s);
    QCOMPARE(wizard.page(), WizardDialog::Step2);
    const auto& table = state.scanpaths.pathtable;
    QCOMPARE(table.size(), size_t(2));
    QCOMPARE(table[0].text, u"/*.*"_s);
    QCOMPARE(table[1].text, u"/srv/*.*"_s);
    const std::array<QString, PathEntry::ColumnCount> values = {
        u"True"_s, u"10"_s, u"False"_s, u"-"_s, u"True"_s, u"True"_s, u"RHA"_s};
    QCOMPARE(optioncolumns(table[0].options), values);
    QCOMPARE(optioncolumns(table[1].options), values);
}

void WizardTest::summaryByteForByteAndBackRebuildsIt() {
    AppState state;
    twoFixedDrives(state);
    WizardDialog wizard(state, {});
    wizard.show();
    for (int step = 0; step < 3; ++step)
        press(&wizard, u"next1"_s);
    QCOMPARE(wizard.page(), WizardDialog::Summary);
    QCOMPARE(child<QPushButton>(&wizard, u"next1"_s)->text(), u"Finish"_s);
    QCOMPARE(wizard.summary(), u"2 path(s) will be scanned for duplicates.\r\nThese are the "
                               u"path(s):\r\n\r\n/*.*\r\n/srv/*.*\r\n\r\n"_s +
                                   kFastSentence);
    QCOMPARE(child<QPlainTextEdit>(&wizard, u"Text1"_s)->toPlainText(),
             QString(wizard.summary()).replace(u"\r\n"_s, u"\n"_s));
    QVERIFY(child<QPlainTextEdit>(&wizard, u"Text1"_s)->isReadOnly());
    QCOMPARE(state.settings.donothing, 0);
    QCOMPARE(state.settings.fuzzy, 1);
    QCOMPARE(state.settings.crc, 1);
    QCOMPARE(state.settings.bytewise, 0);

    // Back to the accuracy, the other choice, Next: summary and boxes follow.
    press(&wizard, u"back1"_s);
    QCOMPARE(wizard.page(), WizardDialog::Step2);
    QCOMPARE(child<QPushButton>(&wizard, u"next1"_s)->text(), u"Next >"_s);
    testing::clickIndicator(child<QRadioButton>(&wizard, u"Option4"_s));
    press(&wizard, u"next1"_s);
    QVERIFY(wizard.summary().endsWith(u"\r\n\r\n"_s + kExactSentence));
    QCOMPARE(state.settings.crc, 0);
    QCOMPARE(state.settings.bytewise, 1);

    // Back to the welcome page: what Next did stays.
    for (int step = 0; step < 3; ++step)
        press(&wizard, u"back1"_s);
    QCOMPARE(wizard.page(), WizardDialog::Welcome);
    QVERIFY(!child<QPushButton>(&wizard, u"back1"_s)->isEnabled());
    QCOMPARE(state.scanpaths.pathtable.size(), size_t(2));
    QCOMPARE(state.settings.bytewise, 1);
}

void WizardTest::experiencedUserAddsPathsUntilOneExists() {
    AppState state;
    twoFixedDrives(state);
    testing::HostWindow window(state);
    window.show();
    // The Scan paths dialog is left twice with Done and no path; the third
    // time a folder is added before Done.
    window.choosers.answers = {u"/home/u/Music"_s};
    int showings = 0;
    testing::ModalWatch watch([&](QWidget* shown) {
        auto* paths = qobject_cast<ScanPathsDialog*>(shown);
        if (!paths)
            return; // the wizard itself
        if (++showings == 3)
            press(paths, u"addfolderbutton"_s);
        press(paths, u"donebutton"_s);
    });
    WizardDialog wizard(
        state, [&] { window.host.showScanPaths(); }, &window);
    wizard.show();
    press(&wizard, u"next1"_s);
    testing::clickIndicator(child<QRadioButton>(&wizard, u"Option2"_s));
    press(&wizard, u"next1"_s);
    QCOMPARE(showings, 3);
    QCOMPARE(window.choosers.asked.size(), 1);
    QCOMPARE(wizard.page(), WizardDialog::Step2);
    QCOMPARE(state.scanpaths.pathtable.size(), size_t(1));
    QVERIFY(state.scanpaths.pathtable[0].text.startsWith(u"/home/u/Music/"_s));

    // With a path in the table the dialog is still shown once.
    press(&wizard, u"back1"_s);
    press(&wizard, u"next1"_s);
    QCOMPARE(showings, 4);
    QCOMPARE(window.choosers.asked.size(), 1);
    QCOMPARE(state.scanpaths.pathtable.size(), size_t(1));
}

void WizardTest::dontShowAgainTakesEffectAtOnceAndPersists() {
    testing::TempTree folder;
    AppState state;
    testing::HostWindow window(state);
    window.show();
    testing::whenShown<WizardDialog>([&](WizardDialog* wizard) {
        testing::clickIndicator(child<QCheckBox>(wizard, u"Check1"_s));
        QVERIFY(state.nowizard);
        press(wizard, u"Command3"_s); // Close
    });
    window.host.showWizard();
    QVERIFY(state.nowizard);
    const QString path = folder.path(u"settings.dat"_s);
    QVERIFY(savesettings(state, path));
    AppState reloaded;
    QVERIFY(loadsettings(reloaded, path));
    QVERIFY(reloaded.nowizard);

    // Unticked again, it is saved as such.
    testing::whenShown<WizardDialog>([&](WizardDialog* wizard) {
        auto* box = child<QCheckBox>(wizard, u"Check1"_s);
        QVERIFY(box->isChecked());
        testing::clickIndicator(box);
        press(wizard, u"Command3"_s);
    });
    window.host.showWizard();
    QVERIFY(savesettings(state, path));
    QVERIFY(loadsettings(reloaded, path));
    QVERIFY(!reloaded.nowizard);
}

void WizardTest::finishHidesAndStartsTheScanCloseUnloads() {
    AppState state;
    twoFixedDrives(state);
    testing::HostWindow window(state);
    window.show();
    QPointer<WizardDialog> first;
    testing::whenShown<WizardDialog>([&](WizardDialog* wizard) {
        first = wizard;
        for (int step = 0; step < 4; ++step)
            press(wizard, u"next1"_s);
    });
    window.host.showWizard();
    QCOMPARE(window.starts, 1);
    QVERIFY(first && !first->isVisible()); // hidden, still loaded

    // Shown again, it opens on the summary; Finish starts another scan.
    WizardDialog::Page page = WizardDialog::Welcome;
    testing::whenShown<WizardDialog>([&](WizardDialog* wizard) {
        page = wizard->page();
        QVERIFY(wizard == first);
        press(wizard, u"next1"_s);
    });
    window.host.showWizard();
    QCOMPARE(page, WizardDialog::Summary);
    QCOMPARE(window.starts, 2);

    // Close unloads it: the next showing starts afresh.
    testing::whenShown<WizardDialog>([&](WizardDialog* wizard) { press(wizard, u"Command3"_s); });
    window.host.showWizard();
    QVERIFY(!first);
    QCOMPARE(window.starts, 2);
    testing::whenShown<WizardDialog>([&](WizardDialog* wizard) {
        page = wizard->page();
        press(wizard, u"Command3"_s);
    });
    window.host.showWizard();
    QCOMPARE(page, WizardDialog::Welcome);
}

void WizardTest::shownBeforeTheWindowIs() {
    AppState state;
    testing::HostWindow window(state);
    bool shownModal = false;
    bool windowVisible = false;
    testing::whenShown<WizardDialog>([&](WizardDialog* wizard) {
        shownModal = wizard->isModal();
        windowVisible = window.isVisible();
        press(wizard, u"Command3"_s);
    });
    // Start-up asks for the wizard before the main window is on screen.
    QTimer::singleShot(0, &window, [&] { window.host.showWizard(); });
    window.show();
    QTRY_VERIFY(shownModal);
    QVERIFY(windowVisible);
    QTRY_VERIFY(!window.findChild<WizardDialog*>());

    // The keyboard starts on the way on, not on "Don't show this again".
    QString focused;
    testing::whenShown<WizardDialog>([&](WizardDialog* wizard) {
        QWidget* focus = wizard->focusWidget();
        focused = focus ? focus->objectName() : QString();
        press(wizard, u"Command3"_s);
    });
    window.host.showWizard();
    QCOMPARE(focused, u"next1"_s);
}

void WizardTest::settingsDialogShowsTheChosenAccuracy() {
    AppState state;
    twoFixedDrives(state);
    state.settings.donothing = 1;
    state.settings.fuzzy = state.settings.crc = state.settings.bytewise = 0;
    testing::HostWindow window(state);
    window.show();
    // The Settings dialog is loaded, then only hidden, before the wizard runs.
    testing::whenShown<SettingsDialog>(
        [](SettingsDialog* settings) { press(settings, u"okbutton"_s); });
    window.host.showSettings();

    for (const bool exact : {true, false}) {
        testing::whenShown<WizardDialog>([exact](WizardDialog* wizard) {
            press(wizard, u"next1"_s);
            press(wizard, u"next1"_s); // "I'm new": the fixed drives
            press(wizard, exact ? u"Option4"_s : u"Option3"_s);
            press(wizard, u"next1"_s); // the summary; the boxes are set
            press(wizard, u"Command3"_s);
        });
        window.host.showWizard();
        QString ticked;
        testing::whenShown<SettingsDialog>([&ticked](SettingsDialog* settings) {
            for (const QString& box : {u"Check11"_s, u"Check22"_s, u"Check33"_s, u"Check44"_s})
                ticked += child<QCheckBox>(settings, box)->isChecked() ? u'1' : u'0';
            press(settings, u"okbutton"_s);
        });
        window.host.showSettings();
        QCOMPARE(ticked, exact ? u"0101"_s : u"0110"_s);
    }
    QCOMPARE(window.starts, 0); // Close starts nothing
}

QTEST_MAIN(WizardTest)
#include "tst_wizard.moc"

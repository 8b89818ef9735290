#include "opsharness.h"
#include "resultrows.h"
#include "ui/selectfilesdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace quillfen;
using namespace quillfen::ui;
using namespace Qt::StringLiterals;
using testing::child;

namespace {

ResultEntry file(const QString& folder, const QString& name, qint64 size, qint64 mtime,
                 RowColour colour) {
    return testing::resultFile(folder, name, size, false, mtime, colour);
}

// Group 1: three copies of 5000 bytes, the one in /b/ oldest.
// Group 2: two copies of 500 bytes, the one in /a/ oldest.
ResultList groups() {
    return {file(u"/a/"_s, u"song.mp3"_s, 5000, 300, RowColour::Blue),
            file(u"/b/"_s, u"song.mp3"_s, 5000, 100, RowColour::Blue),
            file(u"/c/"_s, u"song.mp3"_s, 5000, 200, RowColour::Blue),
            ResultEntry::separator(),
            file(u"/a/"_s, u"note.txt"_s, 500, 100, RowColour::Black),
            file(u"/b/"_s, u"note.txt"_s, 500, 900, RowColour::Black)};
}

// Opens the assistant through the host and runs act on it while it is shown.
void openAndAct(testing::HostWindow& window, std::function<void(SelectFilesDialog*)> act) {
    testing::whenShown<SelectFilesDialog>(std::move(act));
    window.host.showSelectionAssistant();
}

} // namespace

class SelectFilesDialogTest : public QObject {
    Q_OBJECT
private slots:
    void firstOpeningShowsTheDefaults();
    void okChecksAllButTheKeptFileAndHides();
    void hiddenRulesStillApplyAndAreKept();
    void equalPrioritiesKeepTheDialogOpen();
    void sizeTextIsCorrectedInTheBox();
    void folderListBrowseRemoveAndClear();
    void cancelChangesNothingInTheList();
};

void SelectFilesDialogTest::firstOpeningShowsTheDefaults() {
    AppState state;
    testing::HostWindow window(state);
    SelectFilesDialog dialog(state, window, window.choosers, &window);
    QCOMPARE(dialog.windowTitle(), u"Select files"_s);
    QCOMPARE(child<QLabel>(&dialog, u"Label1"_s)->text(), u"Select files according to.."_s);
    QVERIFY(
        child<QLabel>(&dialog, u"Label2"_s)
            ->text()
            .startsWith(
                u"You can use this function to select files in the list of duplicates that matches "
                u"certain criterias"_s));
    QCOMPARE(child<QLabel>(&dialog, u"Label3"_s)->text(), u"Priority"_s);
    QVERIFY(child<QRadioButton>(&dialog, u"Option2"_s)->isChecked());
    QCOMPARE(child<QRadioButton>(&dialog, u"Option2"_s)->text(), u"Keep the OLDEST files"_s);
    QVERIFY(child<QRadioButton>(&dialog, u"Option3"_s)->isChecked());
    QCOMPARE(child<QRadioButton>(&dialog, u"Option3"_s)->text(),
             u"Keep the files with the SHORTEST filenames"_s);
    QVERIFY(child<QRadioButton>(&dialog, u"Option6"_s)->isChecked());
    QCOMPARE(child<QRadioButton>(&dialog, u"Option6"_s)->text(),
             u"Keep the files with the SHORTEST directory"_s);
    QVERIFY(!child<QRadioButton>(&dialog, u"Option1"_s)->isChecked());
    for (int k = 1; k <= 3; ++k) {
        auto* box = child<QComboBox>(&dialog, u"kee"_s + QString::number(k));
        QCOMPARE(box->currentText(), QString::number(k));
        QCOMPARE(box->count(), 3);
    }
    QVERIFY(dialog.ruleSection()->isHidden());
    QCOMPARE(child<QPushButton>(&dialog, u"Command3"_s)->text(), u"Show advanced settings"_s);
    QCOMPARE(child<QComboBox>(&dialog, u"Combo1"_s)->currentText(), u"at least"_s);
    QCOMPARE(child<QComboBox>(&dialog, u"Combo2"_s)->currentText(), u"must match"_s);
    QCOMPARE(child<QComboBox>(&dialog, u"Combo3"_s)->currentText(), u"must contain"_s);
    QVERIFY(child<QRadioButton>(&dialog, u"Option7"_s)->isChecked());
    QVERIFY(!child<QCheckBox>(&dialog, u"Check4"_s)->isChecked());
    QCOMPARE(child<QListWidget>(&dialog, u"List1"_s)->count(), 0);
    QCOMPARE(child<QPushButton>(&dialog, u"Command1"_s)->text(), u"&OK"_s);
    QCOMPARE(child<QPushButton>(&dialog, u"Command6"_s)->text(), u"Cl&ear"_s);
}

void SelectFilesDialogTest::okChecksAllButTheKeptFileAndHides() {
    AppState state;
    state.resultlist = groups();
    testing::HostWindow window(state);
    window.show();
    bool hiddenByOk = false;
    openAndAct(window, [&](SelectFilesDialog* dialog) {
        QTest::mouseClick(child<QPushButton>(dialog, u"Command1"_s), Qt::LeftButton);
        hiddenByOk = !dialog->isVisible();
    });
    QVERIFY(hiddenByOk);
    QCOMPARE(testing::checkPattern(state.resultlist),
             u"x.x-.x"_s); // the oldest file of each group kept
    QCOMPARE(window.boxes.shown.size(), 1);
    QCOMPARE(window.boxes.shown[0].text, u"3 file(s) have been selected!"_s);
    QCOMPARE(window.boxes.shown[0].icon, MessageIcon::Information);
    QCOMPARE(state.labelmbselected1, u"0 MB"_s);
    QCOMPARE(window.model->index(0, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(),
             Qt::Checked);

    // "Keep the NEWEST files" through the option button.
    openAndAct(window, [&](SelectFilesDialog* dialog) {
        QTest::mouseClick(child<QRadioButton>(dialog, u"Option1"_s), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(dialog, u"Command1"_s), Qt::LeftButton);
    });
    QCOMPARE(testing::checkPattern(state.resultlist), u".xx-x."_s);
    QVERIFY(state.assistant.keepnewest);
}

void SelectFilesDialogTest::hiddenRulesStillApplyAndAreKept() {
    AppState state;
    state.resultlist = groups();
    testing::HostWindow window(state);
    window.show();
    openAndAct(window, [&](SelectFilesDialog* dialog) {
        auto* toggle = child<QPushButton>(dialog, u"Command3"_s);
        const int smallHeight = dialog->height();
        QTest::mouseClick(toggle, Qt::LeftButton);
        QVERIFY(!dialog->ruleSection()->isHidden());
        QCOMPARE(toggle->text(), u"Hide advanced settings"_s);
        QVERIFY(dialog->height() > smallHeight);
        // Only files of at least 1000 bytes; files must not be in /c/.
        QTest::mouseClick(child<QCheckBox>(dialog, u"Check1"_s), Qt::LeftButton);
        child<QLineEdit>(dialog, u"Text1"_s)->setText(u"1000"_s);
        child<QCheckBox>(dialog, u"Check3"_s)->setChecked(true);
        child<QComboBox>(dialog, u"Combo3"_s)->setCurrentIndex(1); // "can't contain"
        child<QLineEdit>(dialog, u"Text3"_s)->setText(u"zzz/qqq"_s);
        QTest::mouseClick(toggle, Qt::LeftButton);
        QVERIFY(dialog->ruleSection()->isHidden());
        QCOMPARE(toggle->text(), u"Show advanced settings"_s);
        QTest::mouseClick(child<QPushButton>(dialog, u"Command1"_s), Qt::LeftButton);
    });
    // The small group matches no rule and stays unchecked; the big one keeps /b/.
    QCOMPARE(testing::checkPattern(state.resultlist), u"x.x-.."_s);

    // Shown again: the same settings, the section as it was left.
    openAndAct(window, [&](SelectFilesDialog* dialog) {
        QVERIFY(dialog->ruleSection()->isHidden());
        QVERIFY(child<QCheckBox>(dialog, u"Check1"_s)->isChecked());
        QCOMPARE(child<QLineEdit>(dialog, u"Text1"_s)->text(), u"1000"_s);
        QCOMPARE(child<QComboBox>(dialog, u"Combo3"_s)->currentText(), u"can't contain"_s);
        QTest::mouseClick(child<QPushButton>(dialog, u"Command3"_s), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(dialog, u"Command2"_s), Qt::LeftButton);
    });
    QVERIFY(state.assistant.advancedshown);
    openAndAct(window, [&](SelectFilesDialog* dialog) {
        QVERIFY(!dialog->ruleSection()->isHidden());
        QCOMPARE(child<QPushButton>(dialog, u"Command3"_s)->text(), u"Hide advanced settings"_s);
        QTest::mouseClick(child<QPushButton>(dialog, u"Command2"_s), Qt::LeftButton);
    });
}

void SelectFilesDialogTest::equalPrioritiesKeepTheDialogOpen() {
    AppState state;
    state.resultlist = groups();
    testing::HostWindow window(state);
    window.show();
    bool stayedOpen = false;
    openAndAct(window, [&](SelectFilesDialog* dialog) {
        child<QComboBox>(dialog, u"kee2"_s)->setCurrentIndex(0); // 1, 1, 3
        QTest::mouseClick(child<QPushButton>(dialog, u"Command1"_s), Qt::LeftButton);
        stayedOpen = dialog->isVisible();
        child<QComboBox>(dialog, u"kee2"_s)->setCurrentIndex(1);
        QTest::mouseClick(child<QPushButton>(dialog, u"Command2"_s), Qt::LeftButton);
    });
    QVERIFY(stayedOpen);
    QCOMPARE(window.boxes.shown.size(), 1);
    QCOMPARE(window.boxes.shown[0].text,
             u"You must set a different priority for each of the fields."_s);
    QCOMPARE(window.boxes.shown[0].icon, MessageIcon::Exclamation);
    QCOMPARE(testing::checkPattern(state.resultlist), u"...-.."_s);

    // Priorities 3, 1, 2: the file-name length decides first; all names tie,
    // so the folder length decides, then the date.
    openAndAct(window, [&](SelectFilesDialog* dialog) {
        child<QComboBox>(dialog, u"kee1"_s)->setCurrentIndex(2);
        child<QComboBox>(dialog, u"kee2"_s)->setCurrentIndex(0);
        child<QComboBox>(dialog, u"kee3"_s)->setCurrentIndex(1);
        QTest::mouseClick(child<QPushButton>(dialog, u"Command1"_s), Qt::LeftButton);
    });
    QCOMPARE(state.assistant.kee1, 3);
    QCOMPARE(testing::checkPattern(state.resultlist), u"x.x-.x"_s);
}

void SelectFilesDialogTest::sizeTextIsCorrectedInTheBox() {
    AppState state;
    state.resultlist = groups();
    testing::HostWindow window(state);
    window.show();
    QString corrected;
    openAndAct(window, [&](SelectFilesDialog* dialog) {
        child<QCheckBox>(dialog, u"Check1"_s)->setChecked(true);
        child<QComboBox>(dialog, u"Combo1"_s)->setCurrentIndex(1); // at most
        child<QLineEdit>(dialog, u"Text1"_s)->setText(u"-5"_s);
        QTest::mouseClick(child<QPushButton>(dialog, u"Command1"_s), Qt::LeftButton);
    });
    openAndAct(window, [&](SelectFilesDialog* dialog) {
        corrected = child<QLineEdit>(dialog, u"Text1"_s)->text();
        QTest::mouseClick(child<QPushButton>(dialog, u"Command2"_s), Qt::LeftButton);
    });
    QCOMPARE(corrected, u"1"_s);
    QCOMPARE(testing::checkPattern(state.resultlist), u"...-.."_s); // no file is at most 1 byte
}

void SelectFilesDialogTest::folderListBrowseRemoveAndClear() {
    AppState state;
    testing::HostWindow window(state);
    SelectFilesDialog dialog(state, window, window.choosers, &window);
    dialog.show();
    auto* list = child<QListWidget>(&dialog, u"List1"_s);
    auto* browse = child<QPushButton>(&dialog, u"Command4"_s);
    auto* remove = child<QPushButton>(&dialog, u"Command5"_s);
    auto* clear = child<QPushButton>(&dialog, u"Command6"_s);
    QTest::mouseClick(child<QPushButton>(&dialog, u"Command3"_s), Qt::LeftButton);

    window.choosers.answers = {u"/home/u/Music"_s, QString(), u"/home/u/Music/"_s, u"/srv"_s};
    for (int k = 0; k < 4; ++k)
        QTest::mouseClick(browse, Qt::LeftButton);
    QCOMPARE(window.choosers.asked[0].title, u"Select a path to add"_s);
    QCOMPARE(state.assistant.folders,
             QStringList({u"/home/u/Music/"_s, u"/home/u/Music/"_s, u"/srv/"_s}));
    QCOMPARE(list->count(), 3);

    QTest::mouseClick(remove, Qt::LeftButton); // nothing chosen
    QCOMPARE(list->count(), 3);
    list->setCurrentRow(1);
    QTest::mouseClick(remove, Qt::LeftButton);
    QCOMPARE(state.assistant.folders, QStringList({u"/home/u/Music/"_s, u"/srv/"_s}));

    window.boxes.answer(MessageAnswer::No);
    QTest::mouseClick(clear, Qt::LeftButton);
    QCOMPARE(list->count(), 2);
    QCOMPARE(window.boxes.shown[0].text, u"Are you sure that you would like to clear the list?"_s);
    QCOMPARE(window.boxes.shown[0].buttons, MessageButtons::YesNo);
    QCOMPARE(window.boxes.shown[0].icon, MessageIcon::Information);
    window.boxes.answer(MessageAnswer::Yes);
    QTest::mouseClick(clear, Qt::LeftButton);
    QCOMPARE(list->count(), 0);
    QVERIFY(state.assistant.folders.isEmpty());
    QTest::mouseClick(clear, Qt::LeftButton); // an empty list asks nothing
    QCOMPARE(window.boxes.shown.size(), 2);
}

void SelectFilesDialogTest::cancelChangesNothingInTheList() {
    AppState state;
    state.resultlist = groups();
    state.resultlist[4].checked = true;
    testing::HostWindow window(state);
    window.show();
    openAndAct(window, [&](SelectFilesDialog* dialog) {
        QTest::mouseClick(child<QRadioButton>(dialog, u"Option4"_s), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(dialog, u"Command2"_s), Qt::LeftButton);
    });
    QCOMPARE(testing::checkPattern(state.resultlist), u"...-x."_s); // as it was
    QVERIFY(state.assistant.keeplongestname);                       // the choice is kept
    QVERIFY(window.boxes.shown.isEmpty());
}

QTEST_MAIN(SelectFilesDialogTest)
#include "tst_selectfilesdialog.moc"

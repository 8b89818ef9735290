// The command bar: dispatch and guards of the ten commands, the busy state,
// Stop, the highlight, the links and the notices of the main window.

#include "addressrecorder.h"
#include "core/busy.h"
#include "ui/settingsdialog.h"
#include "ui/textlink.h"
#include "windowfixture.h"

#include <QtTest>

using namespace quillfen;
using namespace quillfen::ui;
using namespace quillfen::testing;
using namespace Qt::StringLiterals;

namespace {

ResultEntry separator() {
    return ResultEntry{};
}

} // namespace

class CommandBarTest : public QObject {
    Q_OBJECT
private slots:
    void tenCommandsInOrderWithNamesAndTips();
    void guardsOnAnEmptyList_data();
    void guardsOnAnEmptyList();
    void separatorRowsCountAsAList();
    void unguardedCommandsRunOnAnEmptyList();
    void supportOpensTheHelpPage();
    void busyStateLeavesStopAndSupport();
    void stopAsksOnlyWhileBusy();
    void highlightFollowsThePointer();
    void noticesAndTheirLinks();
    void linksOpenTheInformationBoxes();
    void keyboardDefaults();
    void settingsOpenAsTheyWereLeft();
};

void CommandBarTest::tenCommandsInOrderWithNamesAndTips() {
    Window w;
    const QStringList captions{u"Paths"_s,  u"Scan"_s,   u"Stop"_s, u"Settings"_s, u"Compare"_s,
                               u"Select"_s, u"Delete"_s, u"Move"_s, u"Export"_s,   u"Support"_s};
    int previousRight = -1;
    for (int command = 0; command < MainWindow::CommandCount; ++command) {
        CommandButton* button = w.button(command);
        QVERIFY(button);
        QCOMPARE(button->index(), command);
        QCOMPARE(button->text(), captions[command]);
        QCOMPARE(button->accessibleName(), captions[command]);
        QVERIFY(!button->toolTip().isEmpty());
        QVERIFY(button->isEnabled());
        QCOMPARE(button->look(), CommandButton::Normal);
        // Left to right in the order of their numbers, side by side.
        QVERIFY(button->x() > previousRight);
        QCOMPARE(button->y(), w.button(0)->y());
        previousRight = button->geometry().right();
    }
    QVERIFY(!w.window.commandButton(-1));
    QVERIFY(!w.window.commandButton(MainWindow::CommandCount));
}

void CommandBarTest::guardsOnAnEmptyList_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("text");
    QTest::newRow("Compare") << int(MainWindow::Compare)
                             << u"There are no files in the list to check for duplicates."_s;
    QTest::newRow("Select") << int(MainWindow::Select)
                            << u"There are no files in the list to select."_s;
    QTest::newRow("Delete") << int(MainWindow::Delete)
                            << u"There are no files in the list to delete."_s;
    QTest::newRow("Move") << int(MainWindow::Move) << u"There are no files in the list to move."_s;
    QTest::newRow("Export") << int(MainWindow::Export) << u"There is nothing to export."_s;
}

void CommandBarTest::guardsOnAnEmptyList() {
    QFETCH(int, command);
    QFETCH(QString, text);
    Window w;
    ModalWatch watch;
    QTest::mouseClick(w.button(command), Qt::LeftButton);
    QCOMPARE(w.boxes.shown.size(), 1);
    QCOMPARE(w.boxes.shown[0].text, text);
    QCOMPARE(w.boxes.shown[0].icon, MessageIcon::Exclamation);
    QCOMPARE(w.boxes.shown[0].buttons, MessageButtons::Ok);
    // After the warning nothing opens and nothing changes.
    QVERIFY(watch.titles.isEmpty());
    QVERIFY(w.state.resultlist.empty());
    QVERIFY(w.state.stopflag);
}

void CommandBarTest::separatorRowsCountAsAList() {
    Window w;
    w.state.resultlist = {separator()};
    w.window.resultListReset();
    ModalWatch watch;
    const QMap<int, QString> dialogs{{MainWindow::Compare, u"Compare files"_s},
                                     {MainWindow::Select, u"Select files"_s},
                                     {MainWindow::Delete, u"Delete files"_s},
                                     {MainWindow::Move, u"Move files"_s},
                                     {MainWindow::Export, u"Export Report"_s}};
    for (auto it = dialogs.begin(); it != dialogs.end(); ++it) {
        watch.titles.clear();
        const qsizetype before = w.boxes.shown.size();
        w.window.runCommand(it.key());
        // No guard: a list of separator rows is not empty. The dialog the
        // command opens, if any, is the command's own.
        for (qsizetype i = before; i < w.boxes.shown.size(); ++i)
            QVERIFY2(!w.boxes.shown[i].text.startsWith(u"There "_s),
                     qPrintable(w.boxes.shown[i].text));
        for (const QString& title : watch.titles)
            QVERIFY2(title == it.value() || title == u"Quillfen"_s, qPrintable(title));
    }
}

void CommandBarTest::unguardedCommandsRunOnAnEmptyList() {
    Window w;
    AddressRecorder addresses({u"file"_s});
    ModalWatch watch;
    // Scan without paths offers to add one, or shows the Settings preview
    // first (which the watch cancels); No leaves everything as it was.
    w.boxes.answer(MessageAnswer::No);
    w.window.runCommand(MainWindow::Scan);
    const bool preview = watch.titles.contains(u"Settings preview"_s);
    QCOMPARE(w.boxes.shown.size(), preview ? 0 : 1);
    if (!preview)
        QCOMPARE(w.boxes.shown[0].text, noPathsMessage());
    w.boxes.shown.clear();
    // Paths, Settings and Stop on an idle window have no guard and ask
    // nothing themselves (their dialogs may have something to say).
    for (int command : {MainWindow::Paths, MainWindow::Settings, MainWindow::Stop})
        w.window.runCommand(command);
    for (const ScriptedMessageBoxes::Shown& box : w.boxes.shown) {
        QVERIFY2(!box.text.startsWith(u"There "_s), qPrintable(box.text));
        QVERIFY2(!box.text.contains(u"Do you want to stop?"_s), qPrintable(box.text));
    }
    QVERIFY(w.state.stopflag);
    // Paths opens its dialog, which the watch closes.
    QVERIFY(watch.titles.contains(u"Path(s) to scan"_s));
    w.window.runCommand(MainWindow::Support);
    QCOMPARE(addresses.opened.size(), 1);
}

void CommandBarTest::supportOpensTheHelpPage() {
    Window w;
    AddressRecorder addresses({u"file"_s, u"http"_s, u"https"_s});
    QTest::mouseClick(w.button(MainWindow::Support), Qt::LeftButton);
    QCOMPARE(addresses.opened.size(), 1);
    const QUrl page = addresses.opened[0];
    QVERIFY(page.isLocalFile());
    QVERIFY(page.toLocalFile().endsWith(u"/help.html"_s));
    // Run from the build folder, the page of the source tree is found.
    QVERIFY2(QFileInfo(page.toLocalFile()).isFile(), qPrintable(page.toString()));
    QVERIFY(w.boxes.shown.isEmpty());
}

void CommandBarTest::busyStateLeavesStopAndSupport() {
    Window w;
    auto link = [&](const QString& name) { return w.child<TextLink>(name); };
    auto* working = w.child(u"workingpanel"_s);
    auto* list = w.child(u"ListView1"_s);
    w.window.highlightcommand(MainWindow::Scan);

    beginbusy(w.state, w.window);
    QVERIFY(!w.state.stopflag);
    for (int command = 0; command < MainWindow::CommandCount; ++command) {
        const bool on = command == MainWindow::Stop || command == MainWindow::Support;
        QCOMPARE(w.button(command)->isEnabled(), on);
        QCOMPARE(w.button(command)->look(), on ? CommandButton::Normal : CommandButton::Disabled);
    }
    for (const QString& name : {u"historylink"_s, u"aboutlink"_s, u"wizardlink"_s})
        QVERIFY2(!link(name)->isEnabled(), qPrintable(name));
    QVERIFY(working->isVisible());
    QVERIFY(!list->isEnabled());
    QCOMPARE(working->geometry().topLeft(), list->geometry().topLeft());
    QCOMPARE(working->width(), list->width());
    QVERIFY(working->height() > list->height());
    QVERIFY(w.child(u"Label5"_s)->isVisible());
    QCOMPARE(w.label(u"Label5"_s), u"Scan progress"_s);

    // A disabled command ignores clicks, the Compare link's way in included.
    QTest::mouseClick(w.button(MainWindow::Export), Qt::LeftButton);
    w.window.runCommand(MainWindow::Compare);
    QVERIFY(w.boxes.shown.isEmpty());

    endbusy(w.state, w.window);
    QVERIFY(w.state.stopflag);
    for (int command = 0; command < MainWindow::CommandCount; ++command) {
        QVERIFY(w.button(command)->isEnabled());
        QCOMPARE(w.button(command)->look(), CommandButton::Normal);
    }
    for (const QString& name : {u"historylink"_s, u"aboutlink"_s, u"wizardlink"_s})
        QVERIFY(link(name)->isEnabled());
    QVERIFY(!working->isVisible());
    QVERIFY(list->isEnabled());
}

void CommandBarTest::stopAsksOnlyWhileBusy() {
    Window w;
    // Idle: nothing is asked and the flag stays set.
    QTest::mouseClick(w.button(MainWindow::Stop), Qt::LeftButton);
    QVERIFY(w.boxes.shown.isEmpty());
    QVERIFY(w.state.stopflag);

    beginbusy(w.state, w.window);
    w.boxes.answer(MessageAnswer::No);
    QTest::mouseClick(w.button(MainWindow::Stop), Qt::LeftButton);
    QCOMPARE(w.boxes.shown.size(), 1);
    QCOMPARE(w.boxes.shown[0].text,
             u"If you stop the program all progress will be lost.\r\n\r\nDo you want to stop?"_s);
    QCOMPARE(w.boxes.shown[0].icon, MessageIcon::Critical);
    QCOMPARE(w.boxes.shown[0].buttons, MessageButtons::YesNo);
    QCOMPARE(w.boxes.shown[0].defaultButton, MessageAnswer::No);
    QVERIFY(!w.state.stopflag);
    QVERIFY(w.child(u"workingpanel"_s)->isVisible());

    // Yes sets the flag; the window stays busy until the run ends itself.
    w.boxes.answer(MessageAnswer::Yes);
    QTest::mouseClick(w.button(MainWindow::Stop), Qt::LeftButton);
    QCOMPARE(w.boxes.shown.size(), 2);
    QVERIFY(w.state.stopflag);
    QVERIFY(w.child(u"workingpanel"_s)->isVisible());
    QVERIFY(!w.button(MainWindow::Scan)->isEnabled());
    // A second Stop while the run winds down asks nothing more.
    QTest::mouseClick(w.button(MainWindow::Stop), Qt::LeftButton);
    QCOMPARE(w.boxes.shown.size(), 2);
    endbusy(w.state, w.window);
}

void CommandBarTest::highlightFollowsThePointer() {
    Window w;
    auto looks = [&] {
        QList<CommandButton::Look> all;
        for (int command = 0; command < MainWindow::CommandCount; ++command)
            all << w.button(command)->look();
        return all;
    };
    w.window.highlightcommand(MainWindow::Settings);
    for (int command = 0; command < MainWindow::CommandCount; ++command)
        QCOMPARE(looks()[command], command == MainWindow::Settings ? CommandButton::Highlighted
                                                                   : CommandButton::Normal);
    w.window.highlightcommand(MainWindow::Move);
    QCOMPARE(looks()[MainWindow::Settings], CommandButton::Normal);
    QCOMPARE(looks()[MainWindow::Move], CommandButton::Highlighted);

    // The pointer over another part of the window clears the highlight.
    QLabel* caption = w.child<QLabel>(u"labelfound1caption"_s);
    QMouseEvent hover(QEvent::MouseMove, QPointF(2, 2), caption->mapToGlobal(QPointF(2, 2)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(caption, &hover);
    QVERIFY(!looks().contains(CommandButton::Highlighted));

    // The pointer entering a button lights it; leaving the window clears it.
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(w.button(MainWindow::Scan), &enter);
    QCOMPARE(looks()[MainWindow::Scan], CommandButton::Highlighted);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(w.button(MainWindow::Scan), &leave);
    QCOMPARE(looks()[MainWindow::Scan], CommandButton::Normal);

    // Disabled buttons keep their disabled look; Stop can still be lit.
    beginbusy(w.state, w.window);
    w.window.highlightcommand(MainWindow::Scan);
    QCOMPARE(looks()[MainWindow::Scan], CommandButton::Disabled);
    w.window.highlightcommand(MainWindow::Stop);
    QCOMPARE(looks()[MainWindow::Stop], CommandButton::Highlighted);
    w.window.highlightcommand(-1);
    QCOMPARE(looks()[MainWindow::Stop], CommandButton::Normal);
    endbusy(w.state, w.window);
}

void CommandBarTest::noticesAndTheirLinks() {
    Window w;
    StatusPanel& status = w.window.statusPanel();
    for (Notice notice : {Notice::Warning, Notice::Completion, Notice::Preview})
        QVERIFY(!status.isNoticeVisible(notice));
    w.window.setNoticeVisible(Notice::Warning, true);
    QVERIFY(w.child(u"warningnotice"_s)->isVisible());
    QVERIFY(w.label(u"warningtitle"_s) == u"WARNING! Don't delete any files!"_s);
    QCOMPARE(w.child(u"warninglink"_s)->accessibleName(),
             u"You should run Compare with CRC or Bytewise comparison to be certain that the "
             "files in the list are truly duplicate files."_s);
    w.window.setNoticeVisible(Notice::Completion, true);
    QCOMPARE(w.label(u"completiontitle"_s), u"Accurate comparison completed!"_s);
    QCOMPARE(w.label(u"completiontext"_s),
             u"It's now safe to assume that the files you see in the list above are truly "
             "duplicates."_s);

    // The "Compare" link is command 4, guard included.
    emit status.warningSentence()->linkActivated(u"compare"_s);
    QCOMPARE(w.boxes.shown.size(), 1);
    QCOMPARE(w.boxes.shown[0].text, u"There are no files in the list to check for duplicates."_s);

    w.window.setNoticeVisible(Notice::Preview, true);
    QVERIFY(w.child(u"Frame4"_s)->isVisible());
    QCOMPARE(w.label(u"previewnotice"_s),
             u"Preview the files that will be affected (saved or discarded)"_s);
    w.window.setNoticeVisible(Notice::Preview, false);
    QVERIFY(!w.child(u"Frame4"_s)->isVisible());
    QVERIFY(w.child(u"warningnotice"_s)->isVisible());
}

void CommandBarTest::linksOpenTheInformationBoxes() {
    Window w;
    ModalWatch watch;
    QTest::mouseClick(w.child(u"aboutlink"_s), Qt::LeftButton);
    QCOMPARE(watch.titles, QStringList{u"About this program.."_s});
    QTest::keyClick(w.child(u"historylink"_s), Qt::Key_Return);
    QCOMPARE(watch.titles, (QStringList{u"About this program.."_s, u"Version history"_s}));
    // A disabled link opens nothing.
    beginbusy(w.state, w.window);
    QTest::mouseClick(w.child(u"aboutlink"_s), Qt::LeftButton);
    QCOMPARE(watch.titles.size(), 2);
    endbusy(w.state, w.window);
    // A press that is released outside the link is no click.
    auto* about = w.child(u"aboutlink"_s);
    QTest::mousePress(about, Qt::LeftButton);
    QTest::mouseRelease(about, Qt::LeftButton, {}, QPoint(-20, -20));
    QCOMPARE(watch.titles.size(), 2);
}

void CommandBarTest::keyboardDefaults() {
    Window w;
    QVERIFY(showActive(&w.window));
    // Enter runs the focused command, as Space does.
    CommandButton* stop = w.button(MainWindow::Stop);
    QSignalSpy clicks(stop, &CommandButton::clicked);
    stop->setFocus(Qt::TabFocusReason);
    QTest::keyClick(stop, Qt::Key_Return);
    QCOMPARE(clicks.size(), 1);

    // Work that disables the commands does not leave the focus on Stop.
    w.button(MainWindow::Scan)->setFocus(Qt::TabFocusReason);
    beginbusy(w.state, w.window);
    endbusy(w.state, w.window);
    QVERIFY(w.window.focusWidget() != stop);
    QCOMPARE(w.window.focusWidget(), w.button(MainWindow::Scan));

    // Enter in the Settings preview begins the scan, not a Change link.
    w.addPath(QDir::tempPath());
    QString focused;
    whenShown<SettingsPreviewDialog>([&focused](SettingsPreviewDialog* preview) {
        QWidget* focus = preview->focusWidget();
        focused = focus ? focus->objectName() : QString();
        if (focused == u"Command1"_s)
            QTest::keyClick(focus, Qt::Key_Return);
        else
            press(preview, u"Command3"_s);
    });
    w.window.dialogHost().showSettingsPreview();
    QCOMPARE(focused, u"Command1"_s);
    QVERIFY(w.state.scanconfirmed);
}

void CommandBarTest::settingsOpenAsTheyWereLeft() {
    // The Settings command shows the dialog with the tab the user left it
    // on; only the preview's Change links choose a tab.
    Window w;
    int reopened = -1;
    whenShown<SettingsDialog>([](SettingsDialog* dialog) {
        dialog->findChild<QTabWidget*>(u"SSTab1"_s)->setCurrentIndex(2);
        press(dialog, u"okbutton"_s);
    });
    w.window.runCommand(MainWindow::Settings);
    whenShown<SettingsDialog>([&reopened](SettingsDialog* dialog) {
        reopened = dialog->findChild<QTabWidget*>(u"SSTab1"_s)->currentIndex();
        press(dialog, u"okbutton"_s);
    });
    w.window.runCommand(MainWindow::Settings);
    QCOMPARE(reopened, 2);
}

QTEST_MAIN(CommandBarTest)
#include "tst_commandbar.moc"

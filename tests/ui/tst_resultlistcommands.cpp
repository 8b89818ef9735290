#include "core/format.h"
#include "opsharness.h"
#include "platform/filename.h"
#include "platform/platform.h"
#include "resultrows.h"
#include "temptree.h"
#include "ui/filepropertiesdialog.h"
#include "ui/selectfilesdialog.h"

#include <QDesktopServices>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QtTest>
#include <sys/stat.h>

using namespace quillfen;
using namespace quillfen::ui;
using namespace Qt::StringLiterals;

namespace {

ResultEntry file(const QString& folder, const QString& name, qint64 size,
                 RowColour colour = RowColour::Blue) {
    return testing::resultFile(folder, name, size, false, 1500000000, colour);
}

// Two groups: /a/x (2 MB) and /b/x (2 MB); /a/y and /b/y (0.4 MB each).
ResultList twoGroups() {
    return {file(u"/a/"_s, u"x"_s, 2000000), file(u"/b/"_s, u"x"_s, 2000000),
            ResultEntry::separator(), file(u"/a/"_s, u"y"_s, 400000, RowColour::Black),
            file(u"/b/"_s, u"y"_s, 400000, RowColour::Black)};
}

// Records what the file commands ask of the desktop.
class RecordingLauncher : public FileLauncher {
public:
    void startEditor(const LaunchRequest& request, std::function<void()> failed) override {
        calls << u"edit"_s;
        edits.append(request);
        if (noProgram)
            failed();
    }
    void openFile(const QString& path, std::function<void()> failed) override {
        calls << u"open "_s + path;
        if (noProgram)
            failed();
    }
    void showInFolder(const QString& file, const QString& folder,
                      std::function<void()> failed) override {
        calls << u"show "_s + file + u" in "_s + folder;
        if (noProgram)
            failed();
    }
    void showProperties(const QString& file, std::function<void()> ownBox) override {
        calls << u"properties "_s + file;
        if (noFileManager)
            ownBox();
    }
    QStringList calls;
    QList<LaunchRequest> edits;
    bool noFileManager = false;
    bool noProgram = false; // no program of the desktop takes the request
};

// Catches what QDesktopServices::openUrl is asked to open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    Q_INVOKABLE void open(const QUrl& url) { urls.append(url); }
    QList<QUrl> urls;
};

QPoint rowPoint(QTreeView* view, int row) {
    return view->visualRect(view->model()->index(row, 0)).center();
}

void clickCheckBox(QTreeView* view, int row) {
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.rect = view->visualRect(view->model()->index(row, 0));
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect box =
        view->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, box.center());
}

} // namespace

class ResultListCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void menuHasTheListEntriesThenTheResultsFileOnes();
    void rightClickShowsTheMenuOnlyOverRows();
    void clickRecordsTheClickedRow();
    void checkBoxesFollowTheSeparatorRuleAndRecount();
    void headerClickKeepsTheOrder();
    void selectionCommandsOfTheMenu();
    void selectDuplicatesOpensTheAssistant();
    void fileCommandsActOnTheClickedRow();
    void ownPropertiesBoxWithoutAFileManager();
    void desktopLauncherKeepsEveryByte();
};

void ResultListCommandsTest::menuHasTheListEntriesThenTheResultsFileOnes() {
    AppState state;
    testing::HostWindow window(state);
    QMenu* menu = window.commands->menu();
    QCOMPARE(menu->title(), u"Invis"_s);
    QCOMPARE(menu->objectName(), u"invis"_s);
    QStringList captions;
    QStringList names;
    for (QAction* action : menu->actions()) {
        captions << (action->isSeparator() ? u"-"_s : action->text());
        names << action->objectName();
    }
    QCOMPARE(captions,
             QStringList({u"Select duplicates"_s, u"Select all files in this directory"_s,
                          u"Select marked entries"_s, u"Select inverse"_s, u"Select all"_s, u"-"_s,
                          u"Unselect all files in this directory"_s, u"Unselect all"_s, u"-"_s,
                          u"Edit file"_s, u"Open folder"_s, u"File properties"_s, u"Execute.."_s,
                          u"-"_s, u"Save results..."_s, u"Open results..."_s}));
    QCOMPARE(names.filter(u"sel"_s).size() + names.filter(u"unsel"_s).size(), 7 + 2);
    for (const QString& name : {u"seldups"_s, u"selalldir"_s, u"selmark"_s, u"selinv"_s,
                                u"selall"_s, u"unseldir"_s, u"unsel"_s, u"edit"_s, u"openfolder"_s,
                                u"fileproperties"_s, u"exec"_s, u"saveresults"_s, u"openresults"_s})
        QVERIFY2(window.commands->action(name), qPrintable(name));
}

void ResultListCommandsTest::rightClickShowsTheMenuOnlyOverRows() {
    AppState state;
    testing::HostWindow window(state);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QMenu* menu = window.commands->menu();

    QTest::mouseClick(window.view->viewport(), Qt::RightButton, {}, QPoint(40, 40));
    QVERIFY(!menu->isVisible());
    QCOMPARE(state.clickeditem, 0);
    QVERIFY(!window.commands->showMenu(window.mapToGlobal(QPoint(10, 10))));
    QVERIFY(!menu->isVisible());

    state.resultlist = twoGroups();
    window.model->reload();
    const QPoint onRow = rowPoint(window.view, 3);
    QTest::mouseClick(window.view->viewport(), Qt::RightButton, {}, onRow);
    QTRY_VERIFY(menu->isVisible());
    // The menu opens at the pointer; the right-clicked row is the one the
    // file commands act on.
    QVERIFY((menu->pos() - window.view->viewport()->mapToGlobal(onRow)).manhattanLength() < 4);
    QCOMPARE(state.clickeditem, 4);
    menu->hide();

    // The keyboard's menu key opens it at the focused row.
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(0, 0), QPoint(0, 0));
    QApplication::sendEvent(window.view, &key);
    QTRY_VERIFY(menu->isVisible());
    menu->hide();
}

void ResultListCommandsTest::clickRecordsTheClickedRow() {
    AppState state;
    state.resultlist = twoGroups();
    testing::HostWindow window(state);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::mouseClick(window.view->viewport(), Qt::LeftButton, {}, rowPoint(window.view, 1));
    QCOMPARE(state.clickeditem, 2);
    QTest::mouseClick(window.view->viewport(), Qt::LeftButton, {}, rowPoint(window.view, 4));
    QCOMPARE(state.clickeditem, 5);
    // Rows removed later leave it where it was.
    state.resultlist.resize(2);
    window.model->reload();
    QCOMPARE(state.clickeditem, 5);
}

void ResultListCommandsTest::checkBoxesFollowTheSeparatorRuleAndRecount() {
    AppState state;
    state.resultlist = twoGroups();
    testing::HostWindow window(state);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    clickCheckBox(window.view, 0);
    QCOMPARE(testing::checksOf(state.resultlist), QList<bool>({true, false, false, false, false}));
    QCOMPARE(state.mbselected, 2);
    QCOMPARE(state.labelmbselected1, u"2 MB"_s);
    QVERIFY(window.notices[int(Notice::Preview)]);

    // A separator row has no check box to click.
    clickCheckBox(window.view, 2);
    QVERIFY(!state.resultlist[2].checked);
    QVERIFY(!window.model->setData(window.model->index(2, 0), Qt::Checked, Qt::CheckStateRole));
    QVERIFY(!state.resultlist[2].checked);
    QCOMPARE(state.mbselected, 2);

    // Unchecking the big file and checking both small ones: 0.4 MB never adds.
    clickCheckBox(window.view, 0);
    clickCheckBox(window.view, 3);
    clickCheckBox(window.view, 4);
    QCOMPARE(testing::checksOf(state.resultlist), QList<bool>({false, false, false, true, true}));
    QCOMPARE(state.labelmbselected1, u"0 MB"_s);
    QVERIFY(!window.notices[int(Notice::Preview)]);
}

void ResultListCommandsTest::headerClickKeepsTheOrder() {
    AppState state;
    state.resultlist = twoGroups();
    std::swap(state.resultlist[0], state.resultlist[1]);
    testing::HostWindow window(state);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QHeaderView* header = window.view->header();
    for (int column = 0; column < 5; ++column) {
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    }
    QCOMPARE(window.model->index(0, 4).data().toString(), u"/b/"_s);
    QCOMPARE(window.model->index(1, 4).data().toString(), u"/a/"_s);
    QCOMPARE(state.resultlist[0].path, u"/b/"_s);
}

void ResultListCommandsTest::selectionCommandsOfTheMenu() {
    AppState state;
    state.resultlist = twoGroups();
    testing::HostWindow window(state);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    ResultListCommands* commands = window.commands;

    commands->action(u"selall"_s)->trigger();
    QCOMPARE(testing::checksOf(state.resultlist), QList<bool>({true, true, false, true, true}));
    QCOMPARE(state.mbselected, 4);
    commands->action(u"selinv"_s)->trigger();
    QCOMPARE(testing::checksOf(state.resultlist), QList<bool>({false, false, false, false, false}));
    QVERIFY(!window.notices[int(Notice::Preview)]);

    // The folder commands take the focused row's folder, exactly.
    window.view->setCurrentIndex(window.model->index(1, 0)); // /b/x
    commands->action(u"selalldir"_s)->trigger();
    QCOMPARE(testing::checksOf(state.resultlist), QList<bool>({false, true, false, false, true}));
    window.view->setCurrentIndex(window.model->index(4, 0));
    commands->action(u"unseldir"_s)->trigger();
    QCOMPARE(testing::checksOf(state.resultlist), QList<bool>({false, false, false, false, false}));

    // Marked rows, a separator among them: only the files are checked,
    // and nothing already checked is cleared.
    state.resultlist[4].checked = true;
    window.view->clearSelection();
    QItemSelectionModel* marks = window.view->selectionModel();
    for (int row : {0, 2})
        marks->select(window.model->index(row, 0),
                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    commands->action(u"selmark"_s)->trigger();
    QCOMPARE(testing::checksOf(state.resultlist), QList<bool>({true, false, false, false, true}));
    QCOMPARE(state.labelmbselected1, u"2 MB"_s);

    commands->action(u"unsel"_s)->trigger();
    QCOMPARE(testing::checksOf(state.resultlist), QList<bool>({false, false, false, false, false}));
    QCOMPARE(state.labelmbselected1, u"0 MB"_s);
}

void ResultListCommandsTest::selectDuplicatesOpensTheAssistant() {
    AppState state;
    state.resultlist = twoGroups();
    testing::HostWindow window(state);
    window.show();
    bool shown = false;
    testing::whenShown<SelectFilesDialog>([&](SelectFilesDialog* dialog) {
        shown = dialog->isModal() && dialog->parentWidget() == &window;
        dialog->findChild<QPushButton*>(u"Command2"_s)->click(); // "&Cancel"
    });
    window.commands->action(u"seldups"_s)->trigger();
    QVERIFY(shown);
    QCOMPARE(testing::checksOf(state.resultlist), QList<bool>({false, false, false, false, false}));
}

void ResultListCommandsTest::fileCommandsActOnTheClickedRow() {
    testing::TempTree tree;
    const QString name = u"my \"report\" $(x).txt"_s;
    tree.writeFile(name, "content");
    AppState state;
    state.viewerpath = u"/usr/bin/editor"_s;
    state.resultlist = {file(tree.root(), name, 7), file(tree.root(), u"gone.txt"_s, 7)};
    testing::HostWindow window(state);
    RecordingLauncher launcher;
    window.useLauncher(&launcher);
    ResultListCommands* commands = window.commands;

    // Nothing clicked yet: nothing happens.
    for (const QString& command : {u"edit"_s, u"exec"_s, u"openfolder"_s, u"fileproperties"_s})
        commands->action(command)->trigger();
    QVERIFY(launcher.calls.isEmpty());

    state.clickeditem = 1;
    for (const QString& command : {u"edit"_s, u"exec"_s, u"openfolder"_s, u"fileproperties"_s})
        commands->action(command)->trigger();
    const QString full = tree.root() + name;
    const QString folder = tree.root().chopped(1);
    QCOMPARE(launcher.calls,
             QStringList({u"edit"_s, u"open "_s + full, u"show "_s + full + u" in "_s + folder,
                          u"properties "_s + full}));
    QCOMPARE(launcher.edits[0].program, u"/usr/bin/editor"_s);
    QCOMPARE(launcher.edits[0].arguments, QStringList{full});

    QVERIFY(window.boxes.shown.isEmpty());

    // When no program takes a request, the user is told which target it was.
    launcher.noProgram = true;
    const struct {
        const char16_t* command;
        QString target;
    } unopened[] = {{u"edit", u"/usr/bin/editor"_s}, {u"exec", full}, {u"openfolder", folder}};
    for (const auto& command : unopened) {
        window.boxes.shown.clear();
        commands->action(QString::fromUtf16(command.command))->trigger();
        QCOMPARE(window.boxes.shown.size(), 1);
        QCOMPARE(window.boxes.shown[0].icon, MessageIcon::Exclamation);
        QVERIFY2(window.boxes.shown[0].text.endsWith(u"\r\n"_s + command.target),
                 qPrintable(window.boxes.shown[0].text));
    }
    launcher.noProgram = false;
    window.boxes.shown.clear();

    // A file that vanished since the scan, or a row past the end: nothing.
    launcher.calls.clear();
    for (int clicked : {2, 3}) {
        state.clickeditem = clicked;
        for (const QString& command : {u"edit"_s, u"exec"_s, u"fileproperties"_s})
            commands->action(command)->trigger();
    }
    QVERIFY(launcher.calls.isEmpty());
    QCOMPARE(testing::checksOf(state.resultlist), QList<bool>({false, false}));
}

void ResultListCommandsTest::ownPropertiesBoxWithoutAFileManager() {
    testing::TempTree tree;
    const QString path = tree.writeFile(u"notes.txt"_s, "0123456789");
    ::chmod(platform::encodeFileName(path).constData(), 0640);
    AppState state;
    state.resultlist = {file(tree.root(), u"notes.txt"_s, 10)};
    // After a comparison the list shows the comparison's date form; so does the box.
    state.resultlist[0].dateform = DateForm::General;
    state.clickeditem = 1;
    testing::HostWindow window(state);
    RecordingLauncher launcher;
    launcher.noFileManager = true;
    window.useLauncher(&launcher);
    QMap<QString, QString> shown;
    testing::whenShown<FilePropertiesDialog>([&](FilePropertiesDialog* box) {
        for (const QString& caption : {u"Full path"_s, u"Size"_s, u"Permissions"_s, u"Owner"_s,
                                       u"Modified"_s, u"Accessed"_s})
            shown[caption] = box->value(caption);
        QTest::mouseClick(box->findChild<QPushButton*>(u"Command1"_s), Qt::LeftButton);
    });
    window.commands->action(u"fileproperties"_s)->trigger();
    QCOMPARE(shown[u"Full path"_s], path);
    QCOMPARE(shown[u"Size"_s], u"10 bytes"_s);
    QCOMPARE(shown[u"Permissions"_s], u"rw-r----- (640)"_s);
    QCOMPARE(shown[u"Owner"_s], platform::userName(platform::userId()));
    QCOMPARE(shown[u"Modified"_s], generalDateText(platform::fileInfo(path).mtime));
    QVERIFY(!shown[u"Accessed"_s].isEmpty());
}

void ResultListCommandsTest::desktopLauncherKeepsEveryByte() {
    testing::TempTree tree;
    const QByteArray raw = tree.writeRawNamedFile("caf\xE9 #1 $(x).txt", "data");
    const QString path = platform::decodeFileName(raw);
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(u"file"_s, &catcher, "open");
    const auto unset = qScopeGuard([] { QDesktopServices::unsetUrlHandler(u"file"_s); });
    DesktopLauncher launcher;

    launcher.openFile(path);
    QCOMPARE(catcher.urls.size(), 1);
    QCOMPARE(catcher.urls[0].toEncoded(),
             "file://" + platform::encodeFileName(tree.root()).toPercentEncoding("/") +
                 "caf%E9%20%231%20%24%28x%29.txt");

    // No session bus here (main() points it nowhere): the folder is opened,
    // and the program's own box stands in for the file manager's.
    launcher.showInFolder(path, tree.root().chopped(1));
    QCOMPARE(catcher.urls.size(), 2);
    QCOMPARE(catcher.urls[1].toLocalFile(), tree.root().chopped(1));
    bool ownBox = false;
    launcher.showProperties(path, [&] { ownBox = true; });
    QTRY_VERIFY(ownBox);

    // The editor gets the file as one argument with its exact bytes.
    const QString editor = tree.writeFile(
        u"editor"_s,
        QByteArray("#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > \"$(dirname \"$0\")/got\"\n"));
    ::chmod(platform::encodeFileName(editor).constData(), 0755);
    launcher.startEditor({editor, {path}});
    QTRY_VERIFY_WITH_TIMEOUT(platform::fileLength(tree.path(u"got"_s)) > 0, 10000);
    platform::InputFile got(tree.path(u"got"_s));
    QByteArray bytes(got.info().size, '\0');
    got.readAt(0, bytes.data(), bytes.size());
    QCOMPARE(bytes, "1|" + raw);
}

int main(int argc, char** argv) {
    // The file manager service must be out of reach, whatever the machine offers.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quillfen-test-bus");
    QApplication app(argc, argv);
    ResultListCommandsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_resultlistcommands.moc"

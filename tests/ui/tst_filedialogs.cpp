#include "../fileops/fixtures.h"
#include "opsharness.h"
#include "platform/filename.h"
#include "temptree.h"
#include "ui/deletefilesdialog.h"
#include "ui/errorlogdialog.h"
#include "ui/movefilesdialog.h"
#include "ui/rowtablemodel.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QtTest>

using namespace quillfen;
using namespace quillfen::ui;
using namespace Qt::StringLiterals;
using fixtures::entryFor;
using fixtures::exists;

namespace {

QPushButton* button(QWidget* dialog, const QString& name) {
    return dialog->findChild<QPushButton*>(name);
}

QStringList shownTexts(const testing::ScriptedMessageBoxes& boxes) {
    QStringList texts;
    for (const auto& shown : boxes.shown)
        texts << shown.text;
    return texts;
}

const QString kRecycleQuestion =
    u"Warning!\r\n\r\nThe files that you have selected in the list will be moved to the recycle "
    u"bin!\r\n\r\nClick on OK to continue."_s;

} // namespace

class FileDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void deleteDialogListsTheCheckedFiles();
    void recycleGoesToTheTrashAndClosesTheDialog();
    void cancelledConfirmationKeepsEverything();
    void permanentDeleteOnTheWorkerThread();
    void failuresGoToTheErrorLogDialog();
    void operationEndedByAFailureLeavesTheDialogOpen_data();
    void operationEndedByAFailureLeavesTheDialogOpen();
    void moveDialogAsksForAPathAndBrowses();
    void moveDialogStaysOpenAfterAMove_data();
    void moveDialogStaysOpenAfterAMove();

private:
    testing::TempTree m_dataHome;
};

void FileDialogsTest::initTestCase() {
    // The trash of these tests lies in a folder of their own.
    qputenv("XDG_DATA_HOME", platform::encodeFileName(m_dataHome.root()));
}

void FileDialogsTest::deleteDialogListsTheCheckedFiles() {
    AppState state;
    auto entry = [](const QString& folder, const QString& name, qint64 size, bool checked) {
        ResultEntry row;
        row.path = folder;
        row.filename = name;
        row.size = size;
        row.checked = checked;
        return row;
    };
    state.resultlist = {entry(u"/a/"_s, u"big.iso"_s, 1234567, true),
                        entry(u"/b/"_s, u"big.iso"_s, 1234567, false), ResultEntry::separator(),
                        entry(u"/c/"_s, u"tiny"_s, 10, true),
                        entry(u"/d/"_s, u"tiny"_s, 10, false)};
    testing::HostWindow window(state);
    DeleteFilesDialog dialog(state, window, window.runner, &window);
    QCOMPARE(dialog.windowTitle(), u"Delete files"_s);
    QCOMPARE(dialog.findChild<QLabel*>(u"Label2"_s)->text(),
             u"These are the files that will be deleted"_s);
    QCOMPARE(dialog.findChild<QLabel*>(u"Label3"_s)->text(),
             u"(the selected ones from the main window)"_s);
    RowTableModel* model = dialog.fileModel();
    QCOMPARE(model->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), u"File"_s);
    QCOMPARE(model->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), u"Size (MBytes)"_s);
    QCOMPARE(model->rowCount(), 2);
    QCOMPARE(model->index(0, 0).data().toString(), u"/a/big.iso"_s);
    QCOMPARE(model->index(0, 1).data().toString(), u"1.23"_s);
    QCOMPARE(model->index(1, 0).data().toString(), u"/c/tiny"_s);
    QCOMPARE(model->index(1, 1).data().toString(), u"0.01"_s);
    QCOMPARE(dialog.findChild<QLabel*>(u"Label5"_s)->text(), u"2 files"_s);
    const std::vector<DeleteDialogRow> engineRows = deletedialogrows(state.resultlist);
    QCOMPARE(qsizetype(engineRows.size()), qsizetype(model->rowCount()));
    for (int row = 0; row < model->rowCount(); ++row) {
        QCOMPARE(model->index(row, 0).data().toString(), engineRows[size_t(row)].file);
        QCOMPARE(model->index(row, 1).data().toString(), engineRows[size_t(row)].sizemb);
    }
    for (const QString& name : {u"Command1"_s, u"Command2"_s, u"Command3"_s})
        QVERIFY(button(&dialog, name));
    QCOMPARE(button(&dialog, u"Command1"_s)->text(), u"Move to &recycle bin"_s);
    QCOMPARE(button(&dialog, u"Command2"_s)->text(), u"&Delete permanently"_s);
    QCOMPARE(button(&dialog, u"Command3"_s)->text(), u"&Cancel"_s);

    // The list is filled when the dialog opens, not afterwards.
    state.resultlist[1].checked = true;
    QCOMPARE(model->rowCount(), 2);
}

void FileDialogsTest::recycleGoesToTheTrashAndClosesTheDialog() {
    testing::TempTree tree;
    AppState state;
    for (const QString& name : {u"a1"_s, u"a2"_s, u"a3"_s})
        tree.writeFile(name, "same");
    state.resultlist = {entryFor(tree.path(u"a1"_s), true), entryFor(tree.path(u"a2"_s), true),
                        entryFor(tree.path(u"a3"_s), false)};
    testing::HostWindow window(state);
    window.show();
    window.boxes.answer(MessageAnswer::Ok); // the confirmation
    bool clicked = false;
    testing::whenShown<DeleteFilesDialog>([&](DeleteFilesDialog* dialog) {
        clicked = true;
        QTest::mouseClick(button(dialog, u"Command1"_s), Qt::LeftButton);
    });
    window.host.showDeleteFiles();
    QTRY_VERIFY(window.findChildren<DeleteFilesDialog*>().isEmpty());
    QVERIFY(clicked);
    QVERIFY(!exists(tree.path(u"a1"_s)));
    QVERIFY(!exists(tree.path(u"a2"_s)));
    QVERIFY(exists(tree.path(u"a3"_s)));
    const QSet<QByteArray> trashed = fixtures::names(m_dataHome.path(u"Trash/files"_s));
    QVERIFY(trashed.contains("a1") && trashed.contains("a2"));
    QVERIFY(state.resultlist.empty()); // the last file lost its duplicates
    QCOMPARE(window.model->rowCount(), 0);
    QCOMPARE(window.boxes.shown.size(), 2);
    QCOMPARE(window.boxes.shown[0].text, kRecycleQuestion);
    QCOMPARE(window.boxes.shown[0].defaultButton, MessageAnswer::Cancel);
    QCOMPARE(window.boxes.shown[0].icon, MessageIcon::Exclamation);
    QCOMPARE(window.boxes.shown[1].text, u"2 files have been moved to the recycle bin."_s);
    for (QWidget* widget : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<DeleteFilesDialog*>(widget) || !widget->isVisible());
}

void FileDialogsTest::cancelledConfirmationKeepsEverything() {
    testing::TempTree tree;
    AppState state;
    tree.writeFile(u"b1"_s, "x");
    tree.writeFile(u"b2"_s, "x");
    state.resultlist = {entryFor(tree.path(u"b1"_s), true), entryFor(tree.path(u"b2"_s), false)};
    testing::HostWindow window(state);
    window.show();
    window.boxes.answer(MessageAnswer::Cancel);
    bool stayedOpen = false;
    testing::whenShown<DeleteFilesDialog>([&](DeleteFilesDialog* dialog) {
        QTest::mouseClick(button(dialog, u"Command2"_s), Qt::LeftButton);
        stayedOpen = dialog->isVisible();
        QTest::mouseClick(button(dialog, u"Command3"_s), Qt::LeftButton);
    });
    window.host.showDeleteFiles();
    QVERIFY(stayedOpen);
    QCOMPARE(window.boxes.shown.size(), 1);
    QCOMPARE(window.boxes.shown[0].icon, MessageIcon::Critical);
    QCOMPARE(window.boxes.shown[0].defaultButton, MessageAnswer::Cancel);
    QVERIFY(window.boxes.shown[0].text.contains(u"PERMANENTLY DELETED!"_s));
    QVERIFY(exists(tree.path(u"b1"_s)));
    QCOMPARE(state.resultlist.size(), size_t(2));
    QVERIFY(state.resultlist[0].checked);
}

void FileDialogsTest::permanentDeleteOnTheWorkerThread() {
    testing::TempTree tree;
    AppState state;
    for (const QString& name : {u"c1"_s, u"c2"_s, u"c3"_s, u"d1"_s, u"d2"_s})
        tree.writeFile(name, name.toUtf8());
    state.resultlist = {entryFor(tree.path(u"c1"_s), true),  entryFor(tree.path(u"c2"_s), false),
                        entryFor(tree.path(u"c3"_s), true),  ResultEntry::separator(),
                        entryFor(tree.path(u"d1"_s), false), entryFor(tree.path(u"d2"_s), false)};
    testing::HostWindow window(state);
    window.show();
    window.boxes.answer(MessageAnswer::Ok);
    bool closedAtOnce = false;
    testing::whenShown<DeleteFilesDialog>([&](DeleteFilesDialog* dialog) {
        QTest::mouseClick(button(dialog, u"Command2"_s), Qt::LeftButton);
        closedAtOnce = !dialog->isVisible();
    });
    window.host.showDeleteFiles();
    QVERIFY(closedAtOnce);
    QTRY_VERIFY(window.findChildren<DeleteFilesDialog*>().isEmpty());
    QCOMPARE(window.boxes.shown.size(), 2);
    QCOMPARE(window.boxes.shown[1].text, u"2 files have been permanently deleted."_s);
    QCOMPARE(window.events.mid(0, 2), QStringList({u"busy"_s, u"idle"_s}));
    QVERIFY(!exists(tree.path(u"c1"_s)) && !exists(tree.path(u"c3"_s)));
    QVERIFY(exists(tree.path(u"c2"_s)));
    // c2 lost its group; d1 and d2 stay as the one group left.
    QCOMPARE(state.resultlist.size(), size_t(2));
    QCOMPARE(state.resultlist[0].filename, u"d1"_s);
    QCOMPARE(state.resultlist[1].filename, u"d2"_s);
    QCOMPARE(window.model->rowCount(), 2);
}

void FileDialogsTest::operationEndedByAFailureLeavesTheDialogOpen_data() {
    QTest::addColumn<QString>("command");
    QTest::newRow("recycle bin") << u"Command1"_s;
    QTest::newRow("permanent delete") << u"Command2"_s;
}

void FileDialogsTest::operationEndedByAFailureLeavesTheDialogOpen() {
    QFETCH(QString, command);
    testing::TempTree tree;
    AppState state;
    tree.writeFile(u"g1"_s, "x");
    tree.writeFile(u"g2"_s, "x");
    state.resultlist = {entryFor(tree.path(u"g1"_s), true), entryFor(tree.path(u"g2"_s), false)};
    testing::HostWindow window(state);
    window.show();
    window.boxes.answer(MessageAnswer::Ok); // the confirmation
    bool openAfterwards = false;
    testing::whenShown<DeleteFilesDialog>([&](DeleteFilesDialog* dialog) {
        dialog->setJob([](const FileJobInput&) {
            FileJobResult result;
            result.failure = u"Out of memory"_s;
            return result;
        });
        QTest::mouseClick(button(dialog, command), Qt::LeftButton);
        // The message is over the dialog; the user may try again or cancel.
        testing::whenShown<DeleteFilesDialog>(
            [&](DeleteFilesDialog* again) {
                openAfterwards = true;
                QTest::mouseClick(button(again, u"Command3"_s), Qt::LeftButton);
            },
            5000);
    });
    window.host.showDeleteFiles();
    QTRY_VERIFY(window.findChildren<DeleteFilesDialog*>().isEmpty());
    QVERIFY(openAfterwards);
    QCOMPARE(shownTexts(window.boxes).mid(1),
             QStringList({u"An error occured!\r\n\r\nOut of memory"_s}));
    QCOMPARE(window.boxes.shown[1].icon, MessageIcon::Critical);
    QVERIFY(exists(tree.path(u"g1"_s)));
    QCOMPARE(state.resultlist.size(), size_t(2));
    QVERIFY(state.resultlist[0].checked);
}

void FileDialogsTest::failuresGoToTheErrorLogDialog() {
    testing::TempTree tree;
    AppState state;
    tree.writeFile(u"e1"_s, "x");
    tree.writeFile(u"e2"_s, "x");
    tree.writeFile(u"e3"_s, "x");
    state.resultlist = {entryFor(tree.path(u"e1"_s), true), entryFor(tree.path(u"e2"_s), true),
                        entryFor(tree.path(u"e3"_s), false)};
    // e2 vanishes after the scan: its step fails and is logged.
    QVERIFY(QFile::remove(tree.path(u"e2"_s)));
    testing::HostWindow window(state);
    window.show();
    window.boxes.answer(MessageAnswer::Ok);  // confirmation
    window.boxes.answer(MessageAnswer::Ok);  // result
    window.boxes.answer(MessageAnswer::Yes); // see the log
    testing::whenShown<DeleteFilesDialog>([&](DeleteFilesDialog* dialog) {
        QTest::mouseClick(button(dialog, u"Command2"_s), Qt::LeftButton);
    });
    QStringList logged;
    QString column;
    bool wholeLines = false;
    testing::whenShown<ErrorLogDialog>([&](ErrorLogDialog* log) {
        column = log->errorModel()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString();
        for (int row = 0; row < log->errorModel()->rowCount(); ++row)
            logged << log->errorModel()->index(row, 0).data().toString();
        // Whole lines: the column is as wide as the longest, the list scrolls.
        auto* list = log->findChild<QTreeView*>(u"ListView1"_s);
        wholeLines =
            list->columnWidth(0) >= list->fontMetrics().horizontalAdvance(logged.value(0)) &&
            list->textElideMode() == Qt::ElideNone;
        QTest::mouseClick(button(log, u"Command1"_s), Qt::LeftButton);
    });
    window.host.showDeleteFiles();
    QTRY_VERIFY(window.findChildren<DeleteFilesDialog*>().isEmpty());
    QCOMPARE(column, u"Error"_s);
    QVERIFY(wholeLines);
    QCOMPARE(logged.size(), 1);
    QVERIFY(logged[0].startsWith(u"Error: '"_s));
    QVERIFY(logged[0].endsWith(u"' occured while trying to delete the file: e2"_s));
    QCOMPARE(shownTexts(window.boxes).mid(1),
             QStringList({u"1 files have been permanently deleted."_s,
                          u"1 errors occured while trying to complete this operation.\r\n\r\n"
                          u"Would you like to see the log?"_s}));
    QVERIFY(state.errorlog.isEmpty());
}

void FileDialogsTest::moveDialogAsksForAPathAndBrowses() {
    AppState state;
    state.resultlist = {ResultEntry::separator()};
    testing::HostWindow window(state);
    MoveFilesDialog dialog(state, window, window.choosers, window.runner, &window);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), u"Move files"_s);
    QVERIFY(dialog.pathBox()->text().isEmpty());
    QVERIFY(dialog.findChild<QCheckBox*>(u"Check1"_s)->isChecked());
    QCOMPARE(dialog.findChild<QCheckBox*>(u"Check1"_s)->text(),
             u"Rename files with conflicting filenames"_s);

    QTest::mouseClick(button(&dialog, u"Command1"_s), Qt::LeftButton); // "&Move files"
    QCOMPARE(window.boxes.shown.size(), 1);
    QCOMPARE(window.boxes.shown[0].text, u"You must first select a path to move the files too!"_s);
    QCOMPARE(window.boxes.shown[0].icon, MessageIcon::Exclamation);
    QVERIFY(dialog.isVisible());
    QCOMPARE(state.resultlist.size(), size_t(1));

    window.choosers.answers = {u"/srv/backup"_s, QString(), u"/"_s};
    QTest::mouseClick(button(&dialog, u"Command3"_s), Qt::LeftButton); // "Browse.."
    QCOMPARE(window.choosers.asked[0].kind, u"folder"_s);
    QCOMPARE(window.choosers.asked[0].title, u"Select a path to scan"_s);
    QCOMPARE(dialog.pathBox()->text(), u"/srv/backup/"_s);
    QTest::mouseClick(button(&dialog, u"Command3"_s), Qt::LeftButton); // cancelled
    QCOMPARE(dialog.pathBox()->text(), u"/srv/backup/"_s);
    QTest::mouseClick(button(&dialog, u"Command3"_s), Qt::LeftButton);
    QCOMPARE(dialog.pathBox()->text(), u"/"_s);
}

void FileDialogsTest::moveDialogStaysOpenAfterAMove_data() {
    QTest::addColumn<bool>("slash");
    QTest::newRow("folder with its slash") << true;
    // An existing folder typed without its "/" still means that folder.
    QTest::newRow("folder without its slash") << false;
}

void FileDialogsTest::moveDialogStaysOpenAfterAMove() {
    QFETCH(bool, slash);
    testing::TempTree tree;
    testing::TempTree target;
    const QString typed = slash ? target.root() : target.root().chopped(1);
    target.writeFile(u"f1"_s, "old");
    AppState state;
    tree.writeFile(u"f1"_s, "new");
    tree.makeFolder(u"sub"_s);
    tree.writeFile(u"sub/f1"_s, "new");
    state.resultlist = {entryFor(tree.path(u"f1"_s), true),
                        entryFor(tree.path(u"sub/f1"_s), false)};
    testing::HostWindow window(state);
    window.show();
    window.boxes.answer(MessageAnswer::Ok);
    int openings = 0;
    bool hiddenDuringMove = false;
    QString pathAfter;
    std::function<void(MoveFilesDialog*)> act = [&](MoveFilesDialog* dialog) {
        ++openings;
        if (openings == 1) {
            dialog->pathBox()->setText(typed);
            QTest::mouseClick(button(dialog, u"Command1"_s), Qt::LeftButton);
            hiddenDuringMove = !dialog->isVisible();
            testing::whenShown<MoveFilesDialog>(act);
        } else {
            pathAfter = dialog->pathBox()->text();
            QTest::mouseClick(button(dialog, u"Command2"_s), Qt::LeftButton); // "&Cancel"
        }
    };
    testing::whenShown<MoveFilesDialog>(act);
    window.host.showMoveFiles();
    QTRY_VERIFY(window.findChildren<MoveFilesDialog*>().isEmpty());
    QCOMPARE(openings, 2);
    QVERIFY(hiddenDuringMove);
    QCOMPARE(pathAfter, typed);
    QCOMPARE(shownTexts(window.boxes).mid(1), QStringList{u"1 files have been moved."_s});
    // The taken name got a free one; the old file is untouched.
    QCOMPARE(fixtures::readAll(target.path(u"f1"_s)), QByteArray("old"));
    QCOMPARE(fixtures::readAll(target.path(u"f1(0)"_s)), QByteArray("new"));
    QVERIFY(!exists(tree.path(u"f1"_s)));
    QVERIFY(state.resultlist.empty());
}

QTEST_MAIN(FileDialogsTest)
#include "tst_filedialogs.moc"

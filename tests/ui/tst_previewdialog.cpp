#include "core/appstate.h"
#include "opsharness.h"
#include "resultrows.h"
#include "scriptedmessages.h"
#include "ui/mainwindow.h"
#include "ui/previewdialog.h"
#include "ui/rowtablemodel.h"
#include "ui/textlink.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace quillfen;
using namespace quillfen::ui;
using namespace Qt::StringLiterals;

namespace {

ResultEntry file(const QString& folder, const QString& name, qint64 size, bool checked) {
    return testing::resultFile(folder, name, size, checked);
}

QStringList names(RowTableModel* model) {
    QStringList result;
    for (int row = 0; row < model->rowCount(); ++row)
        result << model->index(row, 4).data().toString() + model->index(row, 0).data().toString();
    return result;
}

// The main window and its preview notice, which must follow the dialog.
struct Window {
    Window() : window(state, &boxes) {
        window.show();
        // Two groups of two, one file of each checked: 3 MB selected.
        state.resultlist = {file(u"/a/"_s, u"one"_s, 3000000, true),
                            file(u"/b/"_s, u"one"_s, 3000000, false), ResultEntry::separator(),
                            file(u"/a/"_s, u"two"_s, 200000, false),
                            file(u"/b/"_s, u"two"_s, 200000, true)};
        window.resultListReset();
    }
    bool previewNotice() const {
        return window.findChild<QLabel*>(u"previewnotice"_s)->isVisible();
    }
    QString selected() const { return window.findChild<QLabel*>(u"labelmbselected1"_s)->text(); }
    AppState state;
    testing::ScriptedMessageBoxes boxes;
    MainWindow window;
};

} // namespace

class PreviewDialogTest : public QObject {
    Q_OBJECT
private slots:
    void listsSplitTheResultList();
    void movingFilesChangesTheChecksAndThePanelFollows();
    void moveWithNothingCheckedOnlyRebuilds();
    void maximizeAndNormalize();
    void hostOpensAndClosesIt();
};

void PreviewDialogTest::listsSplitTheResultList() {
    Window w;
    PreviewDialog dialog(w.state, w.window, &w.window);
    QCOMPARE(dialog.windowTitle(), u"Preview files to discard and save"_s);
    QCOMPARE(dialog.findChild<QLabel*>(u"Label1"_s)->text(), u"Files to save and discard"_s);
    QCOMPARE(dialog.findChild<QLabel*>(u"Label4"_s)->text(), u"These files will be saved"_s);
    QCOMPARE(dialog.findChild<QLabel*>(u"Label5"_s)->text(),
             u"These files will be discarded or moved"_s);
    QStringList headers;
    for (int column = 0; column < 5; ++column)
        headers
            << dialog.savedModel()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    QCOMPARE(headers, QStringList({u"Filename"_s, u"Size (MB)"_s, u"Size (Bytes)"_s, u"File Date"_s,
                                   u"Path"_s}));
    QCOMPARE(names(dialog.savedModel()), QStringList({u"/b/one"_s, u"/a/two"_s}));
    QCOMPARE(names(dialog.discardedModel()), QStringList({u"/a/one"_s, u"/b/two"_s}));
    QCOMPARE(dialog.savedModel()->index(0, 1).data().toString(), u"3"_s);
    QCOMPARE(dialog.savedModel()->index(1, 2).data().toString(), u"200000"_s);
    QCOMPARE(dialog.savedModel()->index(0, 3).data().toString(),
             w.state.resultlist[1].filedateText());
    QCOMPARE(dialog.preview().savedmap, std::vector<qsizetype>({1, 3}));
    QCOMPARE(dialog.preview().discardedmap, std::vector<qsizetype>({0, 4}));
    QVERIFY(dialog.savedModel()->checkedRows().empty());
    QCOMPARE(dialog.findChild<QPushButton*>(u"Command1"_s)->text(),
             u"Move checked files to the \"Discarded\" list"_s);
    QCOMPARE(dialog.findChild<QPushButton*>(u"Command2"_s)->text(),
             u"Move checked files to the \"Saved\" list"_s);
}

void PreviewDialogTest::movingFilesChangesTheChecksAndThePanelFollows() {
    Window w;
    PreviewDialog dialog(w.state, w.window, &w.window);
    dialog.show();
    QVERIFY(w.previewNotice());
    QCOMPARE(w.selected(), u"3 MB"_s);

    // The big file to the saved side: 0.2 MB is left, the panel goes.
    dialog.discardedModel()->setData(dialog.discardedModel()->index(0, 0), Qt::Checked,
                                     Qt::CheckStateRole);
    QTest::mouseClick(dialog.findChild<QPushButton*>(u"Command2"_s), Qt::LeftButton);
    QCOMPARE(testing::checksOf(w.state.resultlist),
             QList<bool>({false, false, false, false, true}));
    QCOMPARE(names(dialog.savedModel()), QStringList({u"/a/one"_s, u"/b/one"_s, u"/a/two"_s}));
    QCOMPARE(names(dialog.discardedModel()), QStringList({u"/b/two"_s}));
    QVERIFY(dialog.savedModel()->checkedRows().empty()); // rows come back unchecked
    QVERIFY(dialog.isVisible());
    QVERIFY(!w.previewNotice());
    QCOMPARE(w.selected(), u"0 MB"_s);
    QCOMPARE(w.state.mbselected, 0);

    // Both files of the first group to the discarded side: allowed.
    for (int row : {0, 1})
        dialog.savedModel()->setChecked(row, true);
    QTest::mouseClick(dialog.findChild<QPushButton*>(u"Command1"_s), Qt::LeftButton);
    QCOMPARE(testing::checksOf(w.state.resultlist), QList<bool>({true, true, false, false, true}));
    QCOMPARE(names(dialog.discardedModel()), QStringList({u"/a/one"_s, u"/b/one"_s, u"/b/two"_s}));
    QVERIFY(w.previewNotice());
    QCOMPARE(w.selected(), u"6 MB"_s);
    // The main window's list shows the new checks.
    QCOMPARE(w.window.resultModel().index(1, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(),
             Qt::Checked);
}

void PreviewDialogTest::moveWithNothingCheckedOnlyRebuilds() {
    Window w;
    PreviewDialog dialog(w.state, w.window, &w.window);
    const QList<bool> before = testing::checksOf(w.state.resultlist);
    dialog.discardedModel()->setChecked(1, true);
    QTest::mouseClick(dialog.findChild<QPushButton*>(u"Command1"_s), Qt::LeftButton);
    QCOMPARE(testing::checksOf(w.state.resultlist), before);
    QVERIFY(dialog.discardedModel()->checkedRows().empty());
    QCOMPARE(names(dialog.discardedModel()), QStringList({u"/a/one"_s, u"/b/two"_s}));
}

void PreviewDialogTest::maximizeAndNormalize() {
    Window w;
    PreviewDialog dialog(w.state, w.window, &w.window);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const int normalHeight = dialog.savedList()->height();
    auto* toDiscarded = dialog.findChild<QPushButton*>(u"Command1"_s);
    auto* toSaved = dialog.findChild<QPushButton*>(u"Command2"_s);

    QTest::mouseClick(dialog.findChild<TextLink*>(u"Label3"_s), Qt::LeftButton);
    QVERIFY(dialog.savedList()->isVisible() && toDiscarded->isVisible());
    QVERIFY(!dialog.discardedList()->isVisible() && !toSaved->isVisible());
    QVERIFY(!dialog.findChild<QLabel*>(u"Label5"_s)->isVisible());
    // The other list's Maximize link is not among what goes.
    QVERIFY(dialog.findChild<TextLink*>(u"Label20"_s)->isVisible());
    QTRY_VERIFY(dialog.savedList()->height() > normalHeight);

    QTest::mouseClick(dialog.findChild<TextLink*>(u"Label2"_s), Qt::LeftButton);
    QVERIFY(dialog.savedList()->isVisible() && dialog.discardedList()->isVisible());
    QVERIFY(toSaved->isVisible() && toDiscarded->isVisible());
    QTRY_COMPARE(dialog.savedList()->height(), normalHeight);

    QTest::mouseClick(dialog.findChild<TextLink*>(u"Label20"_s), Qt::LeftButton);
    QVERIFY(!dialog.savedList()->isVisible() && !toDiscarded->isVisible());
    QVERIFY(!dialog.findChild<QLabel*>(u"Label4"_s)->isVisible());
    QVERIFY(dialog.findChild<TextLink*>(u"Label3"_s)->isVisible());
    QVERIFY(dialog.discardedList()->isVisible() && toSaved->isVisible());
}

void PreviewDialogTest::hostOpensAndClosesIt() {
    AppState state;
    state.resultlist = {file(u"/a/"_s, u"x"_s, 10, true), file(u"/b/"_s, u"x"_s, 10, false)};
    testing::HostWindow window(state);
    window.show();
    int savedRows = -1;
    testing::whenShown<PreviewDialog>([&](PreviewDialog* dialog) {
        savedRows = dialog->savedModel()->rowCount();
        QTest::mouseClick(dialog->findChild<QPushButton*>(u"Command3"_s), Qt::LeftButton);
    });
    window.host.showPreview();
    QCOMPARE(savedRows, 1);
    QCOMPARE(testing::checksOf(state.resultlist), QList<bool>({true, false}));
}

QTEST_MAIN(PreviewDialogTest)
#include "tst_previewdialog.moc"

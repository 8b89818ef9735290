// From the Quick Start Wizard to the trash: the wizard's paths and accuracy,
// the scan, the comparison, the selection assistant and the Delete files
// dialog, each on the real engine and the real file system.

#include "../fileops/fixtures.h"
#include "compare/comparecontroller.h"
#include "compare/grouping.h"
#include "opsharness.h"
#include "platform/filename.h"
#include "scan/scancontroller.h"
#include "temptree.h"
#include "ui/deletefilesdialog.h"
#include "ui/selectfilesdialog.h"
#include "ui/wizarddialog.h"

#include <QPushButton>
#include <QtTest>

using namespace quillfen;
using namespace quillfen::ui;
using namespace Qt::StringLiterals;

namespace {

QByteArray content(char fill, qsizetype size, char last = 0) {
    QByteArray bytes(size, fill);
    if (last)
        bytes[size - 1] = last;
    return bytes;
}

} // namespace

class EndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void wizardScanCompareSelectAndTrash();

private:
    testing::TempTree m_dataHome;
};

void EndToEndTest::initTestCase() {
    qputenv("XDG_DATA_HOME", platform::encodeFileName(m_dataHome.root()));
}

void EndToEndTest::wizardScanCompareSelectAndTrash() {
    // Three copies of one file, two of another, a file of the same size as
    // those two with other contents, and two small copies below 10 kB.
    testing::TempTree tree;
    tree.writeFile(u"music/a.mp3"_s, content('a', 20000));
    tree.writeFile(u"backup/music/a copy.mp3"_s, content('a', 20000));
    tree.writeFile(u"old/a (1).mp3"_s, content('a', 20000));
    tree.writeFile(u"docs/b.pdf"_s, content('b', 30000));
    tree.writeFile(u"mail/b-attachment.pdf"_s, content('b', 30000));
    tree.writeFile(u"mail/c.pdf"_s, content('b', 30000, 'c'));
    tree.writeFile(u"small/s1.txt"_s, content('s', 500));
    tree.writeFile(u"small/s2.txt"_s, content('s', 500));
    tree.setModified(u"music/a.mp3"_s, 1400000000); // the oldest copy of a
    tree.setModified(u"backup/music/a copy.mp3"_s, 1500000000);
    tree.setModified(u"old/a (1).mp3"_s, 1600000000);
    tree.setModified(u"docs/b.pdf"_s, 1600000000);
    tree.setModified(u"mail/b-attachment.pdf"_s, 1300000000); // the oldest copy of b

    AppState state;
    DriveRow fixed;
    fixed.drive.root = tree.root();
    fixed.drive.fixed = true;
    DriveRow removable;
    removable.drive.root = u"/media/quillfen-test-usb/"_s;
    state.scanpaths.drivelist = {fixed, removable};

    testing::HostWindow window(state);
    ScanController scan(state, window);
    scan.setGrouping([&] { groupFreshList(state, window); });
    CompareController compare(state, window);
    window.onStart = [&] { scan.starter(); };
    window.onComparison = [&] { compare.start(); };
    window.show();

    testing::whenShown<WizardDialog>([](WizardDialog* wizard) {
        for (int page = 0; page < 4; ++page) // Next, Next, Next, Finish
            QTest::mouseClick(wizard->findChild<QPushButton*>(u"next1"_s), Qt::LeftButton);
    });
    bool assistantRan = false;
    testing::whenShown<SelectFilesDialog>(
        [&](SelectFilesDialog* dialog) {
            QTest::mouseClick(dialog->findChild<QPushButton*>(u"Command1"_s), Qt::LeftButton);
            assistantRan = !dialog->isVisible();
        },
        3000);
    window.host.showWizard();
    QCOMPARE(window.starts, 1);
    QCOMPARE(state.compareplan.codes(), u"23"_s);
    QTRY_VERIFY_WITH_TIMEOUT(assistantRan, 30000);
    QVERIFY(!scan.isScanning() && !compare.isRunning());

    // Two groups of definite duplicates; all but the oldest of each checked.
    QCOMPARE(state.labeldef1, u"5"_s);
    QStringList checked;
    QStringList kept;
    for (const ResultEntry& entry : state.resultlist) {
        if (!entry.isSeparator())
            (entry.checked ? checked : kept) << entry.fullPath().mid(tree.root().size());
    }
    checked.sort();
    kept.sort();
    QCOMPARE(checked,
             QStringList({u"backup/music/a copy.mp3"_s, u"docs/b.pdf"_s, u"old/a (1).mp3"_s}));
    QCOMPARE(kept, QStringList({u"mail/b-attachment.pdf"_s, u"music/a.mp3"_s}));
    QVERIFY(window.boxes.shown.last().text == u"3 file(s) have been selected!"_s);

    // Delete files, "Move to recycle bin", confirmed.
    testing::whenShown<DeleteFilesDialog>([&](DeleteFilesDialog* dialog) {
        window.boxes.answer(MessageAnswer::Ok);
        QTest::mouseClick(dialog->findChild<QPushButton*>(u"Command1"_s), Qt::LeftButton);
    });
    window.host.showDeleteFiles();
    QTRY_VERIFY_WITH_TIMEOUT(!window.runner.isRunning(), 30000);
    QTRY_COMPARE(window.boxes.shown.last().text, u"3 files have been moved to the recycle bin."_s);

    // The trash holds exactly the checked files; every group kept a file.
    QCOMPARE(fixtures::names(m_dataHome.path(u"Trash/files"_s)),
             QSet<QByteArray>({"a copy.mp3", "b.pdf", "a (1).mp3"}));
    QCOMPARE(fixtures::readAll(m_dataHome.path(u"Trash/files/a copy.mp3"_s)), content('a', 20000));
    for (const QString& stays : {u"music/a.mp3"_s, u"mail/b-attachment.pdf"_s, u"mail/c.pdf"_s,
                                 u"small/s1.txt"_s, u"small/s2.txt"_s})
        QVERIFY2(fixtures::exists(tree.path(stays)), qPrintable(stays));
    for (const QString& gone : checked)
        QVERIFY2(!fixtures::exists(tree.path(gone)), qPrintable(gone));
    // Each group has one file left, so no group is left in the list.
    QVERIFY(state.resultlist.empty());
    QCOMPARE(window.model->rowCount(), 0);
}

QTEST_MAIN(EndToEndTest)
#include "tst_endtoend.moc"

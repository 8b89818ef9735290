#include "opsharness.h"
#include "results/filecommands.h"
#include "ui/aboutdialog.h"
#include "ui/comparedialog.h"
#include "ui/controls.h"
#include "ui/deletefilesdialog.h"
#include "ui/errorlogdialog.h"
#include "ui/exportreportdialog.h"
#include "ui/filepropertiesdialog.h"
#include "ui/movefilesdialog.h"
#include "ui/previewdialog.h"
#include "ui/scanpathsdialog.h"
#include "ui/selectfilesdialog.h"
#include "ui/settingsdialog.h"
#include "ui/settingspreviewdialog.h"
#include "ui/versionhistorydialog.h"
#include "ui/wizarddialog.h"

#include <QAbstractButton>
#include <QLabel>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

using namespace quillfen;
using namespace quillfen::ui;
using namespace Qt::StringLiterals;

class DialogControlsTest : public QObject {
    Q_OBJECT
private slots:
    void everyControlHasANameAndATip();
    void everyDialogIsFramedModalAndOwned();
    void pointerOverTheListIsReported();
};

namespace {

std::vector<std::unique_ptr<FramedDialog>> allDialogs(AppState& state,
                                                      testing::HostWindow& window) {
    std::vector<std::unique_ptr<FramedDialog>> dialogs;
    dialogs.push_back(std::make_unique<DeleteFilesDialog>(state, window, window.runner, &window));
    dialogs.push_back(
        std::make_unique<MoveFilesDialog>(state, window, window.choosers, window.runner, &window));
    dialogs.push_back(std::make_unique<ErrorLogDialog>(state, &window));
    dialogs.push_back(std::make_unique<PreviewDialog>(state, window, &window));
    dialogs.push_back(std::make_unique<SelectFilesDialog>(state, window, window.choosers, &window));
    dialogs.push_back(std::make_unique<ExportReportDialog>(state, window, window.choosers,
                                                           window.runner, &window));
    dialogs.push_back(std::make_unique<WizardDialog>(state, std::function<void()>{}, &window));
    dialogs.push_back(std::make_unique<FilePropertiesDialog>(FileProperties{}, &window));
    dialogs.push_back(
        std::make_unique<ScanPathsDialog>(state, window.boxes, window.choosers, &window));
    dialogs.push_back(
        std::make_unique<SettingsDialog>(state, window.boxes, window.choosers, &window));
    dialogs.push_back(std::make_unique<SettingsPreviewDialog>(
        state, window.boxes, std::function<void()>{}, std::function<void(int)>{}, &window));
    dialogs.push_back(std::make_unique<CompareDialog>(state, window, &window));
    dialogs.push_back(std::make_unique<AboutDialog>(u"2.32"_s, &window));
    dialogs.push_back(std::make_unique<VersionHistoryDialog>(&window));
    return dialogs;
}

} // namespace

void DialogControlsTest::everyControlHasANameAndATip() {
    AppState state;
    testing::HostWindow window(state);
    for (const auto& dialog : allDialogs(state, window)) {
        dialog->show();
        testing::verifyNamesAndTips(dialog.get());
    }
}

void DialogControlsTest::everyDialogIsFramedModalAndOwned() {
    AppState state;
    testing::HostWindow window(state);
    for (const auto& dialog : allDialogs(state, window)) {
        QVERIFY(dialog->windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(dialog->isModal());
        QCOMPARE(dialog->parentWidget(), &window);
        QCOMPARE(dialog->titleLabel()->text(), dialog->windowTitle());
        QVERIFY(dialog->findChild<QLabel*>(u"leftedge"_s));
    }
    QCOMPARE(plainCaption(u"Cl&ear"_s), u"Clear"_s);
    QCOMPARE(plainCaption(u"Salt && pepper"_s), u"Salt & pepper"_s);
}

void DialogControlsTest::pointerOverTheListIsReported() {
    AppState state;
    testing::HostWindow window(state);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy moved(window.commands, &ResultListCommands::pointerMoved);
    window.view->viewport()->setCursor(Qt::WaitCursor);
    QTest::mouseMove(window.view->viewport(), QPoint(30, 30));
    QTest::mouseMove(window.view->viewport(), QPoint(60, 50));
    QTRY_VERIFY(moved.count() >= 1);
    QVERIFY(!window.view->viewport()->testAttribute(Qt::WA_SetCursor));
}

QTEST_MAIN(DialogControlsTest)
#include "tst_dialogcontrols.moc"

#include "opsharness.h"
#include "results/filecommands.h"
#include "ui/controls.h"
#include "ui/deletefilesdialog.h"
#include "ui/errorlogdialog.h"
#include "ui/exportreportdialog.h"
#include "ui/filepropertiesdialog.h"
#include "ui/movefilesdialog.h"
#include "ui/previewdialog.h"
#include "ui/selectfilesdialog.h"
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
    dialogs.push_back(std::make_unique<DeleteFilesDialog>(state, window, nullptr, &window));
    dialogs.push_back(
        std::make_unique<MoveFilesDialog>(state, window, window.choosers, nullptr, &window));
    dialogs.push_back(std::make_unique<ErrorLogDialog>(state, &window));
    dialogs.push_back(std::make_unique<PreviewDialog>(state, window, &window));
    dialogs.push_back(std::make_unique<SelectFilesDialog>(state, window, window.choosers, &window));
    dialogs.push_back(
        std::make_unique<ExportReportDialog>(state, window, window.choosers, nullptr, &window));
    dialogs.push_back(std::make_unique<WizardDialog>(state, std::function<void()>{}, &window));
    dialogs.push_back(std::make_unique<FilePropertiesDialog>(FileProperties{}, &window));
    return dialogs;
}

} // namespace

void DialogControlsTest::everyControlHasANameAndATip() {
    AppState state;
    testing::HostWindow window(state);
    for (const auto& dialog : allDialogs(state, window)) {
        dialog->show();
        for (QWidget* widget : dialog->findChildren<QWidget*>()) {
            // Qt's own parts of views and boxes are named by Qt.
            QWidget* parent = widget->parentWidget();
            if (widget->objectName().startsWith(u"qt_"_s) ||
                (parent &&
                 (parent->inherits("QAbstractScrollArea") || parent->inherits("QComboBox"))) ||
                widget->inherits("QHeaderView") || widget->inherits("QScrollBar"))
                continue;
            // The frame's own parts are checked with the frame.
            if (widget->objectName() == u"titlebar"_s || widget->objectName() == u"body"_s)
                continue;
            const QString where = dialog->objectName() + u": "_s + widget->objectName() + u" ("_s +
                                  QString::fromLatin1(widget->metaObject()->className()) + u')';
            QVERIFY2(!widget->objectName().isEmpty(), qPrintable(where));
            auto* label = qobject_cast<QLabel*>(widget);
            QVERIFY2(!widget->accessibleName().isEmpty() || (label && !label->text().isEmpty()) ||
                         (label && !label->pixmap().isNull()),
                     qPrintable(where));
            // Containers and texts need no tooltip; controls do.
            const bool container = QByteArray(widget->metaObject()->className()) == "QWidget" ||
                                   widget->inherits("QStackedWidget") ||
                                   widget->inherits("QGroupBox") || label;
            QVERIFY2(container || !widget->toolTip().isEmpty(), qPrintable(where));
            if (auto* button = qobject_cast<QAbstractButton*>(widget))
                QCOMPARE(button->accessibleName(), plainCaption(button->text()));
        }
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

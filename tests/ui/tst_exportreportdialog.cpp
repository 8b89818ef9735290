#include "../fileops/fixtures.h"
#include "opsharness.h"
#include "resultrows.h"
#include "temptree.h"
#include "ui/exportreportdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace quillfen;
using namespace quillfen::ui;
using namespace Qt::StringLiterals;
using testing::child;

namespace {

ResultEntry file(const QString& folder, const QString& name, qint64 size, bool checked) {
    return testing::resultFile(folder, name, size, checked);
}

ResultList rows() {
    return {file(u"/a/"_s, u"x.txt"_s, 2500000, true), file(u"/b/"_s, u"x.txt"_s, 2500000, false),
            ResultEntry::separator(), file(u"/a/"_s, u"<y>&.txt"_s, 10, true),
            file(u"/b/"_s, u"<y>&.txt"_s, 10, false)};
}

QPushButton* exportButton(QWidget* dialog) {
    return child<QPushButton>(dialog, u"Command2"_s);
}

} // namespace

class ExportReportDialogTest : public QObject {
    Q_OBJECT
private slots:
    void defaultsAndTheSeparatorList();
    void browseOffersTheFormatsFilter();
    void emptyPathIsRefused();
    void existingFileIsKeptUnlessOverwriteIsConfirmed();
    void textReportWithTheChosenSeparator();
    void hostKeepsTheSettingsAndWritesOnTheWorkerThread();
    void failedWriteShowsTheDialogAgain();
};

void ExportReportDialogTest::defaultsAndTheSeparatorList() {
    AppState state;
    testing::HostWindow window(state);
    ExportReportDialog dialog(state, window, window.choosers, window.runner, &window);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), u"Export Report"_s);
    QCOMPARE(child<QLabel>(&dialog, u"Label1"_s)->text(), u"Export report"_s);
    QVERIFY(child<QLineEdit>(&dialog, u"Text1"_s)->text().isEmpty());
    QVERIFY(child<QRadioButton>(&dialog, u"Option2"_s)->isChecked()); // "HTML file"
    QCOMPARE(child<QRadioButton>(&dialog, u"Option1"_s)->text(), u"Text file"_s);
    QVERIFY(!child<QCheckBox>(&dialog, u"Check1"_s)->isChecked());
    QCOMPARE(child<QCheckBox>(&dialog, u"Check1"_s)->text(), u"Only save the path"_s);
    QVERIFY(!child<QCheckBox>(&dialog, u"Check2"_s)->isChecked());
    QCOMPARE(child<QCheckBox>(&dialog, u"Check2"_s)->text(),
             u"Export all entries, not only the checked ones"_s);
    auto* separator = child<QComboBox>(&dialog, u"Combo1"_s);
    auto* label = child<QLabel>(&dialog, u"Label3"_s);
    QCOMPARE(label->text(), u"Separate the fields with"_s);
    QCOMPARE(separator->count(), 2);
    QCOMPARE(separator->itemText(0), u"|"_s);
    QCOMPARE(separator->itemText(1), u"*"_s);
    QCOMPARE(separator->currentText(), u"|"_s);
    QVERIFY(!separator->isVisible() && !label->isVisible());

    QTest::mouseClick(child<QRadioButton>(&dialog, u"Option1"_s), Qt::LeftButton);
    QVERIFY(separator->isVisible() && label->isVisible());
    QTest::mouseClick(child<QRadioButton>(&dialog, u"Option2"_s), Qt::LeftButton);
    QVERIFY(!separator->isVisible() && !label->isVisible());
}

void ExportReportDialogTest::browseOffersTheFormatsFilter() {
    AppState state;
    testing::HostWindow window(state);
    ExportReportDialog dialog(state, window, window.choosers, window.runner, &window);
    dialog.show();
    auto* path = child<QLineEdit>(&dialog, u"Text1"_s);
    auto* browse = child<QPushButton>(&dialog, u"Command1"_s);
    window.choosers.answers = {u"/tmp/report.html"_s, QString(), u"/tmp/report.txt"_s};
    QTest::mouseClick(browse, Qt::LeftButton);
    QCOMPARE(window.choosers.asked[0].kind, u"save"_s);
    QCOMPARE(window.choosers.asked[0].filter, u"HTML Files (*.html);;All files (*)"_s);
    QCOMPARE(path->text(), u"/tmp/report.html"_s);
    QCOMPARE(path->cursorPosition(), int(path->text().size()));
    QTest::mouseClick(browse, Qt::LeftButton); // cancelled: the path stays
    QCOMPARE(path->text(), u"/tmp/report.html"_s);
    QTest::mouseClick(child<QRadioButton>(&dialog, u"Option1"_s), Qt::LeftButton);
    QTest::mouseClick(browse, Qt::LeftButton);
    QCOMPARE(window.choosers.asked[2].filter, u"Text Files (*.txt);;All files (*)"_s);
    QCOMPARE(path->text(), u"/tmp/report.txt"_s);
}

void ExportReportDialogTest::emptyPathIsRefused() {
    AppState state;
    state.resultlist = rows();
    testing::HostWindow window(state);
    ExportReportDialog dialog(state, window, window.choosers, window.runner, &window);
    dialog.show();
    QTest::mouseClick(exportButton(&dialog), Qt::LeftButton);
    QCOMPARE(window.boxes.shown.size(), 1);
    QCOMPARE(window.boxes.shown[0].text, u"You must select a file to export to!"_s);
    QCOMPARE(window.boxes.shown[0].icon, MessageIcon::Exclamation);
    QVERIFY(dialog.isVisible());
}

void ExportReportDialogTest::existingFileIsKeptUnlessOverwriteIsConfirmed() {
    testing::TempTree tree;
    const QString target = tree.writeFile(u"report.html"_s, "keep me");
    AppState state;
    state.resultlist = rows();
    testing::HostWindow window(state);
    ExportReportDialog dialog(state, window, window.choosers, window.runner, &window);
    dialog.show();
    child<QLineEdit>(&dialog, u"Text1"_s)->setText(target);
    QTest::mouseClick(exportButton(&dialog), Qt::LeftButton); // the default answer: No
    QCOMPARE(window.boxes.shown.size(), 1);
    QCOMPARE(window.boxes.shown[0].text,
             u"This file allready exists, would you like to overwrite it?"_s);
    QCOMPARE(window.boxes.shown[0].buttons, MessageButtons::YesNo);
    QCOMPARE(window.boxes.shown[0].defaultButton, MessageAnswer::No);
    QCOMPARE(window.boxes.shown[0].icon, MessageIcon::Information);
    QCOMPARE(fixtures::readAll(target), QByteArray("keep me"));
    QVERIFY(dialog.isVisible());

    window.boxes.answer(MessageAnswer::Yes);
    QSignalSpy written(&window.runner, &JobRunner::finished);
    QTest::mouseClick(exportButton(&dialog), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QVERIFY(written.wait());
    QCOMPARE(window.boxes.shown.last().text, u"2 entries have been successfully exported."_s);
    const QByteArray html = fixtures::readAll(target);
    QVERIFY(html.contains("<title>Quillfen - Report</title>\r\n"));
    // The names are shown as they are, not read as markup.
    QVERIFY(html.contains("&lt;y&gt;&amp;.txt"));
    QVERIFY(!html.contains("/b/"));
}

void ExportReportDialogTest::textReportWithTheChosenSeparator() {
    testing::TempTree tree;
    AppState state;
    state.resultlist = rows();
    testing::HostWindow window(state);
    ExportReportDialog dialog(state, window, window.choosers, window.runner, &window);
    dialog.show();
    child<QLineEdit>(&dialog, u"Text1"_s)->setText(tree.path(u"report.txt"_s));
    QTest::mouseClick(child<QRadioButton>(&dialog, u"Option1"_s), Qt::LeftButton);
    child<QComboBox>(&dialog, u"Combo1"_s)->setCurrentIndex(1);
    testing::clickIndicator(child<QCheckBox>(&dialog, u"Check2"_s));
    QSignalSpy written(&window.runner, &JobRunner::finished);
    QTest::mouseClick(exportButton(&dialog), Qt::LeftButton);
    QVERIFY(written.wait());
    const QByteArray date = state.resultlist[0].filedateText().toUtf8();
    QCOMPARE(fixtures::readAll(tree.path(u"report.txt"_s)),
             "x.txt*2.5*2500000*" + date + "*/a/\r\n" + "x.txt*2.5*2500000*" + date + "*/b/\r\n" +
                 "<y>&.txt*0.01*10*" + date + "*/a/\r\n" + "<y>&.txt*0.01*10*" + date + "*/b/\r\n");
    QCOMPARE(window.boxes.shown.last().text, u"4 entries have been successfully exported."_s);
    QVERIFY(!state.exportsettings.html);
    QCOMPARE(state.exportsettings.separator, u"*"_s);
}

void ExportReportDialogTest::hostKeepsTheSettingsAndWritesOnTheWorkerThread() {
    testing::TempTree tree;
    AppState state;
    state.resultlist = rows();
    testing::HostWindow window(state);
    window.show();
    bool hiddenWhileWriting = false;
    testing::whenShown<ExportReportDialog>([&](ExportReportDialog* dialog) {
        child<QLineEdit>(dialog, u"Text1"_s)->setText(tree.path(u"paths.html"_s));
        testing::clickIndicator(child<QCheckBox>(dialog, u"Check1"_s));
        QTest::mouseClick(exportButton(dialog), Qt::LeftButton);
        hiddenWhileWriting = !dialog->isVisible();
    });
    window.host.showExportReport();
    auto* shown = window.findChild<ExportReportDialog*>();
    QTRY_VERIFY(!shown->exportRunning());
    QVERIFY(hiddenWhileWriting);
    QVERIFY(!shown->isVisible());
    QCOMPARE(window.events, QStringList({u"busy"_s, u"idle"_s}));
    QCOMPARE(window.boxes.shown.last().text, u"2 entries have been successfully exported."_s);
    const QByteArray html = fixtures::readAll(tree.path(u"paths.html"_s));
    QVERIFY(html.contains(">/a/x.txt</font></td></tr>\r\n"));
    QVERIFY(html.contains(">File</font></td>\r\n"));

    // Shown again: the same path and choices.
    QString path;
    bool onlyPath = false;
    testing::whenShown<ExportReportDialog>([&](ExportReportDialog* dialog) {
        path = child<QLineEdit>(dialog, u"Text1"_s)->text();
        onlyPath = child<QCheckBox>(dialog, u"Check1"_s)->isChecked();
        QTest::mouseClick(child<QPushButton>(dialog, u"Command3"_s), Qt::LeftButton);
    });
    window.host.showExportReport();
    QCOMPARE(path, tree.path(u"paths.html"_s));
    QVERIFY(onlyPath);
}

void ExportReportDialogTest::failedWriteShowsTheDialogAgain() {
    testing::TempTree tree;
    AppState state;
    state.resultlist = rows();
    testing::HostWindow window(state);
    window.show();
    int openings = 0;
    std::function<void(ExportReportDialog*)> act = [&](ExportReportDialog* dialog) {
        if (++openings == 1) {
            child<QLineEdit>(dialog, u"Text1"_s)->setText(tree.path(u"missing/report.html"_s));
            QTest::mouseClick(exportButton(dialog), Qt::LeftButton);
            testing::whenShown<ExportReportDialog>(act);
        } else {
            QTest::mouseClick(child<QPushButton>(dialog, u"Command3"_s), Qt::LeftButton);
        }
    };
    testing::whenShown<ExportReportDialog>(act);
    window.host.showExportReport();
    auto* shown = window.findChild<ExportReportDialog*>();
    QTRY_VERIFY(!shown->exportRunning() && !shown->isVisible());
    QCOMPARE(openings, 2);
    QCOMPARE(window.boxes.shown.size(), 1);
    QVERIFY(window.boxes.shown[0].text.startsWith(
        u"The report could not be written to the file:\r\n"_s +
        tree.path(u"missing/report.html"_s)));
    QCOMPARE(window.boxes.shown[0].icon, MessageIcon::Critical);
}

QTEST_MAIN(ExportReportDialogTest)
#include "tst_exportreportdialog.moc"

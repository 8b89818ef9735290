// The about box, the version history, the help page and the message boxes
// of the main window.

#include "addressrecorder.h"
#include "ui/aboutdialog.h"
#include "ui/helppage.h"
#include "ui/textlink.h"
#include "ui/versionhistorydialog.h"
#include "ui/widgetmessageboxes.h"
#include "windowfixture.h"

#include <QDate>
#include <QMessageBox>
#include <QtTest>

using namespace quillfen;
using namespace quillfen::ui;
using namespace quillfen::testing;
using namespace Qt::StringLiterals;

class InfoBoxesTest : public QObject {
    Q_OBJECT
private slots:
    void aboutBoxShortensItsNoticeOncePerLoad();
    void aboutBoxLinksOpenHomepageAndMail();
    void closingLineBreakOnly();
    void versionHistoryNewestFirst();
    void versionHistoryBoxIsUnloadedByDone();
    void helpPageInstalledOrInTheSourceTree();
    void helpPageNamesTheSupportAddress();
    void okCancelQuestionsCanBeDeclined();
};

void InfoBoxesTest::aboutBoxShortensItsNoticeOncePerLoad() {
    Window w;
    QPointer<AboutDialog> first;
    QStringList notices;
    ModalWatch watch([&](QWidget* box) {
        auto* about = qobject_cast<AboutDialog*>(box);
        QVERIFY(about);
        if (!first)
            first = about;
        notices << about->legalText()->toPlainText();
        QTest::mouseClick(about->doneButton(), Qt::LeftButton);
    });
    w.window.dialogHost().showAbout();
    w.window.dialogHost().showAbout();
    QCOMPARE(watch.titles, (QStringList{u"About this program.."_s, u"About this program.."_s}));

    // "&Done" hid the box; the second opening showed the same one.
    QVERIFY(first);
    QVERIFY(!first->isVisible());
    QCOMPARE(w.window.findChildren<AboutDialog*>().size(), 1);
    const QString expected = legalnotice().chopped(2).replace(u"\r\n"_s, u"\n"_s);
    QCOMPARE(notices, (QStringList{expected, expected}));
    QVERIFY(legalnotice().endsWith(u"\r\n"_s));

    QCOMPARE(first->windowTitle(), u"About this program.."_s);
    QCOMPARE(first->versionLabel()->text(), programversion());
    QCOMPARE(first->findChild<QLabel*>(u"programname"_s)->text(), u"Quillfen"_s);
    QCOMPARE(first->findChild<QLabel*>(u"contacthint"_s)->text(),
             u"Feel free to contact us if you have any questions, comments or suggestions. All "
             "emails are read and replied to within 24-48 hours."_s);
    QCOMPARE(first->creditLabel()->text(), creditline(QDate::currentDate().year()));
    QVERIFY(first->creditLabel()->text().contains(QString::number(QDate::currentDate().year())));
    QCOMPARE(first->doneButton()->text(), u"&Done"_s);
    QVERIFY(first->legalText()->isReadOnly());
    QCOMPARE(first->windowIcon().cacheKey(), w.window.windowIcon().cacheKey());
    for (const QString& edge : {u"leftedge"_s, u"rightedge"_s, u"bottomedge"_s})
        QVERIFY(first->findChild<QLabel*>(edge));
}

void InfoBoxesTest::aboutBoxLinksOpenHomepageAndMail() {
    Window w;
    AddressRecorder addresses({u"file"_s, u"mailto"_s});
    ModalWatch watch([&](QWidget* box) {
        auto* about = qobject_cast<AboutDialog*>(box);
        QTest::mouseClick(about->homepageLink(), Qt::LeftButton);
        QTest::keyClick(about->mailLink(), Qt::Key_Space);
        about->hide();
    });
    w.window.dialogHost().showAbout();
    QCOMPARE(addresses.opened.size(), 2);
    QCOMPARE(addresses.opened[0], helpPageUrl());
    QVERIFY(QFileInfo(addresses.opened[0].toLocalFile()).isFile());
    QCOMPARE(addresses.opened[1], QUrl(u"mailto:support@quillfen.org"_s));
}

void InfoBoxesTest::closingLineBreakOnly() {
    QCOMPARE(chopclosinglinebreak(u"a\r\nb\r\n"_s), u"a\r\nb"_s);
    // Text without a closing line break keeps its last characters.
    QCOMPARE(chopclosinglinebreak(u"notice."_s), u"notice."_s);
    QCOMPARE(chopclosinglinebreak(u"x\n"_s), u"x\n"_s);
    QCOMPARE(chopclosinglinebreak(QString()), QString());
}

void InfoBoxesTest::versionHistoryNewestFirst() {
    const std::vector<Release> releases{
        {u"3.1"_s, {u"Second change"_s, u"Third"_s}}, {u"3.0"_s, {u"First"_s}}, {u"2.9"_s, {}}};
    QCOMPARE(versionhistorytext(releases), u"Version 3.1\n * Second change\n * Third\n\n"
                                           "Version 3.0\n * First\n\nVersion 2.9"_s);
    QCOMPARE(versionhistorytext({}), QString());

    // The program's own notes start with the version it is.
    const std::vector<Release> notes = releasenotes();
    QVERIFY(!notes.empty());
    AppState state;
    QCOMPARE(notes.front().version, state.appversion);
    for (const Release& release : notes)
        QVERIFY(!release.changes.isEmpty());
}

void InfoBoxesTest::versionHistoryBoxIsUnloadedByDone() {
    Window w;
    QPointer<VersionHistoryDialog> shown;
    QString text;
    QString hint;
    ModalWatch watch([&](QWidget* box) {
        shown = qobject_cast<VersionHistoryDialog*>(box);
        QVERIFY(shown);
        text = shown->historyText()->toPlainText();
        hint = shown->findChild<QLabel*>(u"historyhint"_s)->text();
        QCOMPARE(shown->doneButton()->text(), u"Done"_s);
        QVERIFY(shown->historyText()->isReadOnly());
        QTest::mouseClick(shown->doneButton(), Qt::LeftButton);
    });
    w.window.dialogHost().showVersionHistory();
    QCOMPARE(watch.titles, QStringList{u"Version history"_s});
    QVERIFY(!shown); // unloaded
    QCOMPARE(hint, u"This is what have changed in the history of the program"_s);
    QCOMPARE(text, versionhistorytext(releasenotes()));
    QVERIFY(text.startsWith(u"Version "_s + programversion() + u"\n * "_s));
}

void InfoBoxesTest::helpPageInstalledOrInTheSourceTree() {
    TempTree tree;
    tree.writeFile(u"installed/help.html"_s, 10, 'h');
    tree.writeFile(u"source/help.html"_s, 10, 'h');
    QVERIFY(QDir().mkpath(tree.path(u"folder/help.html"_s)));
    const QString missing = tree.path(u"nowhere/help.html"_s);
    const QString installed = tree.path(u"installed/help.html"_s);
    const QString source = tree.path(u"source/help.html"_s);
    QCOMPARE(findHelpPage({missing, installed, source}), installed);
    QCOMPARE(findHelpPage({missing, source, installed}), source);
    // A folder of that name is not the page.
    QCOMPARE(findHelpPage({tree.path(u"folder/help.html"_s), source}), source);
    QCOMPARE(findHelpPage({missing}), QString());

    // Beside an installed program first, then the install location, then
    // the source tree; the tests run from the build folder find the last.
    const QStringList candidates = helpPageCandidates();
    QCOMPARE(candidates.size(), 3);
    QVERIFY(candidates[0].endsWith(u"/share/doc/quillfen/help.html"_s));
    QVERIFY(candidates[1].endsWith(u"/share/doc/quillfen/help.html"_s));
    QVERIFY(candidates[2].endsWith(u"/docs/help.html"_s));
    QVERIFY(QFileInfo(candidates[2]).isFile());
    QVERIFY(helpPageUrl().isLocalFile());
    QVERIFY(QFileInfo(helpPageUrl().toLocalFile()).isFile());
}

void InfoBoxesTest::helpPageNamesTheSupportAddress() {
    QFile page(helpPageCandidates().constLast());
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());
    QVERIFY(html.contains(u"mailto:"_s + supportMailAddress()));
    // Every command of the bar is explained.
    for (const QString& command : {u"Paths"_s, u"Scan"_s, u"Stop"_s, u"Settings"_s, u"Compare"_s,
                                   u"Select"_s, u"Delete"_s, u"Move"_s, u"Export"_s, u"Support"_s})
        QVERIFY2(html.contains(u"<td>"_s + command + u"</td>"_s), qPrintable(command));
}

void InfoBoxesTest::okCancelQuestionsCanBeDeclined() {
    WidgetMessageBoxes boxes;
    QStringList buttons;
    QString defaultButton;
    ModalWatch watch([&](QWidget* widget) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        QVERIFY(box);
        buttons.clear();
        for (QAbstractButton* button : box->buttons())
            buttons << button->text();
        buttons.sort();
        defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    // Escape on an OK/Cancel question is Cancel, and Cancel is offered.
    QCOMPARE(boxes.ask(u"Delete?"_s, MessageIcon::Exclamation, MessageButtons::OkCancel,
                       MessageAnswer::Cancel),
             MessageAnswer::Cancel);
    QCOMPARE(buttons.size(), 2);
    QVERIFY(defaultButton.contains(u"Cancel"_s));
    QCOMPARE(boxes.ask(u"Stop?"_s, MessageIcon::Critical, MessageButtons::YesNo, MessageAnswer::No),
             MessageAnswer::No);
    QCOMPARE(buttons.size(), 2);
    QCOMPARE(boxes.ask(u"Done."_s, MessageIcon::Information, MessageButtons::Ok, MessageAnswer::Ok),
             MessageAnswer::Ok);
    QCOMPARE(buttons.size(), 1);
    QCOMPARE(watch.titles, (QStringList{u"Quillfen"_s, u"Quillfen"_s, u"Quillfen"_s}));
}

QTEST_MAIN(InfoBoxesTest)
#include "tst_infoboxes.moc"

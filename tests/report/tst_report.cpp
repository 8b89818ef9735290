#include "core/appstate.h"
#include "fakefrontend.h"
#include "platform/filename.h"
#include "platform/platform.h"
#include "report/report.h"
#include "temptree.h"

#include <QtTest>
#include <csignal>
#include <ctime>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace quillfen;
using namespace Qt::StringLiterals;

namespace {

const QByteArray kLink = "file:///usr/share/doc/quillfen/help.html";

const QByteArray kHeader = "<html>\r\n"
                           "<head>\r\n"
                           "<title>Quillfen - Report</title>\r\n"
                           "</head>\r\n"
                           "<body topmargin=\"100\" leftmargin=\"100\">\r\n"
                           "\r\n"
                           "<h3><font face=\"Tahoma\">Quillfen - Report</font></h3>\r\n";

const QByteArray kWideHeader =
    kHeader +
    "<table border=\"0\" cellpadding=\"5\" cellspacing=\"1\" style=\"border-collapse: collapse\" "
    "bordercolor=\"#111111\" id=\"AutoNumber1\" bgcolor=\"#D0D7E1\">\r\n"
    "  <tr>\r\n"
    "    <td width=\"200\" bgcolor=\"#5571A4\">\r\n"
    "    <font face=\"Tahoma\" style=\"font-size: 8pt\" color=\"#FFFFFF\">Filename</font></td>\r\n"
    "    <td width=\"150\" bgcolor=\"#5571A4\">\r\n"
    "    <font face=\"Tahoma\" style=\"font-size: 8pt\" color=\"#FFFFFF\">Size "
    "(MBytes)</font></td>\r\n"
    "    <td width=\"150\" bgcolor=\"#5571A4\">\r\n"
    "    <font face=\"Tahoma\" style=\"font-size: 8pt\" color=\"#FFFFFF\">Size "
    "(Byte)</font></td>\r\n"
    "    <td width=\"200\" bgcolor=\"#5571A4\">\r\n"
    "    <font face=\"Tahoma\" style=\"font-size: 8pt\" color=\"#FFFFFF\">File Date</font></td>\r\n"
    "    <td width=\"400\" bgcolor=\"#5571A4\">\r\n"
    "    <font face=\"Tahoma\" style=\"font-size: 8pt\" color=\"#FFFFFF\">Path</font></td>\r\n"
    "  </tr>\r\n";

const QByteArray kNarrowHeader =
    kHeader +
    "<table border=\"0\" cellpadding=\"5\" cellspacing=\"1\" style=\"border-collapse: collapse\" "
    "bordercolor=\"#111111\" id=\"AutoNumber1\" bgcolor=\"#D0D7E1\" width=\"100%\">\r\n"
    "  <tr>\r\n"
    "    <td bgcolor=\"#5571A4\">\r\n"
    "    <font face=\"Tahoma\" style=\"font-size: 8pt\" color=\"#FFFFFF\">File</font></td>\r\n"
    "  </tr>\r\n";

const QByteArray kFooter = "</table>\r\n"
                           "<p><br>\r\n"
                           "<font face=\"Tahoma\" size=\"2\">\r\n"
                           "<a href=\"" +
                           kLink +
                           "\">Quillfen</a></font><br>\r\n"
                           "<font face=\"Tahoma\" size=\"2\">" +
                           kLink +
                           "</font></p>\r\n"
                           "</body>\r\n"
                           "</html>\r\n";

const QByteArray kBom = "\xEF\xBB\xBF";
const QByteArray kSeparatorLine = "<tr><td height=5 bgcolor=\"#D9E0F2\"><font face=\"Tahoma\" "
                                  "style=\"font-size: 8pt\"> </font></td></tr>\r\n";

QByteArray cell(int width, const QByteArray& value) {
    return "<td width=\"" + QByteArray::number(width) +
           "\" bgcolor=\"#FFFFFF\"><font face=\"Tahoma\" style=\"font-size: 8pt\">" + value +
           "</font></td>";
}

QByteArray wideLine(const QByteArray& name, const QByteArray& mb, const QByteArray& bytes,
                    const QByteArray& date, const QByteArray& folder) {
    return "<tr>" + cell(200, name) + cell(150, mb) + cell(150, bytes) + cell(200, date) +
           cell(400, folder) + "   </tr>\r\n";
}

QByteArray narrowLine(const QByteArray& path) {
    return "<tr><td bgcolor=\"#FFFFFF\"><font face=\"Tahoma\" style=\"font-size: 8pt\">" + path +
           "</font></td></tr>\r\n";
}

ResultEntry entry(const QString& path, const QString& name, qint64 size, bool checked) {
    ResultEntry row;
    row.path = path;
    row.filename = name;
    row.size = size;
    row.mtime = 1234567890; // 13/02/2009 23:31:30 UTC
    row.dateform = DateForm::Scan;
    row.checked = checked;
    return row;
}

ResultList sample() {
    return {entry(u"/data/"_s, u"a.txt"_s, 1234567, true),
            entry(u"/backup/"_s, u"a.txt"_s, 1234567, false), ResultEntry::separator(),
            entry(u"/data/"_s, u"b.bin"_s, 2500000, false),
            entry(u"/old/"_s, u"b.bin"_s, 2500000, true)};
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class ReportTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void htmlReportLineForLine();
    void textReports();
    void allEntriesWriteSeparatorRows();
    void nothingCheckedStillWritesTheFrame();
    void valuesAreEscapedInHtmlOnly();
    void namesKeepTheirCharacters();
    void exportAsksBeforeOverwriting();
    void unwritableReportsAreRefusedWithTheirReason();
    void fullDiskLeavesTheOldReport();
    void exportRunsOnTheWorkerThreadAndStops();
    void chosenNamesGetTheReportsExtension();
};

void ReportTest::initTestCase() {
    qputenv("TZ", "UTC");
    ::tzset();
    QLocale::setDefault(QLocale::c());
}

void ReportTest::htmlReportLineForLine() {
    ExportSettings settings; // HTML, all columns, checked entries only
    qint64 count = -1;
    const QByteArray html = reportcontent(sample(), settings, QString::fromLatin1(kLink), &count);
    QCOMPARE(count, 2);
    QCOMPARE(html, kBom + kWideHeader + "\r\n" +
                       wideLine("a.txt", "1.23", "1234567", "13/02/2009 23:31:30", "/data/") +
                       wideLine("b.bin", "2.5", "2500000", "13/02/2009 23:31:30", "/old/") +
                       kFooter + "\r\n");

    settings.onlypath = true;
    QCOMPARE(reportcontent(sample(), settings, QString::fromLatin1(kLink)),
             kBom + kNarrowHeader + "\r\n" + narrowLine("/data/a.txt") + narrowLine("/old/b.bin") +
                 kFooter + "\r\n");

    // The header blocks alone: 20 and 12 lines, each ending in CR LF.
    QCOMPARE(reportheader(false).toLatin1(), kWideHeader);
    QCOMPARE(reportheader(false).count(u"\r\n"_s), 20);
    QCOMPARE(reportheader(true).count(u"\r\n"_s), 12);
    QCOMPARE(reportfooter(QString::fromLatin1(kLink)).count(u"\r\n"_s), 7);
    // Without a web address of its own the footer names the program and
    // links nothing: a report sent on must not point into the sender's disk.
    const QString plain = reportfooter(reportwebaddress());
    QCOMPARE(plain.count(u"\r\n"_s), 7);
    QVERIFY(!plain.contains(u"<a "_s) && !plain.contains(u"file:"_s));
    QVERIFY(plain.contains(u"Quillfen</font><br>"_s));
}

void ReportTest::textReports() {
    ExportSettings settings;
    settings.html = false;
    settings.separator = u"*"_s;
    QCOMPARE(reportcontent(sample(), settings, QString()),
             QByteArray("a.txt*1.23*1234567*13/02/2009 23:31:30*/data/\r\n"
                        "b.bin*2.5*2500000*13/02/2009 23:31:30*/old/\r\n"));
    settings.onlypath = true;
    QCOMPARE(reportcontent(sample(), settings, QString()),
             QByteArray("/data/a.txt\r\n/old/b.bin\r\n"));
    settings.allentries = true;
    QCOMPARE(reportcontent(sample(), settings, QString()),
             QByteArray("/data/a.txt\r\n/backup/a.txt\r\n/data/b.bin\r\n/old/b.bin\r\n"));
    QCOMPARE(ExportSettings::separators(), (QStringList{u"|"_s, u"*"_s}));
    QCOMPARE(ExportSettings().separator, u"|"_s);
}

void ReportTest::allEntriesWriteSeparatorRows() {
    ExportSettings settings;
    settings.allentries = true;
    settings.onlypath = true;
    qint64 count = 0;
    QCOMPARE(reportcontent(sample(), settings, QString::fromLatin1(kLink), &count),
             kBom + kNarrowHeader + "\r\n" + narrowLine("/data/a.txt") +
                 narrowLine("/backup/a.txt") + kSeparatorLine + narrowLine("/data/b.bin") +
                 narrowLine("/old/b.bin") + kFooter + "\r\n");
    QCOMPARE(count, 4);
}

void ReportTest::nothingCheckedStillWritesTheFrame() {
    ResultList list = sample();
    for (ResultEntry& row : list)
        row.checked = false;
    qint64 count = -1;
    QCOMPARE(reportcontent(list, ExportSettings(), QString::fromLatin1(kLink), &count),
             kBom + kWideHeader + "\r\n" + kFooter + "\r\n");
    QCOMPARE(count, 0);
}

void ReportTest::valuesAreEscapedInHtmlOnly() {
    const ResultList list = {entry(u"/x&y/"_s, u"<b>\"fish\" & chips.txt"_s, 10, true)};
    ExportSettings settings;
    QVERIFY(reportcontent(list, settings, QString::fromLatin1(kLink))
                .contains(wideLine("&lt;b&gt;&quot;fish&quot; &amp; chips.txt", "0.01", "10",
                                   "13/02/2009 23:31:30", "/x&amp;y/")));
    settings.onlypath = true;
    QVERIFY(reportcontent(list, settings, QString::fromLatin1(kLink))
                .contains(narrowLine("/x&amp;y/&lt;b&gt;&quot;fish&quot; &amp; chips.txt")));
    QVERIFY(reportcontent(list, settings, u"https://example.org/?a=1&b=\"2\""_s)
                .contains("<a href=\"https://example.org/?a=1&amp;b=&quot;2&quot;\">Quillfen</a>"));
    settings.html = false;
    QCOMPARE(reportcontent(list, settings, QString()),
             QByteArray("/x&y/<b>\"fish\" & chips.txt\r\n"));
}

void ReportTest::namesKeepTheirCharacters() {
    const QString odd = platform::decodeFileName(QByteArray("caf\xC3\xA9-\xFF.txt"));
    const ResultList list = {entry(u"/m\u00fcsik/"_s, odd, 10, true)};
    ExportSettings settings;
    settings.onlypath = true;
    const QByteArray html = reportcontent(list, settings, QString::fromLatin1(kLink));
    QVERIFY(html.startsWith(kBom + "<html>\r\n"));
    // UTF-8 in the page; the byte that is no UTF-8 shows as U+FFFD.
    QVERIFY(html.contains(narrowLine("/m\xC3\xBCsik/caf\xC3\xA9-\xEF\xBF\xBD.txt")));
    settings.html = false;
    // The text report keeps the name's own bytes.
    QCOMPARE(reportcontent(list, settings, QString()),
             QByteArray("/m\xC3\xBCsik/caf\xC3\xA9-\xFF.txt\r\n"));
}

void ReportTest::exportAsksBeforeOverwriting() {
    testing::TempTree tree;
    testing::FakeFrontend frontend;
    AppState state;
    state.resultlist = sample();

    QCOMPARE(exportreport(state, frontend, QString::fromLatin1(kLink)), ExportOutcome::NoPath);
    QCOMPARE(frontend.boxes.shown.last().text, u"You must select a file to export to!"_s);
    QCOMPARE(frontend.boxes.shown.last().icon, MessageIcon::Exclamation);

    // A folder of that name is no file to overwrite: nothing is asked, and
    // the report cannot be written there.
    state.exportsettings.path = tree.makeFolder(u"folder.html"_s);
    const qsizetype shownBefore = frontend.boxes.shown.size();
    QCOMPARE(exportreport(state, frontend, QString::fromLatin1(kLink)), ExportOutcome::Failed);
    QCOMPARE(frontend.boxes.shown.size(), shownBefore + 1);
    QVERIFY(frontend.boxes.shown.last().text.contains(state.exportsettings.path));

    state.exportsettings.path = tree.writeFile(u"report.html"_s, "keep me");
    QCOMPARE(exportreport(state, frontend, QString::fromLatin1(kLink)),
             ExportOutcome::NotOverwritten);
    const auto question = frontend.boxes.shown.last();
    QCOMPARE(question.text, u"This file allready exists, would you like to overwrite it?"_s);
    QCOMPARE(question.icon, MessageIcon::Information);
    QCOMPARE(question.buttons, MessageButtons::YesNo);
    QCOMPARE(question.defaultButton, MessageAnswer::No);
    QCOMPARE(readAll(state.exportsettings.path), QByteArray("keep me"));
    QVERIFY(frontend.events.isEmpty());

    frontend.boxes.answer(MessageAnswer::Yes);
    QCOMPARE(exportreport(state, frontend, QString::fromLatin1(kLink)), ExportOutcome::Exported);
    QCOMPARE(readAll(state.exportsettings.path),
             reportcontent(state.resultlist, state.exportsettings, QString::fromLatin1(kLink)));
    QCOMPARE(frontend.events, QStringList{u"close export"_s});
    QCOMPARE(frontend.boxes.shown.last().text, u"2 entries have been successfully exported."_s);
    QCOMPARE(frontend.boxes.shown.last().icon, MessageIcon::Information);

    // Through a link: the file it points at is replaced, the link stays.
    const QString target = tree.writeFile(u"real.txt"_s, "old");
    QVERIFY(QFile::link(target, tree.path(u"link.txt"_s)));
    state.exportsettings.path = tree.path(u"link.txt"_s);
    state.exportsettings.html = false;
    frontend.boxes.answer(MessageAnswer::Yes);
    QCOMPARE(exportreport(state, frontend, QString()), ExportOutcome::Exported);
    QCOMPARE(platform::fileInfo(tree.path(u"link.txt"_s)).type, platform::FileType::Symlink);
    QVERIFY(readAll(target).startsWith("a.txt|1.23|"));

    // A new file in a folder whose name is not UTF-8.
    const QString odd = platform::decodeFileName(platform::encodeFileName(tree.root()) + "d\xFF");
    QVERIFY(::mkdir(platform::encodeFileName(odd).constData(), 0755) == 0);
    state.exportsettings.path = odd + u"/r.txt"_s;
    QCOMPARE(exportreport(state, frontend, QString()), ExportOutcome::Exported);
    QCOMPARE(platform::fileLength(state.exportsettings.path),
             qint64(reportcontent(state.resultlist, state.exportsettings, QString()).size()));
}

void ReportTest::unwritableReportsAreRefusedWithTheirReason() {
    testing::TempTree tree;
    testing::FakeFrontend frontend;
    AppState state;
    state.resultlist = sample();

    state.exportsettings.path = tree.path(u"missing/report.html"_s);
    QCOMPARE(exportreport(state, frontend), ExportOutcome::Failed);
    auto shown = frontend.boxes.shown.last();
    QCOMPARE(shown.text, u"The report could not be written to the file:\r\n"_s +
                             state.exportsettings.path + u"\r\n\r\nNo such file or directory"_s);
    QCOMPARE(shown.icon, MessageIcon::Critical);
    QVERIFY(frontend.events.isEmpty()); // the dialog stays open

    const QString readOnly = tree.writeFile(u"ro.html"_s, "read only");
    ::chmod(platform::encodeFileName(readOnly).constData(), 0444);
    state.exportsettings.path = readOnly;
    frontend.boxes.answer(MessageAnswer::Yes);
    QCOMPARE(exportreport(state, frontend), ExportOutcome::Failed);
    QVERIFY(frontend.boxes.shown.last().text.endsWith(u"\r\n\r\nPermission denied"_s));
    QCOMPARE(readAll(readOnly), QByteArray("read only"));

    state.exportsettings.path = tree.makeFolder(u"folder.html"_s);
    frontend.boxes.answer(MessageAnswer::Yes);
    QCOMPARE(exportreport(state, frontend), ExportOutcome::Failed);
    QVERIFY(frontend.boxes.shown.last().text.endsWith(u"Is a directory"_s));
    QCOMPARE(QDir(tree.root()).entryList(QDir::Files | QDir::Hidden),
             QStringList{u"ro.html"_s}); // no temporary left behind
}

void ReportTest::fullDiskLeavesTheOldReport() {
    // A file-size limit fails the writes the way a full disk does.
    testing::TempTree tree;
    testing::FakeFrontend frontend;
    AppState state;
    for (int i = 0; i < 2000; ++i)
        state.resultlist.push_back(entry(u"/data/"_s, u"file%1.txt"_s.arg(i), 100, true));
    state.exportsettings.path = tree.writeFile(u"old.html"_s, "the old report");

    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
    frontend.boxes.answer(MessageAnswer::Yes);
    const ExportOutcome outcome = exportreport(state, frontend);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);

    QCOMPARE(outcome, ExportOutcome::Failed);
    QVERIFY(frontend.boxes.shown.last().text.endsWith(u"File too large"_s));
    QCOMPARE(readAll(state.exportsettings.path), QByteArray("the old report"));
    QCOMPARE(QDir(tree.root()).entryList(QDir::Files | QDir::Hidden), QStringList{u"old.html"_s});
}

void ReportTest::exportRunsOnTheWorkerThreadAndStops() {
    testing::TempTree tree;
    testing::FakeFrontend frontend;
    AppState state;
    state.resultlist = sample();
    state.exportsettings.path = tree.path(u"r.html"_s);
    JobRunner runner;
    QSignalSpy finished(&runner, &JobRunner::finished);
    QCOMPARE(startexportreport(state, frontend, runner, QString::fromLatin1(kLink)),
             ExportOutcome::Started);
    QVERIFY(frontend.busy);
    QVERIFY(finished.wait(10000));
    QVERIFY(!frontend.busy);
    QCOMPARE(readAll(state.exportsettings.path),
             reportcontent(state.resultlist, state.exportsettings, QString::fromLatin1(kLink)));
    QCOMPARE(frontend.events, (QStringList{u"busy"_s, u"idle"_s, u"close export"_s}));
    QCOMPARE(frontend.boxes.shown.last().text, u"2 entries have been successfully exported."_s);

    // Stop abandons the report and keeps the old one.
    ResultList big;
    for (int i = 0; i < 5000; ++i)
        big.push_back(entry(u"/d/"_s, u"f%1"_s.arg(i), 1, true));
    std::atomic<bool> stop{true};
    const ReportJobResult stopped =
        writereportfile(state.exportsettings.path, big, ExportSettings(), QString(), &stop);
    QVERIFY(stopped.stopped);
    QCOMPARE(readAll(state.exportsettings.path),
             reportcontent(state.resultlist, state.exportsettings, QString::fromLatin1(kLink)));
    QCOMPARE(QDir(tree.root()).entryList(QDir::Files | QDir::Hidden), QStringList{u"r.html"_s});
}

void ReportTest::chosenNamesGetTheReportsExtension() {
    // A name typed in the save dialog without an extension gets the one of
    // the chosen kind; a name that has one keeps it.
    const struct {
        const char16_t* chosen;
        bool html;
        const char16_t* path;
    } cases[] = {{u"/home/alex/report", true, u"/home/alex/report.html"},
                 {u"/home/alex/report", false, u"/home/alex/report.txt"},
                 {u"/home/alex/report.htm", true, u"/home/alex/report.htm"},
                 {u"/home/alex/list.csv", false, u"/home/alex/list.csv"},
                 {u"/home/al.ex/report", false, u"/home/al.ex/report.txt"},
                 {u"/home/alex/.report", true, u"/home/alex/.report.html"},
                 {u"", true, u""}};
    for (const auto& c : cases)
        QCOMPARE(withreportextension(QString::fromUtf16(c.chosen), c.html),
                 QString::fromUtf16(c.path));
}

QTEST_GUILESS_MAIN(ReportTest)
#include "tst_report.moc"

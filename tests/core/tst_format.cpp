#include "core/format.h"
#include "core/resultlist.h"
#include "temptree.h"

#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace quillfen;
using namespace Qt::StringLiterals;

class FormatTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void roundingGoesToEven();
    void megabytes();
    void clock();
    void leadingNumbers();
    void columnTextsOfAnEntry();
    void countsOnlyNamedRows();
    void canreadfileOnlyForFiles();
};

void FormatTest::roundingGoesToEven() {
    QCOMPARE(roundHalfEven(1.5), 2.0);
    QCOMPARE(roundHalfEven(2.5), 2.0);
    QCOMPARE(roundHalfEven(-0.5), -0.0);
    QCOMPARE(roundHalfEven(0.125, 2), 0.12);
    QCOMPARE(roundHalfEven(0.135, 2), 0.14);
    QCOMPARE(roundHalfEven(2.675, 2), 2.68); // decimal half, although 2.675 is below it in binary
    QCOMPARE(roundHalfEven(1.234567, 2), 1.23);
    // Near-halves are not halves: one rounding, not two.
    QCOMPARE(roundHalfEven(0.014996, 2), 0.01);
    QCOMPARE(roundHalfEven(0.025004, 2), 0.03);
    QCOMPARE(roundHalfEven(12.3449996, 4), 12.345);
    QCOMPARE(roundHalfEven(-0.0150001, 2), -0.02);
    QCOMPARE(roundHalfEven(9.995, 2), 10.0);
}

void FormatTest::megabytes() {
    QCOMPARE(sizetomb(4999), 0.01);
    QCOMPARE(sizetomb(1234567), 1.23);
    QCOMPARE(sizetomb(0), 0.01);
    QCOMPARE(sizeMbText(2500000), u"2.5"_s);
    QCOMPARE(sizeMbText(1234567), u"1.23"_s);
    QCOMPARE(sizeMbText(4999), u"0.01"_s);
    QCOMPARE(sizeMbText(5000000), u"5"_s);
    QCOMPARE(sizeMbText(3LL * 1024 * 1024 * 1024), u"3221.23"_s);
    QCOMPARE(sizeMbText(15000), u"0.02"_s); // 0.015 goes to the even 0.02
    QCOMPARE(sizeMbText(25000), u"0.02"_s); // 0.025 goes to the even 0.02
    // Just below or above a half goes to the nearer side, never to the even one.
    const std::pair<qint64, double> nearHalves[] = {
        {14996, 0.01},   {15004, 0.02},         {25004, 0.03},
        {24996, 0.02},   {1234996, 1.23},       {1235000, 1.24},
        {1245000, 1.24}, {2999994996, 2999.99}, {2999995004, 3000.0}};
    for (const auto& [bytes, mb] : nearHalves)
        QCOMPARE(sizetomb(double(bytes)), mb);
}

void FormatTest::clock() {
    QCOMPARE(secondstoclock(0), u"00:00:00"_s);
    QCOMPARE(secondstoclock(59), u"00:00:59"_s);
    QCOMPARE(secondstoclock(60), u"00:01:00"_s);
    QCOMPARE(secondstoclock(3661), u"01:01:01"_s);
    QCOMPARE(secondstoclock(359999), u"99:59:59"_s);
    QCOMPARE(secondstoclock(360000), u"100:00:00"_s);
}

void FormatTest::leadingNumbers() {
    QCOMPARE(leadingNumber(u"10"), 10.0);
    QCOMPARE(leadingNumber(u"  12.5kB"), 12.5);
    QCOMPARE(leadingNumber(u"abc"), 0.0);
    QCOMPARE(leadingNumber(u""), 0.0);
    QCOMPARE(leadingNumber(u"-5"), -5.0);
    QCOMPARE(leadingNumber(u"5000000000"), 5000000000.0);
    QCOMPARE(leadingNumber(u"1.2.3"), 1.2);
}

void FormatTest::columnTextsOfAnEntry() {
    ResultEntry entry;
    entry.filename = u"a.txt"_s;
    entry.path = u"/data/"_s;
    entry.size = 1234567;
    entry.mtime = QDateTime(QDate(2024, 3, 9), QTime(7, 5, 3)).toSecsSinceEpoch();
    entry.dateform = DateForm::Scan;
    QCOMPARE(entry.fullPath(), u"/data/a.txt"_s);
    QCOMPARE(entry.sizembText(), u"1.23"_s);
    QCOMPARE(entry.sizebyteText(), u"1234567"_s);
    QCOMPARE(entry.filedateText(), u"09/03/2024 07:05:03"_s);

    entry.dateform = DateForm::None;
    entry.size = -1;
    QVERIFY(entry.filedateText().isEmpty());
    QVERIFY(entry.sizembText().isEmpty());
    QVERIFY(entry.sizebyteText().isEmpty());

    QCOMPARE(folderOf(u"/a/b/c.txt"_s), u"/a/b/"_s);
    QCOMPARE(nameOf(u"/a/b/c.txt"_s), u"c.txt"_s);
}

void FormatTest::countsOnlyNamedRows() {
    ResultList list(3);
    list[0].filename = u"a"_s;
    list[2].filename = u"b"_s;
    QCOMPARE(countnamedrows(list), 2);
    list[1].filename = u"c"_s;
    QCOMPARE(countnamedrows(list), qsizetype(list.size()));
}

void FormatTest::canreadfileOnlyForFiles() {
    testing::TempTree tree;
    tree.writeFile(u"file"_s, "12345");
    tree.writeFile(u"empty"_s, QByteArray());
    tree.makeFolder(u"folder"_s);
    const auto bytes = [&](const QString& name) { return QFile::encodeName(tree.path(name)); };
    QCOMPARE(::mkfifo(bytes(u"fifo"_s).constData(), 0600), 0);
    QCOMPARE(::symlink(bytes(u"file"_s).constData(), bytes(u"link"_s).constData()), 0);
    QCOMPARE(::symlink(bytes(u"missing"_s).constData(), bytes(u"dangling"_s).constData()), 0);
    const struct {
        const char16_t* name;
        bool readable;
    } cases[] = {{u"file", true},    {u"empty", true}, {u"link", true},     {u"missing", false},
                 {u"folder", false}, {u"fifo", false}, {u"dangling", false}};
    for (const auto& entry : cases) {
        const QString name = QString::fromUtf16(entry.name);
        QVERIFY2(canreadfile(tree.path(name)) == entry.readable, qPrintable(name));
    }
}

QTEST_GUILESS_MAIN(FormatTest)
#include "tst_format.moc"

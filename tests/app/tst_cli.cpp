#include "temptree.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace quillfen;

namespace {

struct Run {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

Run cli(const QStringList& arguments, const QString& folder = QString()) {
    QProcess process;
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.start(QStringLiteral(QUILLFEN_CLI), arguments);
    Run run;
    if (!process.waitForFinished(60000))
        return run;
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// The groups of the text output: blocks of lines between empty lines.
QList<QByteArrayList> groups(const QByteArray& out) {
    QList<QByteArrayList> result;
    QByteArrayList current;
    for (const QByteArray& line : out.split('\n')) {
        if (line.isEmpty()) {
            if (!current.isEmpty())
                result.append(current);
            current.clear();
        } else {
            current.append(line);
        }
    }
    return result;
}

QByteArrayList sorted(QByteArrayList list) {
    std::sort(list.begin(), list.end());
    return list;
}

QByteArray bytes(const QString& text) {
    return text.toUtf8();
}

} // namespace

class CliTest : public QObject {
    Q_OBJECT
private slots:
    void printsGroupsLargestFirst();
    void jsonHasGroupsAndStats();
    void filterOptions();
    void skipOptions();
    void badUsageExitsWithTwo();
    void longOutputComesOutWhole();
    void compareKeepsFilesOfEqualContent();
    void compareReportsItsCounters();
};

void CliTest::printsGroupsLargestFirst() {
    testing::TempTree tree;
    tree.writeFile(u"one/a"_s, 300, 'a');
    tree.writeFile(u"two/b"_s, 300, 'b');
    tree.writeFile(u"c"_s, 20, 'c');
    const QByteArray raw = tree.writeRawNamedFile("caf\xe9", QByteArray(20, 'd'));
    tree.writeFile(u"alone"_s, 21, 'e');
    const Run run = cli({u"--compare"_s, u"none"_s, tree.root()});
    QCOMPARE(run.status, 0);
    QVERIFY(run.err.isEmpty());
    QVERIFY(run.out.contains("\n\n"));
    QVERIFY(!run.out.endsWith("\n\n"));
    const auto found = groups(run.out);
    QCOMPARE(found.size(), 2);
    QCOMPARE(sorted(found[0]),
             (QByteArrayList{bytes(tree.path(u"one/a"_s)), bytes(tree.path(u"two/b"_s))}));
    // The name that is not UTF-8 comes out as its own bytes.
    QCOMPARE(sorted(found[1]), sorted(QByteArrayList{bytes(tree.path(u"c"_s)), raw}));

    // A relative folder prints full paths.
    const Run relative = cli({u"--compare=none"_s, u"one/../two/.."_s}, tree.root());
    QCOMPARE(relative.status, 0);
    QCOMPARE(groups(relative.out).size(), 2);
    QVERIFY(relative.out.startsWith(bytes(tree.root())));
}

void CliTest::jsonHasGroupsAndStats() {
    testing::TempTree tree;
    tree.writeFile(u"a"_s, 300, 'a');
    tree.writeFile(u"b\"quoted\""_s, 300, 'b');
    tree.writeRawNamedFile("x\xff", QByteArray(5, 'x'));
    tree.writeFile(u"y"_s, 5, 'y');
    tree.writeFile(u"zero"_s, 0, 'z');
    const Run run = cli({u"--json"_s, u"--compare"_s, u"none"_s, tree.root()});
    QCOMPARE(run.status, 0);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(run.out, &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    const QJsonArray list = document[u"groups"_s].toArray();
    QCOMPARE(list.size(), 2);
    QCOMPARE(list[0][u"size"_s].toInteger(), 300);
    QCOMPARE(list[1][u"size"_s].toInteger(), 5);
    QStringList first;
    for (const QJsonValue& file : list[0][u"files"_s].toArray())
        first << file.toString();
    first.sort();
    QCOMPARE(first, (QStringList{tree.path(u"a"_s), tree.path(u"b\"quoted\""_s)}));
    // The stray byte is written as an escape that decodes back to it.
    QVERIFY(run.out.contains(bytes(tree.root()) + "x\\udcff\""));
    const QJsonObject stats = document[u"stats"_s].toObject();
    QCOMPARE(stats[u"filesfound"_s].toInteger(), 4);
    QCOMPARE(stats[u"filesskipped"_s].toInteger(), 1);
    QCOMPARE(stats[u"filesunreadable"_s].toInteger(), 0);
    QCOMPARE(stats[u"possibleduplicates"_s].toInteger(), 4);
    QCOMPARE(stats[u"definiteduplicates"_s].toInteger(), 0);
    QCOMPARE(stats[u"kbdone"_s].toInteger(), 0);
    QCOMPARE(stats[u"filescompared"_s].toInteger(), 0);
    QCOMPARE(stats[u"timespent"_s].toString().size(), 8);

    testing::TempTree empty;
    const Run none = cli({u"--json"_s, empty.root()});
    QCOMPARE(none.status, 0);
    QCOMPARE(QJsonDocument::fromJson(none.out)[u"groups"_s].toArray().size(), 0);
}

void CliTest::filterOptions() {
    testing::TempTree tree;
    for (const char* copy : {"1", "2"}) {
        const QString c = QString::fromLatin1(copy);
        tree.writeFile(u"k9999."_s + c, 9999, 'x');
        tree.writeFile(u"k10000."_s + c, 10000, 'x');
        tree.writeFile(u"song"_s + c + u".MP3"_s, 123, 'x');
        tree.writeFile(u"sub/deep"_s + c + u".wav"_s, 123, 'x');
        tree.writeFile(u"empty"_s + c, 0, 'x');
        tree.writeFile(u".hidden"_s + c, 77, 'x');
    }
    auto names = [](const Run& run) {
        QByteArrayList out;
        for (const QByteArray& line : run.out.split('\n'))
            if (!line.isEmpty())
                out << line.mid(line.lastIndexOf('/') + 1);
        std::sort(out.begin(), out.end());
        return out;
    };
    Run run = cli({u"--min-kb"_s, u"10"_s, tree.root()});
    QCOMPARE(names(run), (QByteArrayList{"k10000.1", "k10000.2"}));
    run = cli({u"--max-kb=10"_s, u"--pattern"_s, u"k*"_s, tree.root()});
    QCOMPARE(names(run), (QByteArrayList{"k9999.1", "k9999.2"}));
    run = cli({u"--pattern"_s, u"*.mp3; *.wav"_s, tree.root()});
    QCOMPARE(names(run), (QByteArrayList{"deep1.wav", "deep2.wav", "song1.MP3", "song2.MP3"}));
    run = cli({u"--pattern"_s, u"*.mp3; *.wav"_s, u"--no-subdirs"_s, tree.root()});
    QCOMPARE(names(run), (QByteArrayList{"song1.MP3", "song2.MP3"}));
    run = cli({u"--pattern"_s, u"empty*"_s, tree.root()});
    QVERIFY(run.out.isEmpty());
    run = cli({u"--pattern"_s, u"empty*"_s, u"--include-empty"_s, tree.root()});
    QCOMPARE(names(run), (QByteArrayList{"empty1", "empty2"}));
    run = cli({u"--pattern"_s, u".h*"_s, u"--attributes"_s, u"normal"_s, tree.root()});
    QVERIFY(run.out.isEmpty());
    run = cli({u"--pattern"_s, u".h*"_s, u"--attributes"_s, u"rh"_s, tree.root()});
    QCOMPARE(names(run), (QByteArrayList{".hidden1", ".hidden2"}));
}

void CliTest::skipOptions() {
    testing::TempTree tree;
    tree.writeFile(u"keep/a.dat"_s, 10, 'x');
    tree.writeFile(u"skip/b.dat"_s, 10, 'x');
    tree.writeFile(u"skip/below/c.dat"_s, 10, 'x');
    tree.writeFile(u"d.TMP"_s, 10, 'x');
    tree.writeFile(u"e.bak"_s, 10, 'x');
    const Run run = cli({u"--skip-folder"_s, tree.path(u"skip"_s), u"--skip-ext"_s, u"tmp"_s,
                         u"--skip-ext"_s, u".BAK"_s, tree.root()});
    QCOMPARE(run.status, 0);
    const auto found = groups(run.out);
    QCOMPARE(found.size(), 1);
    QCOMPARE(sorted(found[0]), (QByteArrayList{bytes(tree.path(u"keep/a.dat"_s)),
                                               bytes(tree.path(u"skip/b.dat"_s))}));
}

void CliTest::badUsageExitsWithTwo() {
    testing::TempTree tree;
    tree.writeFile(u"a"_s, 1, 'x');
    const QList<QStringList> bad = {
        {},
        {u"--bogus"_s, tree.root()},
        {u"--min-kb"_s, u"0"_s, tree.root()},
        {u"--max-kb"_s, u"ten"_s, tree.root()},
        {u"--attributes"_s, u"RX"_s, tree.root()},
        {u"--pattern"_s, u"a/b"_s, tree.root()},
        {u"--skip-ext"_s, u"."_s, tree.root()},
        {u"--pattern"_s},
        {tree.path(u"missing"_s)},
        {tree.path(u"a"_s)},
        {u"--compare"_s, u"quick"_s, tree.root()},
        {u"--compare"_s, u"none,fuzzy"_s, tree.root()},
        {u"--compare"_s, QString(), tree.root()},
        {u"--compare"_s, u"fuzzy"_s, u"--compare"_s, u"crc"_s, tree.root()},
    };
    for (const QStringList& arguments : bad) {
        const Run run = cli(arguments);
        QVERIFY2(run.status == 2, qPrintable(arguments.join(u' ')));
        QVERIFY(run.out.isEmpty());
        QVERIFY(run.err.startsWith("quillfen-cli: "));
    }
    const Run help = cli({u"--help"_s});
    QCOMPARE(help.status, 0);
    QVERIFY(help.out.startsWith("Usage: quillfen-cli [options] FOLDER..."));
}

// The output goes out in pieces; across their joins no file may be lost,
// doubled or cut, and a failed write is an error.
void CliTest::longOutputComesOutWhole() {
    testing::TempTree tree;
    const QString longPart = QString(120, u'n');
    QByteArrayList expected;
    for (int k = 0; k < 1500; ++k) {
        const QString name = u"f%1/%2-%3"_s.arg(k % 7).arg(longPart).arg(k);
        tree.writeFile(name, 10 + k % 2, 'x');
        expected << bytes(tree.path(name));
    }
    const Run text = cli({u"--compare"_s, u"none"_s, tree.root()});
    QCOMPARE(text.status, 0);
    QVERIFY(text.out.size() > 3 * 64 * 1024);
    const auto found = groups(text.out);
    QCOMPARE(found.size(), 2);
    QCOMPARE(sorted(found[0] + found[1]), sorted(expected));

    const Run json = cli({u"--json"_s, u"--compare"_s, u"none"_s, tree.root()});
    QCOMPARE(json.status, 0);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json.out, &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    QByteArrayList files;
    for (const QJsonValue& group : document[u"groups"_s].toArray())
        for (const QJsonValue& file : group[u"files"_s].toArray())
            files << bytes(file.toString());
    QCOMPARE(sorted(files), sorted(expected));

    if (QFileInfo::exists(u"/dev/full"_s)) {
        QProcess process;
        process.setStandardOutputFile(u"/dev/full"_s);
        process.start(QStringLiteral(QUILLFEN_CLI), {u"--compare"_s, u"none"_s, tree.root()});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 1);
        QVERIFY(process.readAllStandardError().startsWith("quillfen-cli: cannot write the output"));
    }
}

void CliTest::compareKeepsFilesOfEqualContent() {
    testing::TempTree tree;
    QByteArray content(4000, Qt::Uninitialized);
    for (int k = 0; k < content.size(); ++k)
        content[k] = char(k * 13);
    QByteArray other = content;
    other[2000] = 'X'; // inside a fuzzy sample
    QByteArray nearCopy = content;
    nearCopy[3900] = 'Y'; // after the last fuzzy sample
    // One size, files in list order A B B A A (by name) and a near copy of A.
    tree.writeFile(u"p/a1"_s, content);
    tree.writeFile(u"q/b1"_s, other);
    tree.writeFile(u"r/b2"_s, other);
    tree.writeFile(u"s/a2"_s, content);
    tree.writeFile(u"t/a3"_s, content);
    tree.writeFile(u"u/near"_s, nearCopy);
    tree.writeFile(u"v/lone"_s, 10, 'l');
    tree.writeFile(u"w/other"_s, 10, 'm');
    const auto sets = [](const Run& run) {
        QList<QByteArrayList> result;
        for (const QByteArrayList& group : groups(run.out)) {
            QByteArrayList names;
            for (const QByteArray& line : group)
                names << line.mid(line.lastIndexOf('/', line.lastIndexOf('/') - 1) + 1);
            result << names;
        }
        std::sort(result.begin(), result.end());
        return result;
    };
    const QByteArrayList as{"p/a1", "s/a2", "t/a3"};
    const QByteArrayList bs{"q/b1", "r/b2"};

    // By default fuzzy and bytewise: each group holds only equal files, in
    // folder order.
    Run run = cli({tree.root()});
    QCOMPARE(run.status, 0);
    QCOMPARE(sets(run), (QList<QByteArrayList>{as, bs}));
    QCOMPARE(cli({u"--compare"_s, u"bytewise,fuzzy"_s, tree.root()}).out, run.out);
    QCOMPARE(sets(cli({u"--compare"_s, u"crc"_s, tree.root()})), (QList<QByteArrayList>{as, bs}));
    // The fuzzy samples alone let the near copy through.
    QCOMPARE(sets(cli({u"--compare"_s, u"fuzzy"_s, tree.root()})),
             (QList<QByteArrayList>{{"p/a1", "s/a2", "t/a3", "u/near"}, bs}));
    // Without comparing, files of one size form one group (in scan order).
    QList<QByteArrayList> bySize = sets(cli({u"--compare"_s, u"none"_s, tree.root()}));
    for (QByteArrayList& group : bySize)
        group = sorted(group);
    std::sort(bySize.begin(), bySize.end());
    QCOMPARE(bySize, (QList<QByteArrayList>{{"p/a1", "q/b1", "r/b2", "s/a2", "t/a3", "u/near"},
                                            {"v/lone", "w/other"}}));

    testing::TempTree different;
    different.writeFile(u"x"_s, 50, 'x');
    different.writeFile(u"y"_s, 50, 'y');
    const Run none = cli({different.root()});
    QCOMPARE(none.status, 0);
    QVERIFY(none.out.isEmpty());
}

void CliTest::compareReportsItsCounters() {
    testing::TempTree tree;
    tree.writeFile(u"a"_s, 300000, 'a');
    tree.writeFile(u"b"_s, 300000, 'a');
    tree.writeFile(u"c"_s, 300000, 'c');
    Run run = cli({u"--json"_s, tree.root()});
    QCOMPARE(run.status, 0);
    QJsonDocument document = QJsonDocument::fromJson(run.out);
    QCOMPARE(document[u"groups"_s].toArray().size(), 1);
    QCOMPARE(document[u"groups"_s][0][u"size"_s].toInteger(), 300000);
    QJsonObject stats = document[u"stats"_s].toObject();
    QCOMPARE(stats[u"definiteduplicates"_s].toInteger(), 2);
    QCOMPARE(stats[u"possibleduplicates"_s].toInteger(), 0);
    QCOMPARE(stats[u"filescompared"_s].toInteger(), 3 + 2);
    QCOMPARE(stats[u"kbdone"_s].toInteger(), 600); // a and b read once by the bytewise pass

    run = cli({u"--json"_s, u"--compare"_s, u"fuzzy"_s, tree.root()});
    stats = QJsonDocument::fromJson(run.out)[u"stats"_s].toObject();
    QCOMPARE(stats[u"possibleduplicates"_s].toInteger(), 2);
    QCOMPARE(stats[u"definiteduplicates"_s].toInteger(), 0);
    QCOMPARE(stats[u"kbdone"_s].toInteger(), 0);
}

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"

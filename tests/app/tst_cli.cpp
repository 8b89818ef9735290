#include "platform/filename.h"
#include "report/resultsfile.h"
#include "temptree.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

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

// A line of the text output back as the bytes of the path; "?" marks an
// escape the output does not use.
QByteArray unescaped(const QByteArray& line) {
    QByteArray out;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] != '\\') {
            out.append(line[i]);
            continue;
        }
        const char kind = i + 1 < line.size() ? line[++i] : '?';
        if (kind == 'n')
            out.append('\n');
        else if (kind == 't')
            out.append('\t');
        else if (kind == '\\')
            out.append('\\');
        else if (kind == 'x' && i + 2 < line.size()) {
            bool ok = false;
            const int byte = line.mid(i + 1, 2).toInt(&ok, 16);
            if (!ok)
                return "?";
            out.append(char(byte));
            i += 2;
        } else {
            return "?";
        }
    }
    return out;
}

// What a tree holds, by path (raw bytes): regular files with their content
// and inode, links with their target.
struct Entry {
    bool link = false;
    QByteArray data; // content, or the link's target
    ino_t inode = 0;
    bool operator==(const Entry&) const = default;
};
using Snapshot = std::map<QByteArray, Entry>;

void snapshotInto(const QByteArray& folder, Snapshot& into) {
    DIR* dir = ::opendir(folder.constData());
    if (dir == nullptr)
        return;
    while (const dirent* item = ::readdir(dir)) {
        const QByteArray name(item->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray path = folder + '/' + name;
        struct stat st {};
        if (::lstat(path.constData(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            snapshotInto(path, into);
        } else if (S_ISLNK(st.st_mode)) {
            char target[4096];
            const ssize_t n = ::readlink(path.constData(), target, sizeof target);
            into[path] = {true, QByteArray(target, n > 0 ? n : 0), st.st_ino};
        } else {
            // By its bytes: QFile would recode a name that is not UTF-8.
            QByteArray content;
            const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
            char buffer[65536];
            ssize_t n = 0;
            while (fd >= 0 && (n = ::read(fd, buffer, sizeof buffer)) > 0)
                content.append(buffer, n);
            if (fd >= 0)
                ::close(fd);
            into[path] = {false, fd >= 0 && n == 0 ? content : QByteArray("unreadable"), st.st_ino};
        }
    }
    ::closedir(dir);
}

Snapshot snapshot(const QString& root) {
    Snapshot result;
    QByteArray folder = quillfen::platform::encodeFileName(root);
    if (folder.endsWith('/'))
        folder.chop(1);
    snapshotInto(folder, result);
    return result;
}

std::set<QByteArray> contentsOf(const Snapshot& tree) {
    std::set<QByteArray> contents;
    for (const auto& [path, entry] : tree)
        if (!entry.link)
            contents.insert(entry.data);
    return contents;
}

// The lines of the dry-run plan on stderr: "would ACTION: PATH[ to TARGET]"
// by action word, paths unescaped.
std::map<QByteArray, std::set<QByteArray>> planOf(const QByteArray& err) {
    std::map<QByteArray, std::set<QByteArray>> plan;
    for (const QByteArray& line : err.split('\n')) {
        if (!line.startsWith("would "))
            continue;
        const qsizetype colon = line.indexOf(": ");
        QByteArray path = line.mid(colon + 2);
        const qsizetype to = path.indexOf(" to ");
        if (to >= 0)
            path.truncate(to);
        plan[line.mid(6, colon - 6)].insert(unescaped(path));
    }
    return plan;
}

} // namespace

class CliTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void printsGroupsLargestFirst();
    void jsonHasGroupsAndStats();
    void filterOptions();
    void skipOptions();
    void badUsageExitsWithTwo();
    void longOutputComesOutWhole();
    void compareKeepsFilesOfEqualContent();
    void compareReportsItsCounters();
    void namesCannotForgeTheOutput();
    void keepRulesChooseTheKeptFile_data();
    void keepRulesChooseTheKeptFile();
    void actionsLeaveOneCopyOfEveryContent_data();
    void actionsLeaveOneCopyOfEveryContent();
    void hardLinksKeepEveryNameUntilTakenBack();
    void fileChangedBeforeTheActionIsLeftAlone();

private:
    // The trash of the programs started here.
    testing::TempTree m_dataHome;
};

void CliTest::initTestCase() {
    qputenv("XDG_DATA_HOME", platform::encodeFileName(m_dataHome.root()));
}

void CliTest::printsGroupsLargestFirst() {
    testing::TempTree tree;
    tree.writeFile(u"one/a"_s, 300, 'a');
    tree.writeFile(u"two/b"_s, 300, 'b');
    tree.writeFile(u"c"_s, 20, 'c');
    tree.writeRawNamedFile("caf\xe9", QByteArray(20, 'd'));
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
    // The byte that is not UTF-8 comes out escaped.
    QCOMPARE(sorted(found[1]),
             sorted(QByteArrayList{bytes(tree.path(u"c"_s)), bytes(tree.root()) + "caf\\xe9"}));

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
        first << file[u"path"_s].toString();
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

    // The same document opens as saved results, names and all.
    QString openError;
    const std::optional<OpenedResults> opened = readresults(run.out, openError);
    QVERIFY2(opened, qPrintable(openError));
    QCOMPARE(countnamedrows(opened->list), 4);
    QCOMPARE(opened->run.filesfound, 4);
    QVERIFY(!opened->run.definite);

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
    tree.writeFile(u"b"_s, 1, 'x'); // a group that a wrongly run action would thin out
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
        {u"--json"_s, u"-0"_s, tree.root()},
        // Actions and their companions.
        {u"--trash"_s, u"--delete"_s, u"--yes"_s, tree.root()},
        {u"--delete"_s, u"--move-to"_s, tree.path(u"out"_s), u"--yes"_s, tree.root()},
        {u"--move-to"_s, tree.path(u"missing"_s), u"--yes"_s, tree.root()},
        {u"--move-to"_s, QString(), u"--yes"_s, tree.root()},
        {u"--rename"_s, u"--delete"_s, u"--yes"_s, tree.root()},
        {u"--keep"_s, u"oldest"_s, tree.root()},
        {u"--dry-run"_s, tree.root()},
        {u"--yes"_s, tree.root()},
        {u"--delete"_s, u"--yes"_s, u"--keep"_s, u"biggest"_s, tree.root()},
        {u"--delete"_s, u"--yes"_s, u"--keep"_s, u"oldest,"_s, tree.root()},
        {u"--delete"_s, u"--yes"_s, u"--keep"_s, u"oldest,newest"_s, tree.root()},
        {u"--delete"_s, u"--yes"_s, u"--keep"_s, u"short-name,longest-name"_s, tree.root()},
        // Equal sizes or samples are no proof.
        {u"--delete"_s, u"--yes"_s, u"--compare"_s, u"none"_s, tree.root()},
        {u"--trash"_s, u"--yes"_s, u"--compare"_s, u"fuzzy"_s, tree.root()},
        // No terminal to ask on.
        {u"--delete"_s, tree.root()},
    };
    for (const QStringList& arguments : bad) {
        const Run run = cli(arguments);
        QVERIFY2(run.status == 2, qPrintable(arguments.join(u' ')));
        QVERIFY(run.out.isEmpty());
        QVERIFY(run.err.startsWith("quillfen-cli: "));
    }
    QVERIFY(QFileInfo::exists(tree.path(u"a"_s)) && QFileInfo::exists(tree.path(u"b"_s)));
    const Run help = cli({u"--help"_s});
    QCOMPARE(help.status, 0);
    QVERIFY(help.out.startsWith("Usage: quillfen-cli [options] FOLDER..."));
    for (const char* option : {"-0, --null", "--json", "--trash", "--delete", "--move-to DIR",
                               "--rename", "--keep RULES", "--dry-run", "--yes"})
        QVERIFY2(help.out.contains(QByteArray("\n  ") + option), option);
    QVERIFY(help.out.contains("\nExit status:\n"));
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
            files << bytes(file[u"path"_s].toString());
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

// A name may hold any byte but "/" and NUL: no name can make the text output
// show another file as a group member, or end a group early.
void CliTest::namesCannotForgeTheOutput() {
    testing::TempTree tree;
    const QByteArray content(40, 'i');
    tree.writeFile(u"important"_s, 40, 'u'); // unique content of the same size
    const QByteArray forged = tree.writeRawNamedFile("important\n\nzz", content);
    const QByteArray copy = tree.writeRawNamedFile("copy", content);
    // A second group of odd names, each with its escaped form.
    const QList<std::pair<QByteArray, QByteArray>> odd = {
        {"tab\there", "tab\\there"},
        {"back\\slash\\n", "back\\\\slash\\\\n"},
        {"bell\a cr\r", "bell\\x07 cr\\x0d"},
        {"del\x7f", "del\\x7f"},
        {"raw\xff\xfe", "raw\\xff\\xfe"},
        {"-lead", "-lead"},
        {"caf\xc3\xa9", "caf\xc3\xa9"},
        {"nel\xc2\x85 csi\xc2\x9b", "nel\\xc2\\x85 csi\\xc2\\x9b"},
        {"ls\xe2\x80\xa8ps\xe2\x80\xa9", "ls\\xe2\\x80\\xa8ps\\xe2\\x80\\xa9"},
    };
    QByteArrayList oddRaw;
    QByteArrayList oddEscaped;
    for (const auto& [name, escape] : odd) {
        oddRaw << tree.writeRawNamedFile(name, QByteArray(50, 'o'));
        oddEscaped << bytes(tree.root()) + escape;
    }

    const Run text = cli({tree.root()});
    QCOMPARE(text.status, 0);
    const auto found = groups(text.out);
    QCOMPARE(found.size(), 2);
    QCOMPARE(sorted(found[0]), sorted(oddEscaped));
    QCOMPARE(sorted(found[1]),
             sorted(QByteArrayList{bytes(tree.root()) + "important\\n\\nzz", copy}));
    for (const QByteArray& line : found[0] + found[1])
        QVERIFY2((oddRaw + QByteArrayList{forged, copy}).contains(unescaped(line)), line);

    for (const QString& option : {u"-0"_s, u"--null"_s}) {
        const Run null = cli({option, tree.root()});
        QCOMPARE(null.status, 0);
        QVERIFY(null.out.endsWith('\0'));
        const QByteArrayList entries = null.out.chopped(1).split('\0');
        QCOMPARE(entries.count(QByteArray()), 1);
        const qsizetype gap = entries.indexOf(QByteArray());
        QCOMPARE(sorted(entries.mid(0, gap)), sorted(oddRaw));
        QCOMPARE(sorted(entries.mid(gap + 1)), sorted(QByteArrayList{forged, copy}));
    }

    const Run json = cli({u"--json"_s, tree.root()});
    QCOMPARE(json.status, 0);
    QList<QByteArrayList> jsonGroups;
    for (const QJsonValue& group : QJsonDocument::fromJson(json.out)[u"groups"_s].toArray()) {
        QByteArrayList files;
        for (const QJsonValue& file : group[u"files"_s].toArray())
            files << platform::encodeFileName(file[u"path"_s].toString());
        jsonGroups << sorted(files);
    }
    QCOMPARE(jsonGroups, (QList<QByteArrayList>{sorted(oddRaw), sorted({forged, copy})}));
}

// Which file each group keeps, told by the dry run; nothing changes.
void CliTest::keepRulesChooseTheKeptFile_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("kept");
    // Files of group F: f/ccc (date 2), ffff/a (date 3), ff/bbbbb (date 1);
    // of group G: g/xx and gg/x of one date.
    QTest::newRow("default: oldest, then shortest name")
        << QStringList{u"--trash"_s} << u"trash"_s << QStringList{u"ff/bbbbb"_s, u"gg/x"_s};
    QTest::newRow("newest") << QStringList{u"--delete"_s, u"--keep"_s, u"newest"_s} << u"delete"_s
                            << QStringList{u"ffff/a"_s, u"gg/x"_s};
    QTest::newRow("shortest-name") << QStringList{u"--delete"_s, u"--keep=shortest-name"_s}
                                   << u"delete"_s << QStringList{u"ffff/a"_s, u"gg/x"_s};
    QTest::newRow("longest-name") << QStringList{u"--delete"_s, u"--keep"_s, u"longest-name"_s}
                                  << u"delete"_s << QStringList{u"ff/bbbbb"_s, u"g/xx"_s};
    QTest::newRow("shortest-folder")
        << QStringList{u"--move-to"_s, u"OUT"_s, u"--keep"_s, u"shortest-folder"_s} << u"move"_s
        << QStringList{u"f/ccc"_s, u"g/xx"_s};
    QTest::newRow("longest-folder") << QStringList{u"--delete"_s, u"--keep"_s, u"longest-folder"_s}
                                    << u"delete"_s << QStringList{u"ffff/a"_s, u"gg/x"_s};
    QTest::newRow("oldest, then longest folder")
        << QStringList{u"--delete"_s, u"--keep"_s, u"oldest,longest-folder"_s} << u"delete"_s
        << QStringList{u"ff/bbbbb"_s, u"gg/x"_s};
    QTest::newRow("newest, then shortest folder")
        << QStringList{u"--delete"_s, u"--keep"_s, u"newest,shortest-folder"_s} << u"delete"_s
        << QStringList{u"ffff/a"_s, u"g/xx"_s};
    QTest::newRow("spaces and capitals")
        << QStringList{u"--delete"_s, u"--keep"_s, u" Shortest-Folder , OLDEST"_s} << u"delete"_s
        << QStringList{u"f/ccc"_s, u"g/xx"_s};
}

void CliTest::keepRulesChooseTheKeptFile() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, action);
    QFETCH(QStringList, kept);
    testing::TempTree tree;
    const QList<std::pair<QString, qint64>> files = {
        {u"f/ccc"_s, 2000000000}, {u"ffff/a"_s, 2000003000}, {u"ff/bbbbb"_s, 1000000000},
        {u"g/xx"_s, 1500000000},  {u"gg/x"_s, 1500000000},
    };
    for (const auto& [name, date] : files) {
        tree.writeFile(name, name.startsWith(u'f') ? 30 : 20, name.at(0).toLatin1());
        QVERIFY(tree.setModified(name, date));
    }
    testing::TempTree out;
    arguments.replaceInStrings(u"OUT"_s, out.root());
    const Snapshot before = snapshot(tree.root());
    const Run run = cli(arguments + QStringList{u"--dry-run"_s, tree.root()});
    QCOMPARE(run.status, 0);
    QCOMPARE(groups(run.out).size(), 2);
    QCOMPARE(snapshot(tree.root()), before);
    QVERIFY(snapshot(out.root()).empty());
    QVERIFY(snapshot(m_dataHome.root()).empty());

    std::set<QByteArray> keep;
    std::set<QByteArray> others;
    for (const auto& [name, date] : files)
        (kept.contains(name) ? keep : others).insert(bytes(tree.path(name)));
    const auto plan = planOf(run.err);
    QCOMPARE(plan.size(), size_t(2));
    QCOMPARE(plan.at("keep"), keep);
    QCOMPARE(plan.at(action.toUtf8()), others);
}

// The whole job on a tree with odd names, hard links and links: exactly the
// files the dry run names are acted on, every content stays, each group keeps
// one file, and the others end up in the trash or the target folder.
void CliTest::actionsLeaveOneCopyOfEveryContent_data() {
    QTest::addColumn<QString>("action");
    QTest::newRow("trash") << u"trash"_s;
    QTest::newRow("delete") << u"delete"_s;
    QTest::newRow("move") << u"move"_s;
}

void CliTest::actionsLeaveOneCopyOfEveryContent() {
    QFETCH(QString, action);
    testing::TempTree dataHome; // a trash of its own
    qputenv("XDG_DATA_HOME", platform::encodeFileName(dataHome.root()));
    const auto restore = qScopeGuard(
        [this] { qputenv("XDG_DATA_HOME", platform::encodeFileName(m_dataHome.root())); });
    testing::TempTree tree;
    QByteArray a(6000, Qt::Uninitialized);
    for (int k = 0; k < a.size(); ++k)
        a[k] = char(k * 7 + k / 251);
    QByteArray b = a;
    b[5990] = 'b'; // past the fuzzy samples
    QByteArray unique = a;
    unique[3] = 'u';
    tree.writeFile(u"a/-lead"_s, a);
    tree.writeFile(u"b/new\nline"_s, a);
    tree.makeFolder(u"c"_s);
    tree.writeRawNamedFile("c/raw\xff", a);
    tree.writeFile(u"d/plain"_s, b);
    tree.writeFile(u"e/copy"_s, b);
    tree.writeFile(u"f/unique"_s, unique);
    QVERIFY(tree.setModified(u"a/-lead"_s, 1600000000));
    QVERIFY(tree.setModified(u"b/new\nline"_s, 1500000000)); // the oldest of a's copies
    QVERIFY(tree.setModified(u"d/plain"_s, 1600000000));
    QVERIFY(tree.setModified(u"e/copy"_s, 1500000000));
    const QByteArray root = platform::encodeFileName(tree.root());
    QCOMPARE(::link(root + "d/plain", root + "d/hard"), 0);
    tree.makeFolder(u"g"_s);
    QCOMPARE(::symlink("../a/-lead", root + "g/link"), 0);
    QCOMPARE(::symlink("../a", root + "h"), 0);

    testing::TempTree target;
    target.writeFile(u"-lead"_s, 10, 't'); // taken: the move picks a free name
    QStringList arguments = {u"--"_s + action};
    if (action == u"move"_s)
        arguments = QStringList{u"--move-to"_s, target.root(), u"--rename"_s};

    const Snapshot before = snapshot(tree.root());
    const Snapshot targetBefore = snapshot(target.root());
    const Run dry = cli(arguments + QStringList{u"--dry-run"_s, tree.root()});
    QCOMPARE(dry.status, 0);
    QCOMPARE(snapshot(tree.root()), before);
    const std::set<QByteArray> acted = planOf(dry.err)[action.toUtf8()];
    QVERIFY(acted.count(root + "a/-lead") == 1 && acted.count(root + "c/raw\xff") == 1);

    const Run run = cli(arguments + QStringList{u"--yes"_s, tree.root()});
    QVERIFY2(run.status == 0, run.err.constData());
    QVERIFY2(run.err.isEmpty(), run.err.constData());
    QCOMPARE(run.out, dry.out);
    const Snapshot after = snapshot(tree.root());
    Snapshot expected = before;
    for (const QByteArray& path : acted)
        expected.erase(path);
    QCOMPARE(after, expected);
    QCOMPARE(contentsOf(after), contentsOf(before));
    for (const QByteArrayList& group : groups(run.out)) {
        int left = 0;
        for (const QByteArray& line : group)
            left += after.count(unescaped(line)) ? 1 : 0;
        QCOMPARE(left, 1);
    }

    std::multiset<QByteArray> gone;
    for (const QByteArray& path : acted)
        gone.insert(before.at(path).data);
    std::multiset<QByteArray> arrived;
    if (action == u"trash"_s) {
        const QString trash = dataHome.path(u"Trash/"_s);
        const Snapshot infos = snapshot(trash + u"info"_s);
        const Snapshot files = snapshot(trash + u"files"_s);
        QCOMPARE(infos.size(), acted.size());
        std::set<QByteArray> recorded;
        for (const auto& [info, entry] : infos) {
            const QByteArrayList lines = entry.data.split('\n');
            QVERIFY2(lines.size() >= 3 && lines[0] == "[Trash Info]" &&
                         lines[1].startsWith("Path=") && lines[2].startsWith("DeletionDate="),
                     entry.data.constData());
            recorded.insert(QByteArray::fromPercentEncoding(lines[1].mid(5)));
            const QByteArray name = info.mid(info.lastIndexOf('/') + 1).chopped(10);
            const auto file = files.find(platform::encodeFileName(trash + u"files/"_s) + name);
            QVERIFY(file != files.end());
            arrived.insert(file->second.data);
        }
        QCOMPARE(recorded, acted);
    } else if (action == u"move"_s) {
        const Snapshot moved = snapshot(target.root());
        const QByteArray out = platform::encodeFileName(target.root());
        QCOMPARE(moved.at(out + "-lead"), targetBefore.at(out + "-lead"));
        QCOMPARE(moved.at(out + "-lead(0)").data, a);
        for (const auto& [path, entry] : moved)
            if (path != out + "-lead")
                arrived.insert(entry.data);
    }
    if (action != u"delete"_s)
        QCOMPARE(arrived, gone);
}

// Between the question and the answer the file to go is changed: it is left
// alone, its line says so, and the exit status is 1. Answering no changes
// nothing.
void CliTest::fileChangedBeforeTheActionIsLeftAlone() {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        QSKIP("no pseudo-terminal to answer on");
    const QString terminal = QString::fromLocal8Bit(::ptsname(master));
    testing::TempTree tree;
    tree.writeFile(u"old"_s, 5000, 'c');
    tree.writeFile(u"new"_s, 5000, 'c');
    QVERIFY(tree.setModified(u"old"_s, 1000000000));
    QVERIFY(tree.setModified(u"new"_s, 1100000000));

    for (const char* answer : {"n\n", "y\n"}) {
        QProcess process;
        process.setStandardInputFile(terminal);
        process.setReadChannel(QProcess::StandardError);
        process.start(QStringLiteral(QUILLFEN_CLI), {u"--delete"_s, tree.root()});
        QByteArray err;
        while (!err.endsWith("[y/N] ") && process.waitForReadyRead(60000))
            err += process.readAllStandardError();
        QVERIFY2(err.endsWith("[y/N] "), err.constData());
        if (answer[0] == 'y') {
            tree.writeFile(u"new"_s, 5000, 'd'); // same size, other content and date
            QVERIFY(tree.setModified(u"new"_s, 1200000000));
        }
        QCOMPARE(::write(master, answer, 2), ssize_t(2));
        QVERIFY(process.waitForFinished(60000));
        err += process.readAllStandardError();
        const QByteArray out = process.readAllStandardOutput();
        QCOMPARE(groups(out).size(), 1);
        QVERIFY(QFileInfo::exists(tree.path(u"old"_s)) && QFileInfo::exists(tree.path(u"new"_s)));
        if (answer[0] == 'n') {
            QCOMPARE(process.exitCode(), 2);
            QVERIFY(err.endsWith("quillfen-cli: nothing was changed\n"));
        } else {
            QCOMPARE(process.exitCode(), 1);
            const QByteArrayList lines = err.mid(err.indexOf("[y/N] ") + 6).split('\n');
            QCOMPARE(lines.size(), 2); // one line and the end
            QVERIFY2(lines[0].startsWith("Error: '") &&
                         lines[0].endsWith("' occured while trying to delete the file: new"),
                     lines[0].constData());
            QFile changed(tree.path(u"new"_s));
            QVERIFY(changed.open(QIODevice::ReadOnly));
            QCOMPARE(changed.readAll(), QByteArray(5000, 'd'));
        }
    }
    ::close(master);
}

namespace {

// Every file below root by its path relative to root, with its bytes.
QMap<QString, QByteArray> treeContents(const QString& root) {
    QMap<QString, QByteArray> contents;
    QDirIterator files(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            contents.insert(path.mid(root.size()), file.readAll());
    }
    return contents;
}

// The disk blocks of the files below root, each file counted once (as du does).
qint64 allocatedBlocks(const QString& root) {
    QSet<QPair<quint64, quint64>> seen;
    qint64 blocks = 0;
    QDirIterator files(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        struct stat st;
        if (::lstat(QFile::encodeName(files.next()).constData(), &st) == 0 &&
            !seen.contains({st.st_dev, st.st_ino})) {
            seen.insert({st.st_dev, st.st_ino});
            blocks += st.st_blocks;
        }
    }
    return blocks;
}

} // namespace

void CliTest::hardLinksKeepEveryNameUntilTakenBack() {
    testing::TempTree state; // a journal of its own
    const QByteArray stateHome = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", platform::encodeFileName(state.root()));
    const auto restore = qScopeGuard([stateHome] { qputenv("XDG_STATE_HOME", stateHome); });
    testing::TempTree tree;
    QByteArray big(256 * 1024, Qt::Uninitialized);
    for (int k = 0; k < big.size(); ++k)
        big[k] = char(k * 31 + k / 977);
    for (const QString& name : {u"a/photo.jpg"_s, u"b/photo.jpg"_s, u"c/photo copy.jpg"_s})
        tree.writeFile(name, big);
    tree.writeFile(u"a/notes.txt"_s, QByteArray(9000, 'n'));
    tree.writeFile(u"d/notes.txt"_s, QByteArray(9000, 'n'));
    tree.writeFile(u"d/other.txt"_s, QByteArray(9000, 'o')); // same size, other bytes
    const QMap<QString, QByteArray> before = treeContents(tree.root());
    const qint64 blocksBefore = allocatedBlocks(tree.root());

    const Run link =
        cli({u"--compare"_s, u"bytewise"_s, u"--link"_s, u"hard"_s, u"--yes"_s, tree.root()});
    QCOMPARE(link.status, 0);
    QCOMPARE(treeContents(tree.root()), before);
    QCOMPARE(platform::fileInfo(tree.path(u"b/photo.jpg"_s)).id,
             platform::fileInfo(tree.path(u"a/photo.jpg"_s)).id);
    QCOMPARE(platform::fileInfo(tree.path(u"a/photo.jpg"_s)).links, 3u);
    QCOMPARE(platform::fileInfo(tree.path(u"d/other.txt"_s)).links, 1u);
    // Two copies of the photo and one of the notes no longer take space.
    const qint64 freed = (blocksBefore - allocatedBlocks(tree.root())) * 512;
    QVERIFY2(freed >= 2 * big.size() + 8192, qPrintable(QString::number(freed)));

    const Run undo = cli({u"--undo-last"_s, u"--yes"_s});
    QCOMPARE(undo.status, 0);
    QCOMPARE(treeContents(tree.root()), before);
    for (const QString& name : before.keys())
        QCOMPARE(platform::fileInfo(tree.path(name)).links, 1u);
    QCOMPARE(allocatedBlocks(tree.root()), blocksBefore);
    QCOMPARE(cli({u"--undo-last"_s, u"--yes"_s}).status, 2); // taken back already
}

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"

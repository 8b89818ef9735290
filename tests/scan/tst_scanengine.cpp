#include "core/appstate.h"
#include "platform/filename.h"
#include "scan/scanengine.h"
#include "scan/scanoptions.h"
#include "temptree.h"

#include <QtTest>
#include <atomic>
#include <climits>
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

using namespace quillfen;
using namespace Qt::StringLiterals;

namespace {

// A path entry as the Scan paths dialog writes it; attributes as the column's letters.
PathEntry entry(const QString& folder, const QString& patterns = u"*.*"_s,
                const QString& attributes = u"RHSA"_s, bool subdirs = true, bool ignorezero = true,
                const QString& minKb = QString(), const QString& maxKb = QString()) {
    PathEntry e;
    e.text = folder + patterns;
    EntryOptions& o = e.options;
    o.minsizeon = !minKb.isEmpty();
    o.minsize = SizeLimit::fromKb(minKb.toDouble());
    o.maxsizeon = !maxKb.isEmpty();
    o.maxsize = SizeLimit::fromKb(maxKb.toDouble());
    o.subdirs = subdirs;
    o.ignorezero = ignorezero;
    o.readonly = attributes.contains(u'R');
    o.hidden = attributes.contains(u'H');
    o.system = attributes.contains(u'S');
    o.archive = attributes.contains(u'A');
    return e;
}

ScanResult scan(AppState& state, std::vector<PathEntry> table, QStringList skipfolders = {},
                QStringList skipexts = {}) {
    ScanInput input;
    input.pathtable = std::move(table);
    input.skipfolders = std::move(skipfolders);
    input.skipexts = std::move(skipexts);
    state.stopflag = false;
    ScanResult result = scanfiles(input, state);
    state.stopflag = true;
    return result;
}

QStringList names(const ResultList& list) {
    QStringList out;
    for (const ResultEntry& e : list)
        out << e.filename;
    return out;
}

QStringList sortedNames(const ResultList& list) {
    QStringList out = names(list);
    out.sort();
    return out;
}

QString withDecimalPoint(QString text) {
    return text.replace(u'.', QLocale().decimalPoint());
}

QByteArray raw(const QString& path) {
    return platform::encodeFileName(path);
}

// Root is not held back by permission bits; dropping the two capabilities
// that override them from this thread (and the threads it starts) makes an
// unreadable folder unreadable for the test too. Returns false if the
// system does not allow it.
bool dropPermissionOverride() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (syscall(SYS_capget, &header, data) != 0)
        return false;
    for (int bit : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH})
        data[bit / 32].effective &= ~(1u << (bit % 32));
    return syscall(SYS_capset, &header, data) == 0;
}

void restorePermissionOverride() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (syscall(SYS_capget, &header, data) != 0)
        return;
    data[0].effective = data[0].permitted;
    data[1].effective = data[1].permitted;
    syscall(SYS_capset, &header, data);
}

} // namespace

class ScanEngineTest : public QObject {
    Q_OBJECT
private slots:
    void textHelpers();
    void patternTextSplitsOnlyWithSeveralStars();
    void readscanoptionsClampsLimits();
    void newPathEntryCopiesTheBoxes();
    void attributeWordFilter();

    void sharedSizesBecomeEntriesLargestFirst();
    void entryColumnsComeFromTheWalk();
    void sizeLimitsAndEmptyFiles();
    void patternsWalkTheTreeOncePerPattern();
    void hiddenFoldersAndSubfolderSwitch();
    void skipFoldersAndExtensions();
    void fileReachedTwiceIsRecordedOnce();
    void bigTreeGivesEveryFileItsOwnFacts();
    void bindMountShowsTheSameFilesTwice();
    void folderSwappedForALinkDuringTheWalkIsNotEntered();
    void filesBelowAPathLongerThanPathMaxAreFound();
    void fileFilteredOutByOneEntryIsFoundByAnother();
    void linksAndSpecialFiles();
    void namesDifferingOnlyInCaseAreTwoFiles();
    void nonUtf8NameSurvives();
    void sizesBeyondFourGigabytes();
    void unreadableFoldersArePassedOver();
    void descriptorsTakenByAnotherThreadMissNoFolder();
    void stopEndsTheWalk();
};

void ScanEngineTest::textHelpers() {
    QCOMPARE(addbackslash(u"/data"_s), u"/data/"_s);
    QCOMPARE(addbackslash(u"/data/"_s), u"/data/"_s);
    QCOMPARE(addbackslash(u"/"_s), u"/"_s);
    QCOMPARE(trimnul(QString(u"abc"_s) + QChar(u'\0') + u"junk"_s), u"abc"_s);
    QCOMPARE(trimnul(u"whole"_s), u"whole"_s);
    QVERIFY(matchpattern(u"a.MP3", u"*.mp3"_s));
    QVERIFY(matchpattern(u"noext", u"*.*"_s));
    QVERIFY(!matchpattern(u"a.wav", u"*.mp3"_s));
}

void ScanEngineTest::patternTextSplitsOnlyWithSeveralStars() {
    QCOMPARE(splitpatterns(u"*.mp3; *.wav"_s), (QStringList{u"*.mp3"_s, u" *.wav"_s}));
    QCOMPARE(splitpatterns(u"*.mp3"_s), QStringList{u"*.mp3"_s});
    QCOMPARE(splitpatterns(u"a?c.txt;b?d.txt"_s), QStringList{u"a?c.txt;b?d.txt"_s});
    QCOMPARE(splitpatterns(u"*.a;;*.b;"_s),
             (QStringList{u"*.a"_s, QString(), u"*.b"_s, QString()}));
}

void ScanEngineTest::readscanoptionsClampsLimits() {
    AppState state;
    state.scanpaths.minsizetext = u"0"_s;
    state.scanpaths.maxsizebox = true;
    state.scanpaths.maxsizetext = u"5000000000"_s;
    readscanoptions(state);
    QCOMPARE(state.scanpaths.minsizetext, u"1"_s);
    QCOMPARE(state.minsize.bytes(), qint64(1000));
    QVERIFY(state.minsizeon);
    QCOMPARE(state.scanpaths.maxsizetext, u"1000000000"_s);
    QCOMPARE(state.maxsize.bytes(), qint64(1000000000000));
    QVERIFY(state.maxsizeon);

    state.scanpaths.minsizetext = u"ten"_s;
    readscanoptions(state);
    QCOMPARE(state.scanpaths.minsizetext, u"1"_s);
}

void ScanEngineTest::newPathEntryCopiesTheBoxes() {
    AppState state;
    PathEntry e = newpathentry(state, u"/data"_s, u"*.mp3; *.wav"_s);
    QCOMPARE(e.text, u"/data/*.mp3; *.wav"_s);
    QCOMPARE(e.folder(), u"/data/"_s);
    QCOMPARE(e.patterntext(), u"*.mp3; *.wav"_s);
    QCOMPARE(optioncolumns(e.options)[PathEntry::MinSizeOn], u"True"_s);
    QCOMPARE(optioncolumns(e.options)[PathEntry::MinSizeKb], u"10"_s);
    QCOMPARE(optioncolumns(e.options)[PathEntry::MaxSizeOn], u"False"_s);
    QCOMPARE(optioncolumns(e.options)[PathEntry::MaxSizeKb], u"-"_s);
    QCOMPARE(optioncolumns(e.options)[PathEntry::Subdirs], u"True"_s);
    QCOMPARE(optioncolumns(e.options)[PathEntry::IgnoreZero], u"True"_s);
    QCOMPARE(optioncolumns(e.options)[PathEntry::Attributes], u"RHA"_s);

    state.scanpaths.readonlybox = state.scanpaths.hiddenbox = state.scanpaths.archivebox = false;
    state.scanpaths.minsizebox = false;
    state.scanpaths.maxsizebox = true;
    state.scanpaths.maxsizetext = u"2.5"_s;
    e = newpathentry(state, u"/"_s, QString());
    QCOMPARE(e.text, u"/"_s);
    QCOMPARE(optioncolumns(e.options)[PathEntry::MinSizeKb], u"-"_s);
    QCOMPARE(optioncolumns(e.options)[PathEntry::MaxSizeKb], u"2.5"_s);
    QCOMPARE(optioncolumns(e.options)[PathEntry::Attributes], u"Only normal"_s);
    QCOMPARE(attributeLetters(true, true, true, true), u"RHSA"_s);
}

void ScanEngineTest::attributeWordFilter() {
    const EntryOptions archiveOnly = entry(u"/"_s, u"*.*"_s, u"A"_s).options;
    QVERIFY(!archiveOnly.attributesAllowed(33));
    QVERIFY(archiveOnly.attributesAllowed(32));
    QVERIFY(archiveOnly.attributesAllowed(0x2020));
    QVERIFY(archiveOnly.attributesAllowed(0));
    QVERIFY(!archiveOnly.attributesAllowed(2));

    const EntryOptions normal = entry(u"/"_s, u"*.*"_s, u"Only normal"_s).options;
    for (quint32 word : {1u, 2u, 3u, 4u, 32u, 39u})
        QVERIFY2(!normal.attributesAllowed(word), qPrintable(QString::number(word)));
    QVERIFY(normal.attributesAllowed(0));
    QVERIFY(normal.attributesAllowed(128));

    const EntryOptions readonlyHidden = entry(u"/"_s, u"*.*"_s, u"RH"_s).options;
    QVERIFY(readonlyHidden.attributesAllowed(3));
    QVERIFY(!readonlyHidden.attributesAllowed(7));
    // Lower-case letters are not the column's letters.
    QVERIFY(!entry(u"/"_s, u"*.*"_s, u"r"_s).options.attributesAllowed(1));
}

void ScanEngineTest::sharedSizesBecomeEntriesLargestFirst() {
    testing::TempTree tree;
    tree.writeFile(u"a1"_s, 1024, 'a');
    tree.writeFile(u"sub/a2"_s, 1024, 'b');
    tree.writeFile(u"b"_s, 2048, 'c');
    AppState state;
    ScanResult result = scan(state, {entry(tree.root())});
    QVERIFY(!result.stopped);
    QCOMPARE(result.candcount, 3);
    QCOMPARE(sortedNames(result.list), (QStringList{u"a1"_s, u"a2"_s}));
    QCOMPARE(state.filesfound.load(), 3);

    testing::TempTree second;
    const int sizes[] = {9, 5, 7, 9, 7, 9};
    for (int i = 0; i < 6; ++i)
        second.writeFile(u"f%1"_s.arg(i), sizes[i], 'x');
    result = scan(state, {entry(second.root())});
    QCOMPARE(result.list.size(), 5u);
    const qint64 expected[] = {9, 9, 9, 7, 7};
    for (int i = 0; i < 5; ++i)
        QCOMPARE(result.list[i].size, expected[i]);
}

void ScanEngineTest::entryColumnsComeFromTheWalk() {
    testing::TempTree tree;
    tree.writeFile(u"x/one.bin"_s, 1234567, 'a');
    tree.writeFile(u"y/two.bin"_s, 1234567, 'a');
    tree.writeFile(u"y/small1"_s, 4999, 'a');
    tree.writeFile(u"y/small2"_s, 4999, 'b');
    const QDateTime when(QDate(2021, 3, 4), QTime(5, 6, 7));
    QVERIFY(tree.setModified(u"x/one.bin"_s, when.toSecsSinceEpoch()));
    AppState state;
    ScanResult result = scan(state, {entry(tree.root())});
    QCOMPARE(result.list.size(), 4u);
    const ResultEntry* one = nullptr;
    for (const ResultEntry& e : result.list)
        if (e.filename == u"one.bin"_s)
            one = &e;
    QVERIFY(one);
    QCOMPARE(one->path, tree.path(u"x/"_s));
    QCOMPARE(one->fullPath(), tree.path(u"x/one.bin"_s));
    QCOMPARE(one->sizebyteText(), u"1234567"_s);
    QCOMPARE(one->sizembText(), withDecimalPoint(u"1.23"_s));
    QCOMPARE(one->filedateText(), u"04/03/2021 05:06:07"_s);
    QCOMPARE(result.list.back().sizembText(), withDecimalPoint(u"0.01"_s));
    // Each row names the file and the folder it was listed in.
    for (const ResultEntry& e : result.list) {
        struct stat file;
        struct stat folder;
        QCOMPARE(::stat(raw(e.fullPath()).constData(), &file), 0);
        QCOMPARE(::stat(raw(e.path).constData(), &folder), 0);
        QCOMPARE(e.id, (platform::FileIdentity{quint64(file.st_dev), quint64(file.st_ino)}));
        QCOMPARE(e.folderid,
                 (platform::FileIdentity{quint64(folder.st_dev), quint64(folder.st_ino)}));
    }
    // The two small files of y/ share one folder text.
    QCOMPARE(result.list[2].path, tree.path(u"y/"_s));
    QCOMPARE(result.list[3].path, tree.path(u"y/"_s));
    QVERIFY(result.list[2].path.constData() == result.list[3].path.constData());
}

void ScanEngineTest::sizeLimitsAndEmptyFiles() {
    testing::TempTree tree;
    for (const char* copy : {"a", "b"}) {
        const QString c = QString::fromLatin1(copy);
        tree.writeFile(u"min9999"_s + c, 9999, 'x');
        tree.writeFile(u"min10000"_s + c, 10000, 'x');
        tree.writeFile(u"max1999999"_s + c, 1999999, 'x');
        tree.writeFile(u"max2000000"_s + c, 2000000, 'x');
        tree.writeFile(u"empty"_s + c, 0, 'x');
        tree.writeFile(u"frac2500"_s + c, 2500, 'x');
        tree.writeFile(u"frac2501"_s + c, 2501, 'x');
    }
    AppState state;
    ScanResult result =
        scan(state, {entry(tree.root(), u"min*"_s, u"RHSA"_s, true, true, u"10"_s)});
    QCOMPARE(sortedNames(result.list), (QStringList{u"min10000a"_s, u"min10000b"_s}));
    QCOMPARE(state.filesskipped.load(), 2);

    state.filesskipped = 0;
    result =
        scan(state, {entry(tree.root(), u"max*"_s, u"RHSA"_s, true, true, QString(), u"2000"_s)});
    QCOMPARE(sortedNames(result.list), (QStringList{u"max1999999a"_s, u"max1999999b"_s}));
    QCOMPARE(state.filesskipped.load(), 2);

    // A limit between two byte counts: 2.5005 kB is 2500.5 bytes.
    result = scan(state, {entry(tree.root(), u"frac*"_s, u"RHSA"_s, true, true, u"2.5005"_s)});
    QCOMPARE(sortedNames(result.list), (QStringList{u"frac2501a"_s, u"frac2501b"_s}));
    result = scan(state,
                  {entry(tree.root(), u"frac*"_s, u"RHSA"_s, true, true, QString(), u"2.5005"_s)});
    QCOMPARE(sortedNames(result.list), (QStringList{u"frac2500a"_s, u"frac2500b"_s}));

    result = scan(state, {entry(tree.root(), u"empty*"_s)});
    QVERIFY(result.list.empty());
    result = scan(state, {entry(tree.root(), u"empty*"_s, u"RHSA"_s, true, false)});
    QCOMPARE(sortedNames(result.list), (QStringList{u"emptya"_s, u"emptyb"_s}));
    QCOMPARE(result.list.front().sizembText(), withDecimalPoint(u"0.01"_s));
}

void ScanEngineTest::patternsWalkTheTreeOncePerPattern() {
    testing::TempTree tree;
    tree.writeFile(u"a.MP3"_s, 10, 'x');
    tree.writeFile(u"b.wav"_s, 10, 'x');
    tree.writeFile(u"c.txt"_s, 10, 'x');
    AppState state;
    ScanResult result = scan(state, {entry(tree.root(), u"*.mp3; *.wav"_s)});
    QCOMPARE(sortedNames(result.list), (QStringList{u"a.MP3"_s, u"b.wav"_s}));

    // A file that matches two patterns is recorded once and seen again once.
    state.filesfound = 0;
    state.filesskipped = 0;
    result = scan(state, {entry(tree.root(), u"*.txt;c*;*.wav"_s)});
    QCOMPARE(sortedNames(result.list), (QStringList{u"b.wav"_s, u"c.txt"_s}));
    QCOMPARE(state.filesfound.load(), 2);
    QCOMPARE(state.filesskipped.load(), 1);

    // Without a second "*" the text is one pattern, whose parts the matcher
    // tries in turn; an empty piece of a split text matches nothing.
    state.filesskipped = 0;
    result = scan(state, {entry(tree.root(), u"a?c.txt;c.txt"_s), entry(tree.root(), u"*.x;;"_s)});
    QCOMPARE(result.candcount, 1);
    QCOMPARE(state.filesskipped.load(), 0);
}

void ScanEngineTest::hiddenFoldersAndSubfolderSwitch() {
    testing::TempTree tree;
    tree.writeFile(u"top"_s, 10, 'x');
    tree.writeFile(u"sub/deeper/inner"_s, 10, 'x');
    tree.writeFile(u".cache/cached"_s, 10, 'x');
    tree.writeFile(u".dotfile"_s, 10, 'x');
    AppState state;
    ScanResult result = scan(state, {entry(tree.root())});
    QCOMPARE(sortedNames(result.list), (QStringList{u".dotfile"_s, u"inner"_s, u"top"_s}));

    // A hidden file needs H; a file without write permission needs R.
    const QString readonly = tree.writeFile(u"ro"_s, 10, 'x');
    ::chmod(raw(readonly).constData(), 0444);
    result = scan(state, {entry(tree.root(), u"*.*"_s, u"A"_s)});
    QCOMPARE(sortedNames(result.list), (QStringList{u"inner"_s, u"top"_s}));

    result = scan(state, {entry(tree.root(), u"*.*"_s, u"RHSA"_s, false)});
    QCOMPARE(sortedNames(result.list), (QStringList{u".dotfile"_s, u"ro"_s, u"top"_s}));
}

void ScanEngineTest::skipFoldersAndExtensions() {
    testing::TempTree tree;
    tree.writeFile(u"a.dat"_s, 10, 'x');
    tree.writeFile(u"win/b.dat"_s, 10, 'x');
    tree.writeFile(u"win/sys/c.dat"_s, 10, 'x');
    tree.writeFile(u"Win/d.dat"_s, 10, 'x');
    tree.writeFile(u"Win/sys/e.dat"_s, 10, 'x');
    tree.writeFile(u"f.TMP"_s, 10, 'x');
    tree.writeFile(u"g.tar.tmp"_s, 10, 'x');
    tree.writeFile(u"tmp"_s, 10, 'x');
    AppState state;
    // The skip folder's own files are examined, nothing below it; the match
    // is exact, so "Win/" is walked whole.
    ScanResult result = scan(state, {entry(tree.root(), u"*.dat"_s)}, {tree.path(u"win/"_s)});
    QCOMPARE(sortedNames(result.list),
             (QStringList{u"a.dat"_s, u"b.dat"_s, u"d.dat"_s, u"e.dat"_s}));

    // A path entry that is, or lies inside, a skip folder was chosen by the
    // user: that skip folder does not apply to it.
    result = scan(state, {entry(tree.path(u"win/"_s))}, {tree.path(u"win/"_s)});
    QCOMPARE(sortedNames(result.list), (QStringList{u"b.dat"_s, u"c.dat"_s}));
    result =
        scan(state, {entry(tree.path(u"win/sys/"_s)), entry(tree.path(u"Win/"_s))}, {tree.root()});
    QCOMPARE(sortedNames(result.list), (QStringList{u"c.dat"_s, u"d.dat"_s, u"e.dat"_s}));

    // Extensions compare without regard to case, on the text after the last dot.
    state.filesskipped = 0;
    result = scan(state, {entry(tree.root(), u"*.*"_s, u"RHSA"_s, false)}, {}, {u"tmp"_s});
    QCOMPARE(sortedNames(result.list), (QStringList{u"a.dat"_s, u"tmp"_s}));
    QCOMPARE(state.filesskipped.load(), 2);
}

void ScanEngineTest::fileReachedTwiceIsRecordedOnce() {
    testing::TempTree tree;
    tree.writeFile(u"a"_s, 100, 'x');
    tree.writeFile(u"sub/b"_s, 100, 'y');
    tree.writeFile(u"c"_s, 200, 'z');
    QCOMPARE(
        ::link(raw(tree.path(u"c"_s)).constData(), raw(tree.path(u"sub/c-link"_s)).constData()), 0);
    QCOMPARE(::link(raw(tree.path(u"c"_s)).constData(), raw(tree.path(u"c-same"_s)).constData()),
             0);
    AppState state;
    // The same folder twice, and a second entry below the first.
    ScanResult result =
        scan(state, {entry(tree.root()), entry(tree.root()), entry(tree.path(u"sub/"_s))});
    // The hard link of c is the same file: c's size is not shared.
    QCOMPARE(sortedNames(result.list), (QStringList{u"a"_s, u"b"_s}));
    QCOMPARE(result.candcount, 3);
    QCOMPARE(state.filesfound.load(), 3);
    // Two hard links in the first walk, five names in the second, two in the third.
    QCOMPARE(state.filesskipped.load(), 2 + 5 + 2);
}

void ScanEngineTest::bigTreeGivesEveryFileItsOwnFacts() {
    // More folders and files than the walk looks up at once, so that their
    // facts are looked up in several batches (three at least, so that one
    // is recorded while the next is looked up) and on several threads.
    testing::TempTree tree;
    QSet<QString> expected;
    for (int f = 0; f < 2400; ++f) {
        const QString name = u"d%1/f%2"_s.arg(f % 600).arg(f);
        tree.writeFile(name, 1 + f % 97, 'x');
        expected.insert(tree.path(name));
    }
    tree.writeFile(u"d7/lone"_s, 5000, 'x');
    // A second name in a folder listed in a later batch: the file counts once.
    QCOMPARE(
        ::link(raw(tree.path(u"d3/f3"_s)).constData(), raw(tree.path(u"d599/again"_s)).constData()),
        0);
    AppState state;
    const ScanResult result = scan(state, {entry(tree.root())});
    QCOMPARE(result.candcount, 2401);
    QSet<QString> found;
    for (const ResultEntry& row : result.list) {
        const QString path = row.fullPath();
        found.insert(path);
        const platform::FileInfo info = platform::fileInfo(path);
        QCOMPARE(row.size, info.size);
        QCOMPARE(row.id, info.id);
        QCOMPARE(row.mtime, info.mtime);
        QCOMPARE(row.folderid, platform::fileInfo(row.path).id);
    }
    // Whichever name the walk met first stands for the linked file.
    const QString first = tree.path(u"d3/f3"_s);
    if (found.remove(tree.path(u"d599/again"_s))) {
        QVERIFY(!found.contains(first));
        found.insert(first);
    }
    QCOMPARE(found, expected);
    QCOMPARE(state.filesskipped.load(), 1);
}

void ScanEngineTest::bindMountShowsTheSameFilesTwice() {
    testing::TempTree tree;
    tree.writeFile(u"data/x"_s, 100, 'x');
    tree.writeFile(u"data/y"_s, 100, 'y');
    tree.makeFolder(u"view"_s);
    const QByteArray view = raw(tree.path(u"view"_s));
    if (::mount(raw(tree.path(u"data"_s)).constData(), view.constData(), nullptr, MS_BIND,
                nullptr) != 0)
        QSKIP("bind mounts are not allowed here");
    const auto unmount = qScopeGuard([&] { ::umount2(view.constData(), MNT_DETACH); });
    AppState state;
    ScanResult result = scan(state, {entry(tree.root())});
    QCOMPARE(sortedNames(result.list), (QStringList{u"x"_s, u"y"_s}));
    QCOMPARE(state.filesskipped.load(), 2);

    // A file bound onto another name has one name in each folder (one link
    // each): still one file, so one row, and deleting "one copy" would lose it.
    tree.writeFile(u"files/one"_s, 300, 'o');
    tree.writeFile(u"files/other"_s, 300, 'p');
    const QByteArray second = raw(tree.writeFile(u"elsewhere/two"_s, QByteArray()));
    QCOMPARE(::mount(raw(tree.path(u"files/one"_s)).constData(), second.constData(), nullptr,
                     MS_BIND, nullptr),
             0);
    const auto unmountFile = qScopeGuard([&] { ::umount2(second.constData(), MNT_DETACH); });
    state.filesskipped = 0;
    result = scan(state, {entry(tree.root())});
    const QStringList found = sortedNames(result.list);
    QCOMPARE(found.size(), 4);
    QVERIFY2(found.contains(u"one"_s) != found.contains(u"two"_s), qPrintable(found.join(u' ')));
    QVERIFY(found.contains(u"other"_s));
    QCOMPARE(state.filesskipped.load(), 3);
}

void ScanEngineTest::folderSwappedForALinkDuringTheWalkIsNotEntered() {
    testing::TempTree tree;
    tree.writeFile(u"scan/a.txt"_s, 100, 'a');
    tree.writeFile(u"scan/sub/b.txt"_s, 100, 'b');
    tree.writeFile(u"scan/victim/own.txt"_s, 50, 'v');
    tree.writeFile(u"outside/secret.txt"_s, 100, 's');
    const QString victim = tree.path(u"scan/victim/"_s);
    ScanInput input;
    input.pathtable = {entry(tree.path(u"scan/"_s))};
    bool swapped = false;
    // The listing of scan/ saw victim as a folder; before the walk enters it,
    // someone puts a link to a folder outside the scan in its place.
    input.enteringfolder = [&](const QString& folder) {
        if (folder != victim || swapped)
            return;
        swapped = ::rename(raw(tree.path(u"scan/victim"_s)).constData(),
                           raw(tree.path(u"scan/victim.old"_s)).constData()) == 0 &&
                  ::symlink(raw(tree.path(u"outside"_s)).constData(),
                            raw(tree.path(u"scan/victim"_s)).constData()) == 0;
    };
    AppState state;
    state.stopflag = false;
    const ScanResult result = scanfiles(input, state);
    QVERIFY(swapped);
    QCOMPARE(sortedNames(result.list), (QStringList{u"a.txt"_s, u"b.txt"_s}));
    QCOMPARE(result.candcount, 2);
}

void ScanEngineTest::filesBelowAPathLongerThanPathMaxAreFound() {
    testing::TempTree tree;
    tree.writeFile(u"top.bin"_s, QByteArray("same bytes"));
    const QString deep = tree.writeDeepFile("same bytes");
    QVERIFY(raw(deep).size() > PATH_MAX);
    AppState state;
    const ScanResult result = scan(state, {entry(tree.root())});
    QCOMPARE(sortedNames(result.list), (QStringList{u"deep.bin"_s, u"top.bin"_s}));
    QCOMPARE(state.filesunreadable.load(), 0);
    for (const ResultEntry& row : result.list) {
        if (row.filename == u"deep.bin"_s)
            QCOMPARE(row.fullPath(), deep);
    }
}

void ScanEngineTest::fileFilteredOutByOneEntryIsFoundByAnother() {
    testing::TempTree tree;
    tree.writeFile(u"small/a"_s, 100, 'x');
    tree.writeFile(u"small/b"_s, 100, 'y');
    AppState state;
    // The first entry skips both files as too small; the second, without a
    // limit, must still record them.
    ScanResult result = scan(state, {entry(tree.root(), u"*.*"_s, u"RHSA"_s, true, true, u"10"_s),
                                     entry(tree.path(u"small/"_s))});
    QCOMPARE(sortedNames(result.list), (QStringList{u"a"_s, u"b"_s}));
}

void ScanEngineTest::linksAndSpecialFiles() {
    testing::TempTree tree;
    tree.writeFile(u"real"_s, 64, 'x');
    tree.writeFile(u"folder/inside"_s, 64, 'y');
    QCOMPARE(
        ::symlink(raw(tree.path(u"real"_s)).constData(), raw(tree.path(u"filelink"_s)).constData()),
        0);
    QCOMPARE(::symlink(raw(tree.path(u"folder"_s)).constData(),
                       raw(tree.path(u"folderlink"_s)).constData()),
             0);
    QCOMPARE(::symlink("..", raw(tree.path(u"folder/loop"_s)).constData()), 0);
    QCOMPARE(::symlink("nowhere", raw(tree.path(u"dangling"_s)).constData()), 0);
    QCOMPARE(::mkfifo(raw(tree.path(u"pipe"_s)).constData(), 0644), 0);
    AppState state;
    ScanResult result = scan(state, {entry(tree.root())});
    QCOMPARE(sortedNames(result.list), (QStringList{u"inside"_s, u"real"_s}));
    QCOMPARE(result.candcount, 2);
    QCOMPARE(state.filesskipped.load(), 0);
    QCOMPARE(state.filesunreadable.load(), 0);
}

void ScanEngineTest::namesDifferingOnlyInCaseAreTwoFiles() {
    testing::TempTree tree;
    tree.writeFile(u"Report.txt"_s, 50, 'x');
    tree.writeFile(u"report.txt"_s, 50, 'x');
    tree.writeFile(u"REPORT/report.txt"_s, 50, 'x');
    AppState state;
    ScanResult result = scan(state, {entry(tree.root())});
    QCOMPARE(result.list.size(), 3u);
    QCOMPARE(state.filesskipped.load(), 0);
}

void ScanEngineTest::nonUtf8NameSurvives() {
    testing::TempTree tree;
    const QByteArray latin1Name("caf\xe9.txt");
    const QByteArray full = tree.writeRawNamedFile(latin1Name, "same");
    tree.writeFile(u"plain.txt"_s, "same");
    AppState state;
    ScanResult result = scan(state, {entry(tree.root(), u"*.txt"_s)});
    QCOMPARE(result.list.size(), 2u);
    bool found = false;
    for (const ResultEntry& e : result.list) {
        if (e.filename != u"plain.txt"_s) {
            found = true;
            QCOMPARE(platform::encodeFileName(e.fullPath()), full);
            QCOMPARE(platform::encodeFileName(e.filename), latin1Name);
        }
    }
    QVERIFY(found);
}

void ScanEngineTest::sizesBeyondFourGigabytes() {
    testing::TempTree tree;
    const qint64 gib = qint64(1) << 30;
    tree.writeSparseFile(u"three-a"_s, 3 * gib, 'a');
    tree.writeSparseFile(u"three-b"_s, 3 * gib, 'b');
    // 5 GiB is 1 GiB modulo 2^32: a size cut to 32 bits would pair these.
    tree.writeSparseFile(u"five"_s, 5 * gib, 'c');
    tree.writeSparseFile(u"one"_s, gib, 'd');
    AppState state;
    ScanResult result = scan(state, {entry(tree.root())});
    QCOMPARE(sortedNames(result.list), (QStringList{u"three-a"_s, u"three-b"_s}));
    QCOMPARE(result.list[0].size, 3 * gib);
    QCOMPARE(result.list[0].sizebyteText(), u"3221225472"_s);
    QCOMPARE(result.list[0].sizembText(), withDecimalPoint(u"3221.23"_s));

    // Limits above 4 GB hold too.
    result = scan(state, {entry(tree.root(), u"*.*"_s, u"RHSA"_s, true, true, u"4000000"_s)});
    QCOMPARE(result.candcount, 1); // only the 5 GiB file
}

void ScanEngineTest::descriptorsTakenByAnotherThreadMissNoFolder() {
    // The walk holds descriptors for its lookups up to the limit; another
    // thread taking the last ones (the checksum cache opening beside it) must
    // not make folders look unreadable.
    if (::geteuid() != 0)
        QSKIP("Lowering the open-file limit is tested as root only.");
    testing::TempTree tree;
    constexpr int folders = 200;
    for (int f = 0; f < folders; ++f) {
        for (int k = 0; k < 3; ++k)
            tree.writeFile(u"f%1/x%2"_s.arg(f).arg(k), 100 + f % 7, 'x');
    }
    rlimit saved{};
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &saved) == 0);
    int open = 0;
    for (int fd = 0; fd < 4096; ++fd)
        open += ::fcntl(fd, F_GETFD) != -1 ? 1 : 0;
    rlimit low = saved;
    low.rlim_cur = rlim_t(open + 24);
    if (saved.rlim_cur < low.rlim_cur || ::setrlimit(RLIMIT_NOFILE, &low) != 0)
        QSKIP("The open-file limit cannot be lowered.");
    std::atomic<bool> done{false};
    std::thread taker([&done] {
        while (!done) {
            const int a = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
            const int b = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
            std::this_thread::yield();
            for (const int fd : {a, b}) {
                if (fd >= 0)
                    ::close(fd);
            }
        }
    });
    AppState state;
    const ScanResult result = scan(state, {entry(tree.root())});
    done = true;
    taker.join();
    ::setrlimit(RLIMIT_NOFILE, &saved);
    QCOMPARE(state.filesunreadable.load(), 0);
    QCOMPARE(state.filesfound.load(), 3 * folders);
    QCOMPARE(result.candcount, 3 * folders);
}

void ScanEngineTest::unreadableFoldersArePassedOver() {
    testing::TempTree tree;
    tree.writeFile(u"a/one"_s, 10, 'x');
    tree.writeFile(u"locked/two"_s, 10, 'x');
    tree.writeFile(u"nosearch/three"_s, 10, 'x');
    tree.writeFile(u"z/four"_s, 10, 'x');
    ::chmod(raw(tree.path(u"locked"_s)).constData(), 0);
    ::chmod(raw(tree.path(u"nosearch"_s)).constData(), 0444); // listable, files not reachable
    const bool dropped = geteuid() != 0 || dropPermissionOverride();
    if (!dropped) {
        ::chmod(raw(tree.path(u"locked"_s)).constData(), 0755);
        ::chmod(raw(tree.path(u"nosearch"_s)).constData(), 0755);
        QSKIP("running as root without the right to drop the permission override");
    }
    AppState state;
    ScanResult result = scan(state, {entry(tree.root())});
    if (geteuid() == 0)
        restorePermissionOverride();
    ::chmod(raw(tree.path(u"locked"_s)).constData(), 0755);
    ::chmod(raw(tree.path(u"nosearch"_s)).constData(), 0755);
    QCOMPARE(sortedNames(result.list), (QStringList{u"four"_s, u"one"_s}));
    // The folder that cannot be listed and the file whose size cannot be
    // read; that file counts as found too, but is never a candidate.
    QCOMPARE(state.filesunreadable.load(), 2);
    QCOMPARE(state.filesfound.load(), 3);
    QCOMPARE(result.candcount, 2);

    // A scan root that does not exist is passed over as well.
    state.filesunreadable = 0;
    result = scan(state, {entry(tree.path(u"missing/"_s)), entry(tree.path(u"a/"_s))});
    QCOMPARE(result.candcount, 1);
    QCOMPARE(state.filesunreadable.load(), 1);
}

void ScanEngineTest::stopEndsTheWalk() {
    testing::TempTree tree;
    for (int i = 0; i < 200; ++i)
        tree.writeFile(u"d%1/f%2"_s.arg(i % 10).arg(i), i % 7, 'x');
    ScanInput input;
    for (int i = 0; i < 20000; ++i)
        input.pathtable.push_back(entry(tree.root()));
    AppState state;
    state.stopflag = false;
    ScanResult result;
    std::thread worker([&] { result = scanfiles(input, state); });
    QTRY_VERIFY_WITH_TIMEOUT(state.filesskipped.load() > 1000, 20000);
    state.stopflag = true;
    // A walk that ignored the stop would take minutes; how soon it ends is
    // measured by bench/bench_stop.
    worker.join();
    QVERIFY(result.stopped);
    QVERIFY(result.list.empty());
    QVERIFY(state.filesskipped.load() < 20000LL * 200 / 2); // not half of it walked

    // Stopped before it starts: nothing is walked.
    AppState idle;
    idle.stopflag = true;
    result = scanfiles(input, idle);
    QVERIFY(result.stopped);
    QCOMPARE(idle.filesfound.load(), 0);
}

QTEST_GUILESS_MAIN(ScanEngineTest)
#include "tst_scanengine.moc"

#include "fixtures.h"
#include "platform/fileops.h"
#include "temptree.h"

#include <QtTest>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>

using namespace quillfen;
using namespace quillfen::platform;
using namespace Qt::StringLiterals;
using fixtures::exists;
using fixtures::readAll;

namespace {

QString rawPath(const QString& folder, const QByteArray& name) {
    return decodeFileName(encodeFileName(folder) + name);
}

struct stat statOf(const QString& path) {
    struct stat st {};
    ::lstat(encodeFileName(path).constData(), &st);
    return st;
}

// The name a trash gave a file, checked against its .trashinfo: returns the
// decoded Path line, or an empty text when the pair is not well formed.
QByteArray recordedPath(const QString& trash, const QByteArray& name) {
    const QByteArray info = readAll(rawPath(trash + u"info/"_s, name + ".trashinfo"));
    static const QRegularExpression form(
        u"^\\[Trash Info\\]\nPath=([A-Za-z0-9%/._~-]+)\nDeletionDate=(\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d)\n$"_s);
    const QRegularExpressionMatch match = form.match(QString::fromLatin1(info));
    if (!match.hasMatch())
        return {};
    const QDateTime when = QDateTime::fromString(match.captured(2), Qt::ISODate);
    if (qAbs(when.secsTo(QDateTime::currentDateTime())) > 120)
        return {};
    return QByteArray::fromPercentEncoding(match.captured(1).toLatin1());
}

bool onAnotherDevice(const testing::TempTree& a, const testing::TempTree& b) {
    return a.isValid() && b.isValid() && statOf(a.root()).st_dev != statOf(b.root()).st_dev;
}

} // namespace

class TrashAndMoveTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void homeTrashKeepsTheNameBytes();
    void sameNameTwiceGetsTwoPlaces();
    void longNameStillGetsItsRecord();
    void manyFilesOfOneNameAroundTakenPlaces();
    void trashFailureLeavesTheFile();
    void trashFoldersThatAreLinksAreRefused();
    void volumeTrashOnAnotherFileSystem();
    void homeFileSystemThroughABindMountUsesTheHomeTrash();
    void homeFileSystemOutsideTheHomeMountUsesTheVolumeTrash();
    void crossDeviceMoveCopiesCompletely();
    void crossDeviceFailureLeavesTheSource();
    void crossDeviceSourceReplacedDuringCopy();
    void pathsWithANulCharacterNameNoFile();

private:
    testing::TempTree m_dataHome;
    QString m_trash;
};

void TrashAndMoveTest::initTestCase() {
    QVERIFY(m_dataHome.isValid());
    qputenv("XDG_DATA_HOME", encodeFileName(m_dataHome.root()));
    m_trash = m_dataHome.path(u"Trash/"_s);
}

void TrashAndMoveTest::homeTrashKeepsTheNameBytes() {
    testing::TempTree tree;
    const QByteArray name("caf\xE9 100%\n\"x\".txt");
    tree.writeRawNamedFile(name, "payload");
    const QString path = rawPath(tree.root(), name);
    const FileOpResult result = moveToTrash(path);
    QVERIFY2(result.ok(), qPrintable(result.description));
    QVERIFY(!exists(path));
    QCOMPARE(readAll(rawPath(m_trash + u"files/"_s, name)), QByteArray("payload"));
    const QByteArray canonical = QFileInfo(tree.root()).canonicalFilePath().toUtf8() + '/' + name;
    QCOMPARE(recordedPath(m_trash, name), canonical);
    // The trash folders are private.
    QCOMPARE(statOf(m_trash + u"files"_s).st_mode & 0777, 0700u);
    QCOMPARE(statOf(m_trash + u"info"_s).st_mode & 0777, 0700u);
}

void TrashAndMoveTest::sameNameTwiceGetsTwoPlaces() {
    testing::TempTree tree;
    tree.writeFile(u"one/dup.txt"_s, "first");
    tree.writeFile(u"two/dup.txt"_s, "second");
    const auto before = fixtures::names(m_trash + u"files"_s);
    QVERIFY(moveToTrash(tree.path(u"one/dup.txt"_s)).ok());
    QVERIFY(moveToTrash(tree.path(u"two/dup.txt"_s)).ok());
    const auto added = fixtures::names(m_trash + u"files"_s) - before;
    QCOMPARE(added.size(), 2);
    QSet<QByteArray> contents;
    QSet<QByteArray> paths;
    for (const QByteArray& name : added) {
        contents.insert(readAll(rawPath(m_trash + u"files/"_s, name)));
        paths.insert(recordedPath(m_trash, name));
    }
    QCOMPARE(contents, (QSet<QByteArray>{"first", "second"}));
    const QByteArray root = QFileInfo(tree.root()).canonicalFilePath().toUtf8();
    QCOMPARE(paths, (QSet<QByteArray>{root + "/one/dup.txt", root + "/two/dup.txt"}));
}

void TrashAndMoveTest::longNameStillGetsItsRecord() {
    testing::TempTree tree;
    const QByteArray name = QByteArray(240, 'n') + ".data";
    tree.writeRawNamedFile(name, "long");
    const auto before = fixtures::names(m_trash + u"files"_s);
    const FileOpResult result = moveToTrash(rawPath(tree.root(), name));
    QVERIFY2(result.ok(), qPrintable(result.description));
    const auto added = fixtures::names(m_trash + u"files"_s) - before;
    QCOMPARE(added.size(), 1);
    const QByteArray stored = *added.begin();
    QVERIFY(stored.size() + 10 <= 255);
    QVERIFY(stored.endsWith(".data"));
    QCOMPARE(recordedPath(m_trash, stored).right(name.size()), name);
}

void TrashAndMoveTest::manyFilesOfOneNameAroundTakenPlaces() {
    testing::TempTree dataHome;
    qputenv("XDG_DATA_HOME", encodeFileName(dataHome.root()));
    const QString trash = dataHome.path(u"Trash/"_s);
    // Leftovers of other programs: a record without its file, files without
    // records, and a gap in the numbers.
    dataHome.writeFile(u"Trash/info/busy.txt.trashinfo"_s, "[Trash Info]\nPath=/elsewhere\n");
    dataHome.writeFile(u"Trash/files/busy.1.txt"_s, "orphan 1");
    dataHome.writeFile(u"Trash/files/busy.3.txt"_s, "orphan 3");
    const auto filesBefore = fixtures::names(trash + u"files"_s);
    const auto infoBefore = fixtures::names(trash + u"info"_s);

    testing::TempTree tree;
    const QByteArray root = QFileInfo(tree.root()).canonicalFilePath().toUtf8();
    QSet<QByteArray> origins;
    const int count = 150;
    for (int k = 0; k < count; ++k) {
        const QString file = tree.writeFile(u"%1/busy.txt"_s.arg(k), QByteArray::number(k));
        const FileOpResult result = moveToTrash(file);
        QVERIFY2(result.ok(), qPrintable(result.description));
        QVERIFY(!exists(file));
        origins.insert(root + '/' + QByteArray::number(k) + "/busy.txt");
    }
    qputenv("XDG_DATA_HOME", encodeFileName(m_dataHome.root()));

    QCOMPARE(readAll(trash + u"files/busy.1.txt"_s), QByteArray("orphan 1"));
    QCOMPARE(readAll(trash + u"files/busy.3.txt"_s), QByteArray("orphan 3"));
    QCOMPARE(readAll(trash + u"info/busy.txt.trashinfo"_s),
             QByteArray("[Trash Info]\nPath=/elsewhere\n"));
    const auto added = fixtures::names(trash + u"files"_s) - filesBefore;
    QCOMPARE(added.size(), count);
    QCOMPARE((fixtures::names(trash + u"info"_s) - infoBefore).size(), added.size());
    QSet<QByteArray> recorded;
    for (const QByteArray& name : added) {
        QVERIFY(name.startsWith("busy.") && name.endsWith(".txt"));
        const QByteArray origin = recordedPath(trash, name);
        QVERIFY2(origins.contains(origin), name.constData());
        // The file in the trash is the one its record names.
        QCOMPARE(readAll(rawPath(trash + u"files/"_s, name)),
                 origin.mid(root.size() + 1).split('/').first());
        recorded.insert(origin);
    }
    QCOMPARE(recorded, origins);
}

void TrashAndMoveTest::trashFailureLeavesTheFile() {
    testing::TempTree tree;
    tree.writeFile(u"stay.txt"_s, "stay");
    const QString path = tree.path(u"stay.txt"_s);

    // The trash's files folder refuses new entries: the record written
    // first must go again, and the file stays where it is.
    const auto infoBefore = fixtures::names(m_trash + u"info"_s);
    {
        QVERIFY(moveToTrash(tree.writeFile(u"prime.txt"_s, "p")).ok()); // the folders exist
        const auto primed = fixtures::names(m_trash + u"info"_s);
        fixtures::Unchangeable locked(m_trash + u"files"_s);
        if (locked.isValid()) {
            const FileOpResult result = moveToTrash(path);
            QVERIFY(!result.ok());
            QVERIFY(!result.description.isEmpty());
            QCOMPARE(readAll(path), QByteArray("stay"));
            QCOMPARE(fixtures::names(m_trash + u"info"_s), primed);
        } else {
            qWarning("files/ cannot be locked here; that case is not tested");
        }
        Q_UNUSED(infoBefore);
    }

    // No trash can be made at all: its parent is a file.
    testing::TempTree blocked;
    blocked.writeFile(u"notafolder"_s, "x");
    qputenv("XDG_DATA_HOME", encodeFileName(blocked.path(u"notafolder/share"_s)));
    const FileOpResult result = moveToTrash(path);
    qputenv("XDG_DATA_HOME", encodeFileName(m_dataHome.root()));
    QCOMPARE(result.error, ENOTDIR);
    QCOMPARE(result.description, errorText(ENOTDIR));
    QCOMPARE(readAll(path), QByteArray("stay"));
}

void TrashAndMoveTest::trashFoldersThatAreLinksAreRefused() {
    // A link in place of files/ or info/ could send the file, or its record,
    // anywhere; the file must stay where it is instead.
    testing::TempTree tree;
    const QString path = tree.writeFile(u"stay.txt"_s, "stay");
    for (const QString& linked : {u"files"_s, u"info"_s}) {
        testing::TempTree dataHome;
        testing::TempTree elsewhere;
        dataHome.makeFolder(u"Trash"_s);
        QVERIFY(QFile::link(elsewhere.root(), dataHome.path(u"Trash/"_s + linked)));
        qputenv("XDG_DATA_HOME", encodeFileName(dataHome.root()));
        const FileOpResult result = moveToTrash(path);
        qputenv("XDG_DATA_HOME", encodeFileName(m_dataHome.root()));
        QVERIFY2(!result.ok(), qPrintable(linked));
        QCOMPARE(readAll(path), QByteArray("stay"));
        QVERIFY(fixtures::names(elsewhere.root()).isEmpty());
        QVERIFY(fixtures::names(dataHome.path(u"Trash/files"_s)).isEmpty());
        QVERIFY(fixtures::names(dataHome.path(u"Trash/info"_s)).isEmpty());
    }

    // A .trashinfo already there is never written over, also not through a link.
    testing::TempTree dataHome;
    testing::TempTree elsewhere;
    const QString victim = elsewhere.writeFile(u"victim"_s, "untouched");
    dataHome.makeFolder(u"Trash/files"_s);
    dataHome.makeFolder(u"Trash/info"_s);
    QVERIFY(QFile::link(victim, dataHome.path(u"Trash/info/stay.txt.trashinfo"_s)));
    qputenv("XDG_DATA_HOME", encodeFileName(dataHome.root()));
    const FileOpResult result = moveToTrash(path);
    qputenv("XDG_DATA_HOME", encodeFileName(m_dataHome.root()));
    QVERIFY2(result.ok(), qPrintable(result.description));
    QCOMPARE(readAll(victim), QByteArray("untouched"));
    QVERIFY(!exists(path));
    QVERIFY(!exists(dataHome.path(u"Trash/files/stay.txt"_s)));
    QCOMPARE(fixtures::names(dataHome.path(u"Trash/files"_s)).size(), 1);
}

void TrashAndMoveTest::volumeTrashOnAnotherFileSystem() {
    testing::TempTree volume(u"/dev/shm"_s);
    if (!onAnotherDevice(volume, m_dataHome))
        QSKIP("/dev/shm is not a separate writable file system here");
    const QByteArray uid = QByteArray::number(::getuid());
    const QString top = u"/dev/shm/"_s;
    if (exists(top + u".Trash"_s))
        QSKIP("/dev/shm already has an administrator trash; not touching it");
    const QString own = top + u".Trash-"_s + QString::fromLatin1(uid) + u'/';
    const bool ownExisted = exists(own);

    const QByteArray name("vol\xFF.bin");
    volume.writeRawNamedFile(name, "on the volume");
    const QString path = rawPath(volume.root(), name);
    const auto before = fixtures::names(own + u"files"_s);
    const FileOpResult result = moveToTrash(path);
    QVERIFY2(result.ok(), qPrintable(result.description));
    QVERIFY(!exists(path));
    const auto added = fixtures::names(own + u"files"_s) - before;
    QCOMPARE(added.size(), 1);
    const QByteArray stored = *added.begin();
    QCOMPARE(readAll(rawPath(own + u"files/"_s, stored)), QByteArray("on the volume"));
    // Relative to the volume's top folder.
    const QByteArray relative = encodeFileName(volume.root()).mid(top.size()) + name;
    QCOMPARE(recordedPath(own, stored), relative);
    QCOMPARE(statOf(own).st_mode & 0777, 0700u);

    // A .Trash without the sticky bit is not used; one with it is.
    QVERIFY(QDir().mkdir(top + u".Trash"_s));
    ::chmod("/dev/shm/.Trash", 0777);
    volume.writeFile(u"second.bin"_s, "2");
    QVERIFY(moveToTrash(volume.path(u"second.bin"_s)).ok());
    QVERIFY(!exists(top + u".Trash/"_s + QString::fromLatin1(uid)));
    ::chmod("/dev/shm/.Trash", 01777);
    volume.writeFile(u"third.bin"_s, "3");
    QVERIFY(moveToTrash(volume.path(u"third.bin"_s)).ok());
    QCOMPARE(readAll(top + u".Trash/"_s + QString::fromLatin1(uid) + u"/files/third.bin"_s),
             QByteArray("3"));

    // Leave /dev/shm as it was.
    QProcess::execute(u"rm"_s, {u"-rf"_s, u"--"_s, top + u".Trash"_s});
    if (ownExisted) {
        for (const QByteArray& entry : fixtures::names(own + u"files"_s) - before) {
            ::unlink(encodeFileName(own + u"files/"_s).append(entry).constData());
            ::unlink(encodeFileName(own + u"info/"_s).append(entry + ".trashinfo").constData());
        }
    } else {
        QProcess::execute(u"rm"_s, {u"-rf"_s, u"--"_s, own});
    }
}

void TrashAndMoveTest::homeFileSystemThroughABindMountUsesTheHomeTrash() {
    testing::TempTree tree;
    if (statOf(tree.root()).st_dev != statOf(m_dataHome.root()).st_dev)
        QSKIP("the temporary folders are not on one file system");
    tree.writeFile(u"data/file.txt"_s, "through the bind mount");
    const QByteArray view = encodeFileName(tree.makeFolder(u"view"_s));
    if (::mount(encodeFileName(tree.path(u"data"_s)).constData(), view.constData(), nullptr,
                MS_BIND, nullptr) != 0)
        QSKIP("bind mounts are not allowed here");
    const auto unmount = qScopeGuard([&] { ::umount2(view.constData(), MNT_DETACH); });
    const auto before = fixtures::names(m_trash + u"files"_s);
    // A rename from the bind mount into the home trash crosses mounts.
    const FileOpResult result = moveToTrash(tree.path(u"view/file.txt"_s));
    QVERIFY2(result.ok(), qPrintable(result.description));
    QVERIFY(!exists(tree.path(u"data/file.txt"_s)));
    const auto added = fixtures::names(m_trash + u"files"_s) - before;
    QCOMPARE(added.size(), 1);
    const QByteArray stored = *added.begin();
    QCOMPARE(readAll(rawPath(m_trash + u"files/"_s, stored)), QByteArray("through the bind mount"));
    // Restored through the home file system's own mount, which outlives the bind mount.
    QCOMPARE(recordedPath(m_trash, stored),
             QFileInfo(tree.root()).canonicalFilePath().toUtf8() + "/data/file.txt");
}

void TrashAndMoveTest::homeFileSystemOutsideTheHomeMountUsesTheVolumeTrash() {
    // A file system of its own, whose part homesrc/ is the home (mounted at
    // home/): a file in data/ is on the home's file system, yet no rename
    // can take it into the home trash.
    testing::TempTree tree;
    const QByteArray top = encodeFileName(tree.makeFolder(u"volume"_s));
    if (::mount("tmpfs", top.constData(), "tmpfs", 0, "size=1m") != 0)
        QSKIP("mounts are not allowed here");
    const auto unmount = qScopeGuard([&] { ::umount2(top.constData(), MNT_DETACH); });
    tree.makeFolder(u"volume/homesrc"_s);
    const QByteArray home = encodeFileName(tree.makeFolder(u"volume/home"_s));
    QCOMPARE(::mount((top + "/homesrc").constData(), home.constData(), nullptr, MS_BIND, nullptr),
             0);
    const auto unmountHome = qScopeGuard([&] { ::umount2(home.constData(), MNT_DETACH); });
    qputenv("XDG_DATA_HOME", home);
    const auto restore =
        qScopeGuard([&] { qputenv("XDG_DATA_HOME", encodeFileName(m_dataHome.root())); });
    const QString file = tree.writeFile(u"volume/data/x.bin"_s, "outside the home mount");

    const FileOpResult result = moveToTrash(file);
    QVERIFY2(result.ok(), qPrintable(result.description));
    QVERIFY(!exists(file));
    const QString trash = tree.path(u"volume/.Trash-"_s) + QString::number(::getuid()) + u'/';
    QCOMPARE(readAll(trash + u"files/x.bin"_s), QByteArray("outside the home mount"));
    QCOMPARE(recordedPath(trash, "x.bin"), QByteArray("data/x.bin"));
    QVERIFY(!exists(tree.path(u"volume/home/Trash/info/x.bin.trashinfo"_s)));
}

void TrashAndMoveTest::crossDeviceMoveCopiesCompletely() {
    testing::TempTree volume(u"/dev/shm"_s);
    testing::TempTree tree;
    if (!onAnotherDevice(volume, tree))
        QSKIP("No second file system (/dev/shm) here for a move across devices");
    QByteArray content(3 * 1024 * 1024 + 17, '\0');
    for (qsizetype i = 0; i < content.size(); ++i)
        content[i] = char(i * 7 % 251);
    const QByteArray name("-x \xE9.bin");
    volume.writeRawNamedFile(name, content);
    const QString source = rawPath(volume.root(), name);
    ::chmod(encodeFileName(source).constData(), 0640);
    struct timespec times[2] = {{1000000000, 0}, {1234567890, 123456789}};
    ::utimensat(AT_FDCWD, encodeFileName(source).constData(), times, 0);
    tree.makeFolder(u"dst"_s);
    const QString target = rawPath(tree.path(u"dst/"_s), name);

    const FileOpResult result = moveFile(source, target);
    QVERIFY2(result.ok(), qPrintable(result.description));
    QVERIFY(!exists(source));
    QCOMPARE(readAll(target), content);
    const struct stat st = statOf(target);
    QCOMPARE(st.st_mode & 07777, 0640u);
    QCOMPARE(st.st_mtim.tv_sec, 1234567890);
    QCOMPARE(st.st_mtim.tv_nsec, 123456789);
    QCOMPARE(fixtures::names(tree.path(u"dst"_s)), QSet<QByteArray>{name}); // no temporary left

    // Never onto an existing file, across devices too.
    volume.writeFile(u"again.bin"_s, "new");
    tree.writeFile(u"dst/again.bin"_s, "old");
    QCOMPARE(moveFile(volume.path(u"again.bin"_s), tree.path(u"dst/again.bin"_s)).error, EEXIST);
    QCOMPARE(readAll(tree.path(u"dst/again.bin"_s)), QByteArray("old"));
    QCOMPARE(readAll(volume.path(u"again.bin"_s)), QByteArray("new"));
}

void TrashAndMoveTest::crossDeviceFailureLeavesTheSource() {
    testing::TempTree volume(u"/dev/shm"_s);
    testing::TempTree tree;
    if (!onAnotherDevice(volume, tree))
        QSKIP("No second file system (/dev/shm) here for a move across devices");
    const QString source = volume.writeFile(u"src.bin"_s, 2 * 1024 * 1024, 's');
    tree.makeFolder(u"dst"_s);

    // A stop request abandons the copy.
    std::atomic<bool> stop{true};
    FileOpResult result = moveFile(source, tree.path(u"dst/src.bin"_s), &stop);
    QCOMPARE(result.error, ECANCELED);
    QCOMPARE(readAll(source), QByteArray(2 * 1024 * 1024, 's'));
    QVERIFY(fixtures::names(tree.path(u"dst"_s)).isEmpty());

    // A destination that takes no new file.
    {
        fixtures::Unchangeable locked(tree.path(u"dst"_s));
        if (!locked.isValid())
            QSKIP("The destination folder cannot be locked here");
        result = moveFile(source, tree.path(u"dst/src.bin"_s));
        QVERIFY(!result.ok());
        QVERIFY(!result.description.isEmpty());
    }
    QCOMPARE(readAll(source), QByteArray(2 * 1024 * 1024, 's'));
    QVERIFY(fixtures::names(tree.path(u"dst"_s)).isEmpty());

    // A source that cannot be removed after the copy: the copy goes again.
    fixtures::Unchangeable sourceFolder(volume.root());
    if (!sourceFolder.isValid())
        QSKIP("The source folder cannot be locked on this file system");
    result = moveFile(source, tree.path(u"dst/src.bin"_s));
    QVERIFY(!result.ok());
    QCOMPARE(readAll(source), QByteArray(2 * 1024 * 1024, 's'));
    QVERIFY(fixtures::names(tree.path(u"dst"_s)).isEmpty());
}

void TrashAndMoveTest::crossDeviceSourceReplacedDuringCopy() {
    testing::TempTree volume(u"/dev/shm"_s);
    testing::TempTree tree;
    if (!onAnotherDevice(volume, tree))
        QSKIP("No second file system (/dev/shm) here for a move across devices");
    const QString source = volume.writeFile(u"doc.bin"_s, 64 * 1024 * 1024, 'o');
    tree.makeFolder(u"dst"_s);
    const QString dst = tree.path(u"dst/"_s);

    // While the copy runs, another program saves a new version of the file
    // the way editors do: a new file renamed over the old name.
    std::atomic<bool> done{false};
    std::thread saver([&] {
        while (!done.load()) {
            bool copying = false;
            for (const QByteArray& name : fixtures::names(dst))
                copying = copying || name.startsWith('.');
            if (copying)
                break;
        }
        const QString saved = volume.writeFile(u"doc.bin.new"_s, "new version");
        ::rename(encodeFileName(saved).constData(), encodeFileName(source).constData());
    });
    const FileOpResult result = moveFile(source, dst + u"doc.bin"_s);
    done = true;
    saver.join();

    // The new version is never removed; when the move was still running, it
    // fails and leaves nothing behind.
    QCOMPARE(readAll(source), QByteArray("new version"));
    if (result.ok()) {
        QCOMPARE(readAll(dst + u"doc.bin"_s), QByteArray(64 * 1024 * 1024, 'o'));
    } else {
        QCOMPARE(result.description, u"The file changed while it was being copied"_s);
        QVERIFY(fixtures::names(dst).isEmpty());
    }
}

void TrashAndMoveTest::pathsWithANulCharacterNameNoFile() {
    // A NUL would cut the path short where the system reads it: "dst\0/a.txt"
    // must not become "dst", nor "a.txt\0.bak" the file a.txt.
    testing::TempTree tree;
    const QString source = tree.writeFile(u"a.txt"_s, "a");
    tree.makeFolder(u"dst"_s);
    const QString nul(QChar(u'\0'));
    const QString cut = tree.path(u"dst"_s) + nul + u"/a.txt"_s;
    QCOMPARE(moveFile(source, tree.path(u"moved"_s) + nul + u"/a.txt"_s).error, EINVAL);
    QCOMPARE(moveFile(source + nul + u".bak"_s, tree.path(u"dst/a.txt"_s)).error, EINVAL);
    QCOMPARE(removeFile(source + nul + u".bak"_s).error, EINVAL);
    QCOMPARE(moveToTrash(source + nul + u".bak"_s).error, EINVAL);
    QCOMPARE(readAll(source), QByteArray("a"));
    QVERIFY(!exists(tree.path(u"moved"_s)));
    QVERIFY(fixtures::names(tree.path(u"dst"_s)).isEmpty());
    // Nothing exists at such a path, so a search for a free name ends.
    QVERIFY(!exists(cut));
    QCOMPARE(fileInfo(cut).error, EINVAL);
}

QTEST_GUILESS_MAIN(TrashAndMoveTest)
#include "tst_trashandmove.moc"

#include "platform/linking.h"
#include "temptree.h"

#include <QProcess>
#include <QtTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

using namespace quillfen;
using namespace quillfen::platform;
using namespace Qt::StringLiterals;

namespace {

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// The names in a folder, hidden ones included: nothing temporary may stay behind.
QStringList namesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

bool runQuietly(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// A btrfs image mounted through a loop device, for clones; needs root and btrfs-progs.
class BtrfsMount {
public:
    BtrfsMount() {
        if (::geteuid() != 0 || QStandardPaths::findExecutable(u"mkfs.btrfs"_s).isEmpty())
            return;
        m_image = m_dir.path() + u"/image"_s;
        m_mountPoint = m_dir.path() + u"/mnt"_s;
        QDir().mkpath(m_mountPoint);
        QFile image(m_image);
        if (!image.open(QIODevice::WriteOnly) || !image.resize(160 * 1024 * 1024))
            return;
        image.close();
        m_mounted = runQuietly(u"mkfs.btrfs"_s, {u"-q"_s, m_image}) &&
                    runQuietly(u"mount"_s, {u"-o"_s, u"loop"_s, m_image, m_mountPoint});
    }
    ~BtrfsMount() {
        if (m_mounted)
            runQuietly(u"umount"_s, {m_mountPoint});
    }
    bool mounted() const { return m_mounted; }
    QString root() const { return m_mountPoint + u'/'; }

private:
    QTemporaryDir m_dir;
    QString m_image;
    QString m_mountPoint;
    bool m_mounted = false;
};

qint64 freeBytes(const QString& folder) {
    ::sync();
    struct statvfs vfs;
    return ::statvfs(QFile::encodeName(folder).constData(), &vfs) == 0
               ? qint64(vfs.f_bavail) * qint64(vfs.f_frsize)
               : -1;
}

} // namespace

class LinkingTest : public QObject {
    Q_OBJECT
private slots:
    void hardLinkKeepsEveryNameAndItsBytes();
    void changedFilesAreLeftAlone_data();
    void changedFilesAreLeftAlone();
    void cloneNeverFallsBackToACopy();
    void cloneOnBtrfsKeepsOwnInodeAndAttributes();
};

void LinkingTest::hardLinkKeepsEveryNameAndItsBytes() {
    testing::TempTree tree;
    const QByteArray bytes(70000, 'q');
    const QString kept = tree.writeFile(u"a/kept.bin"_s, bytes);
    const QString copy = tree.writeFile(u"b/copy.bin"_s, bytes);
    Folder a(tree.path(u"a/"_s));
    Folder b(tree.path(u"b/"_s));
    const FileInfo keptInfo = fileInfo(kept);
    const FileInfo copyInfo = fileInfo(copy);

    const FileOpResult result =
        replaceWithLink(LinkKind::Hard, a, u"kept.bin"_s, keptInfo, b, u"copy.bin"_s, copyInfo);
    QVERIFY2(result.ok(), qPrintable(result.description));
    QCOMPARE(fileInfo(copy).id, keptInfo.id);
    QCOMPARE(fileInfo(kept).links, 2u);
    QCOMPARE(contentOf(copy), bytes);
    QCOMPARE(namesIn(tree.path(u"b/"_s)), QStringList{u"copy.bin"_s});

    // A second run finds one file under both names and changes nothing.
    QVERIFY(replaceWithLink(LinkKind::Hard, a, u"kept.bin"_s, fileInfo(kept), b, u"copy.bin"_s,
                            fileInfo(copy))
                .ok());
    QCOMPARE(fileInfo(kept).links, 2u);
}

void LinkingTest::changedFilesAreLeftAlone_data() {
    QTest::addColumn<QString>("change");
    QTest::addRow("the copy was saved anew under its name") << u"replace copy"_s;
    QTest::addRow("the copy was written in place") << u"touch copy"_s;
    QTest::addRow("the kept file was replaced") << u"replace kept"_s;
}

void LinkingTest::changedFilesAreLeftAlone() {
    QFETCH(QString, change);
    testing::TempTree tree;
    const QByteArray bytes(5000, 'x');
    const QString kept = tree.writeFile(u"kept.bin"_s, bytes);
    const QString copy = tree.writeFile(u"copy.bin"_s, bytes);
    const FileInfo keptInfo = fileInfo(kept);
    const FileInfo copyInfo = fileInfo(copy);

    // The change happens between the comparison (the facts above) and the link.
    const QByteArray edited(5000, 'e');
    if (change == u"replace copy"_s) {
        tree.writeFile(u"new.bin"_s, edited);
        QVERIFY(::rename(QFile::encodeName(tree.path(u"new.bin"_s)).constData(),
                         QFile::encodeName(copy).constData()) == 0);
    } else if (change == u"touch copy"_s) {
        QFile file(copy);
        QVERIFY(file.open(QIODevice::ReadWrite));
        file.write("EDIT");
        file.close();
        const struct timespec later[2] = {{0, UTIME_OMIT}, {copyInfo.mtime + 5, 0}};
        ::utimensat(AT_FDCWD, QFile::encodeName(copy).constData(), later, 0);
    } else {
        tree.writeFile(u"new.bin"_s, edited);
        QVERIFY(::rename(QFile::encodeName(tree.path(u"new.bin"_s)).constData(),
                         QFile::encodeName(kept).constData()) == 0);
    }
    const QByteArray copyBefore = contentOf(copy);
    const QByteArray keptBefore = contentOf(kept);

    Folder folder(tree.root());
    for (LinkKind kind : {LinkKind::Hard, LinkKind::Clone}) {
        const FileOpResult result =
            replaceWithLink(kind, folder, u"kept.bin"_s, keptInfo, folder, u"copy.bin"_s, copyInfo);
        QCOMPARE(result.error, kFileChanged);
        QCOMPARE(contentOf(copy), copyBefore);
        QCOMPARE(contentOf(kept), keptBefore);
        QVERIFY(fileInfo(copy).id != fileInfo(kept).id);
        QCOMPARE(namesIn(tree.root()), (QStringList{u"copy.bin"_s, u"kept.bin"_s}));
    }
}

void LinkingTest::cloneNeverFallsBackToACopy() {
    // ext4 and tmpfs cannot clone: the name must stay exactly as it was.
    testing::TempTree tree;
    const QByteArray bytes(20000, 'c');
    const QString kept = tree.writeFile(u"kept.bin"_s, bytes);
    const QString copy = tree.writeFile(u"copy.bin"_s, bytes);
    const FileInfo copyInfo = fileInfo(copy);
    Folder folder(tree.root());
    const FileOpResult result = replaceWithLink(LinkKind::Clone, folder, u"kept.bin"_s,
                                                fileInfo(kept), folder, u"copy.bin"_s, copyInfo);
    if (result.ok())
        QSKIP("this file system clones: covered by the btrfs case");
    QVERIFY(result.error == EOPNOTSUPP || result.error == EXDEV);
    QCOMPARE(fileInfo(copy).id, copyInfo.id);
    QCOMPARE(namesIn(tree.root()), (QStringList{u"copy.bin"_s, u"kept.bin"_s}));
}

void LinkingTest::cloneOnBtrfsKeepsOwnInodeAndAttributes() {
    BtrfsMount btrfs;
    if (!btrfs.mounted())
        QSKIP("needs root, btrfs-progs and a loop device");
    testing::TempTree tree(btrfs.root());
    QByteArray bytes(8 * 1024 * 1024, '\0');
    for (qsizetype k = 0; k < bytes.size(); ++k)
        bytes[k] = char((k * 7919) >> 5);
    const QString kept = tree.writeFile(u"kept.bin"_s, bytes);
    const QString copy = tree.writeFile(u"sub/copy.bin"_s, bytes);
    ::chmod(QFile::encodeName(copy).constData(), 0640);
    ::chmod(QFile::encodeName(kept).constData(), 0600);
    tree.setModified(u"sub/copy.bin"_s, 1000000000);
    const FileInfo copyInfo = fileInfo(copy);
    const qint64 freeBefore = freeBytes(tree.root());

    Folder top(tree.root());
    Folder sub(tree.path(u"sub/"_s));
    const FileOpResult result = replaceWithLink(LinkKind::Clone, top, u"kept.bin"_s, fileInfo(kept),
                                                sub, u"copy.bin"_s, copyInfo);
    QVERIFY2(result.ok(), qPrintable(result.description));
    const FileInfo after = fileInfo(copy);
    QVERIFY(after.id != fileInfo(kept).id);
    QVERIFY(after.id != copyInfo.id);
    QCOMPARE(after.mode, 0640u);
    QCOMPARE(after.mtime, qint64(1000000000));
    QCOMPARE(fileInfo(kept).mode, 0600u);
    QCOMPARE(contentOf(copy), bytes);
    QCOMPARE(namesIn(tree.path(u"sub/"_s)), QStringList{u"copy.bin"_s});
    QVERIFY2(freeBytes(tree.root()) > freeBefore + 4 * 1024 * 1024, "the copy's blocks were freed");

    // Taken back: the name gets blocks of its own again, with its own attributes.
    const qint64 freeCloned = freeBytes(tree.root());
    const FileOpResult back = restoreOwnCopy(sub, u"copy.bin"_s, after, copyInfo);
    QVERIFY2(back.ok(), qPrintable(back.description));
    QCOMPARE(contentOf(copy), bytes);
    QCOMPARE(fileInfo(copy).mode, 0640u);
    QCOMPARE(fileInfo(copy).mtime, qint64(1000000000));
    QVERIFY(freeBytes(tree.root()) < freeCloned - 4 * 1024 * 1024);
    QCOMPARE(namesIn(tree.path(u"sub/"_s)), QStringList{u"copy.bin"_s});
}

QTEST_GUILESS_MAIN(LinkingTest)
#include "tst_linking.moc"

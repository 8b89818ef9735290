#include "platform/fileops.h"
#include "platform/folder.h"
#include "platform/platform.h"
#include "temptree.h"

#include <QtTest>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quillfen;
using namespace quillfen::platform;
using namespace Qt::StringLiterals;

class FilesTest : public QObject {
    Q_OBJECT
private slots:
    void listingReportsTypesAndAttributes();
    void hardLinksShareAnIdentity();
    void largeSparseFileHasItsTrueSize();
    void fifoIsNeverOpened();
    void readAtReturnsShortCountAtEnd();
    void openedFileKnowsItsFactsAndLinksCanBeRefused();
    void readingLeavesTheAccessTimeAlone();
    void driveListFromMountTable();
    void foldersOpenAtAnyDepthAndRefuseLinks();
};

void FilesTest::listingReportsTypesAndAttributes() {
    testing::TempTree tree;
    tree.writeFile(u"plain.txt"_s, "x");
    tree.writeFile(u".hidden"_s, "xy");
    const QString ro = tree.writeFile(u"ro.txt"_s, "xyz");
    ::chmod(QFile::encodeName(ro).constData(), 0444);
    tree.makeFolder(u"sub"_s);
    QVERIFY(QFile::link(tree.path(u"plain.txt"_s), tree.path(u"link"_s)));

    QHash<QString, FileInfo> seen;
    DirectoryListing listing(tree.root());
    while (listing.next())
        seen.insert(listing.name(), listing.info());
    QCOMPARE(seen.size(), 5);
    QCOMPARE(seen[u"plain.txt"_s].attributes, 0u);
    QCOMPARE(seen[u"plain.txt"_s].size, 1);
    QCOMPARE(seen[u".hidden"_s].attributes, attribute::Hidden);
    QCOMPARE(seen[u"ro.txt"_s].attributes, attribute::ReadOnly);
    QCOMPARE(seen[u"sub"_s].type, FileType::Folder);
    QVERIFY(seen[u"sub"_s].attributes & attribute::Folder);
    QCOMPARE(seen[u"link"_s].type, FileType::Symlink);
    QCOMPARE(fileInfo(tree.path(u"link"_s)).type, FileType::Symlink);
    QVERIFY(!fileInfo(tree.path(u"missing"_s)).exists());
    QCOMPARE(fileLength(tree.path(u"missing"_s)), -1);
}

void FilesTest::hardLinksShareAnIdentity() {
    testing::TempTree tree;
    const QString a = tree.writeFile(u"a"_s, "same");
    const QString b = tree.path(u"b"_s);
    QCOMPARE(::link(QFile::encodeName(a).constData(), QFile::encodeName(b).constData()), 0);
    const QString c = tree.writeFile(u"c"_s, "same");
    QCOMPARE(fileInfo(a).id, fileInfo(b).id);
    QVERIFY(!(fileInfo(a).id == fileInfo(c).id));
}

void FilesTest::largeSparseFileHasItsTrueSize() {
    testing::TempTree tree;
    const qint64 size = 3LL * 1024 * 1024 * 1024;
    const QString path = tree.writeSparseFile(u"big.bin"_s, size, 'z');
    QCOMPARE(fileLength(path), size);
    InputFile file(path);
    QVERIFY(file.isOpen());
    char last = 0;
    QCOMPARE(file.readAt(size - 1, &last, 1), 1);
    QCOMPARE(last, 'z');
}

void FilesTest::fifoIsNeverOpened() {
    testing::TempTree tree;
    const QString fifo = tree.path(u"pipe"_s);
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    QCOMPARE(fileInfo(fifo).type, FileType::Other);
    InputFile file;
    QVERIFY(!file.open(fifo)); // returns at once instead of blocking
    QCOMPARE(fileLength(fifo), -1);
}

void FilesTest::readAtReturnsShortCountAtEnd() {
    testing::TempTree tree;
    InputFile file(tree.writeFile(u"f"_s, "0123456789"));
    char buffer[8];
    QCOMPARE(file.readAt(6, buffer, 8), 4);
    QCOMPARE(QByteArray(buffer, 4), QByteArray("6789"));
    QCOMPARE(file.readAt(10, buffer, 8), 0);
}

void FilesTest::openedFileKnowsItsFactsAndLinksCanBeRefused() {
    testing::TempTree tree;
    const QString target = tree.writeFile(u"target"_s, "0123456789");
    const QString link = tree.path(u"link"_s);
    QVERIFY(QFile::link(target, link));
    InputFile file;
    QVERIFY(file.open(target, false));
    QCOMPARE(file.openedInfo().size, 10);
    QVERIFY(file.openedInfo().isRegular());
    QCOMPARE(file.openedInfo().id, fileInfo(target).id);
    QVERIFY(file.open(link)); // followed by default
    QCOMPARE(file.openedInfo().id, fileInfo(target).id);
    QVERIFY(!file.open(link, false));
    QVERIFY(!file.isOpen());
    QCOMPARE(file.openedInfo().size, -1);
}

void FilesTest::readingLeavesTheAccessTimeAlone() {
    testing::TempTree tree;
    const QString path = tree.writeFile(u"read me"_s, "0123456789");
    const QByteArray encoded = QFile::encodeName(path);
    // Days old: even a file system mounted relatime would stamp a read now.
    const struct timespec times[2] = {{1000000000, 0}, {0, UTIME_OMIT}};
    QCOMPARE(::utimensat(AT_FDCWD, encoded.constData(), times, 0), 0);
    InputFile file;
    QVERIFY(file.open(path, false));
    char bytes[10];
    QCOMPARE(file.readAt(0, bytes, 10), 10);
    file.close();
    struct stat after {};
    QCOMPARE(::stat(encoded.constData(), &after), 0);
    QCOMPARE(qint64(after.st_atim.tv_sec), qint64(1000000000));
}

void FilesTest::driveListFromMountTable() {
    testing::TempTree tree;
    tree.writeFile(u"mounts"_s, "/dev/sda1 / ext4 rw 0 0\n"
                                "proc /proc proc rw 0 0\n"
                                "tmpfs /run tmpfs rw 0 0\n"
                                "/dev/sdb1 /media/usb\\040stick vfat rw 0 0\n"
                                "/dev/sda2 /home ext4 rw 0 0\n"
                                "/dev/loop3 /snap/core/1 squashfs ro 0 0\n"
                                "server:/export /mnt/nfs nfs4 rw 0 0\n");
    tree.writeFile(u"block/sda/removable"_s, "0\n");
    tree.writeFile(u"block/sda/sda1/partition"_s, "1\n");
    tree.writeFile(u"block/sda/sda2/partition"_s, "2\n");
    tree.writeFile(u"block/sdb/removable"_s, "1\n");
    tree.writeFile(u"block/sdb/sdb1/partition"_s, "1\n");
    // The kernel lists partitions beside their disks through links.
    QVERIFY(QFile::link(tree.path(u"block/sda/sda1"_s), tree.path(u"block/sda1"_s)));
    QVERIFY(QFile::link(tree.path(u"block/sda/sda2"_s), tree.path(u"block/sda2"_s)));
    QVERIFY(QFile::link(tree.path(u"block/sdb/sdb1"_s), tree.path(u"block/sdb1"_s)));
    tree.makeFolder(u"labels"_s);

    const std::vector<Drive> drives =
        driveList(tree.path(u"mounts"_s), tree.path(u"block"_s), tree.path(u"labels"_s));
    QStringList roots;
    for (const Drive& drive : drives)
        roots << drive.root + (drive.fixed ? u" fixed"_s : u""_s);
    QCOMPARE(roots, QStringList(
                        {u"/ fixed"_s, u"/home/ fixed"_s, u"/media/usb stick/"_s, u"/mnt/nfs/"_s}));
}

QTEST_GUILESS_MAIN(FilesTest)
void FilesTest::foldersOpenAtAnyDepthAndRefuseLinks() {
    testing::TempTree tree;
    tree.writeFile(u"real/file.txt"_s, "abc");
    QVERIFY(QFile::link(tree.path(u"real"_s), tree.path(u"alias"_s)));

    // A subfolder opened from its parent never goes through a link.
    Folder root(tree.root());
    QVERIFY(root.isOpen());
    QVERIFY(Folder(root, "real").isOpen());
    Folder alias(root, "alias");
    QVERIFY(!alias.isOpen());
    QVERIFY(alias.error() == ENOTDIR || alias.error() == ELOOP);
    QCOMPARE(root.entryInfo(u"alias"_s).type, FileType::Symlink);

    // A path given whole may go through links; its identity tells where it led.
    QCOMPARE(Folder(tree.path(u"alias/"_s)).info().id, Folder(tree.path(u"real/"_s)).info().id);

    // Deeper than PATH_MAX: built one level at a time, then opened by path.
    const QByteArray level(200, 'd');
    QByteArray deep = QFile::encodeName(tree.root());
    int fd = ::open(deep.constData(), O_RDONLY | O_DIRECTORY);
    for (int k = 0; k < 25; ++k) {
        QCOMPARE(::mkdirat(fd, level.constData(), 0700), 0);
        const int next = ::openat(fd, level.constData(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
        deep += level + '/';
    }
    QCOMPARE(::close(::openat(fd, "bottom.txt", O_WRONLY | O_CREAT, 0600)), 0);
    ::close(fd);
    QVERIFY(deep.size() > PATH_MAX);
    Folder bottom(QFile::decodeName(deep));
    QVERIFY2(bottom.isOpen(), qPrintable(errorText(bottom.error())));
    QVERIFY(bottom.entryInfo(u"bottom.txt"_s).isRegular());
    InputFile file;
    QVERIFY(file.openAt(bottom.fd(), "bottom.txt"));
    QVERIFY(!file.openAt(root.fd(), "alias"));

    // The tree's removal cannot go that deep by path: take it down level by level.
    for (int depth = 25; depth > 0; --depth) {
        QByteArray folder = QFile::encodeName(tree.root());
        for (int k = 0; k < depth - 1; ++k)
            folder += level + '/';
        Folder parent(QFile::decodeName(folder));
        Folder child(parent, level.constData());
        ::unlinkat(child.fd(), "bottom.txt", 0);
        QCOMPARE(::unlinkat(parent.fd(), level.constData(), AT_REMOVEDIR), 0);
    }
}

#include "tst_files.moc"

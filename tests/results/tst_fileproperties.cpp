#include "core/format.h"
#include "platform/filename.h"
#include "platform/platform.h"
#include "results/filecommands.h"
#include "temptree.h"

#include <QtTest>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

using namespace quillfen;
using namespace Qt::StringLiterals;

class FilePropertiesTest : public QObject {
    Q_OBJECT
private slots:
    void permissionBitsAsLettersAndOctal();
    void ownerTimesAndPermissionsOfAFile();
    void vanishedFileHasNoFacts();
};

void FilePropertiesTest::permissionBitsAsLettersAndOctal() {
    QCOMPARE(permissionstext(0644), u"rw-r--r-- (644)"_s);
    QCOMPARE(permissionstext(0750), u"rwxr-x--- (750)"_s);
    QCOMPARE(permissionstext(0), u"--------- (0)"_s);
    QCOMPARE(permissionstext(0777), u"rwxrwxrwx (777)"_s);
    // Set-id and sticky bits show where ls shows them, lower case over an x.
    QCOMPARE(permissionstext(04755), u"rwsr-xr-x (4755)"_s);
    QCOMPARE(permissionstext(02644), u"rw-r-Sr-- (2644)"_s);
    QCOMPARE(permissionstext(01777), u"rwxrwxrwt (1777)"_s);
    QCOMPARE(permissionstext(01666), u"rw-rw-rwT (1666)"_s);
}

void FilePropertiesTest::ownerTimesAndPermissionsOfAFile() {
    testing::TempTree tree;
    // A name that is not UTF-8: the facts come from the file with exactly these bytes.
    const QByteArray raw = tree.writeRawNamedFile("caf\xE9 \"1\".txt", "abcdef");
    const QString path = platform::decodeFileName(raw);
    QCOMPARE(::chmod(raw.constData(), 0640), 0);
    const struct timeval times[2] = {{1600000000, 0}, {1500000000, 0}}; // accessed, modified
    QCOMPARE(::utimes(raw.constData(), times), 0);

    const FileProperties properties = filepropertiesofpath(path);
    QVERIFY(properties.exists);
    QCOMPARE(properties.name, nameOf(path));
    QCOMPARE(properties.folder, tree.root());
    QCOMPARE(properties.size, 6);
    QCOMPARE(properties.modified, scanDateText(1500000000));
    QCOMPARE(properties.accessed, scanDateText(1600000000));
    QCOMPARE(properties.permissions, u"rw-r----- (640)"_s);
    QVERIFY(!properties.readonly);
    const struct passwd* me = ::getpwuid(::geteuid());
    QVERIFY(me);
    QCOMPARE(properties.owner, QString::fromLocal8Bit(me->pw_name));

    // A user id the system has no name for shows as its number.
    QCOMPARE(platform::userName(4000000000u), u"4000000000"_s);
}

void FilePropertiesTest::vanishedFileHasNoFacts() {
    testing::TempTree tree;
    const FileProperties properties = filepropertiesofpath(tree.path(u"gone.txt"_s));
    QVERIFY(!properties.exists);
    QCOMPARE(properties.name, u"gone.txt"_s);
    QVERIFY(properties.owner.isEmpty());
    QVERIFY(properties.permissions.isEmpty());
}

QTEST_GUILESS_MAIN(FilePropertiesTest)
#include "tst_fileproperties.moc"

#include "fileops/journal.h"
#include "fileops/undo.h"
#include "fixtures.h"
#include "platform/fileops.h"
#include "platform/folder.h"
#include "platform/linking.h"
#include "temptree.h"

#include <QtTest>

using namespace quillfen;
using namespace Qt::StringLiterals;
using fixtures::readAll;

namespace {

JournalRecord recordFor(const QString& run, JournalAction action, const QString& before,
                        const QString& after = {}) {
    JournalRecord record;
    record.time = QDateTime::currentMSecsSinceEpoch();
    record.run = run;
    record.action = action;
    record.before = before;
    record.after = after;
    record.file = platform::fileInfo(before);
    return record;
}

// The one file the trash's files folder gained since before.
QString trashedAs(const QString& trash, const QSet<QByteArray>& before) {
    const QSet<QByteArray> added = fixtures::names(trash + u"files"_s) - before;
    return added.size() == 1
               ? trash + u"files/"_s +
                     platform::decodeFileName(added.begin()->constData(), added.begin()->size())
               : QString();
}

} // namespace

class UndoTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void journalLinesKeepEveryName();
    void lastRunAndUndoneMark();
    void trashedFilesComeBackUnlessTheNameIsTaken();
    void movedFilesComeBack();
    void linkedNamesGetTheirOwnCopyBack();
    void aPermanentDeleteCannotBeTakenBack();

private:
    testing::TempTree m_home;
    QString m_trash;
};

void UndoTest::initTestCase() {
    qputenv("XDG_DATA_HOME", platform::encodeFileName(m_home.path(u"data/"_s)));
    qputenv("XDG_STATE_HOME", platform::encodeFileName(m_home.path(u"state"_s)));
    m_trash = m_home.path(u"data/Trash/"_s);
    QCOMPARE(Journal::defaultPath(), m_home.path(u"state/quillfen/journal"_s));
}

void UndoTest::journalLinesKeepEveryName() {
    const QByteArray raw("/tmp/tab\there/new\nline 100%/caf\xE9");
    JournalRecord record;
    record.time = 1765000000123;
    record.run = u"1765000000123-42"_s;
    record.action = JournalAction::Clone;
    record.before = platform::decodeFileName(raw.constData(), raw.size());
    record.after = u"/home/ü/kept file"_s;
    record.file.id = {2049, 1234567};
    record.file.size = 5000000000;
    record.file.mtime = 1700000000;
    record.file.mtimensec = 999999999;
    record.file.mode = 04755;
    record.file.owner = 1000;
    record.file.atime = 1700000001;
    record.keptid = {2049, 7};
    const QByteArray line = Journal::lineOf(record);
    QCOMPARE(line.count('\n'), 1);
    QCOMPARE(line.count('\t'), 11);
    const std::optional<JournalRecord> back = Journal::parseLine(line);
    QVERIFY(back);
    QCOMPARE(platform::encodeFileName(back->before), raw);
    QCOMPARE(back->after, record.after);
    QCOMPARE(back->run, record.run);
    QCOMPARE(back->action, record.action);
    QCOMPARE(back->time, record.time);
    QCOMPARE(back->file.id, record.file.id);
    QCOMPARE(back->file.size, record.file.size);
    QCOMPARE(back->file.mtimensec, record.file.mtimensec);
    QCOMPARE(back->file.mode, record.file.mode);
    QCOMPARE(back->keptid, record.keptid);
    // A torn or foreign line is no record.
    QVERIFY(!Journal::parseLine(line.left(line.size() / 2)));
    QVERIFY(!Journal::parseLine("garbage\tline"));
}

void UndoTest::lastRunAndUndoneMark() {
    testing::TempTree tree;
    Journal journal(tree.path(u"j/journal"_s));
    QVERIFY(!journal.lastRun());
    const QString file = tree.writeFile(u"a.txt"_s, "a");
    QVERIFY(journal.append(recordFor(u"r1"_s, JournalAction::Move, file, u"/x/a.txt"_s)).ok());
    QVERIFY(journal.append(recordFor(u"r2"_s, JournalAction::Trash, file, u"/t/1"_s)).ok());
    QVERIFY(journal.append(recordFor(u"r2"_s, JournalAction::Trash, file, u"/t/2"_s)).ok());
    auto last = journal.lastRun();
    QVERIFY(last);
    QCOMPARE(last->run, u"r2"_s);
    QCOMPARE(last->records.size(), 2u);
    QVERIFY(!last->undone);
    QVERIFY(journal.markUndone(u"r2"_s).ok());
    QVERIFY(journal.lastRun()->undone);
    QVERIFY(!undoableoperation(journal).available);
    // Only the owner reads what was done to which file.
    QCOMPARE(platform::fileInfo(journal.path()).mode, 0600u);
}

void UndoTest::trashedFilesComeBackUnlessTheNameIsTaken() {
    testing::TempTree tree;
    Journal journal(tree.path(u"journal"_s));
    const QString run = Journal::newRun();
    const QByteArray oddName("odd\nname \xE9.txt");
    tree.makeFolder(u"sub"_s);
    const QByteArray oddPath = tree.writeRawNamedFile("sub/" + oddName, "odd");
    const QStringList files{tree.writeFile(u"one.txt"_s, "one"), platform::decodeFileName(oddPath),
                            tree.writeFile(u"taken.txt"_s, "taken")};
    QStringList trashed;
    for (const QString& file : files) {
        const auto before = fixtures::names(m_trash + u"files"_s);
        JournalRecord record = recordFor(run, JournalAction::Trash, file);
        QVERIFY(platform::moveToTrash(file).ok());
        record.after = trashedAs(m_trash, before);
        QVERIFY(!record.after.isEmpty());
        trashed << record.after;
        QVERIFY(journal.append(record).ok());
    }
    tree.writeFile(u"taken.txt"_s, "a new file under the old name");

    const UndoResult offer = undoableoperation(journal);
    QVERIFY(offer.available);
    QCOMPARE(offer.action, JournalAction::Trash);
    QCOMPARE(offer.files, 3);
    const UndoResult result = undolastoperation(journal);
    QCOMPARE(result.restored, 2);
    QCOMPARE(result.errors.size(), 1);
    QVERIFY(result.errors.first().contains(u"taken.txt"_s));
    QCOMPARE(readAll(files[0]), QByteArray("one"));
    QCOMPARE(readAll(files[1]), QByteArray("odd"));
    QCOMPARE(readAll(files[2]), QByteArray("a new file under the old name"));
    QVERIFY(!platform::fileInfo(trashed[0]).exists());
    QCOMPARE(readAll(trashed[2]), QByteArray("taken"));
    const QString info = m_trash + u"info/"_s;
    QVERIFY(!platform::fileInfo(info + nameOf(trashed[0]) + u".trashinfo"_s).exists());
    QVERIFY(platform::fileInfo(info + nameOf(trashed[2]) + u".trashinfo"_s).exists());
    QVERIFY(!undoableoperation(journal).available);
}

void UndoTest::movedFilesComeBack() {
    testing::TempTree tree;
    Journal journal(tree.path(u"journal"_s));
    const QString run = Journal::newRun();
    const QString source = tree.writeFile(u"from/photo.jpg"_s, "jpeg");
    const QString untouched = tree.writeFile(u"from/failed.jpg"_s, "stays");
    const QString target = tree.makeFolder(u"to"_s) + u"/photo(0).jpg"_s;
    QVERIFY(journal.append(recordFor(run, JournalAction::Move, source, target)).ok());
    QVERIFY(platform::moveFile(source, target).ok());
    // A file the move never reached is not an error of the undo.
    QVERIFY(journal.append(recordFor(run, JournalAction::Move, untouched, target + u"x"_s)).ok());

    const UndoResult result = undolastoperation(journal);
    QCOMPARE(result.errors, QStringList());
    QCOMPARE(result.restored, 1);
    QCOMPARE(result.untouched, 1);
    QCOMPARE(readAll(source), QByteArray("jpeg"));
    QVERIFY(!platform::fileInfo(target).exists());
}

void UndoTest::linkedNamesGetTheirOwnCopyBack() {
    testing::TempTree tree;
    Journal journal(tree.path(u"journal"_s));
    const QString run = Journal::newRun();
    const QByteArray bytes(100000, 'L');
    const QString kept = tree.writeFile(u"kept.bin"_s, bytes);
    const QString copy = tree.writeFile(u"other/copy.bin"_s, bytes);
    ::chmod(platform::encodeFileName(copy).constData(), 0604);
    tree.setModified(u"other/copy.bin"_s, 1200000000);
    JournalRecord record = recordFor(run, JournalAction::HardLink, copy, kept);
    record.keptid = platform::fileInfo(kept).id;
    QVERIFY(journal.append(record).ok());
    platform::Folder top(tree.root());
    platform::Folder other(tree.path(u"other/"_s));
    QVERIFY(platform::replaceWithLink(platform::LinkKind::Hard, top, u"kept.bin"_s,
                                      platform::fileInfo(kept), other, u"copy.bin"_s, record.file)
                .ok());
    QCOMPARE(platform::fileInfo(copy).id, record.keptid);

    const UndoResult result = undolastoperation(journal);
    QCOMPARE(result.errors, QStringList());
    QCOMPARE(result.restored, 1);
    const platform::FileInfo after = platform::fileInfo(copy);
    QVERIFY(after.id != record.keptid);
    QCOMPARE(after.mode, 0604u);
    QCOMPARE(after.mtime, qint64(1200000000));
    QCOMPARE(readAll(copy), bytes);
    QCOMPARE(platform::fileInfo(kept).links, 1u);
}

void UndoTest::aPermanentDeleteCannotBeTakenBack() {
    testing::TempTree tree;
    Journal journal(tree.path(u"journal"_s));
    const QString file = tree.writeFile(u"gone.txt"_s, "gone");
    QVERIFY(journal.append(recordFor(Journal::newRun(), JournalAction::Delete, file)).ok());
    QVERIFY(platform::removeFile(file).ok());
    const UndoResult result = undolastoperation(journal);
    QVERIFY(result.available);
    QVERIFY(result.permanent);
    QCOMPARE(result.restored, 0);
}

QTEST_GUILESS_MAIN(UndoTest)
#include "tst_undo.moc"

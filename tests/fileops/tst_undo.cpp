#include "core/appstate.h"
#include "fakefrontend.h"
#include "fileops/journal.h"
#include "fileops/operations.h"
#include "fileops/undo.h"
#include "fixtures.h"
#include "platform/fileops.h"
#include "platform/folder.h"
#include "platform/linking.h"
#include "scriptedmessages.h"
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
    void operationsAreJournaledAndTakenBack_data();
    void operationsAreJournaledAndTakenBack();
    void linkingKeepsEveryNameAndFreesTheCopies();

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

namespace {

// Two groups of definite duplicates, every file but the first of each checked.
struct Groups {
    QStringList files;
    QList<QByteArray> contents;
};

Groups makeGroups(testing::TempTree& tree, AppState& state) {
    Groups groups;
    const QList<QPair<QString, QByteArray>> made{{u"a/kept.bin"_s, QByteArray(30000, 'A')},
                                                 {u"b/copy.bin"_s, QByteArray(30000, 'A')},
                                                 {u"c/copy.bin"_s, QByteArray(30000, 'A')},
                                                 {u"a/one.txt"_s, QByteArray(500, 'B')},
                                                 {u"d/two.txt"_s, QByteArray(500, 'B')}};
    for (const auto& [name, content] : made) {
        groups.files << tree.writeFile(name, content);
        groups.contents << content;
    }
    ::chmod(QFile::encodeName(groups.files[2]).constData(), 0600);
    for (int k = 0; k < groups.files.size(); ++k) {
        if (k == 3)
            state.resultlist.push_back(ResultEntry::separator());
        ResultEntry row = fixtures::entryFor(groups.files[k], k != 0 && k != 3);
        row.dateform = DateForm::General;
        state.resultlist.push_back(row);
    }
    state.labeldef1 = u"5"_s;
    return groups;
}

} // namespace

void UndoTest::operationsAreJournaledAndTakenBack_data() {
    QTest::addColumn<FileOperation>("operation");
    QTest::addRow("trash") << FileOperation::Recycle;
    QTest::addRow("move") << FileOperation::Move;
    QTest::addRow("hard link") << FileOperation::HardLink;
}

void UndoTest::operationsAreJournaledAndTakenBack() {
    QFETCH(FileOperation, operation);
    testing::TempTree tree;
    AppState state;
    const Groups groups = makeGroups(tree, state);
    QList<platform::FileInfo> before;
    for (const QString& file : groups.files)
        before << platform::fileInfo(file);

    MoveOptions move{tree.makeFolder(u"moved"_s) + u'/', true};
    FileJobInput input = planfileoperation(state, operation, move);
    input.journal = tree.path(u"journal"_s);
    const FileJobResult result = runfilejob(input);
    QCOMPARE(result.errors, QStringList());
    QCOMPARE(result.processed, 3);
    QVERIFY(!platform::fileInfo(groups.files[1]).isRegular() ||
            platform::fileInfo(groups.files[1]).id != before[1].id);

    Journal journal(input.journal);
    const UndoResult undone = undolastoperation(journal);
    QCOMPARE(undone.errors, QStringList());
    QCOMPARE(undone.restored, 3);
    for (int k = 0; k < groups.files.size(); ++k) {
        const platform::FileInfo now = platform::fileInfo(groups.files[k]);
        QCOMPARE(fixtures::readAll(groups.files[k]), groups.contents[k]);
        QCOMPARE(now.mode, before[k].mode);
        QCOMPARE(now.mtime, before[k].mtime);
        QCOMPARE(now.links, 1u);
    }
    QCOMPARE(fixtures::names(tree.path(u"moved"_s)), QSet<QByteArray>());
}

void UndoTest::linkingKeepsEveryNameAndFreesTheCopies() {
    testing::TempTree tree;
    AppState state;
    const Groups groups = makeGroups(tree, state);
    // The last file of the first group is saved anew between comparison and link.
    tree.writeFile(u"c/new"_s, QByteArray(30000, 'N'));
    QCOMPARE(::rename(QFile::encodeName(tree.path(u"c/new"_s)).constData(),
                      QFile::encodeName(groups.files[2]).constData()),
             0);
    // In the second group every file is checked: none is kept to link to.
    state.resultlist[4].checked = true;

    FileJobInput input = planfileoperation(state, FileOperation::HardLink);
    input.journal = tree.path(u"journal"_s);
    const FileJobResult result = runfilejob(input);
    QCOMPARE(result.errors.size(), 3);
    QCOMPARE(result.freedbytes, 30000);
    QCOMPARE(platform::fileInfo(groups.files[1]).id, platform::fileInfo(groups.files[0]).id);
    QCOMPARE(fixtures::readAll(groups.files[2]), QByteArray(30000, 'N'));
    QVERIFY(platform::fileInfo(groups.files[2]).id != platform::fileInfo(groups.files[0]).id);
    for (int k = 3; k < 5; ++k)
        QCOMPARE(platform::fileInfo(groups.files[k]).links, 1u);
    QVERIFY(result.errors.filter(u"changed since it was compared"_s).size() == 1);
    QVERIFY(result.errors.filter(u"none is kept"_s).size() == 2);

    // Only definite duplicates may share their content.
    state.labeldef1 = u"0"_s;
    testing::FakeFrontend frontend;
    QVERIFY(!confirmfileoperation(state, frontend, FileOperation::Clone));
    QCOMPARE(frontend.boxes.shown.size(), 1);
}

QTEST_GUILESS_MAIN(UndoTest)
#include "tst_undo.moc"

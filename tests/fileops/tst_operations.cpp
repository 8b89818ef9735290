#include "compare/grouping.h"
#include "core/appstate.h"
#include "core/jobrunner.h"
#include "fakefrontend.h"
#include "fileops/operations.h"
#include "fixtures.h"
#include "platform/fileops.h"
#include "temptree.h"

#include <QtTest>
#include <climits>
#include <sys/stat.h>

using namespace quillfen;
using namespace Qt::StringLiterals;
using fixtures::entryFor;
using fixtures::exists;
using fixtures::readAll;

namespace {

// The whole operation on this thread: the three steps the runner splits.
void runOperation(AppState& state, Frontend& frontend, FileOperation operation,
                  const MoveOptions& move = {}) {
    if (!confirmfileoperation(state, frontend, operation))
        return;
    const FileJobResult result = runfilejob(planfileoperation(state, operation, move));
    finishfileoperation(state, frontend, operation, result);
}

void recyclefiles(AppState& state, Frontend& frontend) {
    runOperation(state, frontend, FileOperation::Recycle);
}

void deletefiles(AppState& state, Frontend& frontend) {
    runOperation(state, frontend, FileOperation::Delete);
}

void movefiles(AppState& state, Frontend& frontend, const MoveOptions& options) {
    runOperation(state, frontend, FileOperation::Move, options);
}

QStringList names(const ResultList& list) {
    QStringList result;
    for (const ResultEntry& entry : list)
        result << (entry.isSeparator() ? u"-"_s : entry.filename);
    return result;
}

// Rows for the given files in groups; an empty name starts the next group.
ResultList grouped(const testing::TempTree& tree, const QStringList& files,
                   const QStringList& checked = {}) {
    ResultList list;
    for (const QString& name : files) {
        if (name.isEmpty())
            list.push_back(ResultEntry::separator());
        else
            list.push_back(entryFor(tree.path(name), checked.contains(name)));
    }
    return list;
}

// Puts a new file with content in the place of path, with the old file's
// modification time to the nanosecond, as a program saving a new version
// through a temporary file and a rename may leave it.
bool replaceKeepingDate(const QString& path, const QByteArray& content) {
    const QByteArray old = platform::encodeFileName(path);
    struct stat st;
    if (::stat(old.constData(), &st) != 0)
        return false;
    const QByteArray temporary = old + ".new";
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    const bool dated = ::futimens(fd, times) == 0;
    ::close(fd);
    return written && dated && ::rename(temporary.constData(), old.constData()) == 0;
}

QString warning(const QString& line, const QString& last) {
    return u"Warning!\r\n\r\n"_s + line + u"\r\n\r\n"_s + last;
}

} // namespace

class OperationsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void deleteConfirmsRemovesAndTidies();
    void cancelAndEmptyListChangeNothing();
    void tidyUpRemovesLoneFilesAndSeparators();
    void deletingEverythingEmptiesTheList();
    void undeletableFileIsLoggedAndTheLogEmptied();
    void changedFileIsLeftAlone();
    void onlyTheListedFileInTheListedFolderIsActedOn();
    void filesBelowAPathLongerThanPathMax();
    void moveFindsFreeNamesAndNeverOverwrites();
    void destinationIsAPrefix();
    void failedMoveIsNotReportedAsDone();
    void freeNameSearch();
    void manyFilesOfOneNameTakeTheFirstFreeNames();
    void recycleGoesToTheTrash();
    void oddNamesAreHandledByEveryOperation();
    void stoppedJobKeepsTheRowsNotHandled();
    void jobRunsOnTheWorkerThread();
    void dialogHelpers();

private:
    testing::TempTree m_dataHome;
};

void OperationsTest::initTestCase() {
    // Never the user's own trash.
    QVERIFY(m_dataHome.isValid());
    qputenv("XDG_DATA_HOME", platform::encodeFileName(m_dataHome.root()));
}

void OperationsTest::deleteConfirmsRemovesAndTidies() {
    testing::TempTree tree;
    for (const QString& name : {u"g1/a"_s, u"g2/a"_s, u"g1/b"_s, u"g2/b"_s, u"g3/b"_s})
        tree.writeFile(name, name.endsWith(u'a') ? "aaaa" : "bb");
    testing::FakeFrontend frontend;
    AppState state;
    state.resultlist =
        grouped(tree, {u"g1/a"_s, u"g2/a"_s, QString(), u"g1/b"_s, u"g2/b"_s, u"g3/b"_s},
                {u"g1/a"_s, u"g2/b"_s});
    frontend.boxes.answer(MessageAnswer::Ok);
    deletefiles(state, frontend);

    const auto& shown = frontend.boxes.shown;
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[0].text,
             warning(u"The files that you have selected in the list will be PERMANENTLY DELETED!"_s,
                     u"Click on OK to continue with the deletion."_s));
    QCOMPARE(shown[0].icon, MessageIcon::Critical);
    QCOMPARE(shown[0].buttons, MessageButtons::OkCancel);
    QCOMPARE(shown[0].defaultButton, MessageAnswer::Cancel);
    QCOMPARE(shown[1].text, u"2 files have been permanently deleted."_s);
    QCOMPARE(shown[1].icon, MessageIcon::Information);

    QVERIFY(!exists(tree.path(u"g1/a"_s)));
    QVERIFY(!exists(tree.path(u"g2/b"_s)));
    QVERIFY(exists(tree.path(u"g2/a"_s))); // its row goes, the file stays
    QCOMPARE(readAll(tree.path(u"g3/b"_s)), QByteArray("bb"));
    // The lone g2/a left the list with its separator; the rest was grouped.
    QCOMPARE(state.resultlist.size(), size_t(2));
    QCOMPARE(state.resultlist[0].fullPath(), tree.path(u"g1/b"_s));
    QCOMPARE(state.resultlist[1].fullPath(), tree.path(u"g3/b"_s));
    QCOMPARE(state.resultlist[0].icon, groupicon::First);
    QCOMPARE(state.resultlist[1].icon, groupicon::Last);
    QVERIFY(frontend.events.contains(u"close deletefiles"_s));
    QVERIFY(state.errorlog.isEmpty());
}

void OperationsTest::cancelAndEmptyListChangeNothing() {
    testing::TempTree tree;
    tree.writeFile(u"a"_s, "x");
    tree.writeFile(u"b"_s, "x");
    testing::FakeFrontend frontend;
    AppState state;
    state.resultlist = grouped(tree, {u"a"_s, u"b"_s}, {u"a"_s});
    deletefiles(state, frontend); // Cancel is the default answer
    movefiles(state, frontend, {tree.path(u"to/"_s), true});
    QCOMPARE(frontend.boxes.shown.size(), 2);
    QCOMPARE(frontend.boxes.shown[1].text,
             warning(u"The files that you have selected in the list will be moved!"_s,
                     u"Click on OK to move the files."_s));
    QCOMPARE(frontend.boxes.shown[1].icon, MessageIcon::Critical);
    QVERIFY(exists(tree.path(u"a"_s)));
    QCOMPARE(state.resultlist.size(), size_t(2));
    QVERIFY(frontend.events.isEmpty());

    state.resultlist.clear();
    frontend.boxes.shown.clear();
    recyclefiles(state, frontend);
    QCOMPARE(frontend.boxes.shown.size(), 1);
    QCOMPARE(frontend.boxes.shown[0].text, u"There are no files in the list."_s);
    QCOMPARE(frontend.boxes.shown[0].icon, MessageIcon::Information);
    QVERIFY(frontend.events.isEmpty());
}

void OperationsTest::tidyUpRemovesLoneFilesAndSeparators() {
    const auto row = [](const QString& name) {
        ResultEntry entry;
        entry.path = u"/x/"_s;
        entry.filename = name;
        entry.size = 1;
        return entry;
    };
    const ResultEntry sep = ResultEntry::separator();
    // Leading, trailing and repeated separators; a lone first group; a
    // lone group in the middle; a lone last group.
    const ResultList list = {sep,          row(u"a1"_s), sep,          sep,
                             row(u"b1"_s), row(u"b2"_s), sep,          row(u"c1"_s),
                             sep,          sep,          row(u"d1"_s), row(u"d2"_s),
                             row(u"d3"_s), sep,          row(u"e1"_s), sep};
    QCOMPARE(names(tidiedlist(list)),
             (QStringList{u"b1"_s, u"b2"_s, u"-"_s, u"d1"_s, u"d2"_s, u"d3"_s}));
    QCOMPARE(names(tidiedlist({row(u"a"_s), sep, row(u"b"_s)})), QStringList());
    QCOMPARE(names(tidiedlist({sep, sep})), QStringList());
    QCOMPARE(names(tidiedlist({row(u"a"_s), row(u"b"_s)})), (QStringList{u"a"_s, u"b"_s}));

    // With nothing checked an operation still tidies.
    testing::FakeFrontend frontend;
    AppState state;
    state.resultlist = {row(u"a1"_s), sep, row(u"b1"_s), row(u"b2"_s)};
    frontend.boxes.answer(MessageAnswer::Ok);
    deletefiles(state, frontend);
    QCOMPARE(frontend.boxes.shown.last().text, u"0 files have been permanently deleted."_s);
    QCOMPARE(names(state.resultlist), (QStringList{u"b1"_s, u"b2"_s}));
}

void OperationsTest::deletingEverythingEmptiesTheList() {
    testing::TempTree tree;
    tree.writeFile(u"a"_s, 1500000, 'x');
    tree.writeFile(u"b"_s, 1500000, 'x');
    testing::FakeFrontend frontend;
    AppState state;
    state.resultlist = grouped(tree, {u"a"_s, u"b"_s}, {u"a"_s, u"b"_s});
    coloritems(state, frontend);
    QCOMPARE(state.labelmbselected1, u"4 MB"_s); // 1.5 -> 2, 3.5 -> 4
    QVERIFY(frontend.noticeVisible(Notice::Preview));
    const int resets = frontend.resets;

    frontend.boxes.answer(MessageAnswer::Ok);
    deletefiles(state, frontend);
    QVERIFY(state.resultlist.empty());
    QCOMPARE(frontend.boxes.shown.size(), 2); // no error question
    QCOMPARE(state.mbselected, 0);
    QCOMPARE(state.labelmbselected1, u"0 MB"_s);
    QVERIFY(!frontend.noticeVisible(Notice::Preview));
    QVERIFY(frontend.resets > resets);
}

void OperationsTest::undeletableFileIsLoggedAndTheLogEmptied() {
    testing::TempTree tree;
    tree.writeFile(u"locked/stuck.txt"_s, "same");
    tree.writeFile(u"free.txt"_s, "same");
    tree.writeFile(u"other.txt"_s, "same");
    fixtures::Unchangeable lock(tree.path(u"locked/"_s));
    if (!lock.isValid())
        QSKIP("No way to make a folder unchangeable here (no immutable flag, running as root)");

    for (const bool seeLog : {false, true}) {
        testing::FakeFrontend frontend;
        AppState state;
        state.resultlist = grouped(tree, {u"locked/stuck.txt"_s, u"free.txt"_s, u"other.txt"_s},
                                   {u"locked/stuck.txt"_s});
        QStringList seen;
        frontend.onErrorLog = [&] { seen = takeerrorlog(state); };
        frontend.boxes.answer(MessageAnswer::Ok);
        frontend.boxes.answer(MessageAnswer::Ok);
        frontend.boxes.answer(seeLog ? MessageAnswer::Yes : MessageAnswer::No);
        deletefiles(state, frontend);

        QVERIFY(exists(tree.path(u"locked/stuck.txt"_s)));
        // The file still in place keeps its row, unchecked, and is not counted.
        QStringList kept = names(state.resultlist);
        kept.sort();
        QCOMPARE(kept, (QStringList{u"free.txt"_s, u"other.txt"_s, u"stuck.txt"_s}));
        for (const ResultEntry& entry : state.resultlist)
            QVERIFY(!entry.checked);
        const auto& shown = frontend.boxes.shown;
        QCOMPARE(shown.size(), 3);
        QCOMPARE(shown[1].text, u"0 files have been permanently deleted."_s);
        QCOMPARE(shown[2].text, u"1 errors occured while trying to complete this operation."
                                u"\r\n\r\nWould you like to see the log?"_s);
        QCOMPARE(shown[2].icon, MessageIcon::Exclamation);
        QCOMPARE(shown[2].buttons, MessageButtons::YesNo);
        QVERIFY(state.errorlog.isEmpty());
        QCOMPARE(frontend.events.contains(u"errorlog"_s), seeLog);
        if (seeLog) {
            QCOMPARE(seen.size(), 1);
            QVERIFY2(
                seen[0].startsWith(u"Error: '"_s) &&
                    seen[0].endsWith(u"' occured while trying to delete the file: stuck.txt"_s) &&
                    seen[0].size() > 60,
                qPrintable(seen[0]));
        }
    }
}

void OperationsTest::changedFileIsLeftAlone() {
    testing::TempTree tree;
    tree.writeFile(u"grown"_s, "1234");
    tree.writeFile(u"touched"_s, "1234");
    tree.writeFile(u"folder/x"_s, "1234");
    tree.writeFile(u"keep1"_s, "1234");
    tree.writeFile(u"keep2"_s, "1234");
    tree.setModified(u"touched"_s, 1000000000);
    AppState state;
    state.resultlist =
        grouped(tree, {u"grown"_s, u"touched"_s, u"folder/x"_s, u"keep1"_s, u"keep2"_s},
                {u"grown"_s, u"touched"_s, u"folder/x"_s});
    // Since the scan: one file grew, one was rewritten with another date, one
    // was replaced by a folder.
    tree.writeFile(u"grown"_s, "12345");
    tree.setModified(u"touched"_s, 1000000001);
    QDir(tree.path(u"folder"_s)).rename(u"x"_s, u"x.old"_s);
    tree.makeFolder(u"folder/x"_s);
    const FileJobInput input = planfileoperation(state, FileOperation::Delete);

    const FileJobResult deleted = runfilejob(input);
    QCOMPARE(deleted.processed, 3);
    QCOMPARE(deleted.errors.size(), 3);
    QCOMPARE(deleted.errors[0], u"Error: 'The file has changed since the scan' occured while "
                                u"trying to delete the file: grown"_s);
    QVERIFY(exists(tree.path(u"grown"_s)));
    QVERIFY(exists(tree.path(u"touched"_s)));
    QVERIFY(exists(tree.path(u"folder/x"_s)));

    FileJobInput move = input;
    move.operation = FileOperation::Move;
    move.move = {tree.path(u"to/"_s), false};
    tree.makeFolder(u"to"_s);
    const FileJobResult moved = runfilejob(move);
    QCOMPARE(moved.errors[1], u"Error: 'The file has changed since the scan' occured while "
                              u"trying to move: "_s +
                                  tree.path(u"touched"_s) + u" to "_s + tree.path(u"to/touched"_s));
    QVERIFY(fixtures::names(tree.path(u"to"_s)).isEmpty());

    FileJobInput recycle = input;
    recycle.operation = FileOperation::Recycle;
    const FileJobResult recycled = runfilejob(recycle);
    QCOMPARE(recycled.errors[0],
             u"An unknown error occured while trying to move: '"_s + tree.path(u"grown"_s) +
                 u"' to the recycle bin (The file has changed since the scan)"_s);
    QCOMPARE(recycled.errors.size(), 3);
    QVERIFY(exists(tree.path(u"grown"_s)));

    // A file that vanished is reported with the system's reason.
    QFile::remove(tree.path(u"keep1"_s));
    FileJobInput gone = input;
    gone.items = {planfileoperation(state, FileOperation::Delete).items[0]};
    gone.items[0].filename = u"keep1"_s;
    QCOMPARE(runfilejob(gone).errors,
             QStringList{u"Error: 'No such file or directory' occured while trying to delete "
                         u"the file: keep1"_s});
}

void OperationsTest::onlyTheListedFileInTheListedFolderIsActedOn() {
    for (const FileOperation operation :
         {FileOperation::Delete, FileOperation::Move, FileOperation::Recycle}) {
        testing::TempTree tree;
        tree.writeFile(u"scan/victim/a.txt"_s, "listed");
        tree.writeFile(u"scan/b.txt"_s, "listed");
        tree.writeFile(u"scan/c.txt"_s, "listed");
        tree.makeFolder(u"outside"_s);
        tree.makeFolder(u"dst"_s);
        // outside/a.txt is a second name of a.txt: the very file, in a folder
        // that was never scanned.
        QCOMPARE(::link(platform::encodeFileName(tree.path(u"scan/victim/a.txt"_s)).constData(),
                        platform::encodeFileName(tree.path(u"outside/a.txt"_s)).constData()),
                 0);
        AppState state;
        state.resultlist = grouped(tree, {u"scan/victim/a.txt"_s, u"scan/b.txt"_s, u"scan/c.txt"_s},
                                   {u"scan/victim/a.txt"_s, u"scan/b.txt"_s, u"scan/c.txt"_s});
        state.resultlist[2].dateform = DateForm::General; // a row the comparison wrote

        // After the scan: victim/ is swapped for a link to outside/, and b.txt
        // and c.txt are replaced by new files of the same size and date.
        QVERIFY(QDir(tree.path(u"scan"_s)).rename(u"victim"_s, u"victim.old"_s));
        QCOMPARE(::symlink(platform::encodeFileName(tree.path(u"outside"_s)).constData(),
                           platform::encodeFileName(tree.path(u"scan/victim"_s)).constData()),
                 0);
        QVERIFY(replaceKeepingDate(tree.path(u"scan/b.txt"_s), "edited"));
        QVERIFY(replaceKeepingDate(tree.path(u"scan/c.txt"_s), "edited"));

        const FileJobResult result =
            runfilejob(planfileoperation(state, operation, {tree.path(u"dst/"_s), false}));
        QCOMPARE(result.processed, 3);
        QCOMPARE(result.errors.size(), 3);
        QVERIFY2(result.errors[0].contains(u"The file has changed since the scan"_s),
                 qPrintable(result.errors[0]));
        QVERIFY2(result.errors[1].contains(u"The file has changed since the scan"_s),
                 qPrintable(result.errors[1]));
        QVERIFY2(result.errors[2].contains(u"The file has changed since it was compared"_s),
                 qPrintable(result.errors[2]));
        QCOMPARE(readAll(tree.path(u"outside/a.txt"_s)), QByteArray("listed"));
        QCOMPARE(readAll(tree.path(u"scan/b.txt"_s)), QByteArray("edited"));
        QCOMPARE(readAll(tree.path(u"scan/c.txt"_s)), QByteArray("edited"));
        QVERIFY(fixtures::names(tree.path(u"dst"_s)).isEmpty());
    }
}

void OperationsTest::filesBelowAPathLongerThanPathMax() {
    const QString trashFiles = m_dataHome.path(u"Trash/files/"_s);
    for (const FileOperation operation :
         {FileOperation::Delete, FileOperation::Move, FileOperation::Recycle}) {
        testing::TempTree tree;
        tree.makeFolder(u"dst"_s);
        const QString deep = tree.writeDeepFile("deep content");
        QVERIFY(platform::encodeFileName(deep).size() > PATH_MAX);
        AppState state;
        state.resultlist = {entryFor(deep, true)};
        QCOMPARE(state.resultlist[0].size, 12);
        const auto trashed = fixtures::names(trashFiles);
        const FileJobResult result =
            runfilejob(planfileoperation(state, operation, {tree.path(u"dst/"_s), false}));
        QVERIFY2(result.errors.isEmpty(), qPrintable(result.errors.join(u'\n')));
        QCOMPARE(fixtures::readDeep(deep), QByteArray("<missing>"));
        if (operation == FileOperation::Move)
            QCOMPARE(readAll(tree.path(u"dst/deep.bin"_s)), QByteArray("deep content"));
        if (operation == FileOperation::Recycle) {
            const auto added = fixtures::names(trashFiles) - trashed;
            QCOMPARE(added.size(), 1);
            QCOMPARE(readAll(trashFiles + QString::fromUtf8(*added.begin())),
                     QByteArray("deep content"));
        }
    }
}

void OperationsTest::moveFindsFreeNamesAndNeverOverwrites() {
    testing::TempTree tree;
    tree.writeFile(u"src/a.txt"_s, "new");
    tree.writeFile(u"src/b.txt"_s, "new");
    tree.writeFile(u"dst/a.txt"_s, "old");
    tree.writeFile(u"dst/a(0).txt"_s, "old0");
    tree.writeFile(u"dst/a(1).txt"_s, "old1");
    const QString destination = tree.path(u"dst/"_s);

    testing::FakeFrontend frontend;
    AppState state;
    state.resultlist = grouped(tree, {u"src/a.txt"_s, u"src/b.txt"_s}, {u"src/a.txt"_s});
    frontend.boxes.answer(MessageAnswer::Ok);
    movefiles(state, frontend, {destination, true});
    QCOMPARE(readAll(tree.path(u"dst/a(2).txt"_s)), QByteArray("new"));
    QCOMPARE(readAll(tree.path(u"dst/a.txt"_s)), QByteArray("old"));
    QVERIFY(!exists(tree.path(u"src/a.txt"_s)));
    QCOMPARE(frontend.boxes.shown.last().text, u"1 files have been moved."_s);
    QVERIFY(state.resultlist.empty()); // b.txt lost its partner row

    // Without renaming the move fails and the existing file is untouched.
    state.resultlist = grouped(tree, {u"src/b.txt"_s, u"dst/a.txt"_s}, {u"src/b.txt"_s});
    tree.writeFile(u"dst/b.txt"_s, "old b");
    frontend.boxes.shown.clear();
    frontend.boxes.answer(MessageAnswer::Ok);
    frontend.boxes.answer(MessageAnswer::Ok);
    QStringList log;
    frontend.onErrorLog = [&] { log = takeerrorlog(state); };
    frontend.boxes.answer(MessageAnswer::Yes);
    movefiles(state, frontend, {destination, false});
    QCOMPARE(readAll(tree.path(u"dst/b.txt"_s)), QByteArray("old b"));
    QCOMPARE(readAll(tree.path(u"src/b.txt"_s)), QByteArray("new"));
    QCOMPARE(log.size(), 1);
    QVERIFY2(log[0].startsWith(u"Error: 'File exists' occured while trying to move: "_s),
             qPrintable(log[0]));
    QVERIFY(log[0].endsWith(u" to "_s + destination + u"b.txt"_s));
    // The file that stayed keeps its row, unchecked.
    QCOMPARE(state.resultlist.size(), size_t(2));
    QVERIFY(std::none_of(state.resultlist.begin(), state.resultlist.end(),
                         [](const ResultEntry& entry) { return entry.checked; }));
    QVERIFY(!frontend.events.contains(u"close move"_s));

    // Into its own folder: with renaming it becomes name(0).ext there.
    state.resultlist = grouped(tree, {u"src/b.txt"_s, u"dst/b.txt"_s}, {u"src/b.txt"_s});
    frontend.boxes.answer(MessageAnswer::Ok);
    movefiles(state, frontend, {tree.path(u"src/"_s), true});
    QCOMPARE(readAll(tree.path(u"src/b(0).txt"_s)), QByteArray("new"));
    QVERIFY(!exists(tree.path(u"src/b.txt"_s)));

    // The platform move refuses an existing target itself, whatever the caller checked.
    const platform::FileOpResult refused =
        platform::moveFile(tree.path(u"src/b(0).txt"_s), tree.path(u"dst/b.txt"_s));
    QCOMPARE(refused.error, EEXIST);
    QCOMPARE(readAll(tree.path(u"dst/b.txt"_s)), QByteArray("old b"));
    QCOMPARE(readAll(tree.path(u"src/b(0).txt"_s)), QByteArray("new"));
}

void OperationsTest::destinationIsAPrefix() {
    testing::TempTree tree;
    tree.writeFile(u"src/a.txt"_s, "a");
    tree.writeFile(u"src/a2.txt"_s, "a");
    testing::FakeFrontend frontend;
    AppState state;
    JobRunner runner;
    state.resultlist = grouped(tree, {u"src/a.txt"_s, u"src/a2.txt"_s}, {u"src/a.txt"_s});
    frontend.boxes.answer(MessageAnswer::Ok);
    movefilesclicked(state, frontend, {tree.path(u"Backup"_s), true}, runner);
    runner.wait();
    QCOMPARE(readAll(tree.path(u"Backupa.txt"_s)), QByteArray("a"));

    frontend.boxes.shown.clear();
    movefilesclicked(state, frontend, {QString(), true}, runner);
    runner.wait();
    QCOMPARE(frontend.boxes.shown.size(), 1);
    QCOMPARE(frontend.boxes.shown[0].text,
             u"You must first select a path to move the files too!"_s);
    QCOMPARE(frontend.boxes.shown[0].icon, MessageIcon::Exclamation);
}

void OperationsTest::failedMoveIsNotReportedAsDone() {
    testing::TempTree tree;
    tree.writeFile(u"src/a.txt"_s, "same");
    tree.writeFile(u"src/b.txt"_s, "same");
    tree.writeFile(u"src/c.txt"_s, "same");
    tree.makeFolder(u"Backup"_s);
    // To a folder that does not exist nothing moves: no file counts as moved,
    // and the rows of the files still in place stay, unchecked.
    testing::FakeFrontend frontend;
    AppState state;
    JobRunner runner;
    state.resultlist = grouped(tree, {u"src/a.txt"_s, u"src/b.txt"_s, u"src/c.txt"_s},
                               {u"src/a.txt"_s, u"src/b.txt"_s});
    frontend.boxes.answer(MessageAnswer::Ok);
    frontend.boxes.answer(MessageAnswer::Ok);
    frontend.boxes.answer(MessageAnswer::No);
    movefilesclicked(state, frontend, {tree.path(u"missing/"_s), true}, runner);
    runner.wait();
    QVERIFY(exists(tree.path(u"src/a.txt"_s)) && exists(tree.path(u"src/b.txt"_s)));
    QCOMPARE(frontend.boxes.shown.size(), 3);
    QCOMPARE(frontend.boxes.shown[1].text, u"0 files have been moved."_s);
    QVERIFY(frontend.boxes.shown[2].text.startsWith(u"2 errors occured"_s));
    QCOMPARE(names(state.resultlist), (QStringList{u"a.txt"_s, u"b.txt"_s, u"c.txt"_s}));
    for (const ResultEntry& entry : state.resultlist)
        QVERIFY(!entry.checked);

    // A destination typed without its "/" that names a folder is that
    // folder; the files go into it, not beside it under a longer name.
    state.resultlist[0].checked = true;
    frontend.boxes.shown.clear();
    frontend.boxes.answer(MessageAnswer::Ok);
    frontend.boxes.answer(MessageAnswer::Ok);
    movefilesclicked(state, frontend, {tree.path(u"Backup"_s), true}, runner);
    runner.wait();
    QCOMPARE(readAll(tree.path(u"Backup/a.txt"_s)), QByteArray("same"));
    QVERIFY(!exists(tree.path(u"Backupa.txt"_s)));
    QCOMPARE(frontend.boxes.shown[1].text, u"1 files have been moved."_s);
    QCOMPARE(names(state.resultlist), (QStringList{u"b.txt"_s, u"c.txt"_s}));
}

void OperationsTest::freeNameSearch() {
    testing::TempTree tree;
    QCOMPARE(freename(tree.path(u"report.txt"_s)), tree.path(u"report.txt"_s));
    tree.writeFile(u"report.txt"_s, "x");
    tree.writeFile(u"report(0).txt"_s, "x");
    QCOMPARE(freename(tree.path(u"report.txt"_s)), tree.path(u"report(1).txt"_s));
    tree.writeFile(u"README"_s, "x");
    QCOMPARE(freename(tree.path(u"README"_s)), tree.path(u"README(0)"_s));
    // A dot in a folder name is not an extension.
    tree.writeFile(u"dir.d/file"_s, "x");
    QCOMPARE(freename(tree.path(u"dir.d/file"_s)), tree.path(u"dir.d/file(0)"_s));
    tree.writeFile(u"a.tar.gz"_s, "x");
    QCOMPARE(freename(tree.path(u"a.tar.gz"_s)), tree.path(u"a.tar(0).gz"_s));
    // Anything in the way counts: a folder or a dangling link.
    tree.makeFolder(u"taken.txt"_s);
    QVERIFY(QFile::link(tree.path(u"nowhere"_s), tree.path(u"taken(0).txt"_s)));
    QCOMPARE(freename(tree.path(u"taken.txt"_s)), tree.path(u"taken(1).txt"_s));
    // A NUL in the destination names nothing, however much lies before it.
    const QString cut = tree.path(u"dir.d"_s) + QChar(u'\0') + u"/file"_s;
    QCOMPARE(freename(cut), cut);
}

void OperationsTest::manyFilesOfOneNameTakeTheFirstFreeNames() {
    testing::TempTree tree;
    tree.writeFile(u"dst/a.txt"_s, "old");
    tree.writeFile(u"dst/a(1).txt"_s, "old1");
    QStringList files;
    for (int k = 0; k < 4; ++k) {
        files << u"src%1/a.txt"_s.arg(k);
        tree.writeFile(files.last(), "new" + QByteArray::number(k));
        if (k == 2)
            files << u"dst/a(1).txt"_s; // moved away within the job, freeing its name
    }
    AppState state;
    state.resultlist = grouped(tree, files, files);
    const FileJobResult result =
        runfilejob(planfileoperation(state, FileOperation::Move, {tree.path(u"dst/"_s), true}));
    QVERIFY2(result.errors.isEmpty(), qPrintable(result.errors.join(u'\n')));
    QCOMPARE(readAll(tree.path(u"dst/a.txt"_s)), QByteArray("old"));
    QCOMPARE(readAll(tree.path(u"dst/a(0).txt"_s)), QByteArray("new0"));
    QCOMPARE(readAll(tree.path(u"dst/a(2).txt"_s)), QByteArray("new1"));
    QCOMPARE(readAll(tree.path(u"dst/a(1)(0).txt"_s)), QByteArray("old1"));
    QCOMPARE(readAll(tree.path(u"dst/a(3).txt"_s)), QByteArray("new2"));
    QCOMPARE(readAll(tree.path(u"dst/a(1).txt"_s)), QByteArray("new3"));

    // Kept numbers: the search goes on from the one found last, and a name
    // freed behind it is not seen again until the next job.
    FreeNameHints hints;
    QCOMPARE(freename(tree.path(u"dst/a.txt"_s), &hints), tree.path(u"dst/a(4).txt"_s));
    tree.writeFile(u"dst/a(4).txt"_s, "x");
    QFile::remove(tree.path(u"dst/a(0).txt"_s));
    QCOMPARE(freename(tree.path(u"dst/a.txt"_s), &hints), tree.path(u"dst/a(5).txt"_s));
    QCOMPARE(freename(tree.path(u"dst/a.txt"_s)), tree.path(u"dst/a(0).txt"_s));
}

void OperationsTest::recycleGoesToTheTrash() {
    testing::TempTree tree;
    tree.writeFile(u"a.txt"_s, "content");
    tree.writeFile(u"b.txt"_s, "content");
    const QString trash = m_dataHome.path(u"Trash/"_s);
    const auto before = fixtures::names(trash + u"files"_s);
    testing::FakeFrontend frontend;
    AppState state;
    state.resultlist = grouped(tree, {u"a.txt"_s, u"b.txt"_s}, {u"a.txt"_s});
    frontend.boxes.answer(MessageAnswer::Ok);
    recyclefiles(state, frontend);
    const auto& shown = frontend.boxes.shown;
    QCOMPARE(
        shown[0].text,
        warning(u"The files that you have selected in the list will be moved to the recycle bin!"_s,
                u"Click on OK to continue."_s));
    QCOMPARE(shown[0].icon, MessageIcon::Exclamation);
    QCOMPARE(shown[0].defaultButton, MessageAnswer::Cancel);
    QCOMPARE(shown[1].text, u"1 files have been moved to the recycle bin."_s);
    QVERIFY(!exists(tree.path(u"a.txt"_s)));
    const auto added = fixtures::names(trash + u"files"_s) - before;
    QCOMPARE(added.size(), 1);
    QCOMPARE(readAll(trash + u"files/"_s + QString::fromUtf8(*added.begin())),
             QByteArray("content"));
    QVERIFY(frontend.events.contains(u"close deletefiles"_s));

    // A file that cannot be recycled gives its error-log line.
    FileJobItem missing;
    missing.path = tree.root();
    missing.filename = u"missing.txt"_s;
    QCOMPARE(recyclestep(missing), u"An unknown error occured while trying to move: '"_s +
                                       tree.path(u"missing.txt"_s) +
                                       u"' to the recycle bin (No such file or directory)"_s);
}

void OperationsTest::oddNamesAreHandledByEveryOperation() {
    const QList<QByteArray> odd = {QByteArray("caf\xE9\xFF.txt"), QByteArray("two\nlines"),
                                   QByteArray("quote\"and'apos"), QByteArray("-rf"),
                                   QByteArray("--help"),          QByteArray(" blank ")};
    for (const FileOperation operation :
         {FileOperation::Delete, FileOperation::Move, FileOperation::Recycle}) {
        testing::TempTree tree;
        tree.makeFolder(u"src"_s);
        tree.makeFolder(u"dst"_s);
        AppState state;
        for (const QByteArray& name : odd) {
            tree.writeRawNamedFile("src/" + name, "odd " + name);
            const QString path =
                platform::decodeFileName(platform::encodeFileName(tree.root()) + "src/" + name);
            state.resultlist.push_back(entryFor(path, true));
        }
        FileJobInput input = planfileoperation(state, operation, {tree.path(u"dst/"_s), false});
        const FileJobResult result = runfilejob(input);
        QVERIFY2(result.errors.isEmpty(), qPrintable(result.errors.join(u'\n')));
        QCOMPARE(result.processed, odd.size());
        QVERIFY(fixtures::names(tree.path(u"src"_s)).isEmpty());
        if (operation == FileOperation::Move) {
            QCOMPARE(fixtures::names(tree.path(u"dst"_s)),
                     QSet<QByteArray>(odd.begin(), odd.end()));
            for (const QByteArray& name : odd) {
                const QString path =
                    platform::decodeFileName(platform::encodeFileName(tree.root()) + "dst/" + name);
                QCOMPARE(readAll(path), "odd " + name);
            }
        }
    }
}

void OperationsTest::stoppedJobKeepsTheRowsNotHandled() {
    testing::TempTree tree;
    for (const QString& name : {u"a"_s, u"b"_s, u"c"_s})
        tree.writeFile(name, "x");
    testing::FakeFrontend frontend;
    AppState state;
    state.resultlist = grouped(tree, {u"a"_s, u"b"_s, u"c"_s}, {u"a"_s, u"b"_s});
    FileJobInput input = planfileoperation(state, FileOperation::Delete);
    std::atomic<bool> stop{true};
    input.stop = &stop;
    const FileJobResult result = runfilejob(input);
    QVERIFY(result.stopped);
    QCOMPARE(result.processed, 0);
    finishfileoperation(state, frontend, FileOperation::Delete, result);
    QCOMPARE(names(state.resultlist), (QStringList{u"a"_s, u"b"_s, u"c"_s}));
    QVERIFY(state.resultlist[0].checked && state.resultlist[1].checked);
    QVERIFY(exists(tree.path(u"a"_s)));
    QCOMPARE(frontend.boxes.shown.last().text, u"0 files have been permanently deleted."_s);

    // Rows that moved while the job ran are matched by their file, not only their place.
    input.stop = nullptr;
    const FileJobResult done = runfilejob(input);
    QCOMPARE(done.processed, 2);
    std::swap(state.resultlist[0], state.resultlist[2]); // c, b, a
    finishfileoperation(state, frontend, FileOperation::Delete, done);
    QCOMPARE(names(state.resultlist), (QStringList{u"c"_s, u"a"_s})); // b went; a stayed
}

void OperationsTest::jobRunsOnTheWorkerThread() {
    testing::TempTree tree;
    for (int i = 0; i < 50; ++i)
        tree.writeFile(u"f%1"_s.arg(i), "same");
    testing::FakeFrontend frontend;
    AppState state;
    QStringList files;
    for (int i = 0; i < 50; ++i)
        files << u"f%1"_s.arg(i);
    state.resultlist = grouped(tree, files, files.mid(0, 49));
    JobRunner runner;
    QSignalSpy finished(&runner, &JobRunner::finished);
    frontend.boxes.answer(MessageAnswer::Ok);
    QVERIFY(startfileoperation(state, frontend, runner, FileOperation::Delete));
    QVERIFY(frontend.busy);
    QVERIFY(finished.wait(10000));
    QVERIFY(!frontend.busy);
    QCOMPARE(frontend.events.first(), u"busy"_s);
    QVERIFY(frontend.events.indexOf(u"idle"_s) < frontend.events.indexOf(u"close deletefiles"_s));
    QCOMPARE(state.progressdone.load(), 49);
    QCOMPARE(frontend.boxes.shown.last().text, u"49 files have been permanently deleted."_s);
    QVERIFY(state.resultlist.empty()); // f49 was left alone
    QCOMPARE(fixtures::names(tree.root()), QSet<QByteArray>{"f49"});

    // Cancel starts nothing.
    state.resultlist = grouped(tree, {u"f49"_s, u"f49"_s});
    QVERIFY(!startfileoperation(state, frontend, runner, FileOperation::Delete));
    QVERIFY(!runner.isRunning());
}

void OperationsTest::dialogHelpers() {
    AppState state;
    ResultEntry a;
    a.path = u"/x/"_s;
    a.filename = u"a"_s;
    a.size = 1234567;
    a.checked = true;
    ResultEntry b = a;
    b.filename = u"b"_s;
    b.checked = false;
    state.resultlist = {a, b, ResultEntry::separator(), a};
    const auto rows = deletedialogrows(state.resultlist);
    QCOMPARE(rows.size(), size_t(2));
    QCOMPARE(rows[0].file, u"/x/a"_s);
    QCOMPARE(rows[0].sizemb, a.sizembText());
    QCOMPARE(deletedialogcount(qsizetype(rows.size())), u"2 files"_s);
    QCOMPARE(browsedfolder(u"/mnt/usb"_s), u"/mnt/usb/"_s);
    QCOMPARE(browsedfolder(u"/"_s), u"/"_s);
    state.errorlog = {u"one"_s, u"two"_s};
    QCOMPARE(takeerrorlog(state), (QStringList{u"one"_s, u"two"_s}));
    QVERIFY(state.errorlog.isEmpty());
}

QTEST_GUILESS_MAIN(OperationsTest)
#include "tst_operations.moc"

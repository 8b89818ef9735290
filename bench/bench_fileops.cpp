// Times moving and recycling many files of one name: a move into one folder
// with "Rename files with conflicting filenames", and the trash, which must
// find a free name for each. Both should grow linearly with the count.
//
//   build/bench/bench_fileops [files]     (default 4000; also runs half as many)

#include "fileops/operations.h"
#include "platform/filename.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

using namespace quillfen;
using namespace Qt::StringLiterals;

namespace {

// count files called same.txt, each in its own folder, as checked rows.
FileJobInput sameNamedFiles(const QString& root, qint64 count, FileOperation operation) {
    FileJobInput input;
    input.operation = operation;
    for (qint64 k = 0; k < count; ++k) {
        const QString folder = root + u"src/"_s + QString::number(k) + u'/';
        QDir().mkpath(folder);
        const int fd = ::open(platform::encodeFileName(folder + u"same.txt"_s).constData(),
                              O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::close(fd);
        FileJobItem item;
        item.row = qsizetype(k);
        item.path = folder;
        item.filename = u"same.txt"_s;
        input.items.push_back(item);
    }
    return input;
}

void run(const char* what, qint64 count, FileJobInput input) {
    QElapsedTimer timer;
    timer.start();
    const FileJobResult result = runfilejob(input);
    std::printf("%-34s %7lld files %8lld ms  %lld errors\n", what, static_cast<long long>(count),
                static_cast<long long>(timer.elapsed()),
                static_cast<long long>(result.errors.size()));
}

} // namespace

int main(int argc, char** argv) {
    const qint64 files = argc > 1 ? std::atoll(argv[1]) : 4000;
    for (const qint64 count : {files / 2, files}) {
        QTemporaryDir dir;
        const QString root = dir.path() + u'/';
        QDir().mkpath(root + u"dst"_s);
        FileJobInput move = sameNamedFiles(root, count, FileOperation::Move);
        move.move = {root + u"dst/"_s, true};
        run("move into one folder, renaming", count, move);

        qputenv("XDG_DATA_HOME", platform::encodeFileName(root + u"data"_s));
        run("recycle", count, sameNamedFiles(root, count, FileOperation::Recycle));
    }
    return 0;
}

#include "platform/filename.h"
#include "platform/platform.h"
#include "temptree.h"

#include <QtTest>
#include <sys/stat.h>

using namespace quillfen;
using namespace quillfen::platform;
using namespace Qt::StringLiterals;

namespace {

// A program that writes how many arguments it got and each one, NUL-ended,
// then creates a "done" file.
QString writeRecorder(testing::TempTree& tree) {
    const QString script =
        tree.writeFile(u"bin/record args"_s,
                       QByteArray("#!/bin/sh\n"
                                  "out=\"$(dirname \"$0\")/../out\"\n"
                                  "printf '%s\\n' \"$#\" > \"$out\"\n"
                                  "for a in \"$@\"; do printf '%s\\0' \"$a\" >> \"$out\"; done\n"
                                  ": > \"$(dirname \"$0\")/../done\"\n"));
    ::chmod(encodeFileName(script).constData(), 0755);
    return script;
}

QByteArray readBytes(const QString& path) {
    InputFile file(path);
    if (!file.isOpen())
        return {};
    QByteArray bytes(file.info().size, '\0');
    file.readAt(0, bytes.data(), bytes.size());
    return bytes;
}

} // namespace

class StartProgramTest : public QObject {
    Q_OBJECT
private slots:
    void everyArgumentArrivesWholeWithItsBytes();
    void missingProgramIsReported();
};

void StartProgramTest::everyArgumentArrivesWholeWithItsBytes() {
    testing::TempTree tree;
    const QString program = writeRecorder(tree);
    // Blanks, quotes, shell syntax and a byte that is not UTF-8: no shell
    // sees it, so nothing is split, expanded or replaced.
    const QByteArray hostile("/tmp/a b/$(touch x) `id`; \"q\" 'r' caf\xE9.txt");
    const QString argument = decodeFileName(hostile);
    QVERIFY(startProgram(program, {argument}));
    QTRY_VERIFY_WITH_TIMEOUT(fileInfo(tree.path(u"done"_s)).exists(), 10000);
    QCOMPARE(readBytes(tree.path(u"out"_s)), QByteArray("1\n") + hostile + '\0');
    QVERIFY(!fileInfo(tree.path(u"x"_s)).exists());
}

void StartProgramTest::missingProgramIsReported() {
    testing::TempTree tree;
    QVERIFY(!startProgram(tree.path(u"no such program"_s), {u"/tmp/a"_s}));
    QVERIFY(!startProgram(QString(), {}));
    QVERIFY(!startProgram(u"quillfen-no-such-program-on-path"_s, {}));
}

QTEST_GUILESS_MAIN(StartProgramTest)
#include "tst_startprogram.moc"

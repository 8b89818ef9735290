#include "platform/filename.h"
#include "platform/platform.h"
#include "temptree.h"

#include <QtTest>

using namespace quillfen;
using namespace quillfen::platform;
using namespace Qt::StringLiterals;

class FileNamesTest : public QObject {
    Q_OBJECT
private slots:
    void validUtf8DecodesToText();
    void everyByteStringSurvivesTheRoundTrip();
    void invalidBytesBecomeDistinctCharacters();
    void rawNamedFileIsListedAndFoundAgain();
};

void FileNamesTest::validUtf8DecodesToText() {
    QCOMPARE(decodeFileName(QByteArray("plain.txt")), u"plain.txt"_s);
    QCOMPARE(decodeFileName(QByteArray("caf\xc3\xa9 \xf0\x9f\x8e\xb5.mp3")),
             u"caf\u00e9 \U0001F3B5.mp3"_s);
    QCOMPARE(encodeFileName(u"caf\u00e9 \U0001F3B5.mp3"_s),
             QByteArray("caf\xc3\xa9 \xf0\x9f\x8e\xb5.mp3"));
}

void FileNamesTest::everyByteStringSurvivesTheRoundTrip() {
    const QList<QByteArray> samples = {
        QByteArray("\xff\xfe"),         // never valid
        QByteArray("a\xc3"),            // cut-off sequence at the end
        QByteArray("\xc0\xaf"),         // overlong "/"
        QByteArray("\xed\xa0\x80"),     // an encoded surrogate
        QByteArray("\xf4\x90\x80\x80"), // above U+10FFFF
        QByteArray("\xe2\x82"),         // cut-off three-byte sequence
        QByteArray("x\x80y\xc3\xa9z"),  // stray continuation next to valid text
        QByteArray("\xf0\x9f\x8e\xb5\xb5"),
    };
    for (const QByteArray& bytes : samples)
        QCOMPARE(encodeFileName(decodeFileName(bytes)), bytes);

    // Every single byte and every pair of bytes.
    for (int a = 1; a < 256; ++a) {
        for (int b = 0; b < 256; b += 7) {
            QByteArray bytes;
            bytes.append(char(a));
            if (b)
                bytes.append(char(b));
            QCOMPARE(encodeFileName(decodeFileName(bytes)), bytes);
        }
    }
}

void FileNamesTest::invalidBytesBecomeDistinctCharacters() {
    const QString first = decodeFileName(QByteArray("a\xff"));
    const QString second = decodeFileName(QByteArray("a\xfe"));
    QVERIFY(first != second);
    QCOMPARE(first.size(), 2);
}

void FileNamesTest::rawNamedFileIsListedAndFoundAgain() {
    testing::TempTree tree;
    QVERIFY(tree.isValid());
    const QByteArray raw("bad\xff\xfename.txt");
    tree.writeRawNamedFile(raw, "content");

    DirectoryListing listing(tree.root());
    QVERIFY(listing.isOpen());
    QStringList names;
    while (listing.next())
        names << listing.name();
    QCOMPARE(names.size(), 1);
    QCOMPARE(encodeFileName(names.first()), raw);

    const QString full = tree.root() + names.first();
    QCOMPARE(fileLength(full), 7);
    InputFile file(full);
    QVERIFY(file.isOpen());
    char buffer[16];
    QCOMPARE(file.read(buffer, 16), 7);
    QCOMPARE(QByteArray(buffer, 7), QByteArray("content"));
}

QTEST_GUILESS_MAIN(FileNamesTest)
#include "tst_filenames.moc"

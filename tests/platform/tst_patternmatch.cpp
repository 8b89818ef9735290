#include "platform/patternmatch.h"

#include <QtTest>

using namespace quillfen::platform;
using namespace Qt::StringLiterals;

class PatternMatchTest : public QObject {
    Q_OBJECT
private slots:
    void matches_data();
    void matches();
};

void PatternMatchTest::matches_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("expected");

    QTest::newRow("star-dot-star with dot") << u"a.txt"_s << u"*.*"_s << true;
    QTest::newRow("star-dot-star without dot") << u"README"_s << u"*.*"_s << true;
    QTest::newRow("case-insensitive") << u"a.MP3"_s << u"*.mp3"_s << true;
    QTest::newRow("wrong extension") << u"a.mp4"_s << u"*.mp3"_s << false;
    QTest::newRow("question mark one char") << u"abc.txt"_s << u"a?c.txt"_s << true;
    QTest::newRow("question mark needs a char") << u"ac.txt"_s << u"a?c.txt"_s << false;
    QTest::newRow("leading blanks ignored") << u"b.wav"_s << u"  *.wav"_s << true;
    QTest::newRow("alternatives") << u"bxd.txt"_s << u"a?c.txt;b?d.txt"_s << true;
    QTest::newRow("alternative with blank") << u"x.wav"_s << u"*.mp3; *.wav"_s << true;
    QTest::newRow("empty pattern") << u"x.wav"_s << u""_s << false;
    QTest::newRow("empty alternative only") << u"x.wav"_s << u"*.mp3;"_s << false;
    QTest::newRow("star anywhere") << u"index.html"_s << u"*.*htm*"_s << true;
    QTest::newRow("multi-dot extension") << u"a.tar.gz"_s << u"*.tar.gz"_s << true;
    QTest::newRow("star matches empty run") << u".txt"_s << u"*.txt"_s << true;
    QTest::newRow("backtracking") << u"aaab"_s << u"*a*b"_s << true;
    QTest::newRow("no trailing match") << u"abc"_s << u"*b"_s << false;
    QTest::newRow("non-ascii case") << u"\u00c9t\u00e9.TXT"_s << u"\u00e9t\u00c9.txt"_s << true;
    QTest::newRow("star alone") << u"x"_s << u"*"_s << true;
}

void PatternMatchTest::matches() {
    QFETCH(QString, name);
    QFETCH(QString, pattern);
    QFETCH(bool, expected);
    QCOMPARE(matchSpec(name, pattern), expected);
}

QTEST_GUILESS_MAIN(PatternMatchTest)
#include "tst_patternmatch.moc"

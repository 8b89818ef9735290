#include "compare/crc32.h"
#include "compare/routines.h"
#include "core/crc.h"
#include "failingaccess.h"
#include "pairwise.h"
#include "temptree.h"

#include <QtTest>
#include <random>
#include <thread>

using namespace quillfen;
using namespace quillfen::testing;
using namespace Qt::StringLiterals;

namespace {

quint32 referenceCrc(const QByteArray& data) {
    const auto table = buildcrctable();
    quint32 c = 0xFFFFFFFFu;
    for (char ch : data)
        c = (c >> 8) ^ table[(c ^ quint8(ch)) & 0xFF];
    return c ^ 0xFFFFFFFFu;
}

QByteArray randomBytes(std::mt19937& random, qsizetype size) {
    QByteArray data(size, Qt::Uninitialized);
    for (qsizetype k = 0; k < size; ++k)
        data[k] = char(random() & 0xFF);
    return data;
}

QByteArray withByte(QByteArray data, qint64 position1, char value) {
    data[qsizetype(position1 - 1)] = value;
    return data;
}

// Four bytes that bring the CRC register from its start to the value that
// gives a CRC of 0, found by running the register backwards.
QByteArray bytesWithCrcZero() {
    const auto table = buildcrctable();
    quint32 reg = 0xFFFFFFFFu; // register after the bytes: CRC 0 once inverted
    for (int step = 0; step < 4; ++step) {
        int index = 0;
        while ((table[index] >> 24) != (reg >> 24))
            ++index;
        reg = ((reg ^ table[index]) << 8) | quint32(index);
    }
    reg ^= 0xFFFFFFFFu; // the register before the bytes
    QByteArray bytes(4, Qt::Uninitialized);
    for (int k = 0; k < 4; ++k)
        bytes[k] = char((reg >> (8 * k)) & 0xFF);
    return bytes;
}

constexpr qint64 fiveGiB = 5LL * 1024 * 1024 * 1024;

} // namespace

class RoutinesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void crcMatchesTheTableDefinition();
    void crcTextOfFiles();
    void crcComparison();
    void unreadableFilesAreEqualToNothing();
    void fuzzySampleSteps();
    void fuzzyComparesOnlyItsSamples();
    void bytewiseComparesEveryByte();
    void bytewiseCountsKilobytes();
    void reachability();
    void hugeSparseFiles();
    void stopEndsLongReads();

private:
    testing::TempTree m_tree;
    std::mt19937 m_random{1234};
};

void RoutinesTest::initTestCase() {
    QVERIFY(m_tree.isValid());
}

void RoutinesTest::crcMatchesTheTableDefinition() {
    QCOMPARE(crc32Update(0xFFFFFFFFu, "123456789", 9) ^ 0xFFFFFFFFu, 0xCBF43926u);
    QCOMPARE(crc32UpdateTables(0xFFFFFFFFu, "123456789", 9) ^ 0xFFFFFFFFu, 0xCBF43926u);
    // Every length around the folding widths, at every alignment.
    const QByteArray data = randomBytes(m_random, 4096 + 64);
    for (int offset = 0; offset < 16; ++offset) {
        for (int length : {0,   1,   15,  16,  17,  63,  64,  65,  79,  80,   127,
                           128, 129, 255, 256, 257, 271, 511, 512, 527, 1000, 4096}) {
            const QByteArray piece = data.mid(offset, length);
            const quint32 expected = referenceCrc(piece);
            QCOMPARE(crc32Update(0xFFFFFFFFu, piece.constData(), size_t(length)) ^ 0xFFFFFFFFu,
                     expected);
            QCOMPARE(crc32UpdateTables(0xFFFFFFFFu, piece.constData(), size_t(length)) ^
                         0xFFFFFFFFu,
                     expected);
        }
    }
    // Continuing over pieces gives the CRC of the whole.
    const QByteArray big = randomBytes(m_random, 300000);
    quint32 c = 0xFFFFFFFFu;
    for (qsizetype at = 0; at < big.size(); at += 32767)
        c = crc32Update(c, big.constData() + at, size_t(qMin<qsizetype>(32767, big.size() - at)));
    QCOMPARE(c ^ 0xFFFFFFFFu, referenceCrc(big));
}

void RoutinesTest::crcTextOfFiles() {
    RunProgress state;
    const ReadControl counted{nullptr, &state};
    QCOMPARE(filecrc(m_tree.writeFile(u"crc/empty"_s, QByteArray()), counted), u"00000000"_s);
    QCOMPARE(filecrc(m_tree.writeFile(u"crc/digits"_s, "123456789"), counted), u"CBF43926"_s);

    // A content whose CRC has a leading zero digit keeps it.
    QByteArray small;
    for (int n = 0;; ++n) {
        small = QByteArray::number(n);
        if (referenceCrc(small) < 0x10000000u)
            break;
    }
    const QString text = filecrc(m_tree.writeFile(u"crc/leading"_s, small), counted);
    QCOMPARE(text.size(), 8);
    QVERIFY(text.startsWith(u'0'));
    QCOMPARE(text, u"%1"_s.arg(referenceCrc(small), 8, 16, QChar(u'0')).toUpper());

    // 20 blocks of 32,767 bytes: every byte counted once.
    state.kbdone = 0;
    const QByteArray blocks = randomBytes(m_random, 32767 * 20 + 5);
    const QString path = m_tree.writeFile(u"crc/blocks"_s, blocks);
    QCOMPARE(filecrc(path, counted), crcText(referenceCrc(blocks)));
    QCOMPARE(state.kbdoneValue(), (32767.0 * 20 + 5) / 1000.0);

    // A five-million-byte file adds 5,000 kB.
    state.kbdone = 0;
    filecrc(m_tree.writeFile(u"crc/five"_s, 5000000, 'x'), counted);
    QCOMPARE(state.kbdoneValue(), 5000.0);

    QCOMPARE(filecrc(m_tree.path(u"crc/missing"_s)), u"?"_s);
}

void RoutinesTest::crcComparison() {
    const QByteArray content = randomBytes(m_random, 100000);
    const QString a = m_tree.writeFile(u"crcc/a"_s, content);
    const QString b = m_tree.writeFile(u"crcc/b"_s, content);
    const QString c = m_tree.writeFile(u"crcc/c"_s, withByte(content, 100000, '\x7f'));
    const QString shorter = m_tree.writeFile(u"crcc/short"_s, content.left(99999));
    RunProgress state;
    const ReadControl counted{nullptr, &state};
    QVERIFY(crccompare(a, b, counted));
    QVERIFY(crccompare(m_tree.writeFile(u"crcc/e1"_s, QByteArray()),
                       m_tree.writeFile(u"crcc/e2"_s, QByteArray()), counted));
    const bool lastDiffers = content.back() != '\x7f';
    QCOMPARE(crccompare(a, c, counted), !lastDiffers);
    // Different lengths decide without reading anything.
    state.kbdone = 0;
    QVERIFY(!crccompare(a, shorter, counted));
    QCOMPARE(state.kbdoneValue(), 0.0);
}

void RoutinesTest::unreadableFilesAreEqualToNothing() {
    const QByteArray content(5000, 'q');
    const QString a = m_tree.writeFile(u"bad/a"_s, content);
    const QString b = m_tree.writeFile(u"bad/b"_s, content);
    const QString c = m_tree.writeFile(u"bad/c"_s, content);
    // Four bytes whose CRC-32 is 0, and an unopenable file of the same length.
    const QByteArray zeroContent = bytesWithCrcZero();
    QCOMPARE(referenceCrc(zeroContent), 0u);
    const QString zero = m_tree.writeFile(u"bad/zero"_s, zeroContent);
    const QString zeroTwin = m_tree.writeFile(u"bad/zerotwin"_s, QByteArray(4, 'z'));
    QCOMPARE(filecrc(zero), u"00000000"_s);

    testing::FailingAccess access;
    const ReadControl control{nullptr, nullptr, false, &access};
    access.unopenable = {a};
    access.failFrom = {{b, 4096}, {c, 0}};
    QCOMPARE(filecrc(a, control), u"?"_s);
    QCOMPARE(filecrc(b, control), u"?"_s);
    // Two files that both fail to read are not equal, nor is an unopenable
    // file equal to one whose CRC happens to be 0.
    QVERIFY(!crccompare(b, c, control));
    QVERIFY(!crccompare(a, b, control));
    access.unopenable.insert(zeroTwin);
    QCOMPARE(filecrc(zeroTwin, control), u"?"_s);
    QVERIFY(!crccompare(zero, zeroTwin, control));
    for (auto compare : {fuzzycompare, bytecompare, crccompare}) {
        QVERIFY(!compare(a, c, control));
        QVERIFY(!compare(c, b, control));
        QVERIFY(!compare(b, b, control));
    }
    // The length query failing makes the CRC comparison False too.
    access.unopenable.clear();
    access.failFrom.clear();
    QVERIFY(crccompare(a, b, control));
    access.unmeasurable = {b};
    QVERIFY(!crccompare(a, b, control));
    QVERIFY(!fileavailable(b, control));
}

void RoutinesTest::fuzzySampleSteps() {
    QCOMPARE(fuzzyStep(100), 8);
    QCOMPARE(fuzzyStep(1200), 100);
    QCOMPARE(fuzzyStep(18), 2); // 1.5 rounds up to the even 2
    QCOMPARE(fuzzyStep(30), 2); // 2.5 rounds down to the even 2
    QCOMPARE(fuzzyStep(42), 4); // 3.5 rounds up to 4
    QCOMPARE(fuzzyStep(5), 1);  // 0.42 rounds to 0, which becomes 1
    QCOMPARE(fuzzyStep(6), 1);  // 0.5 rounds to 0, which becomes 1
    QCOMPARE(fuzzyStep(1), 1);
    QCOMPARE(fuzzyStep(fiveGiB), 447392427); // 5 GiB / 12 = 447,392,426.67
    QCOMPARE(fuzzySamplesFor(100), 1);
    QCOMPARE(fuzzySamplesFor(101), 10);
}

void RoutinesTest::fuzzyComparesOnlyItsSamples() {
    const QByteArray hundred = randomBytes(m_random, 100);
    const QString h = m_tree.writeFile(u"fz/h"_s, hundred);
    QByteArray front = hundred;
    for (int k = 0; k < 7; ++k)
        front[k] = char(~front[k]);
    QVERIFY(fuzzycompare(h, m_tree.writeFile(u"fz/h1"_s, front)));
    QVERIFY(!fuzzycompare(h, m_tree.writeFile(u"fz/h2"_s, withByte(hundred, 8, ~hundred[7]))));
    QVERIFY(!fuzzycompare(h, m_tree.writeFile(u"fz/h3"_s, withByte(hundred, 100, ~hundred[99]))));

    const QByteArray base = randomBytes(m_random, 1200);
    const QString b = m_tree.writeFile(u"fz/b"_s, base);
    QByteArray tail = base;
    for (int k = 1100; k < 1200; ++k)
        tail[k] = char(~tail[k]);
    QVERIFY(fuzzycompare(b, m_tree.writeFile(u"fz/tail"_s, tail)));
    // Step 100: bytes 100 to 1,100 are sampled, 99 and 1,101 are not.
    QVERIFY(fuzzycompare(b, m_tree.writeFile(u"fz/p99"_s, withByte(base, 99, ~base[98]))));
    QVERIFY(!fuzzycompare(b, m_tree.writeFile(u"fz/p100"_s, withByte(base, 100, ~base[99]))));
    QVERIFY(!fuzzycompare(b, m_tree.writeFile(u"fz/p1100"_s, withByte(base, 1100, ~base[1099]))));
    QVERIFY(fuzzycompare(b, m_tree.writeFile(u"fz/p1101"_s, withByte(base, 1101, ~base[1100]))));
    // Byte 250 lies inside the second sample (bytes 200 to 300).
    QVERIFY(!fuzzycompare(b, m_tree.writeFile(u"fz/p250"_s, withByte(base, 250, ~base[249]))));

    QVERIFY(fuzzycompare(m_tree.writeFile(u"fz/e1"_s, QByteArray()),
                         m_tree.writeFile(u"fz/e2"_s, QByteArray())));
    QVERIFY(!fuzzycompare(b, h));
    QVERIFY(!fuzzycompare(b, m_tree.path(u"fz/missing"_s)));
    RunProgress state;
    fuzzycompare(b, b, ReadControl{nullptr, &state});
    QCOMPARE(state.kbdoneValue(), 0.0);
}

void RoutinesTest::bytewiseComparesEveryByte() {
    const QByteArray million1 = randomBytes(m_random, 1000001);
    const QString m1 = m_tree.writeFile(u"bw/m1"_s, million1);
    QVERIFY(bytecompare(m1, m_tree.writeFile(u"bw/m1same"_s, million1)));
    QVERIFY(!bytecompare(
        m1, m_tree.writeFile(u"bw/m1last"_s, withByte(million1, 1000001, ~million1.back()))));
    QVERIFY(!bytecompare(
        m1, m_tree.writeFile(u"bw/m1first"_s, withByte(million1, 1, ~million1.front()))));

    const QByteArray million2 = randomBytes(m_random, 2000001);
    const QString m2 = m_tree.writeFile(u"bw/m2"_s, million2);
    QVERIFY(!bytecompare(
        m2, m_tree.writeFile(u"bw/m2mid"_s, withByte(million2, 1000001, ~million2[1000000]))));
    QVERIFY(!bytecompare(
        m2, m_tree.writeFile(u"bw/m2end"_s, withByte(million2, 2000001, ~million2[2000000]))));
    QVERIFY(bytecompare(m2, m_tree.writeFile(u"bw/m2same"_s, million2)));

    QVERIFY(!bytecompare(m_tree.writeFile(u"bw/one1"_s, "a"), m_tree.writeFile(u"bw/one2"_s, "b")));
    QVERIFY(bytecompare(m_tree.writeFile(u"bw/one3"_s, "a"), m_tree.path(u"bw/one1"_s)));
    QVERIFY(bytecompare(m_tree.writeFile(u"bw/e1"_s, QByteArray()),
                        m_tree.writeFile(u"bw/e2"_s, QByteArray())));
    QVERIFY(!bytecompare(m1, m2));
    QVERIFY(!bytecompare(m1, m_tree.path(u"bw/missing"_s)));
}

void RoutinesTest::bytewiseCountsKilobytes() {
    const QString a = m_tree.writeFile(u"kb/a"_s, 5000000, 'k');
    const QString b = m_tree.writeFile(u"kb/b"_s, 5000000, 'k');
    RunProgress state;
    QVERIFY(bytecompare(a, b, ReadControl{nullptr, &state}));
    QCOMPARE(state.kbdoneValue(), 10000.0);

    state.kbdone = 0;
    QVERIFY(bytecompare(m_tree.writeFile(u"kb/c"_s, 1500, 'k'),
                        m_tree.writeFile(u"kb/d"_s, 1500, 'k'), ReadControl{nullptr, &state}));
    QCOMPARE(state.kbdoneValue(), 3.0);

    // 1,000,001 bytes: one block of 1,000,001 bytes from each file.
    state.kbdone = 0;
    QVERIFY(bytecompare(m_tree.writeFile(u"kb/e"_s, 1000001, 'k'),
                        m_tree.writeFile(u"kb/f"_s, 1000001, 'k'), ReadControl{nullptr, &state}));
    QCOMPARE(state.kbdoneValue(), 2000.002);
}

void RoutinesTest::reachability() {
    QVERIFY(fileavailable(m_tree.writeFile(u"r/file"_s, "x")));
    QVERIFY(fileavailable(m_tree.writeFile(u"r/empty"_s, QByteArray())));
    QVERIFY(!fileavailable(m_tree.path(u"r/none"_s)));
    QVERIFY(!fileavailable(m_tree.makeFolder(u"r/folder"_s)));
    QVERIFY(!fileavailable(QString()));
}

void RoutinesTest::hugeSparseFiles() {
    const QString a = m_tree.writeSparseFile(u"huge/a"_s, fiveGiB, 'a');
    const QString b = m_tree.writeSparseFile(u"huge/b"_s, fiveGiB, 'b');
    if (platform::fileLength(a) != fiveGiB || platform::fileLength(b) != fiveGiB)
        QSKIP("The temporary folder cannot hold 5 GiB sparse files.");
    QVERIFY(!bytecompare(a, b));
    QVERIFY(!crccompare(a, b));
    // The last byte lies beyond the last sample.
    QVERIFY(fuzzycompare(a, b));
}

void RoutinesTest::stopEndsLongReads() {
    // Reading these in full takes many seconds, gently many minutes: a read
    // that ignored the stop would run into the test's time limit. How soon a
    // stop takes effect is measured by bench/bench_stop.
    const qint64 size = 40LL * 1024 * 1024 * 1024;
    const QString a = m_tree.writeSparseFile(u"stop/a"_s, size, 'a');
    const QString b = m_tree.writeSparseFile(u"stop/b"_s, size, 'a');
    if (platform::fileLength(a) != size || platform::fileLength(b) != size)
        QSKIP("The temporary folder cannot hold 40 GiB sparse files.");
    std::atomic<bool> stop{false};
    for (int round = 0; round < 3; ++round) {
        stop = false;
        RunProgress counters;
        const ReadControl control{&stop, &counters, round == 1};
        // The stop comes once the reading is under way.
        std::thread stopper([&stop, &counters] {
            while (counters.kbdone.load() == 0)
                std::this_thread::yield();
            stop = true;
        });
        if (round < 2)
            QVERIFY(!bytecompare(a, b, control)); // equal files: only a stop says False
        else
            QCOMPARE(filecrc(a, control), QString());
        stopper.join();
        QVERIFY(counters.kbdoneValue() < double(size) / 1000);
    }
}

QTEST_GUILESS_MAIN(RoutinesTest)
#include "tst_routines.moc"

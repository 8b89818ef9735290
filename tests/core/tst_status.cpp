#include "core/appstate.h"
#include "core/busy.h"
#include "core/crc.h"
#include "core/jobrunner.h"
#include "core/status.h"
#include "fakefrontend.h"

#include <QtTest>
#include <atomic>

using namespace quillfen;
using namespace Qt::StringLiterals;

class StatusTest : public QObject {
    Q_OBJECT
private slots:
    void freshCountersShowZero();
    void kilobytesAndTimeRoundToEven();
    void elapsedTimeSurvivesTickWrap();
    void crcTableIsTheReflectedPolynomial();
    void busyBracketsTheRun();
    void jobResultArrivesOnTheWindowThread();
};

void StatusTest::freshCountersShowZero() {
    AppState state;
    state.starttick = 5000;
    const StatusTexts texts = update(state, 5000);
    QCOMPARE(texts.labelfound1, u"0"_s);
    QCOMPARE(texts.labelskipped1, u"0"_s);
    QCOMPARE(texts.labelunreadable1, u"0"_s);
    QCOMPARE(texts.labelmbnow1, u"0 KB"_s);
    QCOMPARE(texts.labeltime1, u"00:00:00"_s);
    QCOMPARE(texts.labelfilescomp1, u"0"_s);
}

void StatusTest::kilobytesAndTimeRoundToEven() {
    AppState state;
    state.addkbdone(1234500); // 1234.5 kB
    QCOMPARE(update(state, 0).labelmbnow1, u"1234 KB"_s);
    state.addkbdone(1000000); // 2234.5 kB
    QCOMPARE(update(state, 0).labelmbnow1, u"2234 KB"_s);
    state.kbdone = 0;
    state.addkbdone(1235500);
    QCOMPARE(update(state, 0).labelmbnow1, u"1236 KB"_s);

    state.starttick = 1000;
    QCOMPARE(update(state, 2500).labeltime1, u"00:00:02"_s); // 1.5 s
    QCOMPARE(update(state, 3500).labeltime1, u"00:00:02"_s); // 2.5 s
    QCOMPARE(update(state, 3501).labeltime1, u"00:00:03"_s);
}

void StatusTest::elapsedTimeSurvivesTickWrap() {
    AppState state;
    state.starttick = 0xFFFFFC18u; // 1000 ms before the wrap
    QCOMPARE(update(state, 2000).labeltime1, u"00:00:03"_s);
}

void StatusTest::crcTableIsTheReflectedPolynomial() {
    const auto table = buildcrctable();
    QCOMPARE(table[0], 0u);
    QCOMPARE(table[1], 0x77073096u);
    QCOMPARE(table[128], 0xEDB88320u);
    QCOMPARE(table[255], 0x2D02EF8Du);
}

void StatusTest::busyBracketsTheRun() {
    AppState state;
    testing::FakeFrontend frontend;
    beginbusy(state, frontend);
    QVERIFY(!state.stopflag);
    QVERIFY(frontend.busy);
    endbusy(state, frontend);
    QVERIFY(state.stopflag);
    QVERIFY(!frontend.busy);
}

void StatusTest::jobResultArrivesOnTheWindowThread() {
    JobRunner runner;
    std::atomic<bool> ranElsewhere{false};
    QThread* doneThread = nullptr;
    QSignalSpy finished(&runner, &JobRunner::finished);
    QVERIFY(runner.start([&] { ranElsewhere = QThread::currentThread() != qApp->thread(); },
                         [&] { doneThread = QThread::currentThread(); }));
    QVERIFY(!runner.start([] {}, [] {})); // one job at a time
    QVERIFY(finished.wait(5000));
    QVERIFY(ranElsewhere);
    QCOMPARE(doneThread, qApp->thread());
    QVERIFY(!runner.isRunning());

    // wait() completes at once and a stale notice does not finish a later job.
    int completions = 0;
    QVERIFY(runner.start([] {}, [&] { ++completions; }));
    runner.wait();
    QCOMPARE(completions, 1);
    std::atomic<bool> release{false};
    QVERIFY(runner.start(
        [&] {
            while (!release)
                QThread::msleep(1);
        },
        [&] { ++completions; }));
    QCoreApplication::processEvents();
    QVERIFY(runner.isRunning());
    release = true;
    QTRY_COMPARE(completions, 2);
}

QTEST_GUILESS_MAIN(StatusTest)
#include "tst_status.moc"

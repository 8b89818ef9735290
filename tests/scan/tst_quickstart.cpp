#include "compare/compareoptions.h"
#include "core/appstate.h"
#include "scan/quickstart.h"
#include "scan/scanoptions.h"

#include <QtTest>

using namespace quillfen;
using namespace Qt::StringLiterals;

namespace {

DriveRow drive(const QString& root, bool fixed) {
    DriveRow row;
    row.drive.root = root;
    row.drive.fixed = fixed;
    row.drive.text = root;
    return row;
}

} // namespace

class QuickStartTest : public QObject {
    Q_OBJECT
private slots:
    void newUserScansEveryFixedDrive();
    void accuracySetsTheAfterSearchBoxes();
    void summaryReadsByteForByte();
};

void QuickStartTest::newUserScansEveryFixedDrive() {
    AppState state;
    state.scanpaths.pathtable.push_back(newpathentry(state, u"/home/old/"_s, u"*.txt"_s));
    state.scanpaths.drivelist = {drive(u"/"_s, true), drive(u"/media/cdrom/"_s, false),
                                 drive(u"/srv/data/"_s, true), drive(u"/srv/data/"_s, true)};
    quickstartpaths(state);
    const auto& table = state.scanpaths.pathtable;
    QCOMPARE(table.size(), size_t(2)); // earlier entries dropped, a repeated root skipped
    QCOMPARE(table[0].text, u"/*.*"_s);
    QCOMPARE(table[0].key, u"/"_s);
    QCOMPARE(table[1].text, u"/srv/data/*.*"_s);
    QCOMPARE(table[1].key, u"/srv/data/"_s);
    for (const PathEntry& entry : table) {
        const std::array<QString, PathEntry::ColumnCount> expected = {
            u"True"_s, u"10"_s, u"False"_s, u"-"_s, u"True"_s, u"True"_s, u"RHA"_s};
        QCOMPARE(optioncolumns(entry.options), expected);
        QCOMPARE(entry.patterntext(), u"*.*"_s);
        // What the scan reads from it: at least 10 kB, no upper limit,
        // subfolders, no empty files, system files left out.
        const EntryOptions& options = entry.options;
        QVERIFY(options.minsizeon);
        QCOMPARE(options.minsize.bytes(), qint64(10000));
        QVERIFY(!options.maxsizeon);
        QVERIFY(options.subdirs);
        QVERIFY(options.ignorezero);
        QVERIFY(!options.system);
        QVERIFY(options.readonly && options.hidden && options.archive);
    }

    // No fixed drive: the table is empty and the scan will say so.
    state.scanpaths.drivelist = {drive(u"/media/usb/"_s, false)};
    quickstartpaths(state);
    QVERIFY(state.scanpaths.pathtable.empty());
}

void QuickStartTest::accuracySetsTheAfterSearchBoxes() {
    AppState state;
    state.settings.donothing = 1;
    state.settings.fuzzy = state.settings.crc = state.settings.bytewise = 0;
    quickstartaccuracy(state, true);
    readcompareoptions(state);
    QCOMPARE(state.compareplan.codes(), u"23"_s);
    QCOMPARE(state.totalsteps, 3);
    quickstartaccuracy(state, false);
    readcompareoptions(state);
    QCOMPARE(state.compareplan.codes(), u"24"_s);
    QCOMPARE(state.settings.donothing, 0);
    QCOMPARE(state.settings.crc, 0);
}

void QuickStartTest::summaryReadsByteForByte() {
    AppState state;
    QCOMPARE(quickstartsummary(state, true),
             u"0 path(s) will be scanned for duplicates.\r\nThese are the path(s):\r\n\r\n\r\n\r\n"
             u"All the files will be checked for definate duplicates using the Fuzzy and CRC "
             u"algorithms when the scan is completed."_s);
    state.scanpaths.drivelist = {drive(u"/"_s, true)};
    quickstartpaths(state);
    QCOMPARE(quickstartsummary(state, true),
             u"1 path(s) will be scanned for duplicates.\r\nThese are the path(s):\r\n\r\n/*.*\r\n"
             u"\r\nAll the files will be checked for definate duplicates using the Fuzzy and CRC "
             u"algorithms when the scan is completed."_s);
    state.scanpaths.pathtable.push_back(newpathentry(state, u"/home/u/Music"_s, u"*.mp3; *.wav"_s));
    QCOMPARE(quickstartsummary(state, false),
             u"2 path(s) will be scanned for duplicates.\r\nThese are the path(s):\r\n\r\n/*.*\r\n"
             u"/home/u/Music/*.mp3; *.wav\r\n\r\nAll the files will be checked for definate "
             u"duplicates using the Fuzzy and Bytewise algorithms when the scan is completed."_s);
}

QTEST_GUILESS_MAIN(QuickStartTest)
#include "tst_quickstart.moc"

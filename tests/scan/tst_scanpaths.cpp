#include "core/appstate.h"
#include "scan/scanoptions.h"
#include "scan/scanpaths.h"
#include "scan/settingspreview.h"

#include <QtTest>

using namespace quillfen;
using namespace Qt::StringLiterals;

namespace {

platform::Drive drive(const QString& root, const QString& label) {
    platform::Drive d;
    d.root = root;
    d.label = label;
    d.text = root + u" ["_s + label + u']';
    return d;
}

const PathEntry& last(const AppState& state) {
    return state.scanpaths.pathtable.back();
}

QStringList columns(const PathEntry& entry) {
    const auto texts = optioncolumns(entry.options);
    return QStringList(texts.begin(), texts.end());
}

} // namespace

class ScanPathsTest : public QObject {
    Q_OBJECT
private slots:
    void patternsAreLookedUpByExactName();
    void newEntriesTakeTheSelectorsPatterns();
    void folderEntriesCarryTheBoxesOfTheMoment();
    void limitBoxesAreCorrectedInPlace();
    void tickedDrivesAddTheirRoots();
    void activationFillsOnlyWhatIsEmpty();
    void removeAndClearKeepTheTableAligned();
    void settingsLinesDescribeAnEntry();
    void previewShowsWhatTheScanWillUse();
    void previewBeginNeedsAPath();
    void skipFoldersHoldingAPathAreSetAside();
};

void ScanPathsTest::patternsAreLookedUpByExactName() {
    SettingsDialogState s;
    s.patternlists = {{u"Music"_s, u"*.mp3"_s}, {u"music"_s, u"*.ogg"_s}, {u"Music"_s, u"*.wav"_s}};
    QCOMPARE(lookuppatterns(s, u"Music"_s), u"*.mp3"_s); // the first of two equal names
    QCOMPARE(lookuppatterns(s, u"music"_s), u"*.ogg"_s);
    QCOMPARE(lookuppatterns(s, u"MUSIC"_s), QString());
    QCOMPARE(lookuppatterns(s, u"Music "_s), QString());

    QCOMPARE(withoutseparators(u"*.mp3; \\a/b\\/*.wav"_s), u"*.mp3; ab*.wav"_s);
    QCOMPARE(withoutseparators(u"*.txt"_s), u"*.txt"_s);
}

void ScanPathsTest::newEntriesTakeTheSelectorsPatterns() {
    AppState state;
    state.settings.patternlists = {{u"Music"_s, u"*.mp3; *.wav"_s}};
    state.scanpaths.specificpatterns = u"a?c.txt;b?d.txt"_s;
    QCOMPARE(newentrypatterns(state, u"Music"_s), u"*.mp3; *.wav"_s);
    QCOMPARE(newentrypatterns(state, u"Gone"_s), QString());
    state.scanpaths.patternselector = PatternSource::Specific;
    QCOMPARE(newentrypatterns(state, u"Music"_s), u"a?c.txt;b?d.txt"_s);

    // A list chooser naming no list any more gives an entry without patterns.
    state.scanpaths.patternselector = PatternSource::Predefined;
    QCOMPARE(addfolderpath(state, u"/data"_s, newentrypatterns(state, u"Gone"_s)), 0);
    QCOMPARE(last(state).text, u"/data/"_s);
    QCOMPARE(last(state).patterntext(), QString());
}

void ScanPathsTest::folderEntriesCarryTheBoxesOfTheMoment() {
    AppState state; // the dialog's start values
    QCOMPARE(addfolderpath(state, u"/home/u/music"_s, u"*.mp3; *.wav"_s), 0);
    QCOMPARE(last(state).text, u"/home/u/music/*.mp3; *.wav"_s);
    QCOMPARE(last(state).folder(), u"/home/u/music/"_s);
    QCOMPARE(columns(last(state)),
             (QStringList{u"True"_s, u"10"_s, u"False"_s, u"-"_s, u"True"_s, u"True"_s, u"RHA"_s}));

    // The root keeps its single slash; the same folder may be added twice.
    QCOMPARE(addfolderpath(state, u"/"_s, u"*.*"_s), 1);
    QCOMPARE(last(state).text, u"/*.*"_s);
    QCOMPARE(addfolderpath(state, u"/home/u/music/"_s, u"*.*"_s), 2);
    QCOMPARE(last(state).text, u"/home/u/music/*.*"_s);

    // Nothing chosen adds nothing; the folder ends at a NUL.
    QCOMPARE(addfolderpath(state, QString(), u"*.*"_s), -1);
    QCOMPARE(addfolderpath(state, QString(QChar(0)), u"*.*"_s), -1);
    QCOMPARE(addfolderpath(state, u"/srv"_s + QChar(0) + u"zz"_s, u"*.*"_s), 3);
    QCOMPARE(last(state).text, u"/srv/*.*"_s);

    // Boxes changed later apply to later entries only.
    ScanPathsState& boxes = state.scanpaths;
    boxes.minsizebox = false;
    boxes.maxsizebox = true;
    boxes.maxsizetext = u"2.5"_s;
    boxes.subdirsbox = false;
    boxes.ignorezerobox = false;
    boxes.readonlybox = boxes.hiddenbox = boxes.archivebox = false;
    boxes.systembox = false;
    QCOMPARE(addfolderpath(state, u"/tmp/x"_s, u"*.iso"_s), 4);
    QCOMPARE(columns(last(state)), (QStringList{u"False"_s, u"-"_s, u"True"_s, u"2.5"_s, u"False"_s,
                                                u"False"_s, u"Only normal"_s}));
    boxes.readonlybox = boxes.hiddenbox = boxes.systembox = boxes.archivebox = true;
    QCOMPARE(addfolderpath(state, u"/tmp/y"_s, u"*.iso"_s), 5);
    QCOMPARE(optioncolumns(last(state).options)[PathEntry::Attributes], u"RHSA"_s);
    QCOMPARE(optioncolumns(state.scanpaths.pathtable[0].options)[PathEntry::Attributes], u"RHA"_s);
    QCOMPARE(state.scanpaths.pathtable.size(), 6u);

    // A pattern text never carries a folder separator into the entry.
    QCOMPARE(addfolderpath(state, u"/m"_s, u"sub/*.mp3"_s), 6);
    QCOMPARE(last(state).folder(), u"/m/"_s);
    QCOMPARE(last(state).patterntext(), u"sub*.mp3"_s);
}

void ScanPathsTest::limitBoxesAreCorrectedInPlace() {
    const struct {
        QString typed;
        QString corrected;
        QString column;
    } cases[] = {{u"0"_s, u"1"_s, u"1"_s},
                 {u"abc"_s, u"1"_s, u"1"_s},
                 {u"-5"_s, u"1"_s, u"1"_s},
                 {u"0.5"_s, u"1"_s, u"1"_s},
                 {u"1"_s, u"1"_s, u"1"_s},
                 {u"12.5kB"_s, u"12.5kB"_s, u"12.5"_s},
                 {u"2.50049"_s, u"2.50049"_s, u"2.5005"_s},
                 {u"1000000000"_s, u"1000000000"_s, u"1000000000"_s},
                 {u"5000000000"_s, u"1000000000"_s, u"1000000000"_s}};
    for (const auto& c : cases) {
        AppState state;
        state.scanpaths.minsizetext = c.typed;
        state.scanpaths.maxsizebox = true;
        state.scanpaths.maxsizetext = c.typed;
        QCOMPARE(addfolderpath(state, u"/d"_s, u"*.*"_s), 0);
        QCOMPARE(state.scanpaths.minsizetext, c.corrected);
        QCOMPARE(state.scanpaths.maxsizetext, c.corrected);
        QCOMPARE(optioncolumns(last(state).options)[PathEntry::MinSizeKb], c.column);
        QCOMPARE(optioncolumns(last(state).options)[PathEntry::MaxSizeKb], c.column);
    }
    // A box that is off is corrected too, and its column reads "-".
    AppState state;
    state.scanpaths.maxsizetext = u"0"_s;
    QCOMPARE(addfolderpath(state, u"/d"_s, u"*.*"_s), 0);
    QCOMPARE(state.scanpaths.maxsizetext, u"1"_s);
    QCOMPARE(optioncolumns(last(state).options)[PathEntry::MaxSizeKb], u"-"_s);
}

void ScanPathsTest::tickedDrivesAddTheirRoots() {
    AppState state;
    state.scanpaths.drivelist = {{drive(u"/"_s, u"system"_s), true},
                                 {drive(u"/home/"_s, u"home"_s), false},
                                 {drive(u"/media/usb/"_s, u"USB"_s), true}};
    state.scanpaths.minsizetext = u"0"_s;
    QCOMPARE(adddrivepaths(state, u"*.mp3; *.wav"_s), 2);
    QCOMPARE(state.scanpaths.pathtable.size(), 2u);
    QCOMPARE(state.scanpaths.pathtable[0].text, u"/*.mp3; *.wav"_s);
    QCOMPARE(state.scanpaths.pathtable[1].text, u"/media/usb/*.mp3; *.wav"_s);
    QCOMPARE(optioncolumns(state.scanpaths.pathtable[1].options)[PathEntry::MinSizeKb], u"1"_s);
    QCOMPARE(state.scanpaths.minsizetext, u"1"_s);

    // No drive ticked: nothing added, but the boxes are corrected all the same.
    for (DriveRow& row : state.scanpaths.drivelist)
        row.ticked = false;
    state.scanpaths.minsizetext = u"x"_s;
    QCOMPARE(adddrivepaths(state, u"*.*"_s), 0);
    QCOMPARE(state.scanpaths.pathtable.size(), 2u);
    QCOMPARE(state.scanpaths.minsizetext, u"1"_s);
    QCOMPARE(noDriveTickedMessage(), u"You must select a drive to search for files."_s);
}

void ScanPathsTest::activationFillsOnlyWhatIsEmpty() {
    AppState state;
    state.scanpaths.patternselector = PatternSource::Specific;
    const std::vector<platform::Drive> drives{drive(u"/"_s, u"a"_s), drive(u"/data/"_s, u"b"_s)};
    scanpathsactivate(state, drives);
    QCOMPARE(state.settings.patternlists.size(), 12u); // the presets, as there were none
    QCOMPARE(state.scanpaths.drivelist.size(), 2u);
    QCOMPARE(state.scanpaths.drivelist[1].drive.text, u"/data/ [b]"_s);
    QCOMPARE(state.scanpaths.patternselector, PatternSource::Predefined);

    state.scanpaths.drivelist[1].ticked = true;
    state.settings.patternlists = {{u"Only"_s, u"*.x"_s}};
    scanpathsactivate(state, {drive(u"/other/"_s, u"c"_s)});
    QCOMPARE(state.settings.patternlists.size(), 1u);
    QCOMPARE(state.scanpaths.drivelist.size(), 2u);
    QVERIFY(state.scanpaths.drivelist[1].ticked);
}

void ScanPathsTest::removeAndClearKeepTheTableAligned() {
    AppState state;
    for (const QString& folder : {u"/a"_s, u"/b"_s, u"/c"_s})
        addfolderpath(state, folder, u"*.*"_s);
    state.scanpaths.pathtable[1].options.subdirs = false;
    QVERIFY(!removepath(state.scanpaths, -1));
    QVERIFY(!removepath(state.scanpaths, 3));
    QVERIFY(removepath(state.scanpaths, 0));
    QCOMPARE(state.scanpaths.pathtable.size(), 2u);
    // The entry keeps its own option columns when it moves up.
    QCOMPARE(state.scanpaths.pathtable[0].text, u"/b/*.*"_s);
    QCOMPARE(optioncolumns(state.scanpaths.pathtable[0].options)[PathEntry::Subdirs], u"False"_s);
    QCOMPARE(state.scanpaths.pathtable[1].text, u"/c/*.*"_s);
    state.scanpaths.drivelist = {{drive(u"/"_s, u"a"_s), true}};
    clearpaths(state.scanpaths);
    QVERIFY(state.scanpaths.pathtable.empty());
    QCOMPARE(state.scanpaths.drivelist.size(), 1u); // the drives and their ticks stay
    QVERIFY(state.scanpaths.drivelist[0].ticked);
}

void ScanPathsTest::settingsLinesDescribeAnEntry() {
    PathEntry entry;
    entry.text = u"/d/*.*"_s;
    entry.options = {.minsizeon = true,
                     .minsize = SizeLimit::fromKb(10),
                     .maxsizeon = true,
                     .maxsize = SizeLimit::fromKb(2000000),
                     .ignorezero = false,
                     .readonly = true,
                     .hidden = true};
    QCOMPARE(
        showpathsettings(entry),
        (QStringList{QString(), u"  Ignore files smaller than 10 kB"_s,
                     u"  Ignore files larger than 2000000 kB"_s, u"  Check subdirectories: Yes"_s,
                     u"  Ignore 0 byte files: No"_s, u"  File attributes: RH"_s}));
    // Both limits off: the empty line, the two Yes/No lines and the attributes.
    entry.options = {.subdirs = false};
    QCOMPARE(showpathsettings(entry),
             (QStringList{QString(), u"  Check subdirectories: No"_s,
                          u"  Ignore 0 byte files: Yes"_s, u"  File attributes: Only normal"_s}));
}

void ScanPathsTest::previewShowsWhatTheScanWillUse() {
    AppState state;
    addfolderpath(state, u"/one"_s, u"*.*"_s);
    addfolderpath(state, u"/two"_s, u"*.mp3"_s);
    state.settings.skipextlist = {
        {u"dll"_s, true, true}, {u"exe"_s, false, true}, {u"so"_s, true, true}};
    state.settings.skipfolderlist = {
        {u"/proc/"_s, true, true}, {u"/sys/"_s, false, true}, {u"/tmp/"_s, true, true}};
    PreviewContents contents = previewfill(state);
    QCOMPARE(contents.paths, (QStringList{u"/one/*.*"_s, u"/two/*.mp3"_s}));
    QCOMPARE(contents.extensions, u"dll, so"_s);
    QVERIFY(contents.extensionsshown);
    QCOMPARE(contents.folders, (QStringList{u"/proc/"_s, u"/tmp/"_s}));
    QVERIFY(contents.foldersshown);
    // Fuzzy and CRC ticked at the start.
    QCOMPARE(contents.aftersearch,
             u" \u2022 Perform a Fuzzy comparison\r\n \u2022 Perform a CRC comparison\r\n"_s);
    QCOMPARE(contents.bullets, 2);

    state.settings.skipextlist[0].checked = state.settings.skipextlist[2].checked = false;
    state.settings.skipfolderlist.clear();
    state.settings.fuzzy = state.settings.crc = 0;
    state.settings.bytewise = 1;
    contents = previewfill(state);
    QVERIFY(contents.extensions.isEmpty());
    QVERIFY(!contents.extensionsshown);
    QVERIFY(!contents.foldersshown);
    QCOMPARE(contents.aftersearch, u" \u2022 Perform a Bytewise comparison\r\n"_s);

    // No pass ticked, whatever "Do nothing" says.
    for (int donothing : {0, 1}) {
        state.settings.bytewise = 0;
        state.settings.donothing = donothing;
        contents = previewfill(state);
        QCOMPARE(contents.aftersearch, u" \u2022 Do nothing"_s);
        QCOMPARE(contents.bullets, 1);
    }
}

void ScanPathsTest::previewBeginNeedsAPath() {
    AppState state;
    state.scanconfirmed = true; // left from an earlier scan
    QVERIFY(!previewbegin(state));
    QVERIFY(!state.scanconfirmed);
    addfolderpath(state, u"/x"_s, u"*.*"_s);
    QVERIFY(previewbegin(state));
    QVERIFY(state.scanconfirmed);
}

void ScanPathsTest::skipFoldersHoldingAPathAreSetAside() {
    // A skip folder that holds (or is) the folder of a path entry does not
    // apply to that entry: the user chose to scan there.
    const struct {
        const char16_t* skip;
        const char16_t* entry;
        bool applies;
    } cases[] = {{u"/tmp/", u"/tmp/photos/", false},      {u"/tmp/", u"/tmp/", false},
                 {u"/tmp/photos/", u"/tmp/", true},       {u"/tmp/", u"/tmpfiles/", true},
                 {u"/Tmp/", u"/tmp/photos/", true},       {u"/proc/", u"/home/alex/", true},
                 {u"/home/", u"/home/alex/Music/", false}};
    for (const auto& c : cases) {
        const QString skip = QString::fromUtf16(c.skip);
        const QString entry = QString::fromUtf16(c.entry);
        QVERIFY2(skipfolderapplies(skip, entry) == c.applies, qPrintable(skip + u' ' + entry));
    }
    const QStringList skips{u"/proc/"_s, u"/tmp/"_s, u"/tmp/photos/cache/"_s};
    QCOMPARE(skipfoldersfor(skips, u"/tmp/photos/"_s),
             (QStringList{u"/proc/"_s, u"/tmp/photos/cache/"_s}));
    QCOMPARE(skipfoldersfor(skips, u"/home/"_s), skips);

    // The preview tells which ticked skip folders are set aside, once each.
    AppState state;
    addfolderpath(state, u"/tmp/photos"_s, u"*.*"_s);
    addfolderpath(state, u"/tmp/music/"_s, u"*.mp3"_s);
    addfolderpath(state, u"/home/alex/"_s, u"*.*"_s);
    state.settings.skipfolderlist = {
        {u"/proc/"_s, true, true}, {u"/tmp/"_s, true, true}, {u"/home/"_s, false, true}};
    const PreviewContents contents = previewfill(state);
    QCOMPARE(contents.folders, (QStringList{u"/proc/"_s, u"/tmp/"_s}));
    QCOMPARE(contents.setaside, QStringList{u"/tmp/"_s});
}

QTEST_GUILESS_MAIN(ScanPathsTest)
#include "tst_scanpaths.moc"

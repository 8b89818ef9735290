#include "core/appstate.h"
#include "core/defaultlists.h"

#include <QtTest>

using namespace quillfen;
using namespace Qt::StringLiterals;

namespace {

platform::Drive drive(const QString& root, bool fixed) {
    platform::Drive d;
    d.root = root;
    d.fixed = fixed;
    d.device = u"/dev/x"_s;
    d.text = root + u" [x]"_s;
    return d;
}

SystemFacts sampleSystem() {
    SystemFacts system;
    system.uid = 1000;
    system.drives = {drive(u"/"_s, true), drive(u"/home/"_s, true), drive(u"/media/usb/"_s, false)};
    system.environment.insert(u"HOME"_s, u"/home/ann"_s);
    return system;
}

QStringList texts(const std::vector<CheckedEntry>& list) {
    QStringList out;
    for (const CheckedEntry& entry : list)
        out << entry.text;
    return out;
}

} // namespace

class DefaultListsTest : public QObject {
    Q_OBJECT
private slots:
    void skipFoldersFollowTheListRules();
    void trashFoldersOfFixedDrivesOnly();
    void foldersFromTheEnvironment();
    void environmentNeverHidesTheHomeFolder();
    void drivesFillTheDriveListOnce();
    void extensionsAndPresets();
};

void DefaultListsTest::skipFoldersFollowTheListRules() {
    SystemFacts system = sampleSystem();
    system.environment.insert(u"TMPDIR"_s, u"/"_s);             // one separator: dropped
    system.environment.insert(u"XDG_RUNTIME_DIR"_s, u"/tmp"_s); // same as /tmp/: once
    AppState state;
    state.settings.skipfolderlist = {{u"/old/"_s, false, false}};
    defaultskip(state, system);
    const QStringList folders = texts(state.settings.skipfolderlist);

    QVERIFY(!folders.contains(u"/old/"_s));
    QVERIFY(!folders.contains(u"/"_s));
    QCOMPARE(QSet<QString>(folders.begin(), folders.end()).size(), folders.size());
    for (const CheckedEntry& entry : state.settings.skipfolderlist) {
        QVERIFY2(entry.text.endsWith(u'/'), qPrintable(entry.text));
        QVERIFY2(entry.text.count(u'/') >= 2, qPrintable(entry.text));
        QVERIFY(entry.checked);
        QVERIFY(entry.keyed);
    }
    for (const QString& tree : {u"/proc/"_s, u"/sys/"_s, u"/dev/"_s, u"/run/"_s, u"/boot/"_s,
                                u"/usr/"_s, u"/etc/"_s, u"/var/"_s, u"/snap/"_s, u"/tmp/"_s})
        QVERIFY2(folders.contains(tree), qPrintable(tree));
    QCOMPARE(folders.count(u"/tmp/"_s), 1);
    QVERIFY(!folders.contains(u"/home/"_s));

    // Twice gives the same list as once.
    const std::vector<CheckedEntry> once = state.settings.skipfolderlist;
    state.settings.skipfolderlist[0].checked = false;
    defaultskip(state, system);
    QCOMPARE(texts(state.settings.skipfolderlist), texts(once));
    QVERIFY(state.settings.skipfolderlist[0].checked);
    QCOMPARE(defaultSkipFolders(system), texts(once));
}

void DefaultListsTest::trashFoldersOfFixedDrivesOnly() {
    const QStringList folders = defaultSkipFolders(sampleSystem());
    const QStringList expectedStart = {u"/.Trash-1000/"_s,
                                       u"/.Trash/"_s,
                                       u"/lost+found/"_s,
                                       u"/home/.Trash-1000/"_s,
                                       u"/home/.Trash/"_s,
                                       u"/home/lost+found/"_s,
                                       u"/home/ann/.local/share/Trash/"_s};
    QCOMPARE(folders.mid(0, expectedStart.size()), expectedStart);
    for (const QString& folder : folders)
        QVERIFY2(!folder.startsWith(u"/media/usb/"_s), qPrintable(folder));

    SystemFacts noDrives = sampleSystem();
    noDrives.drives.clear();
    QCOMPARE(defaultSkipFolders(noDrives).first(), u"/home/ann/.local/share/Trash/"_s);
}

void DefaultListsTest::foldersFromTheEnvironment() {
    SystemFacts system = sampleSystem();
    QStringList folders = defaultSkipFolders(system);
    QVERIFY(folders.contains(u"/home/ann/.cache/"_s));
    QVERIFY(folders.contains(u"/home/ann/.local/share/Trash/"_s));

    system.environment.insert(u"XDG_DATA_HOME"_s, u"/data/ann/"_s);
    system.environment.insert(u"XDG_CACHE_HOME"_s, u"/fast//cache/../cache"_s);
    system.environment.insert(u"TMPDIR"_s, u"/scratch/ann"_s);
    system.environment.insert(u"XDG_RUNTIME_DIR"_s, u"/run/user/1000"_s);
    folders = defaultSkipFolders(system);
    QVERIFY(folders.contains(u"/data/ann/Trash/"_s));
    QVERIFY(!folders.contains(u"/home/ann/.local/share/Trash/"_s));
    QVERIFY(folders.contains(u"/fast/cache/"_s));
    QVERIFY(!folders.contains(u"/home/ann/.cache/"_s));
    QVERIFY(folders.contains(u"/scratch/ann/"_s));
    QVERIFY(folders.contains(u"/run/user/1000/"_s));

    // Relative values are not folders; the defaults stand in for them.
    system.environment.insert(u"XDG_DATA_HOME"_s, u"data"_s);
    system.environment.insert(u"XDG_CACHE_HOME"_s, u"cache"_s);
    system.environment.insert(u"TMPDIR"_s, u"tmp"_s);
    folders = defaultSkipFolders(system);
    QVERIFY(folders.contains(u"/home/ann/.local/share/Trash/"_s));
    QVERIFY(folders.contains(u"/home/ann/.cache/"_s));
    for (const QString& folder : folders)
        QVERIFY2(folder.startsWith(u'/'), qPrintable(folder));

    // Without HOME there is no home trash or cache to name.
    SystemFacts homeless;
    homeless.drives = sampleSystem().drives;
    folders = defaultSkipFolders(homeless);
    QCOMPARE(folders.size(), 16);
    for (const QString& folder : folders)
        QVERIFY2(!folder.contains(u".cache"_s) && !folder.contains(u"/share/"_s),
                 qPrintable(folder));
}

void DefaultListsTest::environmentNeverHidesTheHomeFolder() {
    // A variable pointing at the home folder or above it would keep every
    // file of the user out of a scan.
    SystemFacts system = sampleSystem();
    system.environment.insert(u"TMPDIR"_s, u"/home/ann/"_s);
    system.environment.insert(u"XDG_CACHE_HOME"_s, u"/home"_s);
    system.environment.insert(u"XDG_RUNTIME_DIR"_s, u"/home/ann/run"_s);
    const QStringList folders = defaultSkipFolders(system);
    QVERIFY(!folders.contains(u"/home/ann/"_s));
    QVERIFY(!folders.contains(u"/home/"_s));
    QVERIFY(folders.contains(u"/home/ann/run/"_s)); // below home is fine
}

void DefaultListsTest::drivesFillTheDriveListOnce() {
    const SystemFacts system = sampleSystem();
    AppState state;
    defaultskip(state, system);
    QCOMPARE(state.scanpaths.drivelist.size(), size_t(3));
    QCOMPARE(state.scanpaths.drivelist[2].drive.text, u"/media/usb/ [x]"_s);
    for (const DriveRow& row : state.scanpaths.drivelist)
        QVERIFY(!row.ticked);

    // Already filled: neither doubled nor replaced.
    state.scanpaths.drivelist[0].ticked = true;
    SystemFacts changed = system;
    changed.drives.push_back(drive(u"/mnt/new/"_s, true));
    defaultskip(state, changed);
    QCOMPARE(state.scanpaths.drivelist.size(), size_t(3));
    QVERIFY(state.scanpaths.drivelist[0].ticked);
    QVERIFY(texts(state.settings.skipfolderlist).contains(u"/mnt/new/.Trash/"_s));
}

void DefaultListsTest::extensionsAndPresets() {
    AppState state;
    state.settings.skipextlist = {{u"zip"_s, false, false}};
    defaultextskip(state);
    const QStringList expected = {u"dll"_s, u"exe"_s, u"cpl"_s, u"cfg"_s, u"sys"_s, u"ini"_s,
                                  u"inf"_s, u"tlb"_s, u"ocx"_s, u"oca"_s, u"msc"_s, u"manifest"_s,
                                  u"h"_s,   u"cpp"_s, u"drv"_s, u"tif"_s, u"so"_s,  u"o"_s,
                                  u"a"_s,   u"ko"_s,  u"pyc"_s};
    QCOMPARE(texts(state.settings.skipextlist), expected);
    for (const CheckedEntry& entry : state.settings.skipextlist) {
        QVERIFY(entry.checked);
        QCOMPARE(entry.text, entry.text.toLower());
        QVERIFY(!entry.text.startsWith(u'.'));
    }
    defaultextskip(state);
    QCOMPARE(texts(state.settings.skipextlist), expected);

    addpats(state);
    const auto& presets = state.settings.patternlists;
    QCOMPARE(presets.size(), size_t(12));
    QStringList names;
    for (const PatternListEntry& entry : presets) {
        names << entry.name;
        // Every preset holds more than one "*", joined by "; ".
        QVERIFY(entry.patterns.count(u'*') > 1);
        for (const QString& pattern : entry.patterns.split(u"; "_s))
            QVERIFY2(pattern.startsWith(u'*') && !pattern.contains(u' '),
                     qPrintable(entry.patterns));
    }
    QCOMPARE(names, (QStringList{u"All files"_s, u"Compressed Files"_s, u"Music Files"_s,
                                 u"Video Files"_s, u"Picture files"_s, u"Text Files"_s,
                                 u"Data Files"_s, u"Page Layout Files"_s, u"Web Files"_s,
                                 u"Font Files"_s, u"Backup Files"_s, u"Disk Files"_s}));
    QCOMPARE(presets[0].patterns, u"*.*"_s);
    QCOMPARE(
        presets[2].patterns,
        u"*.aac; *.aif; *.iff; *.m3u; *.mid; *.mp3; *.mpa; *.ra; *.wav; *.wma; *.flac; *.ogg"_s);
    QCOMPARE(presets[4].patterns.split(u"; "_s).size(), 17);
    QCOMPARE(presets[6].patterns.split(u"; "_s).size(), 18);
    QCOMPARE(presets[8].patterns,
             u"*.asp; *.cer; *.csr; *.css; *.*htm*; *.js; *.jsp; *.php; *.rss; *.tvpi; *.tvvi"_s);
    QCOMPARE(presets[11].patterns, u"*.dmg; *.iso; *.toast; *.vcd"_s);

    // addpats appends: a second call doubles the list.
    addpats(state);
    QCOMPARE(presets.size(), size_t(24));
    QCOMPARE(presets[12].name, u"All files"_s);
    QCOMPARE(presets[23].name, u"Disk Files"_s);
}

QTEST_GUILESS_MAIN(DefaultListsTest)
#include "tst_defaultlists.moc"

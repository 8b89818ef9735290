#include "core/appstate.h"
#include "core/defaultlists.h"
#include "core/settingsfile.h"
#include "platform/filename.h"
#include "temptree.h"

#include <QDir>
#include <QFile>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quillfen;
using namespace Qt::StringLiterals;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Joins lines with CR LF, the last one ended too.
QByteArray crlfLines(const QList<QByteArray>& lines) {
    QByteArray bytes;
    for (const QByteArray& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

// The first thirteen lines of a file whose values differ from a fresh state.
QList<QByteArray> headLines() {
    return {" 15000 ", " 10000 ", " 0 ", " 1200 ", " 900 ", "True",         "1",
            "1",       "0",       "1",   "0",      "1",     "/usr/bin/kate"};
}

QStringList texts(const std::vector<CheckedEntry>& list) {
    QStringList out;
    for (const CheckedEntry& entry : list)
        out << entry.text;
    return out;
}

QList<bool> checks(const std::vector<CheckedEntry>& list) {
    QList<bool> out;
    for (const CheckedEntry& entry : list)
        out << entry.checked;
    return out;
}

// A state whose lists hold the defaults that start-up gives them.
void fillStartupLists(AppState& state) {
    state.settings.skipfolderlist = {{u"/proc/"_s, true, true}, {u"/sys/"_s, true, true}};
    defaultextskip(state);
    addpats(state);
}

} // namespace

class SettingsFileTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void exampleFileReadsAndWritesBackByteForByte();
    void roundTripKeepsListsOrderAndChecks();
    void rowsSplitAtTheFirstSeparator();
    void fileNameBytesSurvive();
    void truncatedFileKeepsWhatCameBefore();
    void malformedLinesEndTheReading();
    void windowStateAndGeometry();
    void numbersFollowThePrintRule();
    void lineBreaksCannotCorruptTheFile();
    void failedWriteKeepsTheOldFile();
    void locationFallsBackToTheConfigFolder();
};

void SettingsFileTest::exampleFileReadsAndWritesBackByteForByte() {
    testing::TempTree tree;
    const QByteArray example = crlfLines({" 15000 ",
                                          " 10000 ",
                                          " 0 ",
                                          " 1200 ",
                                          " 900 ",
                                          "False",
                                          "0",
                                          "0",
                                          "1",
                                          "0",
                                          "0",
                                          "0",
                                          "/usr/bin/gedit",
                                          "<skipfolders>",
                                          "True,/usr/",
                                          "</skipfolders>",
                                          "<skipextensions>",
                                          "True,dll",
                                          "</skipextensions>",
                                          "<prepat>",
                                          "All files|*.*",
                                          "</prepat>"});
    const QString path = tree.writeFile(u"settings.dat"_s, example);

    AppState state;
    fillStartupLists(state);
    QVERIFY(loadsettings(state, path));
    QCOMPARE(state.window.width, 15000.0);
    QCOMPARE(state.window.height, 10000.0);
    QCOMPARE(state.window.state, WindowShowState::Normal);
    QCOMPARE(state.window.top, 1200.0);
    QCOMPARE(state.window.left, 900.0);
    QCOMPARE(state.nowizard, false);
    QCOMPARE(state.settings.autoselectbox, 0);
    QCOMPARE(state.settings.gentle, 0);
    QCOMPARE(state.settings.donothing, 1);
    QCOMPARE(state.settings.fuzzy, 0);
    QCOMPARE(state.settings.crc, 0);
    QCOMPARE(state.settings.bytewise, 0);
    QCOMPARE(state.settings.editorprogram, u"/usr/bin/gedit"_s);
    QCOMPARE(texts(state.settings.skipfolderlist), QStringList{u"/usr/"_s});
    QCOMPARE(texts(state.settings.skipextlist), QStringList{u"dll"_s});
    QCOMPARE(state.settings.patternlists.size(), size_t(1));
    QCOMPARE(state.settings.patternlists[0].name, u"All files"_s);
    QCOMPARE(state.settings.patternlists[0].patterns, u"*.*"_s);

    QVERIFY(savesettings(state, path));
    QCOMPARE(readAll(path), example);
}

void SettingsFileTest::roundTripKeepsListsOrderAndChecks() {
    testing::TempTree tree;
    const QString path = tree.path(u"settings.dat"_s);

    AppState saved;
    saved.nowizard = true;
    saved.settings.autoselectbox = 2;
    saved.settings.gentle = 1;
    saved.settings.donothing = 0;
    saved.settings.fuzzy = 0;
    saved.settings.crc = 1;
    saved.settings.bytewise = 1;
    saved.settings.editorprogram = QString(); // an empty program path is a line of its own
    saved.settings.skipfolderlist = {{u"/b/"_s, false, true},
                                     {u"/a/"_s, true, true},
                                     {u"/a/"_s, true, false}, // duplicates stay
                                     {u"/z y/"_s, false, false}};
    saved.settings.skipextlist = {{u"so"_s, true, true}, {u"dll"_s, false, true}};
    saved.settings.patternlists = {
        {u"Mine"_s, u"*.c; *.h"_s}, {u"Empty"_s, QString()}, {QString(), u"*.x"_s}};
    saved.window =
        WindowGeometry::fromPixels(QSize(800, 600), QPoint(-20, 30), WindowShowState::Normal);
    QVERIFY(savesettings(saved, path));

    AppState loaded;
    fillStartupLists(loaded);
    QVERIFY(loadsettings(loaded, path));
    QCOMPARE(loaded.nowizard, true);
    QCOMPARE(loaded.settings.autoselectbox, 2);
    QCOMPARE(loaded.settings.gentle, 1);
    QCOMPARE(loaded.settings.donothing, 0);
    QCOMPARE(loaded.settings.fuzzy, 0);
    QCOMPARE(loaded.settings.crc, 1);
    QCOMPARE(loaded.settings.bytewise, 1);
    QCOMPARE(loaded.settings.editorprogram, QString());
    QCOMPARE(texts(loaded.settings.skipfolderlist),
             (QStringList{u"/b/"_s, u"/a/"_s, u"/a/"_s, u"/z y/"_s}));
    QCOMPARE(checks(loaded.settings.skipfolderlist), (QList<bool>{false, true, true, false}));
    QCOMPARE(texts(loaded.settings.skipextlist), (QStringList{u"so"_s, u"dll"_s}));
    QCOMPARE(checks(loaded.settings.skipextlist), (QList<bool>{true, false}));
    QCOMPARE(loaded.settings.patternlists.size(), size_t(3));
    QCOMPARE(loaded.settings.patternlists[0].name, u"Mine"_s);
    QCOMPARE(loaded.settings.patternlists[0].patterns, u"*.c; *.h"_s);
    QCOMPARE(loaded.settings.patternlists[1].name, u"Empty"_s);
    QCOMPARE(loaded.settings.patternlists[1].patterns, QString());
    QCOMPARE(loaded.settings.patternlists[2].name, QString());
    QCOMPARE(loaded.settings.patternlists[2].patterns, u"*.x"_s);
    QCOMPARE(loaded.window.sizePixels(), QSize(800, 600));
    QCOMPARE(loaded.window.positionPixels(), std::optional<QPoint>(QPoint(-20, 30)));

    // Saving what was loaded writes the same file again.
    const QByteArray first = readAll(path);
    QVERIFY(savesettings(loaded, path));
    QCOMPARE(readAll(path), first);

    // Empty lists write their tags only and load as empty lists.
    AppState empty;
    empty.settings.skipfolderlist.clear();
    QVERIFY(savesettings(empty, path));
    QVERIFY(readAll(path).endsWith(
        "<skipfolders>\r\n</skipfolders>\r\n<skipextensions>\r\n</skipextensions>\r\n"
        "<prepat>\r\n</prepat>\r\n"));
    AppState reloaded;
    fillStartupLists(reloaded);
    QVERIFY(loadsettings(reloaded, path));
    QVERIFY(reloaded.settings.skipfolderlist.empty());
    QVERIFY(reloaded.settings.skipextlist.empty());
    QVERIFY(reloaded.settings.patternlists.empty());
}

void SettingsFileTest::rowsSplitAtTheFirstSeparator() {
    testing::TempTree tree;
    QList<QByteArray> lines = headLines();
    lines << "<skipfolders>"
          << "False,/tmp/"
          << "True,/a,b/"
          << "Truex,/T/"
          << "true,/lower/"
          << "True"
          << ""
          << "</skipfolders>"
          << "<whatever>" // opening tags are not checked
          << "True,.so"
          << "</skipextensions>"
          << "<prepat>"
          << "Music Files|*.mp3; *.wav"
          << "A|b|c"
          << "|"
          << "</prepat>";
    const QString path = tree.writeFile(u"settings.dat"_s, crlfLines(lines));

    AppState state;
    QVERIFY(loadsettings(state, path));
    const auto& folders = state.settings.skipfolderlist;
    QCOMPARE(texts(folders),
             (QStringList{u"/tmp/"_s, u"/a,b/"_s, u"/T/"_s, u"/lower/"_s, u"True"_s, QString()}));
    QCOMPARE(checks(folders), (QList<bool>{false, true, true, false, true, false}));
    for (const CheckedEntry& entry : folders)
        QVERIFY(!entry.keyed);
    QCOMPARE(texts(state.settings.skipextlist), QStringList{u".so"_s});
    const auto& patterns = state.settings.patternlists;
    QCOMPARE(patterns.size(), size_t(3));
    QCOMPARE(patterns[0].name, u"Music Files"_s);
    QCOMPARE(patterns[0].patterns, u"*.mp3; *.wav"_s);
    QCOMPARE(patterns[1].name, u"A"_s);
    QCOMPARE(patterns[1].patterns, u"b|c"_s);
    QCOMPARE(patterns[2].name, QString());
    QCOMPARE(patterns[2].patterns, QString());

    // A file edited with bare LF line ends, and with a byte-order mark, reads the same.
    QByteArray unix = crlfLines(lines);
    unix.replace("\r\n", "\n");
    unix.prepend("\xEF\xBB\xBF");
    tree.writeFile(u"settings.dat"_s, unix);
    AppState fromUnix;
    QVERIFY(loadsettings(fromUnix, path));
    QCOMPARE(fromUnix.window.width, 15000.0);
    QCOMPARE(texts(fromUnix.settings.skipfolderlist), texts(folders));
    QCOMPARE(fromUnix.settings.patternlists.size(), size_t(3));
}

void SettingsFileTest::fileNameBytesSurvive() {
    testing::TempTree tree;
    const QString path = tree.path(u"settings.dat"_s);
    // Latin-1 bytes are not UTF-8; the file must give them back unchanged.
    const QByteArray rawFolder = "/data/caf\xE9 \xFF/";
    AppState saved;
    saved.settings.skipfolderlist = {{platform::decodeFileName(rawFolder), true, true},
                                     {u"/Ünïcødé/日本/"_s, true, true}};
    saved.settings.editorprogram = platform::decodeFileName(QByteArray("/opt/ed\xE9t"));
    QVERIFY(savesettings(saved, path));
    const QByteArray bytes = readAll(path);
    QVERIFY(bytes.contains("True," + rawFolder + "\r\n"));
    QVERIFY(bytes.contains(QByteArray("\r\n/opt/ed\xE9t\r\n")));
    QVERIFY(bytes.contains(u"True,/Ünïcødé/日本/\r\n"_s.toUtf8()));

    AppState loaded;
    QVERIFY(loadsettings(loaded, path));
    QCOMPARE(platform::encodeFileName(loaded.settings.skipfolderlist[0].text), rawFolder);
    QCOMPARE(loaded.settings.skipfolderlist[1].text, u"/Ünïcødé/日本/"_s);
    QCOMPARE(platform::encodeFileName(loaded.settings.editorprogram), QByteArray("/opt/ed\xE9t"));
}

void SettingsFileTest::truncatedFileKeepsWhatCameBefore() {
    testing::TempTree tree;
    const QString path = tree.path(u"settings.dat"_s);

    // Cut in the middle of the skip-folder block: the rows read so far are
    // kept, the later lists keep their start-up content.
    {
        QList<QByteArray> lines = headLines();
        lines << "<skipfolders>"
              << "True,/one/"
              << "False,/two/";
        tree.writeFile(u"settings.dat"_s, crlfLines(lines));
        AppState state;
        fillStartupLists(state);
        QVERIFY(!loadsettings(state, path));
        QCOMPARE(state.nowizard, true);
        QCOMPARE(state.settings.editorprogram, u"/usr/bin/kate"_s);
        QCOMPARE(texts(state.settings.skipfolderlist), (QStringList{u"/one/"_s, u"/two/"_s}));
        QCOMPARE(state.settings.skipextlist.size(), size_t(21));
        QCOMPARE(state.settings.patternlists.size(), size_t(12));
    }
    // Cut after the opening tag: that list keeps its start-up content too.
    {
        QList<QByteArray> lines = headLines();
        lines << "<skipfolders>"
              << "</skipfolders>"
              << "<skipextensions>";
        tree.writeFile(u"settings.dat"_s, crlfLines(lines));
        AppState state;
        fillStartupLists(state);
        QVERIFY(!loadsettings(state, path));
        QVERIFY(state.settings.skipfolderlist.empty());
        QCOMPARE(state.settings.skipextlist.size(), size_t(21));
        QCOMPARE(state.settings.patternlists.size(), size_t(12));
    }
    // Cut inside the pattern block, without a last line end.
    {
        QList<QByteArray> lines = headLines();
        lines << "<skipfolders>"
              << "</skipfolders>"
              << "<skipextensions>"
              << "True,iso"
              << "</skipextensions>"
              << "<prepat>"
              << "First|*.a";
        QByteArray bytes = crlfLines(lines) + "Second|*.b";
        tree.writeFile(u"settings.dat"_s, bytes);
        AppState state;
        fillStartupLists(state);
        QVERIFY(!loadsettings(state, path));
        QCOMPARE(texts(state.settings.skipextlist), QStringList{u"iso"_s});
        QCOMPARE(state.settings.patternlists.size(), size_t(2));
        QCOMPARE(state.settings.patternlists[1].patterns, u"*.b"_s);
    }
    // Only the size lines: width and height are applied, nothing else.
    {
        tree.writeFile(u"settings.dat"_s, crlfLines({" 9000 ", " 6000 "}));
        AppState state;
        fillStartupLists(state);
        QVERIFY(!loadsettings(state, path));
        QCOMPARE(state.window.width, 9000.0);
        QCOMPARE(state.window.height, 6000.0);
        QVERIFY(!state.window.top);
        QCOMPARE(state.settings.patternlists.size(), size_t(12));
    }
    // No file: nothing changes.
    {
        QVERIFY(QFile::remove(path));
        AppState state;
        fillStartupLists(state);
        QVERIFY(!loadsettings(state, path));
        QCOMPARE(state.window.width, 15000.0);
        QCOMPARE(state.nowizard, false);
        QCOMPARE(state.settings.patternlists.size(), size_t(12));
    }
    // A folder in place of the file, and a FIFO that would block a reader.
    {
        tree.makeFolder(u"settings.dat"_s);
        AppState state;
        QVERIFY(!loadsettings(state, path));
        QVERIFY(QDir().rmdir(path));
        QCOMPARE(::mkfifo(platform::encodeFileName(path).constData(), 0600), 0);
        QVERIFY(!loadsettings(state, path));
        QCOMPARE(state.window.width, 15000.0);
    }
}

void SettingsFileTest::malformedLinesEndTheReading() {
    testing::TempTree tree;
    const QString path = tree.path(u"settings.dat"_s);
    // Values no line of the file gives, so that what was applied shows.
    const auto sentinels = [](AppState& state) {
        fillStartupLists(state);
        state.window.width = 1;
        state.window.height = 1;
        state.window.state = WindowShowState::Minimised;
        for (int* box :
             {&state.settings.autoselectbox, &state.settings.gentle, &state.settings.donothing,
              &state.settings.fuzzy, &state.settings.crc, &state.settings.bytewise})
            *box = 2;
        state.settings.editorprogram = u"start value"_s;
    };
    const auto loadWith = [&](int index, const QByteArray& replacement, AppState& state) {
        QList<QByteArray> lines = headLines();
        lines << "<skipfolders>"
              << "True,/x/"
              << "</skipfolders>"
              << "<skipextensions>"
              << "</skipextensions>"
              << "<prepat>"
              << "P|*.p"
              << "</prepat>";
        lines[index] = replacement;
        tree.writeFile(u"settings.dat"_s, crlfLines(lines));
        sentinels(state);
        return loadsettings(state, path);
    };

    // Line 6 that is not a Boolean: the geometry before it stays, the rest does not come.
    for (const QByteArray& bad : {QByteArray("Truex"), QByteArray("1"), QByteArray()}) {
        AppState state;
        QVERIFY(!loadWith(5, bad, state));
        QCOMPARE(state.window.width, 15000.0);
        QCOMPARE(state.window.state, WindowShowState::Normal);
        QCOMPARE(state.window.left, 900.0);
        QCOMPARE(state.nowizard, false);
        QCOMPARE(state.settings.autoselectbox, 2);
        QCOMPARE(state.settings.editorprogram, u"start value"_s);
        QCOMPARE(state.settings.skipfolderlist.size(), size_t(2));
        QCOMPARE(state.settings.patternlists.size(), size_t(12));
    }
    {
        AppState state;
        QVERIFY(loadWith(5, " false ", state)); // blanks and letter case do not matter
        QCOMPARE(state.nowizard, false);
        QCOMPARE(texts(state.settings.skipfolderlist), QStringList{u"/x/"_s});
    }

    // A check-box value outside 0 to 2 stops at its line; 2.4 rounds to 2.
    {
        AppState state;
        QVERIFY(!loadWith(8, "3", state));
        QCOMPARE(state.settings.autoselectbox, 1);
        QCOMPARE(state.settings.gentle, 1);
        QCOMPARE(state.settings.donothing, 2);
        QCOMPARE(state.settings.fuzzy, 2);
        QCOMPARE(state.settings.editorprogram, u"start value"_s);
    }
    {
        AppState state;
        QVERIFY(!loadWith(6, "-1", state));
        QCOMPARE(state.settings.autoselectbox, 2);
        QCOMPARE(state.nowizard, true);
    }
    {
        AppState state;
        QVERIFY(loadWith(11, " 2.4 ", state));
        QCOMPARE(state.settings.bytewise, 2);
        QCOMPARE(state.settings.crc, 0);
        QCOMPARE(state.settings.editorprogram, u"/usr/bin/kate"_s);
    }

    // A window state that no window has, or a negative size, stops before it is applied.
    {
        AppState state;
        QVERIFY(!loadWith(2, " 3 ", state));
        QCOMPARE(state.window.width, 15000.0);
        QCOMPARE(state.window.height, 10000.0);
        QCOMPARE(state.window.state, WindowShowState::Minimised);
        QVERIFY(!state.window.top);
        QCOMPARE(state.nowizard, false);
    }
    {
        AppState state;
        QVERIFY(!loadWith(1, "-5", state));
        QCOMPARE(state.window.width, 15000.0);
        QCOMPARE(state.window.height, 1.0);
    }
    // A number line without a number reads as 0 and the reading goes on.
    {
        AppState state;
        QVERIFY(loadWith(3, "abc", state));
        QCOMPARE(state.window.top, 0.0);
        QCOMPARE(state.nowizard, true);
    }

    // A pattern line without "|" ends the reading there.
    {
        AppState state;
        QList<QByteArray> lines = headLines();
        lines << "<skipfolders>"
              << "</skipfolders>"
              << "<skipextensions>"
              << "True,iso"
              << "</skipextensions>"
              << "<prepat>"
              << "Good|*.g"
              << "No bar here"
              << "Later|*.l"
              << "</prepat>";
        tree.writeFile(u"settings.dat"_s, crlfLines(lines));
        fillStartupLists(state);
        QVERIFY(!loadsettings(state, path));
        QCOMPARE(texts(state.settings.skipextlist), QStringList{u"iso"_s});
        QCOMPARE(state.settings.patternlists.size(), size_t(1));
        QCOMPARE(state.settings.patternlists[0].name, u"Good"_s);
    }

    // A closing tag must match exactly.
    {
        AppState state;
        QList<QByteArray> lines = headLines();
        lines << "<skipfolders>"
              << "True,/x/"
              << "</skipfolders> "
              << "</SKIPFOLDERS>";
        tree.writeFile(u"settings.dat"_s, crlfLines(lines));
        fillStartupLists(state);
        QVERIFY(!loadsettings(state, path));
        QCOMPARE(texts(state.settings.skipfolderlist),
                 (QStringList{u"/x/"_s, u"</skipfolders> "_s, u"</SKIPFOLDERS>"_s}));
    }
}

void SettingsFileTest::windowStateAndGeometry() {
    testing::TempTree tree;
    const QString path = tree.path(u"settings.dat"_s);

    // Maximised: state 2 with the normal size, the position at the time of saving.
    AppState state;
    state.window =
        WindowGeometry::fromPixels(QSize(900, 700), QPoint(0, 0), WindowShowState::Maximised);
    QVERIFY(savesettings(state, path));
    const QList<QByteArray> lines = readAll(path).split('\n');
    QCOMPARE(lines[0], QByteArray(" 13500 \r"));
    QCOMPARE(lines[1], QByteArray(" 10500 \r"));
    QCOMPARE(lines[2], QByteArray(" 2 \r"));
    QCOMPARE(lines[3], QByteArray(" 0 \r"));
    QCOMPARE(lines[4], QByteArray(" 0 \r"));

    // A maximised or minimised state does not stop the reading: the lists after it load.
    for (const WindowShowState shown : {WindowShowState::Maximised, WindowShowState::Minimised}) {
        state.window.state = shown;
        state.settings.skipfolderlist = {{u"/kept/"_s, false, true}};
        QVERIFY(savesettings(state, path));
        AppState loaded;
        fillStartupLists(loaded);
        QVERIFY(loadsettings(loaded, path));
        QCOMPARE(loaded.window.state, shown);
        QCOMPARE(loaded.window.sizePixels(), QSize(900, 700));
        QCOMPARE(loaded.window.positionPixels(), std::optional<QPoint>(QPoint(0, 0)));
        QCOMPARE(texts(loaded.settings.skipfolderlist), QStringList{u"/kept/"_s});
        QCOMPARE(loaded.settings.patternlists.size(), size_t(0));
    }

    // Pixels from twips round halves to even and stay inside int.
    WindowGeometry odd;
    odd.width = 22.5;  // 1.5 px
    odd.height = 37.5; // 2.5 px
    QCOMPARE(odd.sizePixels(), QSize(2, 2));
    QVERIFY(!odd.positionPixels());
    odd.top = 1e30;
    odd.left = -1e30;
    QCOMPARE(odd.positionPixels(), std::optional<QPoint>(QPoint(INT_MIN, INT_MAX)));
}

void SettingsFileTest::numbersFollowThePrintRule() {
    testing::TempTree tree;
    const QString path = tree.path(u"settings.dat"_s);
    AppState state;
    state.window.width = 15000;
    state.window.height = 10000.5;
    state.window.top = -1200.6; // positions are whole numbers
    state.window.left = 2.5;
    QVERIFY(savesettings(state, path));
    QList<QByteArray> lines = readAll(path).split('\n');
    QCOMPARE(lines[0], QByteArray(" 15000 \r"));
    QCOMPARE(lines[1], QByteArray(" 10000.5 \r"));
    QCOMPARE(lines[3], QByteArray("-1201 \r"));
    QCOMPARE(lines[4], QByteArray(" 2 \r"));
    QCOMPARE(lines[5], QByteArray("False\r"));

    AppState loaded;
    QVERIFY(loadsettings(loaded, path));
    QCOMPARE(loaded.window.height, 10000.5);
    QCOMPARE(loaded.window.top, -1201.0);

    // A fraction takes the user's decimal separator and reads back.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const bool saved = savesettings(state, path);
    lines = readAll(path).split('\n');
    AppState german;
    const bool read = loadsettings(german, path);
    QLocale::setDefault(QLocale::c());
    QVERIFY(saved);
    QCOMPARE(lines[1], QByteArray(" 10000,5 \r"));
    QVERIFY(read);
    QCOMPARE(german.window.height, 10000.5);
}

void SettingsFileTest::lineBreaksCannotCorruptTheFile() {
    testing::TempTree tree;
    const QString path = tree.path(u"settings.dat"_s);
    AppState state;
    state.settings.editorprogram = u"/usr/bin/ed\n</skipfolders>"_s;
    state.settings.skipfolderlist = {{u"/before/"_s, true, true},
                                     {u"/odd\n</skipfolders>\nTrue,/"_s, true, true},
                                     {u"/cr\r/"_s, false, true},
                                     {u"/after/"_s, false, true}};
    state.settings.skipextlist = {{u"so"_s, true, true}};
    state.settings.patternlists = {{u"Two\nlines"_s, u"*.a"_s}, {u"Kept"_s, u"*.k"_s}};
    QVERIFY(savesettings(state, path));

    AppState loaded;
    QVERIFY(loadsettings(loaded, path));
    QCOMPARE(loaded.settings.editorprogram, QString());
    QCOMPARE(texts(loaded.settings.skipfolderlist), (QStringList{u"/before/"_s, u"/after/"_s}));
    QCOMPARE(checks(loaded.settings.skipfolderlist), (QList<bool>{true, false}));
    QCOMPARE(texts(loaded.settings.skipextlist), QStringList{u"so"_s});
    QCOMPARE(loaded.settings.patternlists.size(), size_t(1));
    QCOMPARE(loaded.settings.patternlists[0].name, u"Kept"_s);
}

void SettingsFileTest::failedWriteKeepsTheOldFile() {
    testing::TempTree tree;
    const QString path = tree.path(u"settings.dat"_s);
    AppState state;
    fillStartupLists(state);
    QVERIFY(savesettings(state, path));
    const QByteArray old = readAll(path);
    QVERIFY(old.size() > 600);

    // A bigger file that the disk will not take in full.
    for (int i = 0; i < 200; ++i)
        state.settings.skipfolderlist.push_back({u"/folder/number/%1/"_s.arg(i), true, true});

    // Tests run as root, for whom a read-only folder is no obstacle; a file
    // size limit fails the write the way a full disk does. The limit is set in
    // a child so that nothing else of the test runs under it.
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{300, 300};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            _exit(3);
        _exit(savesettings(state, path) ? 0 : 1);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 1); // the failure is reported
    QCOMPARE(readAll(path), old);
    QCOMPARE(QDir(tree.root()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList{u"settings.dat"_s});

    // The same save without the limit replaces the file.
    QVERIFY(savesettings(state, path));
    QVERIFY(readAll(path).size() > old.size());

    // A folder that cannot be made (a file stands in its way) fails quietly.
    tree.writeFile(u"blocker"_s, "x");
    QVERIFY(!savesettings(state, tree.path(u"blocker/settings.dat"_s)));
}

void SettingsFileTest::locationFallsBackToTheConfigFolder() {
    testing::TempTree tree;
    SystemFacts system;
    system.programFolder = tree.makeFolder(u"bin/"_s);
    system.environment.insert(u"HOME"_s, tree.path(u"home"_s));
    QCOMPARE(settingsFolder(system), tree.path(u"bin/"_s));
    QCOMPARE(settingsFilePath(system), tree.path(u"bin/settings.dat"_s));

    // A program folder that cannot be written to (here: one that is gone).
    system.programFolder = tree.path(u"gone/"_s);
    QCOMPARE(settingsFolder(system), tree.path(u"home/.config/quillfen/"_s));
    system.environment.insert(u"XDG_CONFIG_HOME"_s, tree.path(u"cfg"_s));
    QCOMPARE(settingsFilePath(system), tree.path(u"cfg/quillfen/settings.dat"_s));
    system.environment.insert(u"XDG_CONFIG_HOME"_s, u"relative/cfg"_s);
    QCOMPARE(settingsFolder(system), tree.path(u"home/.config/quillfen/"_s));

    // The fallback folder is created by the first save.
    AppState state;
    state.nowizard = true;
    QVERIFY(savesettings(state, settingsFilePath(system)));
    AppState loaded;
    QVERIFY(loadsettings(loaded, tree.path(u"home/.config/quillfen/settings.dat"_s)));
    QCOMPARE(loaded.nowizard, true);

    // A home folder whose name is not UTF-8: the folders are made and the
    // file written under that very folder, so the next start finds it.
    const QByteArray rawHome = platform::encodeFileName(tree.root()) + "caf\xE9";
    tree.writeRawNamedFile("caf\xE9/marker", "");
    system.environment.insert(u"HOME"_s, platform::decodeFileName(rawHome));
    system.environment.remove(u"XDG_CONFIG_HOME"_s);
    QCOMPARE(platform::encodeFileName(settingsFilePath(system)),
             rawHome + "/.config/quillfen/settings.dat");
    QVERIFY(savesettings(state, settingsFilePath(system)));
    struct stat facts {};
    QCOMPARE(::stat((rawHome + "/.config/quillfen/settings.dat").constData(), &facts), 0);
    AppState reloaded;
    QVERIFY(loadsettings(reloaded, settingsFilePath(system)));
    QCOMPARE(reloaded.nowizard, true);
}

QTEST_GUILESS_MAIN(SettingsFileTest)
#include "tst_settingsfile.moc"

#include "core/appstate.h"
#include "core/settingsfile.h"
#include "core/startup.h"
#include "platform/fileops.h"
#include "scriptedmessages.h"
#include "temptree.h"

#include <QFile>
#include <QtTest>

using namespace quillfen;
using namespace Qt::StringLiterals;

namespace {

// A program folder, a home and a PATH folder inside one temporary tree.
struct FakeSystem {
    testing::TempTree tree;
    SystemFacts facts;

    FakeSystem() {
        facts.programFolder = tree.makeFolder(u"prog/"_s);
        tree.makeFolder(u"home/ann/"_s);
        tree.makeFolder(u"bin/"_s);
        facts.environment.insert(u"HOME"_s, tree.path(u"home/ann"_s));
        facts.environment.insert(u"PATH"_s, tree.path(u"bin"_s));
        facts.uid = 1000;
        platform::Drive root;
        root.root = u"/"_s;
        root.fixed = true;
        root.text = u"/ [root]"_s;
        facts.drives = {root};
    }

    QString settingsPath() const { return tree.path(u"prog/settings.dat"_s); }

    void installProgram(const QString& folder, const QString& name, bool executable = true) {
        const QString path = tree.writeFile(folder + u'/' + name, "#!/bin/sh\n");
        QFile::setPermissions(path, executable
                                        ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                              QFile::ExeGroup | QFile::ExeOther
                                        : QFile::ReadOwner | QFile::WriteOwner);
    }
};

} // namespace

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void firstStartShowsTheDefaults();
    void savedSettingsReplaceTheDefaults();
    void presetsOnlyWhenNoPatternListWasLoaded();
    void defaultEditorComesFromThePath();
    void closingSavesOnlyWhenIdle();
};

void StartupTest::firstStartShowsTheDefaults() {
    FakeSystem system;
    AppState state;
    QVERIFY(startup(state, system.facts)); // the wizard is shown

    QCOMPARE(state.nowizard, false);
    QCOMPARE(state.window.width, 15000.0);
    QCOMPARE(state.window.height, 10000.0);
    QCOMPARE(state.window.sizePixels(), QSize(1000, 667));
    QVERIFY(!state.window.positionPixels());
    QCOMPARE(state.settingspath, system.settingsPath());
    QVERIFY(state.stopflag);
    QCOMPARE(maintitle(state), u"Quillfen v"_s + programversion());

    QVERIFY(state.settings.skipfolderlist.size() > 10);
    for (const CheckedEntry& entry : state.settings.skipfolderlist)
        QVERIFY(entry.checked);
    QCOMPARE(state.settings.skipextlist.size(), size_t(21));
    for (const CheckedEntry& entry : state.settings.skipextlist)
        QVERIFY(entry.checked);
    QCOMPARE(state.settings.patternlists.size(), size_t(12));
    QCOMPARE(state.scanpaths.drivelist.size(), size_t(1));
    QCOMPARE(state.settings.fuzzy, 1);
    QCOMPARE(state.settings.crc, 1);
    QCOMPARE(state.settings.donothing, 0);
    QCOMPARE(state.viewerpath, u"xdg-open"_s);
    QCOMPARE(state.settings.editorprogram, state.viewerpath);
    QVERIFY(!QFile::exists(system.settingsPath())); // starting writes nothing
}

void StartupTest::savedSettingsReplaceTheDefaults() {
    FakeSystem system;
    system.installProgram(u"bin"_s, u"kate"_s);
    {
        AppState first;
        startup(first, system.facts);
        first.nowizard = true;
        first.settings.editorprogram = u"/opt/editor"_s;
        first.settings.skipfolderlist = {{u"/mine/"_s, false, true}};
        first.settings.patternlists.resize(2);
        testing::ScriptedMessageBoxes boxes;
        QVERIFY(closemainwindow(first, boxes,
                                WindowGeometry::fromPixels(QSize(640, 480), QPoint(10, 20),
                                                           WindowShowState::Maximised)));
        QVERIFY(boxes.shown.isEmpty());
    }
    AppState second;
    QVERIFY(!startup(second, system.facts)); // nowizard: no wizard
    QCOMPARE(second.window.sizePixels(), QSize(640, 480));
    QCOMPARE(second.window.positionPixels(), std::optional<QPoint>(QPoint(10, 20)));
    QCOMPARE(second.window.state, WindowShowState::Maximised);
    QCOMPARE(second.settings.skipfolderlist.size(), size_t(1));
    QCOMPARE(second.settings.skipfolderlist[0].text, u"/mine/"_s);
    QVERIFY(!second.settings.skipfolderlist[0].checked);
    QCOMPARE(second.settings.skipextlist.size(), size_t(21));
    QCOMPARE(second.settings.patternlists.size(), size_t(2));
    // The loaded program path fills the field only; the viewer stays the default.
    QCOMPARE(second.settings.editorprogram, u"/opt/editor"_s);
    QCOMPARE(second.viewerpath, system.tree.path(u"bin/kate"_s));
}

void StartupTest::presetsOnlyWhenNoPatternListWasLoaded() {
    FakeSystem system;
    // A file whose pattern block is empty brings no lists: the presets come.
    AppState empty;
    empty.settings.patternlists.clear();
    QVERIFY(savesettings(empty, system.settingsPath()));
    AppState state;
    startup(state, system.facts);
    QCOMPARE(state.settings.patternlists.size(), size_t(12));

    // A file cut before its pattern block: the presets come too.
    QFile file(system.settingsPath());
    QVERIFY(file.open(QIODevice::ReadWrite));
    const QByteArray bytes = file.readAll();
    file.resize(bytes.indexOf("<prepat>"));
    file.close();
    AppState cut;
    startup(cut, system.facts);
    QCOMPARE(cut.settings.patternlists.size(), size_t(12));
}

void StartupTest::defaultEditorComesFromThePath() {
    FakeSystem system;
    system.tree.makeFolder(u"bin2/"_s);
    system.facts.environment.insert(u"PATH"_s, u"relative:"_s + system.tree.path(u"bin"_s) +
                                                   u"::"_s + system.tree.path(u"bin2"_s));
    QCOMPARE(defaultviewerpath(system.facts), u"xdg-open"_s);

    system.installProgram(u"bin2"_s, u"xdg-open"_s);
    QCOMPARE(defaultviewerpath(system.facts), system.tree.path(u"bin2/xdg-open"_s));

    // Any common editor wins over xdg-open; among editors the list's order counts,
    // not the order of PATH.
    system.installProgram(u"bin2"_s, u"mousepad"_s);
    system.installProgram(u"bin"_s, u"featherpad"_s);
    QCOMPARE(defaultviewerpath(system.facts), system.tree.path(u"bin2/mousepad"_s));
    system.installProgram(u"bin2"_s, u"gedit"_s);
    QCOMPARE(defaultviewerpath(system.facts), system.tree.path(u"bin2/gedit"_s));

    // A file that cannot be run is not an editor.
    system.installProgram(u"bin"_s, u"gnome-text-editor"_s, false);
    QCOMPARE(defaultviewerpath(system.facts), system.tree.path(u"bin2/gedit"_s));
    system.installProgram(u"bin"_s, u"gnome-text-editor"_s, true);
    QCOMPARE(defaultviewerpath(system.facts), system.tree.path(u"bin/gnome-text-editor"_s));

    // No PATH at all: the real PATH is not consulted.
    system.facts.environment.remove(u"PATH"_s);
    QCOMPARE(defaultviewerpath(system.facts), u"xdg-open"_s);
}

void StartupTest::closingSavesOnlyWhenIdle() {
    FakeSystem system;
    AppState state;
    startup(state, system.facts);
    const WindowGeometry geometry =
        WindowGeometry::fromPixels(QSize(700, 500), QPoint(5, 6), WindowShowState::Normal);

    // Busy: refused with the message, nothing saved, geometry untouched.
    state.stopflag = false;
    testing::ScriptedMessageBoxes boxes;
    QVERIFY(!closemainwindow(state, boxes, geometry));
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].text, u"You will need to stop the program before you quit."_s);
    QCOMPARE(boxes.shown[0].icon, MessageIcon::Exclamation);
    QCOMPARE(boxes.shown[0].buttons, MessageButtons::Ok);
    QVERIFY(!QFile::exists(system.settingsPath()));
    QCOMPARE(state.window.width, 15000.0);

    // After Stop the close goes ahead and writes the file.
    state.stopflag = true;
    QVERIFY(closemainwindow(state, boxes, geometry));
    QCOMPARE(boxes.shown.size(), 1);
    QVERIFY(QFile::exists(system.settingsPath()));
    AppState reloaded;
    QVERIFY(loadsettings(reloaded, system.settingsPath()));
    QCOMPARE(reloaded.window.sizePixels(), QSize(700, 500));
    QCOMPARE(reloaded.settings.skipextlist.size(), size_t(21));

    // A save that cannot be written is reported, with the file and the
    // reason, and does not keep the window open.
    state.settingspath = system.tree.path(u"prog/settings.dat/inside"_s);
    QVERIFY(closemainwindow(state, boxes, geometry));
    QCOMPARE(boxes.shown.size(), 2);
    QCOMPARE(boxes.shown[1].icon, MessageIcon::Exclamation);
    QCOMPARE(boxes.shown[1].buttons, MessageButtons::Ok);
    QVERIFY(boxes.shown[1].text.contains(state.settingspath));
    QVERIFY(boxes.shown[1].text.contains(platform::errorText(ENOTDIR)));
}

QTEST_GUILESS_MAIN(StartupTest)
#include "tst_startup.moc"

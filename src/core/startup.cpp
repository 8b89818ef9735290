#include "core/startup.h"

#include "core/defaultlists.h"
#include "core/settingsfile.h"

#include <QStandardPaths>

namespace quillfen {

using namespace Qt::StringLiterals;

QStringList commonTextEditors() {
    return {u"gnome-text-editor"_s, u"gedit"_s, u"kate"_s, u"kwrite"_s,
            u"mousepad"_s,          u"pluma"_s, u"xed"_s,  u"featherpad"_s};
}

QString defaultviewerpath(const SystemFacts& system) {
    const QStringList folders = system.searchPath();
    // An empty folder list would make the search fall back to the real PATH.
    if (!folders.isEmpty()) {
        const QStringList programs = commonTextEditors() << u"xdg-open"_s;
        for (const QString& program : programs) {
            const QString found = QStandardPaths::findExecutable(program, folders);
            if (!found.isEmpty())
                return found;
        }
    }
    return u"xdg-open"_s;
}

bool startup(AppState& state, const SystemFacts& system) {
    state.stopflag = true;

    defaultskip(state, system);
    defaultextskip(state);

    state.settings.editorprogram = defaultviewerpath(system);
    state.viewerpath = state.settings.editorprogram;

    state.window = WindowGeometry();
    state.window.width = 15000;
    state.window.height = 10000;

    state.settingspath = settingsFilePath(system);
    loadsettings(state, state.settingspath);
    if (state.settings.patternlists.empty())
        addpats(state);

    state.errorlog.clear();
    state.appversion = programversion();
    return !state.nowizard;
}

QString maintitle(const AppState& state) {
    return u"Quillfen v"_s + state.appversion;
}

bool closemainwindow(AppState& state, MessageBoxes& messages, const WindowGeometry& current) {
    if (!state.stopflag) {
        messages.inform(u"You will need to stop the program before you quit."_s,
                        MessageIcon::Exclamation);
        return false;
    }
    state.window = current;
    // A failed write keeps the former file. The user is told, so that the
    // lists and choices of this session are not lost unnoticed, but the
    // window still closes: nothing the user could do here would change it.
    QString failure;
    if (!savesettings(state, state.settingspath, &failure)) {
        messages.inform(crlfJoin({u"The settings could not be saved to"_s, state.settingspath,
                                  failure + u". The changes of this session are lost."_s}),
                        MessageIcon::Exclamation);
    }
    return true;
}

} // namespace quillfen
